#include "workspace/SearchResultStore.h"

#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/TermTable.h"
#include "search/FoundList.h"
#include "workspace/Prompts.h"
#include "workspace/UndoHistory.h"
#include "workspace/Workspace.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace quorvel {

const QString SearchResultStore::kDoneTitle = QStringLiteral("追加公式");
const QString SearchResultStore::kDoneMessage = QStringLiteral("公式追加完毕！");
const QString SearchResultStore::kReplaceTitle = QStringLiteral("更新公式");
const QString SearchResultStore::kReplaceMessage =
    QStringLiteral("确实要删除现有公式并更新为搜索到的公式吗？");

namespace {

// The stored formulas a Replace deletes: those of the kinds found for each position.
struct Replaced
{
    int position = 0;
    bool kill = false;
    std::vector<qint64> rowIds;
};

Result<std::vector<Replaced>> replacedFormulas(Database& database, const FoundList& found)
{
    std::array<std::array<bool, 2>, kPositionCount> kinds{};
    for (const FoundList::Group& group : found.groups()) {
        if (group.position < 1 || group.position > kPositionCount)
            continue;
        for (int i = group.first; i < group.first + group.count; ++i)
            kinds[std::size_t(group.position - 1)][found.at(i).kill ? 1 : 0] = true;
    }
    std::vector<Replaced> replaced;
    for (int position = 1; position <= kPositionCount; ++position) {
        for (const bool kill : {true, false}) {
            if (!kinds[std::size_t(position - 1)][kill ? 1 : 0])
                continue;
            const Result<std::vector<FormulaRecord>> stored = database.formulas().read(position, kill);
            if (!stored)
                return stored.failure();
            Replaced of{position, kill, {}};
            for (const FormulaRecord& record : *stored)
                of.rowIds.push_back(record.rowId);
            replaced.push_back(std::move(of));
        }
    }
    return replaced;
}

// "第一位杀码公式 12 条，第三位生码公式 4 条，共 16 条"
QString replacedSummary(const std::vector<Replaced>& replaced)
{
    QStringList parts;
    int total = 0;
    for (const Replaced& of : replaced) {
        parts << QStringLiteral("%1位%2码公式 %3 条")
                     .arg(positionName(of.position), of.kill ? QStringLiteral("杀") : QStringLiteral("生"))
                     .arg(of.rowIds.size());
        total += int(of.rowIds.size());
    }
    return QStringLiteral("%1，共 %2 条").arg(parts.join(QStringLiteral("，"))).arg(total);
}

} // namespace

SearchResultStore::SearchResultStore(Workspace& workspace) : m_workspace(workspace) {}

QString SearchResultStore::doneMessage(const FoundStoreOutcome& outcome, FoundStoreMode mode)
{
    QString counts =
        mode == FoundStoreMode::Append
            ? QStringLiteral("\n写入 %1 条").arg(outcome.stored)
            : QStringLiteral("\n删除原有公式 %1 条，写入 %2 条").arg(outcome.deleted).arg(outcome.stored);
    if (outcome.repeats > 0)
        counts += QStringLiteral("，同输出公式 %1 条未写入").arg(outcome.repeats);
    return kDoneMessage + counts;
}

QString SearchResultStore::operationName(FoundStoreMode mode, bool ask)
{
    if (mode == FoundStoreMode::Append)
        return QStringLiteral("公式追加到数据库(A)");
    return ask ? QStringLiteral("公式更新到数据库(N)") : QStringLiteral("搜索完毕公式自动更新到数据库");
}

