#include "workspace/FormulaFilters.h"

#include "verification/FormulaFilter.h"
#include "workspace/Workspace.h"

namespace quorvel {

namespace {

std::vector<FilterRow> filterRows(const FormulaList& list)
{
    std::vector<FilterRow> rows;
    rows.reserve(std::size_t(list.count()));
    for (int listNumber = 1; listNumber <= list.count(); ++listNumber)
        rows.push_back({list.results()[std::size_t(listNumber - 1)].statistics, list.row(listNumber).limit});
    return rows;
}

} // namespace

FormulaFilters::FormulaFilters(Workspace& workspace) : m_workspace(workspace) {}

int FormulaFilters::applyLimitFilter()
{
    std::vector<char> marks = m_workspace.formulaList().selectionMarks();
    const int remaining = FormulaFilter::applyLimitFilter(filterRows(m_workspace.formulaList()), marks);
    m_workspace.setSelection(marks);
    return remaining;
}

std::array<int, 8> FormulaFilters::prefilledBounds() const
{
    return FormulaFilter::prefilledBounds(filterRows(m_workspace.formulaList()),
                                          m_workspace.formulaList().selectionMarks());
}

int FormulaFilters::applyRangeFilter(const std::array<QString, 8>& boxTexts)
{
    std::vector<char> marks = m_workspace.formulaList().selectionMarks();
    const int remaining = FormulaFilter::applyRangeFilter(filterRows(m_workspace.formulaList()),
                                                          FormulaFilter::boundsFromTexts(boxTexts), marks);
    m_workspace.setSelection(marks);
    return remaining;
}

} // namespace quorvel
