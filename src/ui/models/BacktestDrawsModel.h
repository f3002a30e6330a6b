#pragma once

#include "verification/Backtest.h"

#include <QAbstractTableModel>

namespace quorvel {

// The per-draw grid of the backtest window: one row per target draw and position, the picks, the
// number drawn there and how many picks were right; blue where the page's claim held (keep: the
// number drawn is among the picks; kill: none of them was drawn), green where it did not.
class BacktestDrawsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        IssueColumn,    // "期号"
        PositionColumn, // "位置"
        PicksColumn,    // "选号"
        DrawnColumn,    // "开奖号"
        RightColumn,    // "正确"
        ColumnCount
    };

    static const QColor& heldColour();
    static const QColor& failedColour();

    explicit BacktestDrawsModel(QObject* parent = nullptr);

    void setResult(const BacktestResult& result);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<BacktestDraw> m_draws;
    int m_positions = 1;
};

} // namespace quorvel
