#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace quorvel {

// The list `List1` of the search window: the display texts of every formula the search accepted
// while the window lives, in the order found (storing does not clear it). Lines arrive in blocks
// of thousands during a search under wide bounds; a block is one insertion.
class FoundLinesModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void append(const QStringList& lines);
    const QStringList& lines() const { return m_lines; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QStringList m_lines;
};

} // namespace quorvel
