#pragma once

#include <QString>

#include <array>

namespace quorvel {

class Workspace;

// The two filters of the formula list over the statistics of the last verification pass and the
// limit values as loaded with the list: `Command133` and the range filter window `frmGSGuolv`.
// They only clear selection marks; each returns how many formulas stay selected, for the notice
// "过滤后公式剩余" + count + "条" (FormulaFilter::resultMessage).
class FormulaFilters
{
public:
    explicit FormulaFilters(Workspace& workspace);

    // "滤非极限公式(&L)": a formula stays selected when its last misses reach its limit value.
    int applyLimitFilter();
    // The eight boxes as the filter window is shown: per statistic the lowest and highest value
    // among the selected formulas (32767 and 0 when none is selected).
    std::array<int, 8> prefilledBounds() const;
    // "确定(&K)" with the boxes' texts in the order max misses, max hits, last misses, last hits
    // (lower bound first); text that is not a number reads 0.
    int applyRangeFilter(const std::array<QString, 8>& boxTexts);

private:
    Workspace& m_workspace;
};

} // namespace quorvel
