#pragma once

#include "core/FormulaRecord.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace quorvel {

// What the filters read of formula k of the list (list number k = element k - 1): the run
// statistics of the last verification pass and the limit value as loaded with the list.
struct FilterRow
{
    RunStatistics statistics;
    std::optional<int> limit; // `intGsLim`; empty reads 0
};

// Lower and upper bound per statistic, in the order max misses, max hits, last misses,
// last hits: the boxes `Text1` 2 and 3, 4 and 5, 6 and 7, 8 and 9 of `frmGSGuolv`.
struct RangeBounds
{
    std::array<double, 8> values{};

    double lower(int statistic) const { return values[std::size_t(2 * statistic)]; }
    double upper(int statistic) const { return values[std::size_t(2 * statistic + 1)]; }
};

// The two filters of the formula list. They only clear selection marks, never set one;
// `marks` holds the mark of list number k at element k - 1 and has one element per row.
class FormulaFilter
{
public:
    // `Command133`: a formula stays selected exactly when its last misses are at least its
    // limit value. Returns how many stay selected.
    static int applyLimitFilter(const std::vector<FilterRow>& rows, std::vector<char>& marks);

    // The boxes as the window is shown: per statistic the lowest and the highest value among the
    // selected formulas; 32767 and 0 when none is selected.
    static std::array<int, 8> prefilledBounds(const std::vector<FilterRow>& rows,
                                              const std::vector<char>& marks);
    // A box's text as a number: text that is not a number reads 0.
    static double boxValue(const QString& text);
    static RangeBounds boundsFromTexts(const std::array<QString, 8>& texts);
    // "确定(&K)": a formula keeps its mark only when every statistic lies within its bounds,
    // widened by 0.0001 on both sides. Returns how many stay selected.
    static int applyRangeFilter(const std::vector<FilterRow>& rows, const RangeBounds& bounds,
                                std::vector<char>& marks);

    static int selectedCount(const std::vector<char>& marks);
    // The notice after either filter, titled resultTitle().
    static QString resultMessage(int remaining);
    static QString resultTitle();
};

} // namespace quorvel
