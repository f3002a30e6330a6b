#pragma once

#include "verification/Ranking.h"

#include <QAbstractTableModel>

namespace quorvel {

// The grid `MSFlexGrid1` of the detail list `frmXxlb`: the selected formulas of the formula list,
// numbered from 1, with their position, kind and computed value; rows beyond those stay empty.
class DetailListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kColumnCount = 5;

    explicit DetailListModel(QObject* parent = nullptr);

    static int columnWidthPixels(int column);
    void setList(DetailList list);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    DetailList m_list;
};

} // namespace quorvel
