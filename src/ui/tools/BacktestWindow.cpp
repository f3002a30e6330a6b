#include "ui/tools/BacktestWindow.h"

#include "core/ThreadStart.h"
#include "ui/FailureNotice.h"
#include "ui/GridView.h"
#include "ui/OperationProgress.h"
#include "ui/ToolWindows.h"
#include "ui/models/BacktestDrawsModel.h"
#include "ui/models/BacktestSummaryModel.h"
#include "ui/tools/LedgerWindow.h"
#include "workspace/PredictionState.h"
#include "workspace/Workspace.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

constexpr int kDefaultTargets = 100;

// A step of 1, 2 or 5 times a power of ten that marks a count axis up to `top` about eight times.
double wholeTickStep(double top)
{
    double step = 1;
    while (top / step > 8) {
        for (const double factor : {2.0, 2.5, 2.0}) {
            step *= factor;
            if (top / step <= 8)
                break;
        }
    }
    return step;
}

GridView* grid(const char* name, QAbstractItemModel* model, QWidget* parent)
{
    auto* view = new GridView(parent);
    view->setObjectName(QLatin1String(name));
    view->setModel(model);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return view;
}

} // namespace

BacktestWindow::BacktestWindow(Workspace& workspace, PredictionState& state, Prompts& prompts,
                               ToolWindows& toolWindows, QWidget* parent)
    : QWidget(parent, Qt::Window), m_workspace(workspace), m_state(state), m_prompts(prompts),
      m_toolWindows(toolWindows), m_session(workspace)
{
    setObjectName(QStringLiteral("frmLsHc"));
    setWindowTitle(QStringLiteral("历史回测"));
    resize(1100, 720);
    auto* layout = new QVBoxLayout(this);

    auto* controls = new QHBoxLayout;
    auto* targetsLabel = new QLabel(QStringLiteral("回测最近期数"), this);
    m_targets = new QSpinBox(this);
    m_targets->setObjectName(QStringLiteral("spnHcQs"));
    m_targets->setRange(1, 32767);
    m_targets->setValue(kDefaultTargets);
    targetsLabel->setBuddy(m_targets);
    m_targets->installEventFilter(this); // Enter in the count box starts the backtest
    m_startButton = new QPushButton(QStringLiteral("开始回测(&S)"), this);
    m_startButton->setObjectName(QStringLiteral("cmdHcKs"));
    m_cancelButton = new QPushButton(QStringLiteral("取消(&C)"), this);
    m_cancelButton->setObjectName(QStringLiteral("cmdHcQx"));
    m_cancelButton->setEnabled(false);
    m_ledgerButton = new QPushButton(QStringLiteral("预测记录(&L)"), this);
    m_ledgerButton->setObjectName(QStringLiteral("cmdHcJl"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("prgHc"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    for (QPushButton* button : {m_startButton, m_cancelButton, m_ledgerButton})
        button->setAutoDefault(false);
    controls->addWidget(targetsLabel);
    controls->addWidget(m_targets);
    controls->addWidget(m_startButton);
    controls->addWidget(m_cancelButton);
    controls->addWidget(m_progress, 1);
    controls->addWidget(m_ledgerButton);
    layout->addLayout(controls);

    m_settings = new QLabel(this);
    m_settings->setObjectName(QStringLiteral("lblHcSz"));
    m_settings->setWordWrap(true);
    layout->addWidget(m_settings);
    auto* warning = new QLabel(
        QStringLiteral("注意：回测只用每一期之前的开奖号码做预测，但公式本身若是在这些历史期上搜索出来的，"
                       "它们已经“见过”这些开奖号码（前视偏差），回测成绩因此会偏好。"
                       "不受前视偏差影响的干净尺度是“预测记录”：每次计算公式时记下的选号，在开奖后判定。"),
        this);
    warning->setObjectName(QStringLiteral("lblHcQs"));
    warning->setWordWrap(true);
    warning->setStyleSheet(QStringLiteral("color: #b00000;"));
    layout->addWidget(warning);

    m_overall = new QLabel(this);
    m_overall->setObjectName(QStringLiteral("lblHcJg"));
    m_overall->setWordWrap(true);
    layout->addWidget(m_overall);

    m_summaryModel = new BacktestSummaryModel(this);
    m_summaryGrid = grid("grdHcHz", m_summaryModel, this);
    fitSummaryHeight();
    layout->addWidget(m_summaryGrid);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    m_drawsModel = new BacktestDrawsModel(this);
    m_drawsGrid = grid("grdHcMx", m_drawsModel, splitter);
    splitter->addWidget(m_drawsGrid);
    m_chart = new QChart;
    m_chart->setTitle(QStringLiteral("累计正确选号与随机期望"));
    m_chartView = new QChartView(m_chart, splitter);
    m_chartView->setObjectName(QStringLiteral("chtHcLj"));
    m_chartView->setRenderHint(QPainter::Antialiasing);
    splitter->addWidget(m_chartView);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({380, 720});
    layout->addWidget(splitter, 1);

    connect(m_startButton, &QPushButton::clicked, this, &BacktestWindow::start);
    connect(m_cancelButton, &QPushButton::clicked, &m_session, &BacktestSession::cancel);
    connect(m_ledgerButton, &QPushButton::clicked, this, &BacktestWindow::openLedger);
    OperationProgress::follow(m_session.progress(), m_progress);
    connect(&m_session, &BacktestSession::finished, this, &BacktestWindow::runEnded);
}

// A run still going is cancelled and waited for by the session.
BacktestWindow::~BacktestWindow() = default;

void BacktestWindow::open()
{
    describeSettings();
    show();
    raise();
    activateWindow();
}

bool BacktestWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_targets && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_targets->interpretText();
            if (m_startButton->isEnabled())
                start();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void BacktestWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    describeSettings();
}

void BacktestWindow::describeSettings()
{
    m_settings->setText(m_session.description(m_state));
}

void BacktestWindow::start()
{
    if (isRunning())
        return;
    describeSettings();
    if (!reportFailure(m_prompts, m_session.start(m_session.shownRequest(m_targets->value(), m_state))))
        return;
    m_startButton->setEnabled(false);
    m_cancelButton->setEnabled(true);
    m_progress->setRange(0, 0);
}

void BacktestWindow::runEnded()
{
    m_startButton->setEnabled(true);
    m_cancelButton->setEnabled(false);
    if (m_session.ranOutOfMemory())
        m_prompts.notice(windowTitle(), outOfMemoryMessage());
    if (m_session.completed()) {
        showResult(*m_session.result());
    } else {
        m_progress->setRange(0, 1);
        m_progress->setValue(0);
    }
    Q_EMIT finished();
}

void BacktestWindow::fitSummaryHeight()
{
    // Every row in view (at most nine: the positions and their total), no empty space below.
    const int rows = std::max(m_summaryModel->rowCount(), 2);
    m_summaryGrid->setFixedHeight(m_summaryGrid->horizontalHeader()->sizeHint().height() +
                                  rows * m_summaryGrid->verticalHeader()->defaultSectionSize() +
                                  2 * m_summaryGrid->frameWidth());
}

void BacktestWindow::showResult(const BacktestResult& result)
{
    m_summaryModel->setResult(result);
    fitSummaryHeight();
    m_drawsModel->setResult(result);
    m_drawsGrid->scrollNewestIntoView();
    const PickTally& overall = result.overall;
    m_overall->setText(
        overall.trials == 0
            ? QStringLiteral("%1期回测没有产生选号。").arg(result.draws.size())
            : QStringLiteral("%1期回测共选号%2次，正确%3次（%4%），随机的正确率为%5%，期望正确%6次；"
                             "一个毫无预测能力的方法正确至少这么多次的概率为%7。")
                  .arg(result.draws.size())
                  .arg(overall.trials)
                  .arg(overall.right)
                  .arg(100 * overall.rate(), 0, 'f', 2)
                  .arg(100 * kPickChance, 0, 'f', 0)
                  .arg(overall.expected(), 0, 'f', 1)
                  .arg(ChanceBaseline::percentText(overall.pValue())));

    // Cumulative right picks draw by draw, beside what luck gives on average.
    m_chart->removeAllSeries();
    for (QAbstractAxis* axis : m_chart->axes())
        m_chart->removeAxis(axis);
    auto* right = new QLineSeries;
    right->setName(QStringLiteral("累计正确"));
    auto* expected = new QLineSeries;
    expected->setName(QStringLiteral("随机期望"));
    PickTally running;
    right->append(0, 0);
    expected->append(0, 0);
    for (std::size_t i = 0; i < result.draws.size(); ++i) {
        for (const BacktestPage& page : result.draws[i].pages)
            running.add(page.right, int(page.picks.size()));
        right->append(double(i + 1), running.right);
        expected->append(double(i + 1), running.expected());
    }
    m_chart->addSeries(right);
    m_chart->addSeries(expected);
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("回测期"));
    x->setLabelFormat(QStringLiteral("%d"));
    x->setRange(0, std::max<double>(1, double(result.draws.size())));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("正确选号数"));
    y->setLabelFormat(QStringLiteral("%d"));
    // A little room above the higher line, so that its last tick is labelled.
    y->setRange(0, std::ceil(1.05 * std::max({1.0, double(running.right), running.expected()})));
    for (QValueAxis* axis : {x, y}) {
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(0);
        axis->setTickInterval(wholeTickStep(axis->max()));
    }
    m_chart->addAxis(x, Qt::AlignBottom);
    m_chart->addAxis(y, Qt::AlignLeft);
    for (QLineSeries* series : {right, expected}) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
}

void BacktestWindow::openLedger()
{
    // The ledger belongs to the main window, whichever window opens it first.
    m_toolWindows
        .window<LedgerWindow>([this] { return new LedgerWindow(m_workspace, m_prompts, parentWidget()); })
        .open();
}

} // namespace quorvel
