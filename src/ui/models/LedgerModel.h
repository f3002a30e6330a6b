#pragma once

#include "workspace/PredictionLedger.h"

#include <QAbstractTableModel>

namespace quorvel {

// The grid of the ledger window: one row per prediction, oldest first, with its outcome once its
// draw is stored and the running hit rate against what luck gives.
class LedgerModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        NumberColumn,     // "序号"
        IssueColumn,      // "预测期号"
        MadeColumn,       // "预测时间"
        TypeColumn,       // "彩种": the lottery type it was made under
        MethodColumn,     // "计算方法"
        KindColumn,       // "生杀"
        QuotaColumn,      // "限额"
        PicksColumn,      // "选号（按位）"
        DrawnColumn,      // "开奖号码"
        RightColumn,      // "正确/选号"
        RunningColumn,    // "累计正确率"
        ChanceRateColumn, // "随机正确率"
        ColumnCount
    };

    explicit LedgerModel(QObject* parent = nullptr);

    void setEntries(std::vector<LedgerEntry> entries);
    const std::vector<LedgerEntry>& entries() const { return m_entries; }
    // The ids of the entries shown in these rows.
    std::vector<qint64> ids(const QList<int>& rows) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<LedgerEntry> m_entries;
};

} // namespace quorvel
