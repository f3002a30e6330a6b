#pragma once

#include "verification/TrendFigures.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QStandardItemModel;
class QTabWidget;
class QTableView;

namespace quorvel {

class GridView;
class Prompts;
class SpreadsheetExportRunner;
class TrendChartModel;
class TrendChartView;
class TrendFooterModel;
class Workspace;

// The trend window `frmZoushi` "号码走势": the chart of every position (基本走势) and of one
// position (定位走势) with omissions, balls and footer figures, the omission table (遗漏统计), hot
// and cold numbers (冷热分析) and the two-sided streaks (两面长龙), each over the range chosen,
// beside what chance alone gives. It follows the history while it is open; "导出Excel" writes the
// tab on show to zoushi.xlsx.
class TrendWindow : public QWidget
{
    Q_OBJECT
public:
    TrendWindow(Workspace& workspace, Prompts& prompts, QWidget* parent = nullptr);

    void open();
    // Works every tab out again from the history in force.
    void refresh();

    // The range chosen: the newest 30, 50, 100 or 200 draws, or 0 for all.
    int range() const;
    // Writes the tab on show with its choices to zoushi.xlsx and opens it.
    void exportShownTab();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // A chart with its footer rows below it, scrolled sideways together.
    struct ChartTab
    {
        TrendChartModel* model = nullptr;
        TrendFooterModel* footerModel = nullptr;
        TrendChartView* view = nullptr;
        GridView* footer = nullptr;
    };

    QWidget* createChartTab(ChartTab& tab, const QString& name, QWidget* options);
    QWidget* createTableTab(QStandardItemModel*& model, QTableView*& view, const QString& name,
                            QComboBox* scope);
    QComboBox* createScopeChooser(const QString& name, bool everyPosition);
    void refreshChart(ChartTab& tab, TrendScope scope);
    void refreshTables();

    Workspace& m_workspace;
    SpreadsheetExportRunner* m_exportRunner = nullptr;
    bool m_stale = true;
    QComboBox* m_range = nullptr;
    QTabWidget* m_tabs = nullptr;
    ChartTab m_basic;
    ChartTab m_positional;
    QComboBox* m_position = nullptr;
    QCheckBox* m_showOmission = nullptr;
    QCheckBox* m_layers = nullptr;
    QCheckBox* m_line = nullptr;
    QComboBox* m_omissionScope = nullptr;
    QComboBox* m_hotColdScope = nullptr;
    QStandardItemModel* m_omission = nullptr;
    QStandardItemModel* m_hotCold = nullptr;
    QStandardItemModel* m_twoSided = nullptr;
    QTableView* m_omissionView = nullptr;
    QTableView* m_hotColdView = nullptr;
    QTableView* m_twoSidedView = nullptr;
};

} // namespace quorvel
