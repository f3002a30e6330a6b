#pragma once

#include "verification/TrendFigures.h"

#include <QAbstractTableModel>

#include <memory>
#include <optional>

namespace quorvel {

// The trend chart of one scope over a range: a row per draw of the range, oldest first, with the
// issue, the numbers 01..20 (a hit shows its number as a ball, a miss its omission) and, on the
// chart of every position, the shape of the draw. The omissions are worked out once per chart
// into compact arrays; a cell only looks them up.
class TrendChartModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role
    {
        HitRole = Qt::UserRole + 1, // bool: the number is hit in this draw
        LayerRole,                  // bool: the cell lies below its number's newest hit
    };
    static constexpr int kIssueColumn = 0;

    explicit TrendChartModel(QObject* parent = nullptr);

    // A new chart: the history it reads is kept while the model shows it.
    void setChart(std::shared_ptr<const DrawTable> history, TrendScope scope, int range);
    // Whether misses show their omission (otherwise they stay blank).
    void setOmissionsShown(bool shown);

    const TrendChart& chart() const { return *m_chart; }
    // The column of a number 1..20.
    static int numberColumn(int number) { return number; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVariant numberCell(int row, int number, int role) const;
    QVariant shapeCell(int row, int shapeColumn) const;

    std::shared_ptr<const DrawTable> m_history;
    TrendScope m_scope;
    std::optional<TrendChart> m_chart;
    bool m_omissionsShown = true;
};

// The footer rows under a trend chart, in the chart's columns: 出现次数, 平均遗漏, 最大遗漏, 最大连出,
// 当前遗漏 and 随机概率 (the chance of the current omission by luck alone, as a percentage).
class TrendFooterModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TrendFooterModel(const TrendChartModel& chart, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const TrendChartModel& m_chart;
};

} // namespace quorvel
