#include "workspace/SearchResultStore.h"

#include "core/Database.h"
#include "core/FormulaTables.h"
#include "search/FoundList.h"
#include "workspace/Prompts.h"
#include "workspace/Workspace.h"

#include <vector>

namespace quorvel {

const QString SearchResultStore::kDoneTitle = QStringLiteral("追加公式");
const QString SearchResultStore::kDoneMessage = QStringLiteral("公式追加完毕！");
const QString SearchResultStore::kReplaceTitle = QStringLiteral("更新公式");
const QString SearchResultStore::kReplaceMessage =
    QStringLiteral("确实要删除现有公式并更新为搜索到的公式吗？");

SearchResultStore::SearchResultStore(Workspace& workspace) : m_workspace(workspace) {}

Result<FoundStoreOutcome> SearchResultStore::store(const FoundList& found, FoundStoreMode mode, bool ask)
{
    const Result<Database*> storage = m_workspace.storage();
    if (!storage)
        return storage.failure();
    Database& database = **storage;

    FoundStoreOutcome outcome;
    if (mode == FoundStoreMode::Replace && ask && !found.isEmpty() &&
        !m_workspace.prompts().question(kReplaceTitle, kReplaceMessage)) {
        outcome.declined = true;
        return outcome;
    }

    const std::vector<FoundList::Group> groups = found.groups();
    const Status stored = database.transaction(QStringLiteral("保存搜索到的公式"), [&]() -> Status {
        std::array<bool, kPositionCount> touched{};
        for (const FoundList::Group& group : groups) {
            // The tables refuse a position outside 1..8, which undoes the whole store.
            const bool known = group.position >= 1 && group.position <= kPositionCount;
            const bool first = !known || !touched[std::size_t(group.position - 1)];
            if (mode == FoundStoreMode::Replace && first) {
                if (Status emptied = database.formulas().deleteAll(group.position); !emptied)
                    return emptied;
            }
            std::vector<NewFormula> rows;
            rows.reserve(std::size_t(group.count));
            for (int i = group.first; i < group.first + group.count; ++i) {
                const FoundFormula& formula = found.at(i);
                rows.push_back(NewFormula{formula.code, formula.displayText, formula.kill, formula.limit(),
                                          std::nullopt});
            }
            if (Status appended = database.formulas().append(group.position, rows); !appended)
                return appended;
            touched[std::size_t(group.position - 1)] = true;
            outcome.stored += group.count;
        }
        for (int position = 1; position <= kPositionCount; ++position) {
            if (!touched[std::size_t(position - 1)])
                continue;
            if (Status rebuilt = database.formulas().rebuild(position); !rebuilt)
                return rebuilt;
        }
        return success();
    });
    if (!stored)
        return stored.failure();
    outcome.refreshed = m_workspace.refreshFormulasAndVerify();
    return outcome;
}

Result<std::array<int, kPositionCount>> SearchResultStore::tableCounts() const
{
    const Result<Database*> storage = m_workspace.storage();
    if (!storage)
        return storage.failure();
    std::array<int, kPositionCount> counts{};
    for (int position = 1; position <= kPositionCount; ++position) {
        const Result<int> count = (*storage)->formulas().count(position);
        if (!count)
            return count.failure();
        counts[std::size_t(position - 1)] = *count;
    }
    return counts;
}

} // namespace quorvel
