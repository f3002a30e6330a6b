#include "ui/models/LedgerModel.h"

#include "history/DrawEntry.h"
#include "verification/LedgerScoring.h"

#include <QStringList>

namespace quorvel {

namespace {

const char* const kHeaders[LedgerModel::ColumnCount] = {"序号",     "预测期号",  "预测时间",   "彩种",
                                                        "计算方法", "生杀",      "限额",       "选号（按位）",
                                                        "开奖号码", "正确/选号", "累计正确率", "随机正确率"};

QString rateText(double rate)
{
    return QString::number(100 * rate, 'f', 2) + QLatin1Char('%');
}

} // namespace

LedgerModel::LedgerModel(QObject* parent) : QAbstractTableModel(parent) {}

void LedgerModel::setEntries(std::vector<LedgerEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

int LedgerModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int LedgerModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LedgerModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const LedgerEntry& entry = m_entries[std::size_t(index.row())];
    const LedgerRecord& record = entry.record;
    if (role == Qt::TextAlignmentRole)
        return QVariant(index.column() == PicksColumn ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case NumberColumn:
        return index.row() + 1;
    case IssueColumn:
        return DrawEntry::issueText(record.issue);
    case MadeColumn:
        return record.made;
    case TypeColumn:
        return record.lotteryType.value_or(QString());
    case MethodColumn:
        return record.method == QLatin1String("best") ? QStringLiteral("最优公式法")
                                                      : QStringLiteral("计算选中公式");
    case KindColumn:
        return record.kill ? QStringLiteral("杀") : QStringLiteral("生");
    case QuotaColumn:
        return record.quota;
    case PicksColumn:
        return LedgerScoring::picksText(entry.picks, QStringLiteral(" | "), QStringLiteral("-"));
    case DrawnColumn:
        if (entry.otherLotteryType)
            return QStringLiteral("其他彩种");
        return record.score ? record.score->drawn : QStringLiteral("待开奖");
    case RightColumn:
        return record.score && !entry.otherLotteryType
                   ? QStringLiteral("%1/%2").arg(record.score->right).arg(record.score->trials)
                   : QString();
    case RunningColumn:
        return entry.running.trials > 0 ? rateText(entry.running.rate()) : QString();
    case ChanceRateColumn:
        return entry.running.trials > 0 ? rateText(entry.running.chanceRate()) : QString();
    default:
        return {};
    }
}

std::vector<qint64> LedgerModel::ids(const QList<int>& rows) const
{
    std::vector<qint64> ids;
    for (const int row : rows) {
        if (row >= 0 && row < int(m_entries.size()))
            ids.push_back(m_entries[std::size_t(row)].record.id);
    }
    return ids;
}

QVariant LedgerModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString::fromUtf8(kHeaders[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace quorvel
