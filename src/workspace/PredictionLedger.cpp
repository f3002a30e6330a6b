#include "workspace/PredictionLedger.h"

#include "core/Database.h"
#include "core/LedgerTable.h"
#include "history/DrawEntry.h"
#include "verification/LedgerScoring.h"
#include "workspace/PredictionState.h"
#include "workspace/Workspace.h"

#include <QDateTime>

#include <algorithm>

namespace quorvel {

PredictionLedger::PredictionLedger(Workspace& workspace) : m_workspace(workspace) {}

Status PredictionLedger::record(const PredictionState& state)
{
    const Result<Database*> storage = m_workspace.storage();
    if (!storage)
        return storage.failure();
    if ((*storage)->isReadOnly() || !state.lastMethod())
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
    record.kill = m_workspace.currentKindIsKill();
    record.quota = state.quota();
    record.positions = state.shownPosition();
    record.picks = LedgerScoring::picksText(pages);
    const Result<qint64> stored = (*storage)->ledger().append(record);
    if (!stored)
        return stored.failure();
    return success();
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
    const Result<Database*> storage = m_workspace.storage();
    if (!storage)
        return storage.failure();
    Result<std::vector<LedgerRecord>> records = (*storage)->ledger().read();
    if (!records)
        return records.failure();

    const DrawTable& history = *m_workspace.history();
    const std::vector<qint32>& issues = history.issues();
    std::vector<LedgerScoreChange> changes;
    std::vector<LedgerEntry> entries;
    PickTally running;
    for (LedgerRecord& record : *records) {
        LedgerEntry entry;
        entry.picks = LedgerScoring::picksOf(record.picks);
        std::optional<LedgerScore> now;
        const auto at = std::lower_bound(issues.begin(), issues.end(), record.issue);
        if (at != issues.end() && *at == record.issue)
            now = LedgerScoring::score(entry.picks, history.numbers(int(at - issues.begin())), record.kill);
        if (now != record.score) {
            changes.push_back({record.id, now});
            record.score = now;
        }
        if (record.score)
            running.add(record.score->right, record.score->trials, record.kill);
        entry.running = running;
        entry.record = std::move(record);
        entries.push_back(std::move(entry));
    }
    if (!changes.empty() && !(*storage)->isReadOnly()) {
        if (Status written = (*storage)->ledger().updateScores(changes); !written)
            return written.failure();
    }
    return entries;
}

LedgerSummary PredictionLedger::summary(const std::vector<LedgerEntry>& entries)
{
    LedgerSummary summary;
    for (const LedgerEntry& entry : entries) {
        if (entry.record.score)
            (entry.record.kill ? summary.kill : summary.keep)
                .add(entry.record.score->right, entry.record.score->trials, entry.record.kill);
    }
    return summary;
}

} // namespace quorvel
