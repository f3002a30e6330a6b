#include "ui/GridView.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QWheelEvent>

namespace quorvel {

GridView::GridView(QWidget* parent) : QTableView(parent)
{
    // Row-by-row scrolling: the vertical scroll bar's value is the first visible row.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    // Tab leaves the grid; the arrow keys move inside it.
    setTabKeyNavigation(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(0);
}

int GridView::topRow() const
{
    return verticalScrollBar()->value();
}

void GridView::setTopRow(int row)
{
    // The scroll bar clamps at the end: the last rows fill the view rather than leaving it empty.
    verticalScrollBar()->setValue(qMax(0, row));
}

void GridView::scrollNewestIntoView()
{
    if (!model())
        return;
    const int rows = model()->rowCount();
    if (rows + 1 < kScrollRowThreshold)
        return;
    // The scroll range follows the rows only once the view has laid them out.
    updateGeometries();
    scrollTo(model()->index(rows - 1, 0), QAbstractItemView::PositionAtTop);
}

void GridView::setElasticColumn(int column, int minimumWidth)
{
    m_elasticColumn = column;
    m_elasticMinimumWidth = minimumWidth;
    fitElasticColumn();
}

void GridView::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    // A sideways turn is not a wheel turn of the rows: leave it to the horizontal scrolling.
    if (delta.y() == 0 && delta.x() != 0) {
        QTableView::wheelEvent(event);
        return;
    }
    if (delta.y() <= 0)
        setTopRow(topRow() + 1);
    else if (topRow() > 0)
        setTopRow(topRow() - 1);
    event->accept();
}

void GridView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    fitElasticColumn();
}

void GridView::updateGeometries()
{
    QTableView::updateGeometries();
    fitElasticColumn();
}

void GridView::fitElasticColumn()
{
    if (m_fitting || m_elasticColumn < 0 || !model() || m_elasticColumn >= model()->columnCount())
        return;
    m_fitting = true;
    int others = 0;
    for (int column = 0; column < model()->columnCount(); ++column) {
        if (column != m_elasticColumn && !isColumnHidden(column))
            others += columnWidth(column);
    }
    const int width = qMax(m_elasticMinimumWidth, viewport()->width() - others);
    if (columnWidth(m_elasticColumn) != width)
        setColumnWidth(m_elasticColumn, width);
    m_fitting = false;
}

} // namespace quorvel
