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

void GridView::scrollToLastRow()
{
    if (!model() || model()->rowCount() == 0)
        return;
    updateGeometries();
    scrollTo(model()->index(model()->rowCount() - 1, 0), QAbstractItemView::PositionAtBottom);
}

void GridView::setElasticColumn(int column, int minimumWidth)
{
    m_elasticColumn = column;
    m_elasticMinimumWidth = minimumWidth;
    fitElasticColumn();
}

void GridView::freezeFirstColumn()
{
    if (m_frozen || !model())
        return;
    m_frozen = new QTableView(this);
    m_frozen->setObjectName(objectName() + QStringLiteral("_frozen"));
    m_frozen->setModel(model());
    m_frozen->setSelectionModel(selectionModel());
    m_frozen->setItemDelegate(itemDelegate());
    m_frozen->setFocusPolicy(Qt::NoFocus);
    m_frozen->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_frozen->setFrameShape(QFrame::NoFrame);
    m_frozen->setWordWrap(false);
    m_frozen->setVerticalScrollMode(verticalScrollMode());
    m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->verticalHeader()->setVisible(false);
    m_frozen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_frozen->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    m_frozen->horizontalHeader()->setHighlightSections(false);
    m_frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_frozen->setStyleSheet(QStringLiteral("QTableView { border-right: 1px solid palette(mid); }"));
    hideUnfrozenColumns();
    m_frozen->hide();

    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_frozen->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(horizontalScrollBar(), &QAbstractSlider::valueChanged, this, &GridView::placeFrozenColumn);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (column == 0) {
            m_frozen->setColumnWidth(0, width);
            placeFrozenColumn();
        }
    });
    // A reset or new columns show every column of the model again in the view over the edge.
    connect(model(), &QAbstractItemModel::modelReset, this, &GridView::hideUnfrozenColumns);
    connect(model(), &QAbstractItemModel::columnsInserted, this, &GridView::hideUnfrozenColumns);
    connect(model(), &QAbstractItemModel::layoutChanged, this, &GridView::hideUnfrozenColumns);
    placeFrozenColumn();
}

void GridView::hideUnfrozenColumns()
{
    if (!m_frozen || !model())
        return;
    for (int column = 0; column < model()->columnCount(); ++column)
        m_frozen->setColumnHidden(column, column != 0);
    m_frozen->setColumnWidth(0, columnWidth(0));
    placeFrozenColumn();
}

void GridView::placeFrozenColumn()
{
    if (!m_frozen)
        return;
    // Needed only while column 0 has scrolled (partly) out of view.
    const bool needed = horizontalScrollBar()->value() > 0 && !isColumnHidden(0);
    if (!needed) {
        m_frozen->hide();
        return;
    }
    m_frozen->setGeometry(frameWidth() + (verticalHeader()->isVisible() ? verticalHeader()->width() : 0),
                          frameWidth(), columnWidth(0) + 1,
                          viewport()->height() + (horizontalHeader()->isVisible() ? horizontalHeader()->height() : 0));
    m_frozen->verticalScrollBar()->setValue(verticalScrollBar()->value());
    m_frozen->show();
    m_frozen->raise();
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
    placeFrozenColumn();
}

void GridView::updateGeometries()
{
    QTableView::updateGeometries();
    fitElasticColumn();
    placeFrozenColumn();
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
