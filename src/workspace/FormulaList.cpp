#include "workspace/FormulaList.h"

#include <unordered_map>

namespace quorvel {

void FormulaList::setRows(const std::vector<FormulaRecord>& records)
{
    m_rows.clear();
    m_rowIds.clear();
    m_rows.reserve(records.size());
    m_rowIds.reserve(records.size());
    for (const FormulaRecord& record : records) {
        m_rows.push_back(FormulaListRow{record.idx.value_or(0), record.code, record.displayText, record.kill,
                                        record.limit});
        m_rowIds.push_back(record.rowId);
    }
}

void FormulaList::fill(const std::vector<FormulaRecord>& records)
{
    setRows(records);
    m_selected.assign(m_rows.size(), 1);
    m_results.resize(m_rows.size());
    if (m_computedValues.size() < m_rows.size())
        m_computedValues.resize(m_rows.size());
}

void FormulaList::refill(const std::vector<FormulaRecord>& records)
{
    std::unordered_map<qint64, std::size_t> oldPlace;
    for (std::size_t i = 0; i < m_rowIds.size(); ++i)
        oldPlace.emplace(m_rowIds[i], i);
    const std::vector<char> oldSelected = m_selected;
    const std::vector<FormulaListResult> oldResults = m_results;
    const std::vector<QString> oldComputed = m_computedValues;

    setRows(records);
    m_selected.assign(m_rows.size(), 1);
    m_results.assign(m_rows.size(), FormulaListResult{});
    m_computedValues.assign(m_rows.size(), QString());
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const auto found = oldPlace.find(m_rowIds[i]);
        if (found == oldPlace.end())
            continue;
        const std::size_t old = found->second;
        m_selected[i] = old < oldSelected.size() ? oldSelected[old] : 1;
        m_results[i] = old < oldResults.size() ? oldResults[old] : FormulaListResult{};
        m_computedValues[i] = old < oldComputed.size() ? oldComputed[old] : QString();
    }
}

bool FormulaList::isSelected(int listNumber) const
{
    return contains(listNumber) && m_selected[std::size_t(listNumber - 1)] != 0;
}

void FormulaList::setSelected(int listNumber, bool selected)
{
    if (contains(listNumber))
        m_selected[std::size_t(listNumber - 1)] = selected ? 1 : 0;
}

QString FormulaList::computedValue(int listNumber) const
{
    if (listNumber < 1 || listNumber > int(m_computedValues.size()))
        return QString();
    return m_computedValues[std::size_t(listNumber - 1)];
}

void FormulaList::setComputedValue(int listNumber, const QString& text)
{
    if (listNumber < 1)
        return;
    if (int(m_computedValues.size()) < listNumber)
        m_computedValues.resize(std::size_t(listNumber));
    m_computedValues[std::size_t(listNumber - 1)] = text;
}

void FormulaList::setResult(int listNumber, const FormulaListResult& result)
{
    if (contains(listNumber))
        m_results[std::size_t(listNumber - 1)] = result;
}

} // namespace quorvel
