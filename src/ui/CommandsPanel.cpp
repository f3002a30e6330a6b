#include "ui/CommandsPanel.h"

#include "core/BuildInfo.h"
#include "core/Settings.h"
#include "core/TermTable.h"
#include "ui/ControlArrays.h"
#include "ui/FailureNotice.h"
#include "ui/FormulaFileCommands.h"
#include "ui/SetupMenu.h"
#include "ui/ToolWindows.h"
#include "ui/UserManual.h"
#include "ui/WaitCursor.h"
#include "ui/tools/BacktestWindow.h"
#include "ui/tools/FormulaFilterWindow.h"
#include "ui/tools/LedgerWindow.h"
#include "ui/tools/TrendWindow.h"
#include "ui/tools/ParameterReferenceWindow.h"
#include "ui/tools/RankingWindow.h"
#include "ui/tools/SearchWindow.h"
#include "ui/tools/SortSettingsWindow.h"
#include "verification/FormulaFilter.h"
#include "verification/LimitValues.h"
#include "workspace/Desktop.h"
#include "workspace/FormulaFilters.h"
#include "workspace/FormulaMaintenance.h"
#include "workspace/LimitUpdate.h"
#include "workspace/PredictionLedger.h"
#include "workspace/PredictionRun.h"
#include "workspace/PredictionState.h"
#include "workspace/Workspace.h"

#include <QCursor>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quorvel {

namespace {

} // namespace

CommandsPanel::CommandsPanel(Workspace& workspace, Prompts& prompts, ToolWindows& toolWindows,
                             QWidget* parent)
    : QWidget(parent), m_workspace(workspace), m_prompts(prompts), m_toolWindows(toolWindows),
      m_prediction(std::make_unique<PredictionState>())
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(createPositionFrame());
    layout->addWidget(createKindFrame());
    layout->addWidget(createMethodFrame());

    auto* buttons = new QGridLayout;
    // In the order they stand in the window, two to a row; the operations not part of this version
    // yet are present and disabled. Each letter after & is used once in the whole window, so that
    // Alt and the letter presses the button instead of only moving the focus between namesakes.
    const QList<QPushButton*> commands{
        m_predictButton = button("Command23", "计算公式(&C)", true),
        m_searchButton = button("Command22", "公式搜索(&F)", true),
        m_rangeFilterButton = button("Command7", "公式过滤设置(&G)", true),
        m_limitFilterButton = button("Command133", "滤非极限公式(&L)", true),
        m_limitUpdateButton = button("cmdUpdLim", "更新极限值(&U)", true),
        m_referenceButton = button("Command4", "公式参数对照说明(&I)", true),
        m_selectAllButton = button("Command8", "选中所有公式(&S)", true),
        m_invertButton = button("Command5", "反选所有公式(&V)", true),
        m_clearButton = button("Command2", "清空所有公式(&E)", true),
        m_importButton = button("Command10", "读取公式文本(N)", true),
        m_exportAllButton = button("Command11", "所有类公式中文导出", true),
        m_exportShownButton = button("Command20", "所选类公式中文导出", true),
        m_onlineFormulasButton = button("cmdGsgx", "公式在线更新（&W)", true),
        m_settingsButton = button("Command9", "软件设置(&T)", true),
        m_manualButton = button("Command18", "使用说明文档下载(&H)", true),
        m_slidesButton = button("Command139", "幻灯图示说明下载(&P)", true),
        m_videoButton = button("Command6", "演示说明录像下载(&M)", true),
        m_aboutButton = button("cmdAbout", "关于(&Y)", true),
    };
    for (int slot = 0; slot < commands.size(); ++slot)
        buttons->addWidget(commands[slot], slot / 2, slot % 2);
    layout->addLayout(buttons);
    layout->addStretch(1);
    connectPredictionCommands();
    layout->insertLayout(layout->indexOf(buttons), createRecordCommands());

    m_setupMenu = new SetupMenu(m_workspace, m_prompts, this);
    connect(m_settingsButton, &QPushButton::clicked, this, [this] { m_setupMenu->popup(QCursor::pos()); });
    connect(m_searchButton, &QPushButton::clicked, this, &CommandsPanel::openSearchWindow);
    connect(m_manualButton, &QPushButton::clicked, this, [this] { openManual(UserManual::kManualSection); });
    connect(m_slidesButton, &QPushButton::clicked, this, [this] { openManual(UserManual::kSlidesSection); });
    connect(m_videoButton, &QPushButton::clicked, this, [this] { openManual(UserManual::kVideoSection); });
    connect(m_aboutButton, &QPushButton::clicked, this, &CommandsPanel::showAbout);
    connectFormulaLibrary();

    connect(&m_workspace, &Workspace::currentPositionChanged, this, &CommandsPanel::syncOptions);
    connect(&m_workspace, &Workspace::currentKindChanged, this, &CommandsPanel::syncOptions);
    connect(&m_workspace.settings(), &Settings::changed, this, &CommandsPanel::syncOptions);
    syncOptions();
}

