#include "ui/tools/ParameterReferenceModel.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

namespace quorvel {

ParameterReferenceModel::ParameterReferenceModel(QObject* parent)
    : QAbstractTableModel(parent), m_grid(ParameterReference::cells(std::nullopt))
{
}

void ParameterReferenceModel::fill(const std::optional<Draw>& newestDraw)
{
    m_grid = ParameterReference::cells(newestDraw);
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}

QString ParameterReferenceModel::cellText(int gridRow, int column) const
{
    if (gridRow < 0 || gridRow >= ParameterReference::kRowCount || column < 0 ||
        column >= ParameterReference::kColumnCount)
        return QString();
    return m_grid[std::size_t(gridRow)][std::size_t(column)];
}

int ParameterReferenceModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ParameterReference::kRowCount - 1;
}

int ParameterReferenceModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ParameterReference::kColumnCount;
}

QVariant ParameterReferenceModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cellText(index.row() + 1, index.column());
    // The label column is the grid's fixed column.
    if (role == Qt::BackgroundRole && index.column() == 0)
        return QBrush(QGuiApplication::palette().color(QPalette::Button));
    if (role == Qt::TextAlignmentRole && index.column() > 0)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ParameterReferenceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return cellText(0, section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace quorvel
