#pragma once

#include "core/FormulaRecord.h"

#include <QString>

#include <optional>

namespace quorvel {

// One row of the formula list (`MSFlexGrid2`), by list number (1-based place in idx order among
// the current table's formulas of the current kind).
struct FormulaListRow
{
    int idx = 0;              // the formula's number in its table (hidden column 10)
    QString code;             // `gongshi`
    QString displayText;      // `gongshiCN`
    bool kill = false;        // `bolKill`
    std::optional<int> limit; // `intGsLim` as read at the last fill
    qint64 rowId = 0;         // the stored row
};

// What the last verification pass found for one list number.
struct FormulaListResult
{
    bool evaluable = true;    // false: the code does not evaluate; shown marked, statistics 0
    RunStatistics statistics; // columns 6..9
    int outcomes = 0;         // window draws counted
    int hits = 0;             // window draws it got right
    qint64 hitWeight = 0;
    qint64 totalWeight = 0;
};

} // namespace quorvel
