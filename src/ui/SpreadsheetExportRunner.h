#pragma once

#include "core/Job.h"
#include "workspace/SpreadsheetExport.h"

#include <QObject>
#include <QPointer>

#include <optional>

class QWidget;

namespace quorvel {

class OperationProgress;
class Prompts;
class Workspace;

// Writes the workbook of a spreadsheet export through the runner, so the window stays alive
// however long the sheet: after a second a progress dialog shows (its Cancel leaves an earlier
// file as it was, and it goes once the file is being packed, which cannot be stopped); at the end
// the workbook is opened for the user, or the failure is reported once with the export's title.
// While one export runs, a trigger starting another is ignored.
class SpreadsheetExportRunner : public QObject
{
    Q_OBJECT
public:
    // Shows the progress dialog over `window`.
    SpreadsheetExportRunner(Workspace& workspace, Prompts& prompts, QWidget* window);
    ~SpreadsheetExportRunner() override;

    // Starts writing; false when an export of this runner is still running.
    bool start(SpreadsheetJob job);
    bool isRunning() const { return m_job.has_value(); }

Q_SIGNALS:
    // The export has ended: written and shown (true), or failed, reported or cancelled (false).
    void finished(bool written);

private:
    void done();

    Workspace& m_workspace;
    Prompts& m_prompts;
    QPointer<QWidget> m_window;
    std::optional<SpreadsheetJob> m_job;
    Job<Status> m_writing;
    QPointer<OperationProgress> m_dialog;
};

} // namespace quorvel
