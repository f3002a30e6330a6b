#pragma once

#include "workspace/SpreadsheetExport.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class QWidget;
template <typename T> class QFutureWatcher;

namespace quorvel {

class OperationProgress;
class Prompts;
class Workspace;

// Writes the workbook of a spreadsheet export on a worker, so the window stays alive however
// long the sheet: after a second a progress dialog shows (its Cancel leaves an earlier file as it
// was); at the end the workbook is opened for the user, or the failure is reported once with the
// export's title. While one export runs, a trigger starting another is ignored.
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
    std::shared_ptr<std::optional<Status>> m_result; // set by the worker
    QFutureWatcher<void>* m_watcher = nullptr;
    QPointer<OperationProgress> m_dialog;
    bool m_cancelled = false;
};

} // namespace quorvel
