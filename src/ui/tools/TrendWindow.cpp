#include "ui/tools/TrendWindow.h"

#include "core/TermTable.h"
#include "ui/GridView.h"
#include "ui/SpreadsheetExportRunner.h"
#include "ui/models/TrendChartModel.h"
#include "ui/tools/TrendChartView.h"
#include "verification/TrendTables.h"
#include "workspace/SpreadsheetExport.h"
#include "workspace/Workspace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quorvel {

namespace {

constexpr int kRanges[] = {30, 50, 100, 200, 0};
constexpr int kSortRole = Qt::UserRole;
constexpr int kDefaultRangeIndex = 2;

// The scope a chooser stands for: its items are 全部 (when offered) and then 第一 .. 第八.
TrendScope scopeOf(const QComboBox& chooser)
{
    return TrendScope{chooser.currentData().toInt()};
}

// Shows a trend table: each cell's text, its background, and the value it sorts by.
void showTable(QStandardItemModel& model, const TrendTable& table)
{
    model.clear();
    model.setHorizontalHeaderLabels(table.headers);
    for (const std::vector<TrendCell>& row : table.rows) {
        QList<QStandardItem*> items;
        for (const TrendCell& cell : row) {
            auto* item = new QStandardItem(cell.text);
            item->setData(cell.sortValue, kSortRole);
            item->setTextAlignment(Qt::AlignCenter);
            item->setEditable(false);
            if (cell.fill)
                item->setBackground(QColor(QRgb(*cell.fill)));
            items.push_back(item);
        }
        model.appendRow(items);
    }
}

} // namespace

TrendWindow::TrendWindow(Workspace& workspace, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), m_workspace(workspace)
{
    setObjectName(QStringLiteral("frmZoushi"));
    setWindowTitle(QStringLiteral("号码走势"));
    resize(1200, 720);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* rangeLabel = new QLabel(QStringLiteral("统计范围(&R)："), this);
    m_range = new QComboBox(this);
    m_range->setObjectName(QStringLiteral("cboZsFw"));
    for (const int range : kRanges)
        m_range->addItem(range > 0 ? QStringLiteral("近%1期").arg(range) : QStringLiteral("全部"), range);
    m_range->setCurrentIndex(kDefaultRangeIndex);
    rangeLabel->setBuddy(m_range);
    top->addWidget(rangeLabel);
    top->addWidget(m_range);
    top->addStretch(1);
    auto* exportButton = new QPushButton(QStringLiteral("导出Excel(&E)"), this);
    exportButton->setObjectName(QStringLiteral("cmdZsDc"));
    exportButton->setAutoDefault(false);
    top->addWidget(exportButton);
    layout->addLayout(top);
    m_exportRunner = new SpreadsheetExportRunner(m_workspace, prompts, this);
    connect(exportButton, &QPushButton::clicked, this, &TrendWindow::exportShownTab);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabZoushi"));
    layout->addWidget(m_tabs, 1);

    auto* basicOptions = new QWidget(this);
    auto* basicRow = new QHBoxLayout(basicOptions);
    basicRow->setContentsMargins(0, 0, 0, 0);
    m_showOmission = new QCheckBox(QStringLiteral("显示遗漏(&O)"), basicOptions);
    m_showOmission->setObjectName(QStringLiteral("chkZsYl"));
    m_showOmission->setChecked(true);
    m_layers = new QCheckBox(QStringLiteral("遗漏分层(&L)"), basicOptions);
    m_layers->setObjectName(QStringLiteral("chkZsFc"));
    basicRow->addWidget(m_showOmission);
    basicRow->addWidget(m_layers);
    basicRow->addStretch(1);
    // The tabs stand in the order of TrendTables::TrendTab.
    m_tabs->addTab(createChartTab(m_basic, QStringLiteral("grdZsJb"), basicOptions),
                   QStringLiteral("基本走势"));

    auto* positionOptions = new QWidget(this);
    auto* positionRow = new QHBoxLayout(positionOptions);
    positionRow->setContentsMargins(0, 0, 0, 0);
    m_position = createScopeChooser(QStringLiteral("cboZsWz"), false);
    m_line = new QCheckBox(QStringLiteral("折线(&Z)"), positionOptions);
    m_line->setObjectName(QStringLiteral("chkZsZx"));
    m_line->setChecked(true);
    positionRow->addWidget(m_position);
    positionRow->addWidget(m_line);
    positionRow->addStretch(1);
    m_tabs->addTab(createChartTab(m_positional, QStringLiteral("grdZsDw"), positionOptions),
                   QStringLiteral("定位走势"));

    m_omissionScope = createScopeChooser(QStringLiteral("cboZsYlFw"), true);
    m_tabs->addTab(createTableTab(m_omission, m_omissionView, QStringLiteral("grdZsYl"), m_omissionScope),
                   QStringLiteral("遗漏统计"));
    m_hotColdScope = createScopeChooser(QStringLiteral("cboZsLrFw"), true);
    m_tabs->addTab(createTableTab(m_hotCold, m_hotColdView, QStringLiteral("grdZsLr"), m_hotColdScope),
                   QStringLiteral("冷热分析"));
    m_tabs->addTab(createTableTab(m_twoSided, m_twoSidedView, QStringLiteral("grdZsLm"), nullptr),
                   QStringLiteral("两面长龙"));

    const auto toggled = [this](bool) {
        m_basic.model->setOmissionsShown(m_showOmission->isChecked());
        m_positional.model->setOmissionsShown(m_showOmission->isChecked());
        m_basic.view->setLayersShown(m_layers->isChecked());
        m_positional.view->setLayersShown(m_layers->isChecked());
        m_positional.view->setLineShown(m_line->isChecked());
    };
    for (QCheckBox* box : {m_showOmission, m_layers, m_line})
        connect(box, &QCheckBox::toggled, this, toggled);
    toggled(true);
    connect(m_range, &QComboBox::currentIndexChanged, this, &TrendWindow::refresh);
    connect(m_position, &QComboBox::currentIndexChanged, this,
            [this] { refreshChart(m_positional, scopeOf(*m_position)); });
    connect(m_omissionScope, &QComboBox::currentIndexChanged, this, &TrendWindow::refreshTables);
    connect(m_hotColdScope, &QComboBox::currentIndexChanged, this, &TrendWindow::refreshTables);
    connect(&m_workspace, &Workspace::historyChanged, this, [this] {
        m_stale = true;
        if (isVisible())
            refresh();
    });
}

