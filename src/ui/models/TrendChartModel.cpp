#include "ui/models/TrendChartModel.h"

#include "verification/ChanceBaseline.h"

#include <QColor>

namespace quorvel {

namespace {

const QString kShapeHeaders[TrendChartModel::kShapeColumnCount] = {
    QStringLiteral("和值"), QStringLiteral("跨度"), QStringLiteral("奇偶比"), QStringLiteral("大小比"),
    QStringLiteral("重号")};

QString twoDigits(int number)
{
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

} // namespace

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
    return 1 + kHighestNumber + (m_scope.isEveryPosition() ? kShapeColumnCount : 0);
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
        return QStringLiteral("%1").arg(m_history->issues()[std::size_t(m_chart->range().first + row)], 8, 10,
                                        QLatin1Char('0'));
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
            return twoDigits(number);
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
    const DrawShape shape = drawShape(*m_history, m_chart->range().first + row);
    switch (shapeColumn) {
    case 0:
        return shape.sum;
    case 1:
        return shape.span;
    case 2:
        return QStringLiteral("%1:%2").arg(shape.odd).arg(shape.even());
    case 3:
        return QStringLiteral("%1:%2").arg(shape.big).arg(shape.small());
    default:
        return shape.repeated ? QString::number(*shape.repeated) : QStringLiteral("-");
    }
}

QVariant TrendChartModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == kIssueColumn)
        return QStringLiteral("期号");
    if (section <= kHighestNumber)
        return twoDigits(section);
    return kShapeHeaders[section - kHighestNumber - 1];
}

namespace {

enum FooterRow { Hits, AverageMiss, LongestMiss, LongestRun, CurrentMiss, Chance, FooterRowCount };

const QString kFooterLabels[FooterRowCount] = {QStringLiteral("出现次数"), QStringLiteral("平均遗漏"),
                                               QStringLiteral("最大遗漏"), QStringLiteral("最大连出"),
                                               QStringLiteral("当前遗漏"), QStringLiteral("随机概率")};

} // namespace

TrendFooterModel::TrendFooterModel(const TrendChartModel& chart, QObject* parent)
    : QAbstractTableModel(parent), m_chart(chart)
{
    connect(&chart, &QAbstractItemModel::modelAboutToBeReset, this, &TrendFooterModel::beginResetModel);
    connect(&chart, &QAbstractItemModel::modelReset, this, &TrendFooterModel::endResetModel);
}

int TrendFooterModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FooterRowCount;
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
        return kFooterLabels[index.row()];
    if (column > kHighestNumber)
        return {};
    const NumberTrend& figures = m_chart.chart().number(column);
    switch (FooterRow(index.row())) {
    case Hits:
        return figures.hits;
    case AverageMiss:
        return figures.avgMiss;
    case LongestMiss:
        return figures.maxMiss;
    case LongestRun:
        return figures.maxRun;
    case CurrentMiss:
        return figures.current;
    case Chance:
    case FooterRowCount:
        break;
    }
    return ChanceBaseline::percentText(figures.chance);
}

} // namespace quorvel
