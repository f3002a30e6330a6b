#include "ui/tools/RankingWindow.h"

#include "core/TermTable.h"
#include "ui/GridView.h"
#include "ui/SpreadsheetExportRunner.h"
#include "ui/ToolWindows.h"
#include "ui/WaitCursor.h"
#include "ui/models/DistributionModel.h"
#include "ui/models/RankingModel.h"
#include "ui/tools/DetailListWindow.h"
#include "workspace/PredictionState.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace quorvel {

namespace {

QString arrayName(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

GridView* fixedGrid(const QString& name, QAbstractItemModel* model, int (*widthOf)(int), QWidget* parent)
{
    auto* grid = new GridView(parent);
    grid->setObjectName(name);
    grid->setModel(model);
    for (int column = 0; column < model->columnCount(); ++column)
        grid->setColumnWidth(column, widthOf(column));
    return grid;
}

} // namespace

RankingWindow::RankingWindow(Workspace& workspace, PredictionState& state, ToolWindows& toolWindows,
                             Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), m_workspace(workspace), m_state(state), m_toolWindows(toolWindows),
      m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmErrarrLei"));
    setWindowTitle(QStringLiteral("杀留值排序(鼠标双击列表反向排序)"));
    auto* layout = new QVBoxLayout(this);

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    m_tabs->setExpanding(false);
    layout->addWidget(m_tabs);
    m_pages = new QStackedWidget(this);
    for (int page = 1; page <= kPositionCount; ++page)
        m_pages->addWidget(createPage(page));
    layout->addWidget(m_pages, 1);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int tab) {
        if (tab >= 0)
            m_pages->setCurrentIndex(tab);
    });

    auto* bottom = new QHBoxLayout;
    auto* summaryLabel = new QLabel(QStringLiteral("计算结果"), this);
    summaryLabel->setObjectName(QStringLiteral("Label1"));
    m_summaryBox = new QLineEdit(this);
    m_summaryBox->setObjectName(QStringLiteral("Text1"));
    m_summaryBox->setReadOnly(true);
    summaryLabel->setBuddy(m_summaryBox);
    m_exportButton = new QPushButton(QStringLiteral("导出列表(&E)"), this);
    m_exportButton->setObjectName(QStringLiteral("Command1"));
    m_exportRunner = new SpreadsheetExportRunner(m_workspace, m_prompts, this);
    connect(m_exportButton, &QPushButton::clicked, this, [this] {
        if (!m_exportRunner->isRunning())
            m_exportRunner->start(SpreadsheetExport(m_workspace).ranking(m_state));
    });
    m_detailButton = new QPushButton(QStringLiteral("详细结果列表(&D)"), this);
    m_detailButton->setObjectName(QStringLiteral("Command2"));
    connect(m_detailButton, &QPushButton::clicked, this, &RankingWindow::showDetailList);
    bottom->addWidget(summaryLabel);
    bottom->addWidget(m_summaryBox, 1);
    bottom->addWidget(m_exportButton);
    bottom->addWidget(m_detailButton);
    layout->addLayout(bottom);

    resize(760, 640);
}

QWidget* RankingWindow::createPage(int page)
{
    auto* picture = new QWidget(this);
    picture->setObjectName(arrayName("Picture1", page));
    auto* layout = new QVBoxLayout(picture);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* rankingFrame = new QGroupBox(QStringLiteral("该类公式计算综合结果"), picture);
    auto* rankingLayout = new QVBoxLayout(rankingFrame);
    auto* rankingModel = new RankingModel(m_state.ranking(), page, this);
    m_rankingModels[std::size_t(page - 1)] = rankingModel;
    GridView* rankingGrid = fixedGrid(arrayName("MSFlexGrid1", page), rankingModel,
                                      &RankingModel::columnWidthPixels, rankingFrame);
    rankingLayout->addWidget(rankingGrid);
    connect(rankingGrid, &QAbstractItemView::clicked, this,
            [this, page](const QModelIndex& index) { resort(page, index.column()); });
    connect(rankingGrid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this, page](int column) { resort(page, column); });
    layout->addWidget(rankingFrame, 3);

    auto* distributionFrame = new QGroupBox(QStringLiteral("公式总计算结果情况统计"), picture);
    auto* distributionLayout = new QVBoxLayout(distributionFrame);
    auto* distributionModel = new DistributionModel(m_state.ranking(), page, this);
    m_distributionModels[std::size_t(page - 1)] = distributionModel;
    distributionLayout->addWidget(fixedGrid(arrayName("MSFlexGrid3", page), distributionModel,
                                            &DistributionModel::columnWidthPixels, distributionFrame));
    layout->addWidget(distributionFrame, 2);
    return picture;
}

void RankingWindow::showRanking()
{
    {
        WaitCursor wait;
        const QSignalBlocker blocker(m_tabs);
        while (m_tabs->count() > 0)
            m_tabs->removeTab(0);
        const int pages = int(m_state.ranking().pages().size());
        for (int page = 1; page <= pages; ++page)
            m_tabs->addTab(Ranking::tabCaption(page));
        for (std::size_t i = 0; i < m_rankingModels.size(); ++i) {
            m_rankingModels[i]->refresh();
            m_distributionModels[i]->refresh();
        }
        m_tabs->setCurrentIndex(0);
        m_pages->setCurrentIndex(0);
        m_summaryBox->setText(m_state.ranking().summary());
        m_detailButton->setVisible(m_state.lastMethod() == PredictionMethod::SelectedFormulas);
    }
    show();
    raise();
    activateWindow();
}

void RankingWindow::resort(int page, int column)
{
    if (m_state.ranking().resort(page, column))
        m_rankingModels[std::size_t(page - 1)]->refresh();
}

void RankingWindow::showDetailList()
{
    DetailListWindow& detail = m_toolWindows.window<DetailListWindow>(
        [this] { return new DetailListWindow(m_workspace, m_state, m_prompts, this); });
    detail.showList();
}

} // namespace quorvel
