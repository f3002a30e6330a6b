#pragma once

#include "core/FormulaRecord.h"
#include "formulas/CompiledFormula.h"
#include "workspace/FormulaListRow.h"

#include <QString>

#include <optional>
#include <vector>

namespace quorvel {

// The rows of the formula list with what the window keeps for each list number: the selection
// mark, the computed value, the compiled code and the results of the last verification pass. It
// also remembers every row of the table it was filled from (both kinds), so the verification's
// write-back knows the table's numbering without reading it again.
class FormulaList
{
public:
    // Full fill from the rows of a table (idx order, both kinds) for the kind shown: every formula
    // selected. Computed values stay with their list numbers until the next pass replaces them.
    void fill(const std::vector<FormulaRecord>& tableRows, bool kill);
    // Refill that keeps each formula's mark, computed value and results with the formula itself,
    // so that a list that lost rows does not hand them to its neighbours. Formulas not listed
    // before are selected.
    void refill(const std::vector<FormulaRecord>& tableRows, bool kill);
    void clear();

    int count() const { return int(m_rows.size()); }
    const std::vector<FormulaListRow>& rows() const { return m_rows; }
    const std::vector<FormulaListResult>& results() const { return m_results; }
    bool contains(int listNumber) const { return listNumber >= 1 && listNumber <= count(); }
    const FormulaListRow& row(int listNumber) const { return m_rows[std::size_t(listNumber - 1)]; }
    // The compiled code of a list number; null when the code is not of the grammar.
    const CompiledFormula* compiled(int listNumber) const;
    // Every row of the table the list was filled from, idx order.
    const std::vector<FormulaRecord>& tableRows() const { return m_tableRows; }

    bool isSelected(int listNumber) const;
    void setSelected(int listNumber, bool selected);
    const std::vector<char>& selectionMarks() const { return m_selected; }

    // "" when none; kept for list numbers beyond the list as well, as the window does.
    QString computedValue(int listNumber) const;
    void setComputedValue(int listNumber, const QString& text);

    void setResult(int listNumber, const FormulaListResult& result);

    // The write-back of the last pass: the table renumbered 1..n in idx order, the shown kind's
    // rows with the statistics of their list numbers. Only rows whose number or statistics change
    // are listed.
    std::vector<FormulaRowUpdate> writeBackUpdates() const;
    // Takes the numbers and statistics of a completed write-back as stored; true when a formula
    // of the list changed its number.
    bool applyWriteBack(const std::vector<FormulaRowUpdate>& updates);

private:
    void setRows(const std::vector<FormulaRecord>& tableRows, bool kill);

    bool m_kill = false;
    std::vector<FormulaRecord> m_tableRows;
    std::vector<FormulaListRow> m_rows;
    std::vector<std::optional<CompiledFormula>> m_compiled;
    std::vector<char> m_selected;
    std::vector<QString> m_computedValues;
    std::vector<FormulaListResult> m_results;
};

} // namespace quorvel
