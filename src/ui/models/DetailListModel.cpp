#include "ui/models/DetailListModel.h"

namespace quorvel {

namespace {
constexpr int kTwipsPerPixel = 15;
constexpr int kColumnWidthsTwips[DetailListModel::kColumnCount] = {600, 8000, 600, 600, 600};
} // namespace

DetailListModel::DetailListModel(QObject* parent) : QAbstractTableModel(parent) {}

int DetailListModel::columnWidthPixels(int column)
{
    return kColumnWidthsTwips[column] / kTwipsPerPixel;
}

void DetailListModel::setList(DetailList list)
{
    beginResetModel();
    m_list = std::move(list);
    endResetModel();
}

int DetailListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_list.rowCount;
}

int DetailListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant DetailListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (index.row() >= int(m_list.rows.size()))
        return {};
    const DetailListRow& row = m_list.rows[std::size_t(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case 0:
            return row.number;
        case 1:
            return row.formula;
        case 2:
            return row.positionName;
        case 3:
            return row.kindCaption;
        default:
            return row.computedValue;
        }
    }
    if (role == Qt::TextAlignmentRole)
        return index.column() == 1 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter) : QVariant(Qt::AlignCenter);
    return {};
}

QVariant DetailListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return detailListHeaders().at(section);
}

} // namespace quorvel
