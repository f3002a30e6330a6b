#pragma once

#include "workspace/FormulaFileImport.h"

#include <QObject>
#include <QPointer>

class QProgressDialog;
class QWidget;

namespace quorvel {

class OnlineFormulaUpdate;
class OperationProgress;
class Prompts;
class Workspace;

// The formula commands of the main window that read or write files or the network: the file
// import `Command10` (read through the runner behind a progress dialog), the online update `cmdGsgx`
// (downloaded behind a progress dialog with Cancel) and the text exports `Command11` and
// `Command20`. The window stays responsive while a file is read or downloaded; the progress
// dialog keeps the other commands from running meanwhile.
class FormulaFileCommands : public QObject
{
    Q_OBJECT
public:
    FormulaFileCommands(Workspace& workspace, Prompts& prompts, QWidget* window);
    ~FormulaFileCommands() override;

    void importFile();   // `Command10`
    void updateOnline(); // `cmdGsgx`
    void exportAll();    // `Command11`
    void exportShown();  // `Command20`

    bool isBusy() const;
    QProgressDialog* progressDialog() const;

Q_SIGNALS:
    void idle(); // an import or update has ended, whatever its outcome

private:
    void showProgress(const QString& title, const QString& label);
    void closeProgress();
    void importPrepared();
    void updateFinished();

    Workspace& m_workspace;
    Prompts& m_prompts;
    QWidget* m_window;
    FormulaFileImport::PlanJob m_importing;
    OnlineFormulaUpdate* m_update = nullptr;
    QPointer<OperationProgress> m_progress;
    bool m_waitCursor = false;
};

} // namespace quorvel