CommandsPanel::~CommandsPanel() = default;

QPushButton* CommandsPanel::button(const char* name, const char* caption, bool built)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), this);
    button->setObjectName(QLatin1String(name));
    button->setEnabled(built);
    button->setAutoDefault(false);
    return button;
}

QWidget* CommandsPanel::createPositionFrame()
{
    QGroupBox* frame = ControlArrays::positionFrame(m_positionOptions, this);
    frame->setObjectName(QStringLiteral("framePosition"));
    for (int position = 1; position <= kPositionCount; ++position)
        connect(m_positionOptions[std::size_t(position - 1)], &QRadioButton::clicked, this,
                [this, position] { choosePosition(position); });
    return frame;
}

QWidget* CommandsPanel::createKindFrame()
{
    QGroupBox* frame = ControlArrays::kindFrame(m_kindOptions, this);
    frame->setObjectName(QStringLiteral("frameKind"));
    for (int index = 0; index < 2; ++index)
        connect(m_kindOptions[std::size_t(index)], &QRadioButton::clicked, this,
                [this, index] { chooseKind(index == 0); });
    return frame;
}

QWidget* CommandsPanel::createMethodFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("计算方法"), this);
    frame->setObjectName(QStringLiteral("frameMethod"));
    auto* layout = new QHBoxLayout(frame);
    m_methodOptions = ControlArrays::options<2>(
        "Option6", {QStringLiteral("最优公式法"), QStringLiteral("计算选中公式")}, frame);
    for (int index = 0; index < 2; ++index) {
        layout->addWidget(m_methodOptions[std::size_t(index)]);
        connect(m_methodOptions[std::size_t(index)], &QRadioButton::clicked, this,
                [this, index] { m_workspace.settings().setComputeSelectedFormulas(index == 1); });
    }
    return frame;
}

void CommandsPanel::syncOptions()
{
    const int position = m_workspace.currentPosition();
    for (int p = 1; p <= kPositionCount; ++p)
        m_positionOptions[std::size_t(p - 1)]->setChecked(p == position);
    const bool kill = m_workspace.currentKindIsKill();
    m_kindOptions[0]->setChecked(kill);
    m_kindOptions[1]->setChecked(!kill);
    const bool computeSelected = m_workspace.settings().computeSelectedFormulas();
    m_methodOptions[0]->setChecked(!computeSelected);
    m_methodOptions[1]->setChecked(computeSelected);
}

void CommandsPanel::choosePosition(int position)
{
    WaitCursor wait;
    reportFailure(m_prompts, m_workspace.selectPosition(position));
}

void CommandsPanel::chooseKind(bool kill)
{
    WaitCursor wait;
    reportFailure(m_prompts, m_workspace.setCurrentKind(kill));
}

void CommandsPanel::openSearchWindow()
{
    SearchWindow& search =
        m_toolWindows.window<SearchWindow>([this] { return new SearchWindow(m_workspace, window()); });
    search.show();
    search.raise();
    search.activateWindow();
}

