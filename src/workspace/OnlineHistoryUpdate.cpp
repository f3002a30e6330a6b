#include "workspace/OnlineHistoryUpdate.h"

#include "core/Database.h"
#include "core/HttpDownload.h"
#include "core/LotteryType.h"
#include "core/Settings.h"
#include "core/TextFile.h"
#include "core/ThreadStart.h"
#include "history/DrawEntry.h"
#include "history/OnlineUpdateStore.h"
#include "workspace/MissingDrawsCheck.h"
#include "workspace/Prompts.h"
#include "workspace/ResultsAddressSetting.h"
#include "workspace/UndoHistory.h"
#include "workspace/Workspace.h"

#include <QTimer>

namespace quorvel {

namespace {

const QString kUnchanged = QStringLiteral("历史号码没有改变。");

} // namespace

const QString OnlineHistoryUpdate::kTitle = QStringLiteral("在线更新");
const QString OnlineHistoryUpdate::kQuestion =
    QStringLiteral("确实要在线更新最新历史号码吗？更新可能要花费一段时间，网络不通或者我方服务器更新不及时可"
                   "能都造成更新失败！");

OnlineHistoryUpdate::OnlineHistoryUpdate(Workspace& workspace, QObject* parent)
    : QObject(parent), m_workspace(workspace), m_download(new HttpDownload(this))
{
    connect(m_download, &HttpDownload::progress, this, &OnlineHistoryUpdate::progress);
    connect(m_download, &HttpDownload::downloaded, this, &OnlineHistoryUpdate::pageDownloaded);
    connect(m_download, &HttpDownload::failed, this, &OnlineHistoryUpdate::downloadFailed);
    connect(&m_reading, &JobSignals::finished, this, &OnlineHistoryUpdate::pageRead);
}

OnlineHistoryUpdate::~OnlineHistoryUpdate() = default;

void OnlineHistoryUpdate::setIdleTimeout(std::chrono::milliseconds timeout)
{
    m_download->setIdleTimeout(timeout);
}

void OnlineHistoryUpdate::setDeadline(std::chrono::milliseconds deadline)
{
    m_download->setDeadline(deadline);
}

Result<bool> OnlineHistoryUpdate::start(const std::optional<QString>& base)
{
    if (m_running)
        return Failure{QStringLiteral("在线更新正在进行"), kTitle};
    const QString typeCode = lotteryTypeCode(m_workspace.settings().lotteryTypeIndex());
    if (typeCode.isEmpty())
        return Failure{QStringLiteral("请先在“设置”菜单的“彩种选择”中选择彩种"), kTitle};
    if (const Result<Database*> storage = m_workspace.storage(); !storage)
        return Failure{storage.error(), kTitle};
    // A file that cannot be written could not keep what the page brings: no request then.
    if (m_workspace.isReadOnly())
        return Failure{m_workspace.readOnlyReason(), kTitle};
    const std::shared_ptr<const DrawTable> history = m_workspace.history();
    const auto oldest = history->isEmpty() ? std::nullopt : std::optional<qint32>(history->issues().front());
    const auto newest = history->isEmpty() ? std::nullopt : std::optional<qint32>(history->issues().back());
    const Result<OnlineUpdatePlan> plan = OnlineUpdatePlan::compute(
        m_workspace.clock().today(), m_workspace.historyDays(), m_workspace.drawsPerDay(), oldest, newest);
    if (!plan)
        return Failure{plan.error(), kTitle};
    // An update that replaces the history says so, and Enter keeps the history.
    if (plan->replacesHistory && oldest) {
        const QString deletion = QStringLiteral("将删除现有 %1 期历史（最早 %2），重新下载最近 %3 天")
                                     .arg(history->drawCount())
                                     .arg(DrawEntry::issueText(*oldest))
                                     .arg(m_workspace.historyDays());
        if (!m_workspace.prompts().question(kTitle, kQuestion + QLatin1Char('\n') + deletion,
                                            Prompts::DefaultButton::Cancel))
            return false;
    } else if (!m_workspace.prompts().question(kTitle, kQuestion)) {
        return false;
    }
    const std::optional<QString> address = base ? base : ResultsAddressSetting(m_workspace).ensure();
    if (!address)
        return false;
    const Result<QUrl> url = OnlineUpdatePlan::resultsAddress(typeCode, *address, plan->requestCount);
    if (!url)
        return Failure{url.error(), kTitle};

    m_plan = *plan;
    m_outcome.reset();
    m_running = true;
    m_cancelled = false;
    if (plan->isUpToDate()) {
        // Today's last draw is stored already: nothing to ask for.
        QTimer::singleShot(0, this, [this] {
            OnlineUpdateOutcome outcome;
            outcome.historyDays = m_workspace.historyDays();
            outcome.missing = MissingDrawsCheck(m_workspace).missing();
            finish(outcome);
        });
    } else {
        m_download->start(*url, HttpDownload::kResultsPageMaxBytes);
    }
    return true;
}

void OnlineHistoryUpdate::cancel()
{
    if (m_download->isRunning()) {
        m_cancelled = true;
        m_download->cancel();
    } else if (m_reading.isRunning()) {
        m_cancelled = true;
        m_reading.cancel();
    }
}

const Result<OnlineUpdateOutcome>& OnlineHistoryUpdate::outcome() const
{
    Q_ASSERT(m_outcome.has_value());
    return *m_outcome;
}

void OnlineHistoryUpdate::downloadFailed(const QString& message)
{
    if (m_cancelled) {
        finish(Failure{QStringLiteral("在线更新已取消，") + kUnchanged, kTitle});
        return;
    }
    finish(Failure{QStringLiteral("在线更新失败：%1。").arg(message) + kUnchanged, kTitle});
}

void OnlineHistoryUpdate::pageDownloaded(const QByteArray& body)
{
    m_reading.start([body, issues = m_plan->issues()](QPromise<Result<ResultsPage::Reading>>& promise) {
        const Result<QString> text = TextFile::decode(body);
        if (!text) {
            promise.addResult(Failure{
                QStringLiteral("在线更新失败：无法读取开奖页面（%1）。").arg(text.error()) + kUnchanged, kTitle});
            return;
        }
        promise.addResult(ResultsPage::read(*text, issues));
    });
}

void OnlineHistoryUpdate::pageRead()
{
    if (m_cancelled || m_reading.isCanceled()) {
        finish(Failure{QStringLiteral("在线更新已取消，") + kUnchanged, kTitle});
        return;
    }
    if (!m_reading.hasResult()) {
        finish(Failure{QStringLiteral("在线更新失败：%1。").arg(outOfMemoryMessage()) + kUnchanged, kTitle});
        return;
    }
    const Result<ResultsPage::Reading> reading = m_reading.result();
    if (!reading) {
        finish(reading.failure());
        return;
    }
    const Result<Database*> storage = m_workspace.storage();
    if (!storage) {
        finish(Failure{storage.error(), kTitle});
        return;
    }
    // The history this update deletes is kept first, so that it can be undone.
    UndoHistory undo(m_workspace);
    std::optional<qint64> kept;
    if (m_plan->replacesHistory && !m_workspace.history()->isEmpty()) {
        const Result<qint64> keptHistory = undo.keepHistory(QStringLiteral("开奖历史号在线更新(O)"));
        if (!keptHistory) {
            finish(
                Failure{QStringLiteral("在线更新失败：%1。").arg(keptHistory.error()) + kUnchanged, kTitle});
            return;
        }
        kept = *keptHistory;
    }
    const Result<OnlineUpdateStore::Outcome> stored = OnlineUpdateStore::store(**storage, *m_plan, *reading);
    if (kept)
        undo.finish(*kept, stored && stored->replacedHistory);
    if (!stored) {
        finish(Failure{QStringLiteral("在线更新失败：%1。").arg(stored.error()) + kUnchanged, kTitle});
        return;
    }

    OnlineUpdateOutcome outcome;
    outcome.requested = m_plan->requestCount;
    outcome.stored = int(stored->stored.size());
    outcome.malformed = stored->malformed;
    outcome.inconsistent = stored->inconsistent;
    outcome.replacedHistory = stored->replacedHistory;
    outcome.historyDays = m_workspace.historyDays();
    if (!stored->stored.empty()) {
        WorkspaceChange change = stored->replacedHistory ? WorkspaceChange::historyRewritten()
                                                         : WorkspaceChange::historyAppended(stored->stored);
        outcome.refreshed = m_workspace.apply(std::move(change).withListRefilled().withIssueProposed());
    }
    outcome.missing = MissingDrawsCheck(m_workspace).missing();
    finish(outcome);
}

void OnlineHistoryUpdate::finish(Result<OnlineUpdateOutcome> outcome)
{
    m_outcome = std::move(outcome);
    m_running = false;
    Q_EMIT finished();
}

QString OnlineHistoryUpdate::outcomeMessage(const OnlineUpdateOutcome& outcome)
{
    QString message;
    if (outcome.stored == 0) {
        message = QStringLiteral("没有找到新的开奖号码，") + kUnchanged;
    } else {
        message = QStringLiteral("已保存%1期新的开奖号码。").arg(outcome.stored);
        if (outcome.replacedHistory)
            message += QStringLiteral("原有的历史号码早于%1天前，已由最近%2天的号码替换。")
                           .arg(outcome.historyDays)
                           .arg(outcome.historyDays + 1);
    }
    if (outcome.malformed > 0)
        message += QStringLiteral("页面上另有%1期号码格式不对，未保存。").arg(outcome.malformed);
    for (const qint32 issue : outcome.inconsistent)
        message += QStringLiteral("页面中期号 %1 的号码前后不一致，未保存。").arg(issue, 8, 10, QLatin1Char('0'));
    if (!outcome.missing.empty())
        message += QStringLiteral("\n\n历史中缺失%1期：\n").arg(outcome.missing.size()) +
                   MissingDrawsCheck::describe(outcome.missing);
    return message;
}

} // namespace quorvel
