#include "ui/tools/TrendChartView.h"

#include "ui/models/TrendChartModel.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace quorvel {

namespace {

const QColor kBallColour(205, 38, 38);
const QColor kLayerColour(232, 240, 254);
const QColor kDividerColour(150, 150, 150);

class TrendCellDelegate : public QStyledItemDelegate
{
public:
    explicit TrendCellDelegate(TrendChartView& view) : QStyledItemDelegate(&view), m_view(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        if (m_view.layersShown() && index.data(TrendChartModel::LayerRole).toBool())
            painter->fillRect(option.rect, kLayerColour);
        if (index.data(TrendChartModel::HitRole).toBool()) {
            painter->setRenderHint(QPainter::Antialiasing);
            const int side = std::min(option.rect.width(), option.rect.height()) - 2;
            QRect ball(0, 0, side, side);
            ball.moveCenter(option.rect.center());
            painter->setPen(Qt::NoPen);
            painter->setBrush(kBallColour);
            painter->drawEllipse(ball);
            painter->setPen(Qt::white);
            painter->drawText(option.rect, Qt::AlignCenter, index.data().toString());
        } else {
            painter->restore();
            QStyledItemDelegate::paint(painter, option, index);
            painter->save();
        }
        if ((index.row() + 1) % 5 == 0) {
            painter->setPen(kDividerColour);
            painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        }
        painter->restore();
    }

private:
    TrendChartView& m_view;
};

} // namespace

TrendChartView::TrendChartView(QWidget* parent) : GridView(parent)
{
    setItemDelegate(new TrendCellDelegate(*this));
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultSectionSize(38);
    verticalHeader()->hide();
    setSelectionMode(QAbstractItemView::NoSelection);
}

void TrendChartView::setLayersShown(bool shown)
{
    m_layersShown = shown;
    viewport()->update();
}

void TrendChartView::setLineShown(bool shown)
{
    m_lineShown = shown;
    viewport()->update();
}

void TrendChartView::paintEvent(QPaintEvent* event)
{
    GridView::paintEvent(event);
    if (!m_lineShown || !model())
        return;
    // The ball of each visible row (and of the row just outside each edge, so the line runs on).
    const int first = std::max(0, rowAt(0) - 1);
    int last = rowAt(viewport()->height() - 1);
    last = last < 0 ? model()->rowCount() - 1 : std::min(model()->rowCount() - 1, last + 1);
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kBallColour, 1.5));
    QPoint previous;
    bool havePrevious = false;
    for (int row = first; row <= last; ++row) {
        for (int number = 1; number <= kHighestNumber; ++number) {
            const QModelIndex cell = model()->index(row, TrendChartModel::numberColumn(number));
            if (!cell.data(TrendChartModel::HitRole).toBool())
                continue;
            const QPoint centre = visualRect(cell).center();
            if (havePrevious)
                painter.drawLine(previous, centre);
            previous = centre;
            havePrevious = true;
            break;
        }
    }
}

} // namespace quorvel
