#pragma once

#include "core/FormulaRecord.h"

#include <vector>

namespace quorvel {

class Workspace;

// One row of the formula list in a sorted order: a formula of the shown kind by its list number,
// or (list number 0) a formula of the other kind, shown with what its table holds.
struct SortedFormulaRow
{
    int listNumber = 0;
    FormulaRecord stored;
};

// The formula list's sort by a statistics column (a double click on 极限值 .. 最后连对): every
// formula of the current table, both kinds, ascending by the value shown in that column (empty
// values first, ties in idx order). Formulas of the shown kind show the results of the last pass;
// the other kind was not verified by it and shows its stored statistics.
namespace FormulaListSort {

enum class Key
{
    Limit,
    MaxMisses,
    MaxHits,
    LastMisses,
    LastHits
};

std::vector<SortedFormulaRow> sorted(const Workspace& workspace, Key key);

} // namespace FormulaListSort
} // namespace quorvel
