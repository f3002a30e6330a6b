#include "workspace/FormulaList.h"

#include <unordered_map>

namespace quorvel {

void FormulaList::setRows(const std::vector<FormulaRecord>& tableRows, bool kill)
{
    m_kill = kill;
    m_tableRows = tableRows;
    m_rows.clear();
    m_compiled.clear();
    for (const FormulaRecord& record : m_tableRows) {
        if (record.kill != kill)
            continue;
        m_rows.push_back(FormulaListRow{record.idx.value_or(0), record.code, record.displayText, record.kill,
                                        record.limit, record.rowId});
        Result<CompiledFormula> compiled = CompiledFormula::compile(record.code);
        m_compiled.push_back(compiled ? std::optional<CompiledFormula>(std::move(*compiled)) : std::nullopt);
    }
}

void FormulaList::fill(const std::vector<FormulaRecord>& tableRows, bool kill)
{
    setRows(tableRows, kill);
    m_selected.assign(m_rows.size(), 1);
    m_results.resize(m_rows.size());
    if (m_computedValues.size() < m_rows.size())
        m_computedValues.resize(m_rows.size());
}

void FormulaList::refill(const std::vector<FormulaRecord>& tableRows, bool kill)
{
    std::unordered_map<qint64, std::size_t> oldPlace;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        oldPlace.emplace(m_rows[i].rowId, i);
    const std::vector<char> oldSelected = m_selected;
    const std::vector<FormulaListResult> oldResults = m_results;
    const std::vector<QString> oldComputed = m_computedValues;

    setRows(tableRows, kill);
    m_selected.assign(m_rows.size(), 1);
    m_results.assign(m_rows.size(), FormulaListResult{});
    m_computedValues.assign(m_rows.size(), QString());
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const auto found = oldPlace.find(m_rows[i].rowId);
        if (found == oldPlace.end())
            continue;
        const std::size_t old = found->second;
        m_selected[i] = old < oldSelected.size() ? oldSelected[old] : 1;
        m_results[i] = old < oldResults.size() ? oldResults[old] : FormulaListResult{};
        m_computedValues[i] = old < oldComputed.size() ? oldComputed[old] : QString();
    }
}

void FormulaList::clear()
{
    setRows({}, m_kill);
    m_selected.clear();
    m_results.clear();
}

const CompiledFormula* FormulaList::compiled(int listNumber) const
{
    if (!contains(listNumber) || !m_compiled[std::size_t(listNumber - 1)])
        return nullptr;
    return &*m_compiled[std::size_t(listNumber - 1)];
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

std::vector<FormulaRowUpdate> FormulaList::writeBackUpdates() const
{
    std::vector<FormulaRowUpdate> updates;
    std::size_t listIndex = 0; // rows of the shown kind passed so far
    for (std::size_t rank = 0; rank < m_tableRows.size(); ++rank) {
        const FormulaRecord& stored = m_tableRows[rank];
        FormulaRowUpdate update{stored.rowId, int(rank + 1), std::nullopt, stored.code, stored.displayText};
        if (stored.kill == m_kill && listIndex < m_results.size())
            update.statistics = m_results[listIndex++].statistics;
        const bool renumbered = stored.idx != update.idx;
        const bool newStatistics = update.statistics && stored.statistics != update.statistics;
        if (renumbered || newStatistics)
            updates.push_back(update);
    }
    return updates;
}

bool FormulaList::applyWriteBack(const std::vector<FormulaRowUpdate>& updates)
{
    std::unordered_map<qint64, const FormulaRowUpdate*> byRow;
    for (const FormulaRowUpdate& update : updates)
        byRow.emplace(update.rowId, &update);
    for (FormulaRecord& stored : m_tableRows) {
        const auto found = byRow.find(stored.rowId);
        if (found == byRow.end())
            continue;
        stored.idx = found->second->idx;
        if (found->second->statistics)
            stored.statistics = found->second->statistics;
    }
    bool renumbered = false;
    for (FormulaListRow& row : m_rows) {
        if (const auto found = byRow.find(row.rowId); found != byRow.end() && row.idx != found->second->idx) {
            row.idx = found->second->idx;
            renumbered = true;
        }
    }
    return renumbered;
}

} // namespace quorvel
