#pragma once

#include "verification/Backtest.h"

#include <QAbstractTableModel>

namespace quorvel {

// The results grid of the backtest window: one row per position and a row for all of them, the
// right picks against what luck gives and the chance of doing at least as well by luck.
class BacktestSummaryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        PositionColumn, // "位置"
        TrialsColumn,   // "选号数"
        RightColumn,    // "正确"
        RateColumn,     // "正确率"
        ChanceColumn,   // "随机正确率"
        ExpectedColumn, // "随机期望"
        PValueColumn,   // "随机达到此数的概率"
        ColumnCount
    };

    explicit BacktestSummaryModel(QObject* parent = nullptr);

    void setResult(const BacktestResult& result);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<PickTally> m_rows; // positions 1..p*, then all of them
};

} // namespace quorvel
