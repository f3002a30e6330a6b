#include "history/OnlineUpdateStore.h"

#include "core/Database.h"
#include "core/DrawParameters.h"
#include "core/HistoryTable.h"

namespace quorvel {

Result<OnlineUpdateStore::Outcome> OnlineUpdateStore::store(Database& database, const OnlineUpdatePlan& plan,
                                                            QStringView pageText)
{
    return store(database, plan, ResultsPage::read(pageText, plan.issues()));
}

Result<OnlineUpdateStore::Outcome> OnlineUpdateStore::store(Database& database, const OnlineUpdatePlan& plan,
                                                            const ResultsPage::Reading& reading)
{
    Outcome outcome;
    outcome.malformed = int(reading.malformed.size());
    outcome.inconsistent = reading.inconsistent;
    if (reading.draws.empty())
        return outcome;

    std::optional<DrawNumbers> previous;
    if (plan.continuesHistory) {
        const Result<std::optional<Draw>> newest = database.history().newest();
        if (!newest)
            return newest.failure();
        if (*newest)
            previous = (*newest)->numbers();
    }
    outcome.stored.reserve(reading.draws.size());
    for (const ResultsPage::PageDraw& draw : reading.draws) {
        outcome.stored.push_back(
            makeDraw(draw.numbers, draw.issue, previous, plan.drawsPerDay, EntryPath::Online));
        previous = draw.numbers;
    }

    const Status stored = database.transaction(QStringLiteral("在线更新历史号码"), [&]() -> Status {
        if (plan.replacesHistory) {
            if (const Result<int> deleted = database.history().deleteAll(); !deleted)
                return deleted.failure();
        }
        return database.history().insert(outcome.stored);
    });
    if (!stored)
        return stored.failure();
    outcome.replacedHistory = plan.replacesHistory;
    return outcome;
}

} // namespace quorvel