void CommandsPanel::openManual(const char* section)
{
    const Result<QUrl> url = UserManual::install(m_workspace.dataFolder(), QLatin1String(section));
    if (!url) {
        m_prompts.notice(QStringLiteral("无法打开说明文档"), url.error());
        return;
    }
    m_workspace.desktop().openUrl(*url);
}

void CommandsPanel::showAbout()
{
    m_prompts.notice(
        QStringLiteral("关于"),
        QStringLiteral("Quorvel 快乐十分公式分析 %1\n\n数据文件夹：%2\n\n"
                       "本程序使用以下程序库（各按其许可条款）：\n"
                       "Qt %3，GNU LGPL 第 3 版（https://www.qt.io/licensing/）；\n"
                       "SQLite，公有领域；\n"
                       "libxlsxwriter，BSD 2 条款许可；\n"
                       "zlib，zlib 许可。")
            .arg(BuildInfo::version(), QDir::toNativeSeparators(m_workspace.dataFolder()),
                 QString::fromLatin1(qVersion())));
}

// ---- prediction and filters ---------------------------------------------------------------------

void CommandsPanel::connectPredictionCommands()
{
    connect(m_predictButton, &QPushButton::clicked, this, &CommandsPanel::computePrediction);
    connect(m_rangeFilterButton, &QPushButton::clicked, this, &CommandsPanel::filterByRanges);
    connect(m_limitFilterButton, &QPushButton::clicked, this, &CommandsPanel::filterByLimits);
    connect(m_limitUpdateButton, &QPushButton::clicked, this, &CommandsPanel::updateLimits);
}

void CommandsPanel::computePrediction()
{
    const PredictionMethod method = PredictionRun::chosenMethod(m_workspace.settings());
    if (method == PredictionMethod::SelectedFormulas) {
        runPrediction(method);
        return;
    }
    // The best-formula method runs once its sort settings window is closed, with what was accepted
    // last (nothing at all before the first acceptance).
    SortSettingsWindow& settings = m_toolWindows.window<SortSettingsWindow>([this] {
        auto* created = new SortSettingsWindow(*m_prediction, m_prompts, window());
        connect(created, &QDialog::finished, this, [this] { runPrediction(PredictionMethod::BestFormulas); });
        return created;
    });
    settings.ask();
}

void CommandsPanel::runPrediction(PredictionMethod method)
{
    std::optional<Result<PredictionOutcome>> outcome;
    {
        WaitCursor wait;
        outcome = PredictionRun(m_workspace, *m_prediction).run(method);
    }
    if (!reportFailure(m_prompts, outcome->ok() ? success() : Status(outcome->failure())))
        return;
    if (!(*outcome)->computed)
        return;
    // The ranking is shown even when its hand-over table could not be written.
    reportFailure(m_prompts, (*outcome)->handOver);
    reportFailure(m_prompts, (*outcome)->ledger);
    RankingWindow& ranking = m_toolWindows.window<RankingWindow>(
        [this] { return new RankingWindow(m_workspace, *m_prediction, m_toolWindows, m_prompts, window()); });
    ranking.showRanking();
}

void CommandsPanel::filterByRanges()
{
    FormulaFilterWindow& filter = m_toolWindows.window<FormulaFilterWindow>([this] {
        auto* created = new FormulaFilterWindow(m_workspace, window());
        connect(created, &FormulaFilterWindow::filtered, this, [this](int remaining) {
            m_prompts.notice(FormulaFilter::resultTitle(), FormulaFilter::resultMessage(remaining));
        });
        return created;
    });
    filter.ask();
}

void CommandsPanel::filterByLimits()
{
    const int remaining = FormulaFilters(m_workspace).applyLimitFilter();
    m_prompts.notice(FormulaFilter::resultTitle(), FormulaFilter::resultMessage(remaining));
}

