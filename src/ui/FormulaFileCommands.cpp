#include "ui/FormulaFileCommands.h"

#include "ui/FailureNotice.h"
#include "ui/OperationProgress.h"
#include "ui/WaitCursor.h"
#include "workspace/FormulaExport.h"
#include "workspace/FormulaFileImport.h"
#include "workspace/OnlineFormulaUpdate.h"
#include "workspace/Workspace.h"

#include <QApplication>
#include <QWidget>

namespace quorvel {

FormulaFileCommands::FormulaFileCommands(Workspace& workspace, Prompts& prompts, QWidget* window)
    : QObject(window), m_workspace(workspace), m_prompts(prompts), m_window(window),
      m_update(new OnlineFormulaUpdate(workspace, this))
{
    connect(&m_importing, &JobSignals::finished, this, &FormulaFileCommands::importPrepared);
    connect(m_update, &OnlineFormulaUpdate::progress, this, [this](qint64 received, qint64 total) {
        if (!m_progress)
            return;
        // The dialog counts in KiB so that files up to the size cap fit its int range.
        m_progress->setRange(0, total > 0 ? int(total / 1024) : 0);
        m_progress->setValue(int(received / 1024));
    });
    connect(m_update, &OnlineFormulaUpdate::importing, this, [this] {
        if (!m_progress)
            return;
        m_progress->setLabelText(QStringLiteral("正在导入公式…"));
        m_progress->setRange(0, 0);
        // Reading and storing the lines follows without a further step the user could take.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_waitCursor = true;
    });
    connect(m_update, &OnlineFormulaUpdate::finished, this, &FormulaFileCommands::updateFinished);
}

// The reading is stopped and waited for by its job, so nothing outlives the window.
FormulaFileCommands::~FormulaFileCommands() = default;

bool FormulaFileCommands::isBusy() const
{
    return m_importing.isRunning() || m_update->isRunning();
}

QProgressDialog* FormulaFileCommands::progressDialog() const
{
    return m_progress ? m_progress->dialog() : nullptr;
}

void FormulaFileCommands::showProgress(const QString& title, const QString& label)
{
    m_progress = new OperationProgress(m_window, {title, label, QStringLiteral("formulaProgress")});
}

void FormulaFileCommands::closeProgress()
{
    if (m_progress) {
        m_progress->close();
        m_progress->deleteLater();
    }
    m_progress = nullptr;
}

// ---- file import -------------------------------------------------------------------------------

void FormulaFileCommands::importFile()
{
    if (isBusy())
        return;
    const QString path = FormulaFileImport(m_workspace).chooseFile();
    if (path.isEmpty())
        return;
    showProgress(QStringLiteral("读取公式文本"), QStringLiteral("正在读取公式文本…"));
    m_progress->follow(m_importing);
    connect(m_progress, &OperationProgress::cancelled, this, [this] { m_importing.cancel(); });
    m_importing.start([path, position = m_workspace.currentPosition(),
                       kill = m_workspace.currentKindIsKill()](FormulaFileImport::PlanPromise& promise) {
        FormulaFileImport::prepareFile(promise, path, position, kill);
    });
}

void FormulaFileCommands::importPrepared()
{
    const std::optional<Result<FormulaImportPlan>> plan = FormulaFileImport::prepared(m_importing);
    if (!plan || !*plan) {
        closeProgress();
        if (plan) // a cancelled reading needs no notice
            reportFailure(m_prompts, Status(plan->failure()));
        Q_EMIT idle();
        return;
    }
    if (m_progress) {
        m_progress->setLabelText(QStringLiteral("正在保存公式…"));
        m_progress->removeCancelButton();
        m_progress->setRange(0, 0);
    }
    FormulaFileImport import(m_workspace);
    std::optional<Result<FormulaImportOutcome>> outcome;
    {
        WaitCursor wait;
        outcome = import.store(**plan, FormulaFileImport::Source::File);
    }
    closeProgress();
    if (*outcome)
        import.offerUnrecognised(**outcome);
    else
        reportFailure(m_prompts, Status(outcome->failure()));
    Q_EMIT idle();
}

// ---- online update -----------------------------------------------------------------------------

void FormulaFileCommands::updateOnline()
{
    if (isBusy())
        return;
    const Result<bool> started = m_update->start();
    if (!started) {
        reportFailure(m_prompts, Status(started.failure()), OnlineFormulaUpdate::kTitle);
        return;
    }
    if (!*started)
        return;
    showProgress(OnlineFormulaUpdate::kTitle, QStringLiteral("正在下载公式文件…"));
    connect(m_progress, &OperationProgress::cancelled, m_update, &OnlineFormulaUpdate::cancel);
}

void FormulaFileCommands::updateFinished()
{
    if (m_waitCursor)
        QApplication::restoreOverrideCursor();
    m_waitCursor = false;
    closeProgress();
    const std::optional<Result<OnlineFormulaUpdateOutcome>>& outcome = m_update->outcome();
    // Cancelling is the user's own doing and needs no notice.
    if (outcome && !*outcome && !m_update->cancelled())
        reportFailure(m_prompts, Status(outcome->failure()), OnlineFormulaUpdate::kTitle);
    Q_EMIT idle();
}

// ---- text exports ------------------------------------------------------------------------------

void FormulaFileCommands::exportAll()
{
    std::optional<Result<QString>> written;
    {
        WaitCursor wait;
        written = FormulaExport(m_workspace).exportAll();
    }
    if (!*written)
        reportFailure(m_prompts, Status(written->failure()));
}

void FormulaFileCommands::exportShown()
{
    std::optional<Result<QString>> written;
    {
        WaitCursor wait;
        written = FormulaExport(m_workspace).exportShown();
    }
    if (!*written)
        reportFailure(m_prompts, Status(written->failure()));
}

} // namespace quorvel