Result<FoundStoreOutcome> SearchResultStore::store(const FoundList& found, FoundStoreMode mode, bool ask)
{
    return m_workspace.withStorage([&](Database& database) -> Result<FoundStoreOutcome> {
        FoundStoreOutcome outcome;
        std::vector<Replaced> replaced;
        if (mode == FoundStoreMode::Replace) {
            Result<std::vector<Replaced>> stored = replacedFormulas(database, found);
            if (!stored)
                return stored.failure();
            replaced = std::move(*stored);
        }
        if (mode == FoundStoreMode::Replace && ask && !found.isEmpty()) {
            const QString question =
                kReplaceMessage + QStringLiteral("\n将删除%1。\n删除的公式可用“%2”恢复。")
                                      .arg(replacedSummary(replaced), UndoHistory::kUndoCaption);
            if (!m_workspace.prompts().question(kReplaceTitle, question, Prompts::DefaultButton::Cancel)) {
                outcome.declined = true;
                return outcome;
            }
        }

        // The rebuild drops duplicates and Replace deletes: the tables are kept first.
        UndoHistory undo(m_workspace);
        std::optional<qint64> kept;
        if (!found.isEmpty()) {
            const Result<qint64> keptFormulas = undo.keepFormulas(operationName(mode, ask));
            if (!keptFormulas)
                return keptFormulas.failure();
            kept = *keptFormulas;
        }

        const std::vector<FoundList::Group> groups = found.groups();
        const Status stored = database.transaction(QStringLiteral("保存搜索到的公式"), [&]() -> Status {
            // Append keeps what the tables hold, so found formulas are judged against it too, read
            // under the same lock as the writes; Replace empties the kinds it stores, so only
            // formulas written before count there.
            std::shared_ptr<const StoredCodes> storedNow;
            if (mode == FoundStoreMode::Append && !found.isEmpty()) {
                Result<std::shared_ptr<const StoredCodes>> codes = storedCodes(database);
                if (!codes)
                    return codes.failure();
                storedNow = std::move(*codes);
            }
            RepeatFilter repeats(m_workspace.history(), storedNow);
            // Replace deletes only the stored formulas of the kinds it stores, all before the first
            // append, so that no found formula is deleted with them.
            for (const Replaced& of : replaced) {
                if (Status emptied = database.formulas().deleteRows(of.position, of.rowIds); !emptied)
                    return emptied;
                outcome.deleted += int(of.rowIds.size());
            }
            std::array<bool, kPositionCount> touched{};
            for (const FoundList::Group& group : groups) {
                std::vector<NewFormula> rows;
                rows.reserve(std::size_t(group.count));
                for (int i = group.first; i < group.first + group.count; ++i) {
                    const FoundFormula& formula = found.at(i);
                    if (repeats.isRepeat(formula)) {
                        ++outcome.repeats;
                        continue;
                    }
                    rows.push_back(NewFormula{formula.code, formula.displayText, formula.kill,
                                              formula.limit(), std::nullopt});
                }
                if (rows.empty())
                    continue;
                // The tables refuse a position outside 1..8, which undoes the whole store.
                if (Status appended = database.formulas().append(group.position, rows); !appended)
                    return appended;
                touched[std::size_t(group.position - 1)] = true;
                outcome.stored += int(rows.size());
            }
            for (int position = 1; position <= kPositionCount; ++position) {
                if (!touched[std::size_t(position - 1)])
                    continue;
                if (Status rebuilt = database.formulas().rebuild(position); !rebuilt)
                    return rebuilt;
            }
            return success();
        });
        if (kept)
            undo.finish(*kept, bool(stored));
        if (!stored)
            return stored.failure();
        outcome.refreshed = m_workspace.apply(WorkspaceChange::formulasChanged());
        return outcome;
    });
}

Result<std::array<int, kPositionCount>> SearchResultStore::tableCounts() const
{
    return m_workspace.withStorage([&](Database& database) -> Result<std::array<int, kPositionCount>> {
        std::array<int, kPositionCount> counts{};
        for (int position = 1; position <= kPositionCount; ++position) {
            const Result<int> count = database.formulas().count(position);
            if (!count)
                return count.failure();
            counts[std::size_t(position - 1)] = *count;
        }
        return counts;
    });
}

Result<std::shared_ptr<const StoredCodes>> SearchResultStore::storedCodes() const
{
    return m_workspace.withStorage([](Database& database) -> Result<std::shared_ptr<const StoredCodes>> {
        return storedCodes(database);
    });
}

Result<std::shared_ptr<const StoredCodes>> SearchResultStore::storedCodes(const Database& database)
{
    auto codes = std::make_shared<StoredCodes>();
    for (int position = 1; position <= kPositionCount; ++position) {
        const Result<std::vector<FormulaRecord>> stored = database.formulas().read(position);
        if (!stored)
            return stored.failure();
        for (const FormulaRecord& record : *stored)
            codes->of(position, record.kill).push_back(record.code);
    }
    return std::shared_ptr<const StoredCodes>(std::move(codes));
}

} // namespace quorvel
