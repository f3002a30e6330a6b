#pragma once

#include "core/FormulaRecord.h"

#include <vector>

namespace quorvel {

class Workspace;

// One row of the formula list in a sorted order: a formula of the shown list by its list number,
// with what its table holds.
struct SortedFormulaRow
{
    int listNumber = 0;
    FormulaRecord stored;
};

// The formula list's sort by a statistics column (a double click on 极限值 .. 最后连对): the
// formulas of the shown list (current table and kind) ascending by the value shown in that column
// (empty values first, ties in idx order), or the exact reverse of that order. The other kind
// stays out: the last pass did not verify it, and its rows would carry no list number that
// selection, deletion and prediction could use.
namespace FormulaListSort {

enum class Key
{
    Limit,
    MaxMisses,
    MaxHits,
    LastMisses,
    LastHits
};

std::vector<SortedFormulaRow> sorted(const Workspace& workspace, Key key, bool descending = false);

} // namespace FormulaListSort
} // namespace quorvel
