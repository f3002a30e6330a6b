#include "workspace/FormulaListSort.h"

#include "workspace/Workspace.h"

#include <algorithm>
#include <optional>

namespace quorvel {
namespace FormulaListSort {

namespace {

std::optional<int> statistic(const RunStatistics& statistics, Key key)
{
    switch (key) {
    case Key::MaxMisses:
        return statistics.maxMisses;
    case Key::MaxHits:
        return statistics.maxHits;
    case Key::LastMisses:
        return statistics.lastMisses;
    case Key::LastHits:
        return statistics.lastHits;
    case Key::Limit:
        break;
    }
    return std::nullopt;
}

} // namespace

std::vector<SortedFormulaRow> sorted(const Workspace& workspace, Key key, bool descending)
{
    const FormulaList& list = workspace.formulaList();
    const bool kill = workspace.currentKindIsKill();
    std::vector<SortedFormulaRow> rows;
    std::vector<std::optional<int>> keys;
    int listNumber = 0;
    for (const FormulaRecord& record : list.tableRows()) {
        if (record.kill != kill || ++listNumber > list.count())
            continue;
        const std::optional<int> value =
            key == Key::Limit ? record.limit
                              : statistic(list.results()[std::size_t(listNumber - 1)].statistics, key);
        rows.push_back({listNumber, record});
        keys.push_back(value);
    }
    std::vector<std::size_t> order(rows.size());
    for (std::size_t r = 0; r < order.size(); ++r)
        order[r] = r;
    // Empty values first, as an ascending SQL order puts them; the table's order among equals.
    std::stable_sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) {
        if (!keys[a] || !keys[b])
            return !keys[a] && keys[b].has_value();
        return *keys[a] < *keys[b];
    });
    if (descending)
        std::reverse(order.begin(), order.end());
    std::vector<SortedFormulaRow> result;
    result.reserve(rows.size());
    for (const std::size_t r : order)
        result.push_back(std::move(rows[r]));
    return result;
}

} // namespace FormulaListSort
} // namespace quorvel
