#pragma once

#include "ui/GridView.h"

namespace quorvel {

// The grid of a trend chart: each hit drawn as a coloured ball with its number, the cells below a
// number's newest hit shaded when layers are on, a thin divider under every fifth row, and, when
// asked, a line joining the balls from row to row (one per row on the chart of one position).
class TrendChartView : public GridView
{
    Q_OBJECT
public:
    explicit TrendChartView(QWidget* parent = nullptr);

    void setLayersShown(bool shown);
    bool layersShown() const { return m_layersShown; }
    void setLineShown(bool shown);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_layersShown = false;
    bool m_lineShown = false;
};

} // namespace quorvel
