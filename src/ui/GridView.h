#pragma once

#include <QTableView>

namespace quorvel {

// The table view every grid of the program uses. The mouse wheel moves the first visible row by
// exactly one row per wheel event, whatever the size of the turn: toward the user one row down,
// away from the user one row up (never above the first row). Fills bring the newest rows into
// view once the grid holds 30 rows or more, header row included.
class GridView : public QTableView
{
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

    // Row count (header included) from which a fill scrolls the last row to the top.
    static constexpr int kScrollRowThreshold = 30;

    int topRow() const;
    void setTopRow(int row);
    // After a fill: with 30 rows or more (header included) the last row becomes the top row.
    void scrollNewestIntoView();
    // Scrolls to the last row whatever the number of rows (a window that opens on the newest draw).
    void scrollToLastRow();

    // One column takes the width the others leave free, never less than its own design width.
    void setElasticColumn(int column, int minimumWidth);
    // Keeps column 0 in view while the grid is scrolled sideways: a view of that column alone then
    // lies over the grid's left edge and scrolls up and down with it. The mouse passes through it
    // to the grid below, whose row it shares. Call once the model is set.
    void freezeFirstColumn();
    // The view over the left edge; null until freezeFirstColumn().
    QTableView* frozenColumnView() const { return m_frozen; }

protected:
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;

private:
    void fitElasticColumn();
    void placeFrozenColumn();
    void hideUnfrozenColumns();

    int m_elasticColumn = -1;
    int m_elasticMinimumWidth = 0;
    bool m_fitting = false;
    QTableView* m_frozen = nullptr;
};

} // namespace quorvel
