#include "ui/HistoryMaintenance.h"

#include "ui/FailureNotice.h"
#include "ui/GridView.h"
#include "ui/HistoryPanel.h"
#include "ui/OperationProgress.h"
#include "ui/WaitCursor.h"
#include "workspace/HistoryDeletion.h"
#include "workspace/HistoryExport.h"
#include "workspace/HistoryFileImport.h"
#include "workspace/MissingDrawsCheck.h"
#include "workspace/OnlineHistoryUpdate.h"
#include "workspace/Workspace.h"

namespace quorvel {

namespace {

const QString kDeletionTitle = QStringLiteral("删除历史号码");

// Reports a failed result; true when it succeeded.
template <typename T> bool succeeded(Prompts& prompts, const Result<T>& result, const QString& title)
{
    if (result)
        return true;
    reportFailure(prompts, result.failure(), title);
    return false;
}

} // namespace

HistoryMaintenance::HistoryMaintenance(Workspace& workspace, Prompts& prompts, HistoryPanel& panel)
    : QObject(&panel), m_workspace(workspace), m_prompts(prompts), m_panel(panel),
      m_update(new OnlineHistoryUpdate(workspace, this))
{
    connect(m_update, &OnlineHistoryUpdate::finished, this, &HistoryMaintenance::updateFinished);
    connect(m_update, &OnlineHistoryUpdate::progress, this, [this](qint64 received, qint64 total) {
        if (!m_progress)
            return;
        // Bytes are shown in KiB so that the range fits an int.
        if (total > 0) {
            m_progress->setRange(0, int(total / 1024) + 1);
            m_progress->setValue(int(received / 1024));
        }
        m_progress->setLabelText(QStringLiteral("正在下载开奖数据……已收到%1 KB").arg(received / 1024));
    });
}

HistoryMaintenance::~HistoryMaintenance() = default;

void HistoryMaintenance::updateOnline()
{
    if (m_update->isRunning())
        return;
    const Result<bool> started = m_update->start();
    if (!succeeded(m_prompts, started, OnlineHistoryUpdate::kTitle) || !*started)
        return;
    // A modal progress dialog: the window keeps drawing and the download runs on the event loop,
    // but no other command can start before the update has finished.
    m_progress = new OperationProgress(m_panel.window(), {OnlineHistoryUpdate::kTitle,
                                                          QStringLiteral("正在下载开奖数据……"),
                                                          QStringLiteral("onlineUpdateProgress")});
    connect(m_progress, &OperationProgress::cancelled, m_update, &OnlineHistoryUpdate::cancel);
}

void HistoryMaintenance::updateFinished()
{
    if (m_progress) {
        m_progress->close();
        m_progress->deleteLater();
    }
    const Result<OnlineUpdateOutcome>& outcome = m_update->outcome();
    if (!outcome) {
        // The user pressed Cancel himself; nothing more to say.
        if (!m_update->wasCancelled())
            reportFailure(m_prompts, outcome.failure(), OnlineHistoryUpdate::kTitle);
        return;
    }
    m_panel.grid()->scrollNewestIntoView();
    m_prompts.notice(OnlineHistoryUpdate::kTitle, OnlineHistoryUpdate::outcomeMessage(*outcome));
    reportFailure(m_prompts, outcome->refreshed);
}

void HistoryMaintenance::deleteNewestDraw()
{
    std::optional<Result<DeletionOutcome>> outcome;
    {
        WaitCursor wait;
        outcome = HistoryDeletion(m_workspace).deleteNewestDraw();
    }
    if (!succeeded(m_prompts, *outcome, kDeletionTitle))
        return;
    reportFailure(m_prompts, (*outcome)->refreshed);
    m_panel.focusFirstNumberBox();
}

void HistoryMaintenance::deleteNewestCount()
{
    std::optional<Result<DeletionOutcome>> outcome;
    {
        WaitCursor wait;
        outcome = HistoryDeletion(m_workspace).askAndDeleteNewest();
    }
    if (succeeded(m_prompts, *outcome, kDeletionTitle))
        reportFailure(m_prompts, (*outcome)->refreshed);
}

void HistoryMaintenance::deleteAfterIssue()
{
    std::optional<Result<DeletionOutcome>> outcome;
    {
        WaitCursor wait;
        outcome = HistoryDeletion(m_workspace).askAndDeleteAfter();
    }
    if (succeeded(m_prompts, *outcome, kDeletionTitle))
        reportFailure(m_prompts, (*outcome)->refreshed);
}

void HistoryMaintenance::deleteAll()
{
    std::optional<Result<DeletionOutcome>> outcome;
    {
        WaitCursor wait;
        outcome = HistoryDeletion(m_workspace).deleteAll();
    }
    if (succeeded(m_prompts, *outcome, kDeletionTitle))
        reportFailure(m_prompts, (*outcome)->refreshed);
}

void HistoryMaintenance::exportText()
{
    succeeded(m_prompts, HistoryExport(m_workspace).writeText(), QStringLiteral("导出历史号码"));
}

void HistoryMaintenance::importFile()
{
    std::optional<Result<HistoryImportOutcome>> imported;
    {
        WaitCursor wait;
        imported = HistoryFileImport(m_workspace).chooseAndImport();
    }
    if (!succeeded(m_prompts, *imported, HistoryFileImport::kTitle))
        return;
    const HistoryImportOutcome& outcome = **imported;
    if (outcome.cancelled)
        return;
    m_panel.grid()->scrollNewestIntoView();
    m_prompts.notice(HistoryFileImport::kTitle, HistoryFileImport::outcomeMessage(outcome));
    reportFailure(m_prompts, outcome.refreshed);
}

void HistoryMaintenance::showMissing()
{
    m_prompts.notice(MissingDrawsCheck::kTitle, MissingDrawsCheck(m_workspace).report());
}

} // namespace quorvel
