#pragma once

#include "core/FormulaRecord.h"
#include "workspace/Workspace.h"

#include <QString>

#include <vector>

namespace quorvel {

// The rows of the formula list with what the window keeps for each list number: the selection
// mark, the computed value and the results of the last verification pass.
class FormulaList
{
public:
    // Full fill: the rows of `records` (idx order), every formula selected. Computed values and
    // results stay with their list numbers until the next pass replaces them.
    void fill(const std::vector<FormulaRecord>& records);
    // Refill that keeps each formula's mark, computed value and results with the formula itself,
    // so that a list that lost rows does not hand them to its neighbours. Formulas not listed
    // before are selected.
    void refill(const std::vector<FormulaRecord>& records);

    int count() const { return int(m_rows.size()); }
    const std::vector<FormulaListRow>& rows() const { return m_rows; }
    const std::vector<FormulaListResult>& results() const { return m_results; }
    bool contains(int listNumber) const { return listNumber >= 1 && listNumber <= count(); }

    bool isSelected(int listNumber) const;
    void setSelected(int listNumber, bool selected);

    // "" when none; kept for list numbers beyond the list as well, as the window does.
    QString computedValue(int listNumber) const;
    void setComputedValue(int listNumber, const QString& text);

    void setResult(int listNumber, const FormulaListResult& result);

private:
    void setRows(const std::vector<FormulaRecord>& records);

    std::vector<FormulaListRow> m_rows;
    std::vector<qint64> m_rowIds;
    std::vector<char> m_selected;
    std::vector<QString> m_computedValues;
    std::vector<FormulaListResult> m_results;
};

} // namespace quorvel
