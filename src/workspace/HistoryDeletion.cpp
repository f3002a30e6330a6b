#include "workspace/HistoryDeletion.h"

#include "core/Database.h"
#include "core/HistoryTable.h"
#include "history/DrawEntry.h"
#include "workspace/Prompts.h"
#include "workspace/UndoHistory.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <limits>

namespace quorvel {

const QString HistoryDeletion::kCountTitle = QStringLiteral("删除期数");
const QString HistoryDeletion::kCountPrompt =
    QStringLiteral("请输入需要删除最后多少期历史号码（例如输入3，那么就将删除最后的3期历史号码）");

HistoryDeletion::HistoryDeletion(Workspace& workspace) : m_workspace(workspace) {}

std::optional<qint32> HistoryDeletion::wholeNumber(const QString& answer)
{
    const QString text = answer.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = std::min<qint64>(value * 10 + (c.unicode() - u'0'), std::numeric_limits<qint32>::max());
    }
    return qint32(value);
}

Result<DeletionOutcome> HistoryDeletion::deleteNewestDraw()
{
    return m_workspace.withStorage([&](Database& database) -> Result<DeletionOutcome> {
        // The newest draw as shown: another program may have changed the history since.
        const std::shared_ptr<const DrawTable> shown = m_workspace.history();
        const Result<int> deleted = keptDeletion(QStringLiteral("删除最后历史(D)"), [&] {
            return shown->isEmpty() ? database.history().deleteNewest(1)
                                    : database.history().deleteShownNewest(
                                          shown->issues().back(), shown->numbers(shown->drawCount() - 1));
        });
        if (!deleted) {
            if (deleted.error().startsWith(HistoryTable::kDrawChangedElsewhere)) {
                const Status refreshed = m_workspace.refreshAfterOutsideChange();
                Q_UNUSED(refreshed);
            }
            return deleted.failure();
        }
        return DeletionOutcome{*deleted,
                               m_workspace.apply(WorkspaceChange::historyRewritten().withIssueProposed())};
    });
}

Result<DeletionOutcome> HistoryDeletion::deleteNewest(int count)
{
    return m_workspace.withStorage([&](Database& database) -> Result<DeletionOutcome> {
        return compactedAndRefreshed(keptDeletion(QStringLiteral("删除最后指定数量期历史(E)"),
                                                  [&] { return database.history().deleteNewest(count); }));
    });
}

Result<DeletionOutcome> HistoryDeletion::deleteAfter(qint32 keptIssue)
{
    return m_workspace.withStorage([&](Database& database) -> Result<DeletionOutcome> {
        return compactedAndRefreshed(keptDeletion(QStringLiteral("删除到选定期(D)"),
                                                  [&] { return database.history().deleteAfter(keptIssue); }));
    });
}

// Keeps the history before `deletion` runs, so that it can be undone; a deletion that removed
// nothing leaves nothing kept.
Result<int> HistoryDeletion::keptDeletion(const QString& operation,
                                          const std::function<Result<int>()>& deletion)
{
    UndoHistory undo(m_workspace);
    const Result<qint64> kept = undo.keepHistory(operation);
    if (!kept)
        return kept.failure();
    const Result<int> deleted = deletion();
    undo.finish(*kept, deleted && *deleted > 0);
    return deleted;
}

// After deleting a number of draws: compaction, formula list, history, verification.
Result<DeletionOutcome> HistoryDeletion::compactedAndRefreshed(const Result<int>& deleted)
{
    if (!deleted)
        return deleted.failure();
    return DeletionOutcome{
        *deleted, m_workspace.apply(WorkspaceChange::historyRewritten().withCompaction().withListRefilled())};
}

Result<DeletionOutcome> HistoryDeletion::deleteAll()
{
    return m_workspace.withStorage([&](Database& database) -> Result<DeletionOutcome> {
        const Result<int> deleted =
            keptDeletion(QStringLiteral("删除所有历史(A）"), [&] { return database.history().deleteAll(); });
        if (!deleted)
            return deleted.failure();
        // The formula list keeps the statistics of the last pass; nothing is verified again.
        return DeletionOutcome{
            *deleted,
            m_workspace.apply(WorkspaceChange::historyRewritten().withListRefilled().withoutVerification())};
    });
}

Result<DeletionOutcome> HistoryDeletion::askAndDeleteNewest()
{
    const std::optional<QString> answer =
        m_workspace.prompts().inputText(kCountTitle, kCountPrompt, QStringLiteral("1"));
    const std::optional<qint32> count = answer ? wholeNumber(*answer) : std::nullopt;
    if (!count || *count == 0)
        return DeletionOutcome{};
    return deleteNewest(*count);
}

Result<DeletionOutcome> HistoryDeletion::askAndDeleteAfter()
{
    const std::shared_ptr<const DrawTable> history = m_workspace.history();
    // Nothing to keep back to: the box would have no issue to offer.
    if (history->isEmpty())
        return DeletionOutcome{};
    const qint32 newest = history->issues().back();
    const QString prompt =
        QStringLiteral("请输入要保留的最后一期的期号：这一期和它以前的历史号码保留，之后的全部删除"
                       "（最新一期是%1，默认删除最新一期）")
            .arg(DrawEntry::issueText(newest));
    const std::optional<QString> answer =
        m_workspace.prompts().inputText(kCountTitle, prompt, DrawEntry::issueText(newest - 1));
    const std::optional<qint32> kept = answer ? wholeNumber(*answer) : std::nullopt;
    if (!kept || *kept == 0)
        return DeletionOutcome{};
    return deleteAfter(*kept);
}

} // namespace quorvel