void CommandsPanel::updateLimits()
{
    LimitUpdate update(m_workspace);
    if (!update.confirm())
        return;
    std::optional<Result<int>> raised;
    {
        WaitCursor wait;
        raised = update.apply();
    }
    if (!raised->ok())
        reportFailure(m_prompts, Status(raised->failure()), LimitValues::questionTitle());
}

void CommandsPanel::connectFormulaLibrary()
{
    for (QPushButton* selection : {m_selectAllButton, m_invertButton, m_clearButton})
        selection->setToolTip(QStringLiteral("执行公式列表中序号为蓝色的公式"));
    connect(m_selectAllButton, &QPushButton::clicked, this,
            [this] { FormulaMaintenance(m_workspace).selectAll(); });
    connect(m_invertButton, &QPushButton::clicked, this,
            [this] { FormulaMaintenance(m_workspace).invertSelection(); });
    connect(m_clearButton, &QPushButton::clicked, this, [this] {
        WaitCursor wait;
        reportFailure(m_prompts, FormulaMaintenance(m_workspace).clearAll());
    });

    m_formulaFileCommands = new FormulaFileCommands(m_workspace, m_prompts, window());
    connect(m_importButton, &QPushButton::clicked, m_formulaFileCommands, &FormulaFileCommands::importFile);
    connect(m_onlineFormulasButton, &QPushButton::clicked, m_formulaFileCommands,
            &FormulaFileCommands::updateOnline);
    connect(m_exportAllButton, &QPushButton::clicked, m_formulaFileCommands, &FormulaFileCommands::exportAll);
    connect(m_exportShownButton, &QPushButton::clicked, m_formulaFileCommands,
            &FormulaFileCommands::exportShown);
    connect(m_referenceButton, &QPushButton::clicked, this, &CommandsPanel::openParameterReference);
}

void CommandsPanel::openParameterReference()
{
    m_toolWindows
        .window<ParameterReferenceWindow>(
            [this] { return new ParameterReferenceWindow(m_workspace, window()); })
        .open();
}

// ---- backtest and ledger -----------------------------------------------------------------------

QLayout* CommandsPanel::createRecordCommands()
{
    // The same two columns as the buttons below, so that the row lines up with them.
    auto* row = new QGridLayout;
    m_backtestButton = button("cmdLsHc", "历史回测(&B)", true);
    m_ledgerButton = button("cmdYcJl", "预测记录(&J)", true);
    // Alt+T belongs to "软件设置(&T)", so the trend window takes the Z of 走势.
    m_trendButton = button("cmdZoushi", "号码走势(&Z)", true);
    row->addWidget(m_backtestButton, 0, 0);
    row->addWidget(m_ledgerButton, 0, 1);
    row->addWidget(m_trendButton, 1, 0);
    connect(m_backtestButton, &QPushButton::clicked, this, &CommandsPanel::openBacktest);
    connect(m_ledgerButton, &QPushButton::clicked, this, &CommandsPanel::openLedger);
    connect(m_trendButton, &QPushButton::clicked, this, &CommandsPanel::openTrend);
    // Whichever way a draw comes in (typed, imported, fetched) or goes (deleted), the ledger
    // follows the history.
    connect(&m_workspace, &Workspace::historyChanged, this, &CommandsPanel::scoreLedger);
    return row;
}

void CommandsPanel::openBacktest()
{
    m_toolWindows
        .window<BacktestWindow>([this] {
            return new BacktestWindow(m_workspace, *m_prediction, m_prompts, m_toolWindows, window());
        })
        .open();
}

void CommandsPanel::openTrend()
{
    m_toolWindows.window<TrendWindow>([this] { return new TrendWindow(m_workspace, m_prompts, window()); }).open();
}

void CommandsPanel::openLedger()
{
    m_toolWindows.window<LedgerWindow>([this] { return new LedgerWindow(m_workspace, m_prompts, window()); })
        .open();
}

void CommandsPanel::scoreLedger()
{
    reportFailure(m_prompts, PredictionLedger(m_workspace).score());
}

} // namespace quorvel
