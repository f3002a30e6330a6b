#include "ui/FoundLinesModel.h"

#include "verification/ChanceBaseline.h"

#include <algorithm>
#include <numeric>

namespace quorvel {

void FoundLinesModel::append(const QStringList& lines)
{
    if (lines.isEmpty())
        return;
    const int first = int(m_lines.size());
    beginInsertRows({}, first, first + int(lines.size()) - 1);
    m_lines << lines;
    m_familywise.resize(std::size_t(m_lines.size()));
    // New lines have no family-wise chance yet, so they belong at the end in either order.
    for (int line = first; line < int(m_lines.size()); ++line)
        m_order.push_back(line);
    endInsertRows();
}

void FoundLinesModel::setFamilywise(int first, const std::vector<double>& chances)
{
    const int end = std::min(int(m_lines.size()), first + int(chances.size()));
    if (first < 0 || first >= end)
        return;
    for (int line = first; line < end; ++line)
        m_familywise[std::size_t(line)] = chances[std::size_t(line - first)];
    if (m_sorted) {
        beginResetModel();
        order();
        endResetModel();
    } else {
        Q_EMIT dataChanged(index(first), index(end - 1));
    }
}

void FoundLinesModel::sortByFamilywise(bool sorted)
{
    if (sorted == m_sorted)
        return;
    beginResetModel();
    m_sorted = sorted;
    order();
    endResetModel();
}

void FoundLinesModel::order()
{
    std::iota(m_order.begin(), m_order.end(), 0);
    if (!m_sorted)
        return;
    std::stable_sort(m_order.begin(), m_order.end(), [this](int a, int b) {
        const std::optional<double>& first = m_familywise[std::size_t(a)];
        const std::optional<double>& second = m_familywise[std::size_t(b)];
        return first && (!second || *first < *second);
    });
}

int FoundLinesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant FoundLinesModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_lines.size())
        return {};
    const int line = m_order[std::size_t(index.row())];
    const std::optional<double>& familywise = m_familywise[std::size_t(line)];
    if (!familywise)
        return m_lines.at(line);
    return m_lines.at(line) + QStringLiteral("    族概率 ") + ChanceBaseline::percentText(*familywise);
}

} // namespace quorvel
