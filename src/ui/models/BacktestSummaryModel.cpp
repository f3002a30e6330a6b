#include "ui/models/BacktestSummaryModel.h"

#include "core/TermTable.h"

namespace quorvel {

namespace {

const char* const kHeaders[BacktestSummaryModel::ColumnCount] = {
    "位置", "选号数", "正确", "正确率", "随机正确率", "随机期望", "随机达到此数的概率"};

QString rateText(double rate)
{
    return QString::number(100 * rate, 'f', 2) + QLatin1Char('%');
}

} // namespace

BacktestSummaryModel::BacktestSummaryModel(QObject* parent) : QAbstractTableModel(parent) {}

void BacktestSummaryModel::setResult(const BacktestResult& result)
{
    beginResetModel();
    m_rows = result.positions;
    m_rows.push_back(result.overall);
    endResetModel();
}

int BacktestSummaryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int BacktestSummaryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BacktestSummaryModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const PickTally& tally = m_rows[std::size_t(index.row())];
    const bool overall = index.row() == int(m_rows.size()) - 1;
    if (role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case PositionColumn:
        return overall ? QStringLiteral("合计") : positionName(index.row() + 1);
    case TrialsColumn:
        return tally.trials;
    case RightColumn:
        return tally.right;
    case RateColumn:
        return tally.trials > 0 ? rateText(tally.rate()) : QString();
    case ChanceColumn:
        return rateText(kPickChance);
    case ExpectedColumn:
        return QString::number(tally.expected(), 'f', 1);
    case PValueColumn:
        return ChanceBaseline::percentText(tally.pValue());
    default:
        return {};
    }
}

QVariant BacktestSummaryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString::fromUtf8(kHeaders[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace quorvel