QComboBox* TrendWindow::createScopeChooser(const QString& name, bool everyPosition)
{
    auto* chooser = new QComboBox(this);
    chooser->setObjectName(name);
    if (everyPosition)
        chooser->addItem(QStringLiteral("全部"), 0);
    for (int position = 1; position <= kPositionCount; ++position)
        chooser->addItem(positionName(position), position);
    return chooser;
}

QWidget* TrendWindow::createChartTab(ChartTab& tab, const QString& name, QWidget* options)
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(options);
    tab.model = new TrendChartModel(page);
    tab.view = new TrendChartView(page);
    tab.view->setObjectName(name);
    tab.view->setModel(tab.model);
    tab.view->setColumnWidth(TrendChartModel::kIssueColumn, 80);
    tab.view->freezeFirstColumn();
    layout->addWidget(tab.view, 1);

    tab.footerModel = new TrendFooterModel(*tab.model, page);
    tab.footer = new GridView(page);
    tab.footer->setObjectName(name + QStringLiteral("Hz"));
    tab.footer->setModel(tab.footerModel);
    tab.footer->horizontalHeader()->hide();
    tab.footer->verticalHeader()->hide();
    tab.footer->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tab.footer->horizontalHeader()->setDefaultSectionSize(tab.view->horizontalHeader()->defaultSectionSize());
    tab.footer->setColumnWidth(TrendChartModel::kIssueColumn, 80);
    tab.footer->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tab.footer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tab.footer->setFixedHeight(tab.footer->verticalHeader()->defaultSectionSize() * 6 +
                               2 * tab.footer->frameWidth());
    tab.footer->freezeFirstColumn();
    layout->addWidget(tab.footer);
    // The footer scrolls sideways with the chart above it, column under column.
    connect(tab.view->horizontalScrollBar(), &QScrollBar::valueChanged, tab.footer->horizontalScrollBar(),
            &QScrollBar::setValue);
    return page;
}

QWidget* TrendWindow::createTableTab(QStandardItemModel*& model, QTableView*& view, const QString& name,
                                     QComboBox* scope)
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    if (scope)
        layout->addWidget(scope, 0, Qt::AlignLeft);
    model = new QStandardItemModel(page);
    auto* sorted = new QSortFilterProxyModel(page);
    sorted->setSourceModel(model);
    sorted->setSortRole(kSortRole);
    view = new QTableView(page);
    view->setObjectName(name);
    view->setModel(sorted);
    view->setSortingEnabled(true);
    view->sortByColumn(-1, Qt::AscendingOrder);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(view, 1);
    return page;
}

void TrendWindow::exportShownTab()
{
    if (m_exportRunner->isRunning())
        return;
    using TrendTables::TrendTab;
    const auto tab = TrendTab(m_tabs->currentIndex());
    const QComboBox* scope = tab == TrendTab::Position   ? m_position
                             : tab == TrendTab::Omission ? m_omissionScope
                             : tab == TrendTab::HotCold  ? m_hotColdScope
                                                         : nullptr;
    m_exportRunner->start(
        SpreadsheetExport(m_workspace).trend(tab, scope ? scopeOf(*scope) : TrendScope{}, range()));
}

int TrendWindow::range() const
{
    return m_range->currentData().toInt();
}

void TrendWindow::open()
{
    show();
    raise();
    activateWindow();
}

void TrendWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_stale)
        refresh();
}

void TrendWindow::refresh()
{
    m_stale = false;
    refreshChart(m_basic, TrendScope{});
    refreshChart(m_positional, scopeOf(*m_position));
    refreshTables();
}

void TrendWindow::refreshChart(ChartTab& tab, TrendScope scope)
{
    tab.model->setChart(m_workspace.history(), scope, range());
    tab.view->setColumnWidth(TrendChartModel::kIssueColumn, 80);
    tab.footer->setColumnWidth(TrendChartModel::kIssueColumn, 80);
    for (int column = 1 + kHighestNumber; column < tab.model->columnCount(); ++column) {
        tab.view->setColumnWidth(column, 50);
        tab.footer->setColumnWidth(column, 50);
    }
    tab.view->scrollToLastRow();
}

void TrendWindow::refreshTables()
{
    const std::shared_ptr<const DrawTable> history = m_workspace.history();
    const TrendRange range = TrendRange::newest(history->drawCount(), this->range());
    showTable(*m_omission, TrendTables::omission(TrendChart(*history, scopeOf(*m_omissionScope), range)));
    showTable(*m_hotCold, TrendTables::hotCold(quorvel::hotCold(*history, scopeOf(*m_hotColdScope))));
    showTable(*m_twoSided, TrendTables::twoSided(twoSidedStreaks(*history, range)));
}

} // namespace quorvel
