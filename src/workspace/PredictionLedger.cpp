#include "workspace/PredictionLedger.h"

#include "core/Database.h"
#include "core/LedgerTable.h"
#include "core/LotteryType.h"
#include "core/Settings.h"
#include "history/DrawEntry.h"
#include "verification/LedgerScoring.h"
#include "workspace/PredictionState.h"
#include "workspace/Prompts.h"
#include "workspace/Workspace.h"

#include <QDateTime>

#include <algorithm>

namespace quorvel {

namespace {

// The Chinese name of the chosen lottery type; empty when none is chosen.
QString chosenLotteryType(const Workspace& workspace)
{
    const int index = workspace.settings().lotteryTypeIndex();
    return isLotteryTypeIndex(index) ? lotteryTypes()[std::size_t(index)].caption : QString();
}

} // namespace

PredictionLedger::PredictionLedger(Workspace& workspace) : m_workspace(workspace) {}

Status PredictionLedger::record(const PredictionState& state)
{
    return m_workspace.withStorage([&](Database& database) -> Status {
        if (database.isReadOnly() || !state.lastMethod())
            return success();
        const DrawTable& history = *m_workspace.history();
        const std::optional<qint32> newest =
            history.isEmpty() ? std::nullopt : std::optional<qint32>(history.issues().back());

        std::vector<std::vector<int>> pages;
        for (const RankingPage& page : state.ranking().pages())
            pages.push_back(page.picks());
        LedgerRecord record;
        record.issue =
            DrawEntry::proposeNextIssue(newest, m_workspace.drawsPerDay(), m_workspace.clock().today());
        record.made = QDateTime(m_workspace.clock().today(), QTime::currentTime())
                          .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        record.method = *state.lastMethod() == PredictionMethod::BestFormulas ? QStringLiteral("best")
                                                                              : QStringLiteral("selected");
        record.kill = state.kill();
        record.lotteryType = chosenLotteryType(m_workspace);
        record.quota = state.quota();
        record.positions = state.shownPosition();
        record.picks = LedgerScoring::picksText(pages);
        const Result<qint64> stored = database.ledger().append(record);
        if (!stored)
            return stored.failure();
        return success();
    });
}

Status PredictionLedger::score()
{
    if (!m_workspace.storage())
        return success();
    const Result<std::vector<LedgerEntry>> result = scored();
    return result ? success() : Status(result.failure());
}

Result<std::vector<LedgerEntry>> PredictionLedger::entries()
{
    return scored();
}

Result<std::vector<LedgerEntry>> PredictionLedger::scored()
{
    return m_workspace.withStorage([&](Database& database) -> Result<std::vector<LedgerEntry>> {
        Result<std::vector<LedgerRecord>> records = database.ledger().read();
        if (!records)
            return records.failure();

        const DrawTable& history = *m_workspace.history();
        const std::vector<qint32>& issues = history.issues();
        const QString lotteryType = chosenLotteryType(m_workspace);
        std::vector<LedgerScoreChange> changes;
        std::vector<LedgerEntry> entries;
        PickTally running;
        for (LedgerRecord& record : *records) {
            LedgerEntry entry;
            entry.picks = LedgerScoring::picksOf(record.picks);
            // An entry without a type was made before types were recorded: it is scored against
            // whatever history is stored, as it always was.
            entry.otherLotteryType = record.lotteryType && *record.lotteryType != lotteryType;
            if (!entry.otherLotteryType) {
                const bool killedPicks = LedgerScoring::picksWereKilled(record);
                std::optional<LedgerScore> now;
                const auto at = std::lower_bound(issues.begin(), issues.end(), record.issue);
                if (at != issues.end() && *at == record.issue)
                    now = LedgerScoring::score(entry.picks, history.numbers(int(at - issues.begin())),
                                               killedPicks);
                if (now != record.score) {
                    changes.push_back({record.id, now});
                    record.score = now;
                }
                entry.tallied = record.score && !killedPicks;
            }
            if (entry.tallied)
                running.add(record.score->right, record.score->trials);
            entry.running = running;
            entry.record = std::move(record);
            entries.push_back(std::move(entry));
        }
        if (!changes.empty() && !database.isReadOnly()) {
            if (Status written = database.ledger().updateScores(changes); !written)
                return written.failure();
        }
        return entries;
    });
}

LedgerSummary PredictionLedger::summary(const std::vector<LedgerEntry>& entries)
{
    LedgerSummary summary;
    for (const LedgerEntry& entry : entries) {
        if (entry.tallied)
            (entry.record.kill ? summary.kill : summary.keep)
                .add(entry.record.score->right, entry.record.score->trials);
    }
    return summary;
}

Result<int> PredictionLedger::remove(const std::vector<qint64>& ids)
{
    if (ids.empty())
        return 0;
    return m_workspace.withStorage([&](Database& database) -> Result<int> {
        if (!m_workspace.prompts().question(
                QStringLiteral("删除预测记录"),
                QStringLiteral("确定删除选中的 %1 条预测记录吗？").arg(ids.size()),
                Prompts::DefaultButton::Cancel))
            return 0;
        return database.ledger().remove(ids);
    });
}

} // namespace quorvel
