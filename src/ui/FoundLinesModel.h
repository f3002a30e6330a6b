#pragma once

#include <QAbstractListModel>
#include <QStringList>

#include <optional>
#include <vector>

namespace quorvel {

// The list `List1` of the search window: the display texts of every formula the search accepted
// while the window lives, in the order found (storing does not clear it), each with its
// family-wise chance "族概率 x%" once that is worked out. Lines arrive in blocks of thousands
// during a search under wide bounds; a block is one insertion. The view may be sorted by the
// family-wise chance; lines() keeps the found order.
class FoundLinesModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void append(const QStringList& lines);
    const QStringList& lines() const { return m_lines; }

    // The family-wise chances of lines first, first + 1, ... (in found order).
    void setFamilywise(int first, const std::vector<double>& chances);
    // Shows the lines with the smallest family-wise chance first (those without one last, each
    // group in found order), or in found order again.
    void sortByFamilywise(bool sorted);
    bool isSortedByFamilywise() const { return m_sorted; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void order();

    QStringList m_lines;
    std::vector<std::optional<double>> m_familywise; // per line, in found order
    std::vector<int> m_order;                        // the line shown in each row
    bool m_sorted = false;
};

} // namespace quorvel
