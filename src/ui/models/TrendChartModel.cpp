#include "ui/models/TrendChartModel.h"

#include "verification/TrendTables.h"

#include <QColor>

namespace quorvel {

TrendChartModel::TrendChartModel(QObject* parent) : QAbstractTableModel(parent)
{
    setChart(std::make_shared<const DrawTable>(), TrendScope{}, 0);
}

void TrendChartModel::setChart(std::shared_ptr<const DrawTable> history, TrendScope scope, int range)
{
    beginResetModel();
    m_history = std::move(history);
    m_scope = scope;
    m_chart.emplace(*m_history, scope, TrendRange::newest(m_history->drawCount(), range));
    endResetModel();
}

void TrendChartModel::setOmissionsShown(bool shown)
{
    if (m_omissionsShown == shown)
        return;
    m_omissionsShown = shown;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, numberColumn(1)), index(rowCount() - 1, numberColumn(kHighestNumber)),
                           {Qt::DisplayRole});
}

int TrendChartModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_chart->rowCount();
}

int TrendChartModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return TrendTables::chartColumnCount(m_scope);
}

QVariant TrendChartModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    const int row = index.row();
    const int column = index.column();
    if (column == kIssueColumn) {
        if (role != Qt::DisplayRole)
            return {};
        return TrendTables::issueText(m_history->issues()[std::size_t(m_chart->range().first + row)]);
    }
    if (column <= kHighestNumber)
        return numberCell(row, column, role);
    return role == Qt::DisplayRole ? shapeCell(row, column - kHighestNumber - 1) : QVariant();
}

QVariant TrendChartModel::numberCell(int row, int number, int role) const
{
    const bool hit = m_chart->isHit(row, number);
    switch (role) {
    case Qt::DisplayRole:
        if (hit)
            return TrendTables::chartHeader(number);
        return m_omissionsShown ? QString::number(m_chart->omission(row, number)) : QString();
    case Qt::ForegroundRole:
        return hit ? QColor(Qt::white) : QColor(Qt::gray);
    case HitRole:
        return hit;
    case LayerRole:
        // The omission still running at the newest draw covers the column's bottom rows.
        return !hit && row >= rowCount() - m_chart->number(number).current;
    default:
        return {};
    }
}

QVariant TrendChartModel::shapeCell(int row, int shapeColumn) const
{
    return TrendTables::shapeText(drawShape(*m_history, m_chart->range().first + row), shapeColumn);
}

QVariant TrendChartModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return TrendTables::chartHeader(section);
}

TrendFooterModel::TrendFooterModel(const TrendChartModel& chart, QObject* parent)
    : QAbstractTableModel(parent), m_chart(chart)
{
    connect(&chart, &QAbstractItemModel::modelAboutToBeReset, this, &TrendFooterModel::beginResetModel);
    connect(&chart, &QAbstractItemModel::modelReset, this, &TrendFooterModel::endResetModel);
}

int TrendFooterModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : TrendTables::kFooterRowCount;
}

int TrendFooterModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_chart.columnCount();
}

QVariant TrendFooterModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    const int column = index.column();
    if (column == TrendChartModel::kIssueColumn)
        return TrendTables::footerLabel(index.row());
    if (column > kHighestNumber)
        return {};
    return TrendTables::footerText(m_chart.chart().number(column), index.row());
}

} // namespace quorvel
