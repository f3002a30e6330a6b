#include "ui/MainWindow.h"

#include "core/LotteryType.h"
#include "core/Settings.h"
#include "core/TermTable.h"
#include "ui/FormulaListModel.h"
#include "ui/GridView.h"
#include "ui/HistoryModel.h"
#include "ui/NumberEntryBox.h"
#include "ui/UserManual.h"
#include "workspace/Prompts.h"
#include "workspace/Workspace.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace quorvel {

namespace {

// The wait cursor for the length of an operation that refreshes the grids.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString arrayName(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

const char* const kRetrievalCaptions[Settings::kRetrievalPeriodsCount] = {
    "前所有期", "前100期", "前200期",  "前300期",  "前500期",
    "前600期",  "前800期", "前1000期", "前1500期", "前3000期"};

} // namespace

MainWindow::MainWindow(Workspace& workspace, Prompts& prompts, QWidget* parent)
    : QWidget(parent), m_workspace(workspace), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quorvel"));

    m_historyModel = new HistoryModel(m_workspace, this);
    m_formulaModel = new FormulaListModel(m_workspace, this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(8);
    layout->addWidget(createHistorySide());
    layout->addWidget(createFormulaSide(), 1);
    layout->addWidget(createCommandSide());
    createMenus();

    // The models have refreshed themselves by the time these run (they connected first).
    connect(&m_workspace, &Workspace::historyChanged, this,
            [this] { m_historyGrid->scrollNewestIntoView(); });
    connect(&m_workspace, &Workspace::formulaListChanged, this, [this] {
        m_formulaGrid->scrollNewestIntoView();
        syncFromWorkspace();
    });
    connect(&m_workspace, &Workspace::currentPositionChanged, this, &MainWindow::syncFromWorkspace);
    connect(&m_workspace, &Workspace::currentKindChanged, this, &MainWindow::syncFromWorkspace);
    connect(&m_workspace, &Workspace::settingsChanged, this, &MainWindow::syncFromWorkspace);
    connect(&m_workspace, &Workspace::issueTextChanged, this, [this](const QString& text) {
        if (m_issueBox->text() != text)
            m_issueBox->setText(text);
    });

    syncFromWorkspace();
    resize(1366, 740);
}

MainWindow::~MainWindow() = default;

QPushButton* MainWindow::addButton(const char* name, const QString& caption, bool built)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setEnabled(built);
    button->setAutoDefault(false);
    return button;
}

QWidget* MainWindow::createHistorySide()
{
    auto* side = new QWidget(this);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);

    m_historyGrid = new GridView(side);
    m_historyGrid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_historyGrid->setModel(m_historyModel);
    int gridWidth = 0;
    for (int column = 0; column < HistoryModel::kColumnCount; ++column) {
        m_historyGrid->setColumnWidth(column, HistoryModel::columnWidthPixels(column));
        gridWidth += HistoryModel::columnWidthPixels(column);
    }
    m_historyGrid->setMinimumWidth(gridWidth + m_historyGrid->verticalScrollBar()->sizeHint().width() +
                                   2 * m_historyGrid->frameWidth());
    m_historyGrid->viewport()->installEventFilter(this);
    layout->addWidget(m_historyGrid, 1);

    auto* entry = new QGroupBox(side);
    auto* entryLayout = new QGridLayout(entry);
    auto* prompt = new QLabel(QStringLiteral("手工输入已经开出的历史号码记录下一期:"), entry);
    prompt->setObjectName(QStringLiteral("Label12"));
    entryLayout->addWidget(prompt, 0, 0, 1, 9);
    auto* issueLabel = new QLabel(QStringLiteral("期号："), entry);
    issueLabel->setObjectName(QStringLiteral("lblIssue"));
    m_issueBox = new QLineEdit(entry);
    m_issueBox->setObjectName(QStringLiteral("Text1"));
    m_issueBox->setMaxLength(16);
    issueLabel->setBuddy(m_issueBox);
    auto* issueRow = new QHBoxLayout;
    issueRow->addWidget(issueLabel);
    issueRow->addWidget(m_issueBox);
    issueRow->addStretch(1);
    entryLayout->addLayout(issueRow, 1, 0, 1, 9);
    connect(m_issueBox, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_workspace.setIssueText(text); });

    const int boxWidth = fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12;
    for (int position = 1; position <= kPositionCount; ++position) {
        auto* box = new NumberEntryBox(position, position == kPositionCount, entry);
        box->setObjectName(QStringLiteral("txtIpt%1").arg(position));
        box->setFixedWidth(boxWidth);
        box->setToolTip(positionName(position));
        m_numberBoxes[std::size_t(position - 1)] = box;
        entryLayout->addWidget(box, 2, position - 1);
        connect(box, &NumberEntryBox::numberCompleted, this, &MainWindow::numberCompleted);
        if (position == 1) {
            connect(box, &NumberEntryBox::focusEntered, this, &MainWindow::clearNumberBoxes);
        }
        if (position == kPositionCount) {
            connect(box, &NumberEntryBox::keyTypedInLastBox, this, [this] {
                if (m_historyModel->rowCount() + 1 >= GridView::kScrollRowThreshold)
                    m_historyGrid->scrollNewestIntoView();
            });
        }
    }
    entryLayout->setColumnStretch(kPositionCount, 1);
    layout->addWidget(entry);

    auto* historyButtons = new QGridLayout;
    historyButtons->addWidget(addButton("Command21", QStringLiteral("开奖历史号在线更新(&O)"), false), 0, 0);
    historyButtons->addWidget(addButton("Command3", QStringLiteral("删除最后历史(&D)"), false), 0, 1);
    historyButtons->addWidget(addButton("cmdLsdcTxt", QStringLiteral("历史号码导出文本文件(&X)"), false), 1,
                              0);
    historyButtons->addWidget(addButton("cmdDcexl", QStringLiteral("导出列表到Excel"), false), 1, 1);
    layout->addLayout(historyButtons);

    m_resultsCheck =
        new QCheckBox(QStringLiteral("历史列表显示公式各期验算结果(时间较长，请耐性等待...)"), side);
    m_resultsCheck->setObjectName(QStringLiteral("Check1"));
    m_resultsCheck->setEnabled(false);
    layout->addWidget(m_resultsCheck);
    m_formulaScroll = new QScrollBar(Qt::Horizontal, side);
    m_formulaScroll->setObjectName(QStringLiteral("HScroll1"));
    m_formulaScroll->setEnabled(false);
    layout->addWidget(m_formulaScroll);
    return side;
}

QWidget* MainWindow::createFormulaSide()
{
    auto* side = new QWidget(this);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_displayTabs = new QTabBar(side);
    m_displayTabs->setObjectName(QStringLiteral("TabStrip1"));
    m_displayTabs->addTab(QStringLiteral("公式中文显示"));
    m_displayTabs->addTab(QStringLiteral("公式英文显示"));
    m_displayTabs->setExpanding(false);
    m_displayTabs->setDrawBase(false);
    connect(m_displayTabs, &QTabBar::currentChanged, this, &MainWindow::chooseDisplay);
    layout->addWidget(m_displayTabs);

    m_formulaGrid = new GridView(side);
    m_formulaGrid->setObjectName(QStringLiteral("MSFlexGrid2"));
    m_formulaGrid->setModel(m_formulaModel);
    for (int column = 0; column < FormulaListModel::ColumnCount; ++column)
        m_formulaGrid->setColumnWidth(column, FormulaListModel::columnWidthPixels(column));
    m_formulaGrid->setColumnHidden(FormulaListModel::IdxColumn, true);
    // The formula column takes the room the window leaves; on a 1366 pixel screen it gives up
    // part of its design width so the statistics stay in view without scrolling sideways.
    m_formulaGrid->setElasticColumn(FormulaListModel::FormulaColumn,
                                    FormulaListModel::columnWidthPixels(FormulaListModel::FormulaColumn) * 3 /
                                        4);
    m_formulaGrid->viewport()->installEventFilter(this);
    connect(m_formulaGrid, &QAbstractItemView::clicked, this, &MainWindow::formulaClicked);
    connect(m_formulaGrid, &QAbstractItemView::doubleClicked, this, &MainWindow::formulaDoubleClicked);
    layout->addWidget(m_formulaGrid, 1);

    auto* typed = new QHBoxLayout;
    typed->setContentsMargins(0, 6, 0, 0);
    m_formulaBox = new QLineEdit(side);
    m_formulaBox->setObjectName(QStringLiteral("Text2"));
    m_formulaBox->setPlaceholderText(QStringLiteral("例如：第一码+第三大小+7=下期杀第一"));
    typed->addWidget(m_formulaBox, 1);
    QPushButton* add = addButton("Command1", QStringLiteral("添加所输公式(&A)"), true);
    connect(add, &QPushButton::clicked, this, &MainWindow::addTypedFormula);
    connect(m_formulaBox, &QLineEdit::returnPressed, add, &QPushButton::click);
    typed->addWidget(add);
    layout->addLayout(typed);
    return side;
}

QWidget* MainWindow::createCommandSide()
{
    auto* side = new QWidget(this);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* positions = new QGroupBox(QStringLiteral("位数选择"), side);
    positions->setObjectName(QStringLiteral("framePosition"));
    auto* positionLayout = new QGridLayout(positions);
    for (int position = 1; position <= kPositionCount; ++position) {
        auto* option = new QRadioButton(positionName(position), positions);
        option->setObjectName(QStringLiteral("optXing%1").arg(position));
        m_positionOptions[std::size_t(position - 1)] = option;
        positionLayout->addWidget(option, (position - 1) / 4, (position - 1) % 4);
        connect(option, &QRadioButton::clicked, this, [this, position] { choosePosition(position); });
    }
    layout->addWidget(positions);

    auto* kinds = new QGroupBox(QStringLiteral("生杀"), side);
    kinds->setObjectName(QStringLiteral("frameKind"));
    auto* kindLayout = new QHBoxLayout(kinds);
    const QString kindCaptions[2] = {QStringLiteral("杀"), QStringLiteral("生")};
    for (int index = 0; index < 2; ++index) {
        auto* option = new QRadioButton(kindCaptions[index], kinds);
        option->setObjectName(arrayName("Option2", index));
        m_kindOptions[std::size_t(index)] = option;
        kindLayout->addWidget(option);
        connect(option, &QRadioButton::clicked, this, [this, index] { chooseKind(index == 0); });
    }
    layout->addWidget(kinds);

    auto* methods = new QGroupBox(QStringLiteral("计算方法"), side);
    methods->setObjectName(QStringLiteral("frameMethod"));
    auto* methodLayout = new QHBoxLayout(methods);
    const QString methodCaptions[2] = {QStringLiteral("最优公式法"), QStringLiteral("计算选中公式")};
    for (int index = 0; index < 2; ++index) {
        auto* option = new QRadioButton(methodCaptions[index], methods);
        option->setObjectName(arrayName("Option6", index));
        m_methodOptions[std::size_t(index)] = option;
        methodLayout->addWidget(option);
        connect(option, &QRadioButton::clicked, this, [this, index] { chooseMethod(index == 1); });
    }
    layout->addWidget(methods);

    auto* buttons = new QGridLayout;
    const struct
    {
        const char* name;
        const char* caption;
        bool built;
    } commands[] = {
        {"Command23", "计算公式(&C)", false},        {"Command22", "公式搜索(&F)", false},
        {"Command7", "公式过滤设置(&F)", false},     {"Command133", "滤非极限公式(&L)", false},
        {"cmdUpdLim", "更新极限值(&U)", false},      {"Command4", "公式参数对照说明(&I)", false},
        {"Command8", "选中所有公式(&S)", false},     {"Command5", "反选所有公式(&O)", false},
        {"Command2", "清空所有公式(&C)", false},     {"Command10", "读取公式文本(N)", false},
        {"Command11", "所有类公式中文导出", false},  {"Command20", "所选类公式中文导出", false},
        {"cmdGsgx", "公式在线更新（&W)", false},     {"Command9", "软件设置(&T)", true},
        {"Command18", "使用说明文档下载(&L)", true}, {"Command139", "幻灯图示说明下载(&P)", true},
        {"Command6", "演示说明录像下载(&M)", true},
    };
    int slot = 0;
    for (const auto& command : commands) {
        QPushButton* button = addButton(command.name, QString::fromUtf8(command.caption), command.built);
        buttons->addWidget(button, slot / 2, slot % 2);
        ++slot;
    }
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(findChild<QPushButton*>(QStringLiteral("Command9")), &QPushButton::clicked, this,
            [this] { m_setupMenu->popup(QCursor::pos()); });
    connect(findChild<QPushButton*>(QStringLiteral("Command18")), &QPushButton::clicked, this,
            [this] { openManual(UserManual::kManualSection); });
    connect(findChild<QPushButton*>(QStringLiteral("Command139")), &QPushButton::clicked, this,
            [this] { openManual(UserManual::kSlidesSection); });
    connect(findChild<QPushButton*>(QStringLiteral("Command6")), &QPushButton::clicked, this,
            [this] { openManual(UserManual::kVideoSection); });
    return side;
}

void MainWindow::createMenus()
{
    auto addItem = [](QMenu* menu, const QString& name, const QString& caption, bool built) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        action->setEnabled(built);
        return action;
    };

    m_formulaMenu = new QMenu(QStringLiteral("管理"), this);
    m_formulaMenu->setObjectName(QStringLiteral("mnuMang"));
    addItem(m_formulaMenu, QStringLiteral("mnuExl"), QStringLiteral("导出到EXCEL表格(&E)"), false);
    addItem(m_formulaMenu, QStringLiteral("mnuCulate"), QStringLiteral("查询该公式历史计算式(&U)"), false);
    addItem(m_formulaMenu, QStringLiteral("mnuDelGS"), QStringLiteral("删除该公式(&D)"), false);
    addItem(m_formulaMenu, QStringLiteral("mnuDelXzGS"), QStringLiteral("删除选中所有公式(&C)"), false);
    addItem(m_formulaMenu, QStringLiteral("mnuDelLst"), QStringLiteral("删除最后公式(&E)"), false);
    addItem(m_formulaMenu, QStringLiteral("mnuDelNXzGS"), QStringLiteral("删除未选中公式(&X)"), false);

    m_historyMenu = new QMenu(QStringLiteral("历史管理"), this);
    m_historyMenu->setObjectName(QStringLiteral("mnuLsgl"));
    addItem(m_historyMenu, QStringLiteral("mnuDcls"), QStringLiteral("导出历史号码(&O)"), false);
    addItem(m_historyMenu, QStringLiteral("mnuDlAll"), QStringLiteral("删除所有历史(&A）"), false);
    addItem(m_historyMenu, QStringLiteral("mnuDlzd"), QStringLiteral("删除到选定期(&D)"), false);
    addItem(m_historyMenu, QStringLiteral("mnuEszhzd"), QStringLiteral("删除最后指定数量期历史(&E)"), false);

    m_setupMenu = new QMenu(QStringLiteral("设置"), this);
    m_setupMenu->setObjectName(QStringLiteral("mnuSetup"));
    const QString resultCaptions[2] = {QStringLiteral("历史列表公式验算结果显示在下期(&N)"),
                                       QStringLiteral("历史列表公式验算结果显示在当期(&T)")};
    for (int index = 0; index < 2; ++index) {
        QAction* action = addItem(m_setupMenu, arrayName("mnuYsXs", index), resultCaptions[index], true);
        action->setCheckable(true);
        m_resultDisplayActions[std::size_t(index)] = action;
        connect(action, &QAction::triggered, this, [this, index] {
            m_workspace.setResultsAtCurrentPeriod(index == 1);
            syncFromWorkspace();
        });
    }

    QMenu* retrieval = m_setupMenu->addMenu(QStringLiteral("检索期数设置(&Q)"));
    retrieval->setObjectName(QStringLiteral("mnuQsJs"));
    retrieval->menuAction()->setObjectName(QStringLiteral("mnuQsJs"));
    m_excludeCurrentAction =
        addItem(retrieval, QStringLiteral("mnuBuhan"), QStringLiteral("检索期数前溯不含当前期"), true);
    m_excludeCurrentAction->setCheckable(true);
    connect(m_excludeCurrentAction, &QAction::triggered, this, [this] {
        m_workspace.toggleExcludeCurrentPeriod();
        syncFromWorkspace();
    });
    retrieval->addSeparator();
    for (int index = 0; index < Settings::kRetrievalPeriodsCount; ++index) {
        QAction* action =
            addItem(retrieval, arrayName("mnuQs", index), QString::fromUtf8(kRetrievalCaptions[index]), true);
        action->setCheckable(true);
        m_retrievalActions[std::size_t(index)] = action;
        connect(action, &QAction::triggered, this, [this, index] {
            {
                WaitCursor wait;
                m_workspace.setRetrievalPeriodsIndex(index);
            }
            syncFromWorkspace();
        });
    }

    m_weightedAction =
        addItem(m_setupMenu, QStringLiteral("mnuZqlJq"), QStringLiteral("正确率使用期数加权算法(&A)"), true);
    m_weightedAction->setCheckable(true);
    connect(m_weightedAction, &QAction::triggered, this, [this] {
        m_workspace.toggleWeightedAccuracy();
        syncFromWorkspace();
    });

    QAction* historyDays = addItem(m_setupMenu, QStringLiteral("mnuSetDay"),
                                   QStringLiteral("历史号码更新检索天数设置(&D)"), true);
    connect(historyDays, &QAction::triggered, this, [this] {
        m_workspace.editHistoryDays();
        syncFromWorkspace();
    });

    QMenu* lottery = m_setupMenu->addMenu(QStringLiteral("彩种选择"));
    lottery->setObjectName(QStringLiteral("mnuCaizhong"));
    lottery->menuAction()->setObjectName(QStringLiteral("mnuCaizhong"));
    for (int index = 0; index < kLotteryTypeCount; ++index) {
        QAction* action =
            addItem(lottery, arrayName("mnuKL10", index), lotteryTypes()[std::size_t(index)].caption, true);
        action->setCheckable(true);
        m_lotteryActions[std::size_t(index)] = action;
        connect(action, &QAction::triggered, this, [this, index] {
            m_workspace.pickLotteryType(index);
            syncFromWorkspace();
        });
    }

    QAction* restore =
        addItem(m_setupMenu, QStringLiteral("meuHfmr"), QStringLiteral("恢复默认设置(&R)"), true);
    connect(restore, &QAction::triggered, this, [this] {
        m_workspace.restoreDefaults();
        syncFromWorkspace();
    });
}

void MainWindow::syncFromWorkspace()
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
    {
        const QSignalBlocker blocker(m_displayTabs);
        m_displayTabs->setCurrentIndex(m_workspace.chineseDisplay() ? 0 : 1);
    }
    if (m_issueBox->text() != m_workspace.issueText())
        m_issueBox->setText(m_workspace.issueText());

    const bool atCurrent = m_workspace.resultsAtCurrentPeriod();
    m_resultDisplayActions[0]->setChecked(!atCurrent);
    m_resultDisplayActions[1]->setChecked(atCurrent);
    const int retrieval = m_workspace.retrievalPeriodsIndex();
    for (int index = 0; index < Settings::kRetrievalPeriodsCount; ++index)
        m_retrievalActions[std::size_t(index)]->setChecked(index == retrieval);
    const VerificationSettings verification = m_workspace.verificationSettings();
    m_excludeCurrentAction->setChecked(verification.excludeCurrentPeriod);
    m_weightedAction->setChecked(verification.weighted);
    const int lottery = m_workspace.lotteryTypeIndex();
    for (int index = 0; index < kLotteryTypeCount; ++index)
        m_lotteryActions[std::size_t(index)]->setChecked(index == lottery);
}

void MainWindow::choosePosition(int position)
{
    {
        WaitCursor wait;
        m_workspace.selectPosition(position);
    }
    syncFromWorkspace();
}

void MainWindow::chooseKind(bool kill)
{
    m_workspace.setCurrentKind(kill);
    syncFromWorkspace();
}

void MainWindow::chooseMethod(bool computeSelected)
{
    m_workspace.settings().setComputeSelectedFormulas(computeSelected);
    syncFromWorkspace();
}

void MainWindow::chooseDisplay(int tab)
{
    {
        WaitCursor wait;
        m_workspace.setChineseDisplay(tab == 0);
    }
    syncFromWorkspace();
}

void MainWindow::formulaClicked(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    if (index.column() == FormulaListModel::FormulaColumn) {
        const int listNumber = m_formulaModel->listNumberAt(index.row());
        if (listNumber != 0)
            m_workspace.toggleSelection(listNumber);
    } else if (index.column() == FormulaListModel::ComputedColumn) {
        m_formulaModel->markSameComputedValue(index.row());
    }
}

void MainWindow::formulaDoubleClicked(const QModelIndex& index)
{
    if (!index.isValid() || index.column() < FormulaListModel::LimitColumn ||
        index.column() > FormulaListModel::LastHitsColumn)
        return;
    Status sorted = success();
    {
        WaitCursor wait;
        sorted = m_formulaModel->sortByColumn(index.column());
    }
    if (!sorted) {
        m_prompts.notice(QStringLiteral("排序失败"), sorted.error());
        return;
    }
    m_formulaGrid->scrollNewestIntoView();
}

void MainWindow::addTypedFormula()
{
    const QString text = m_formulaBox->text();
    Status added = success();
    {
        WaitCursor wait;
        added = m_workspace.addTypedFormula(text);
    }
    if (added) {
        m_formulaBox->clear();
    } else if (text.trimmed().isEmpty()) {
        m_formulaBox->setFocus(Qt::OtherFocusReason);
    }
    syncFromWorkspace();
}

void MainWindow::numberCompleted(int position)
{
    if (position < kPositionCount) {
        m_numberBoxes[std::size_t(position)]->setFocus(Qt::TabFocusReason);
        return;
    }
    storeDraw();
}

void MainWindow::storeDraw()
{
    DrawNumbers numbers{};
    for (int p = 0; p < kPositionCount; ++p)
        numbers[std::size_t(p)] = m_numberBoxes[std::size_t(p)]->number();
    Status stored = success();
    {
        WaitCursor wait;
        stored = m_workspace.addManualDraw(m_issueBox->text(), numbers);
    }
    syncFromWorkspace();
    // A refused draw keeps its numbers in the boxes for correction; the workspace has said why.
    if (!stored)
        return;
    clearNumberBoxes();
    m_numberBoxes[0]->setFocus(Qt::OtherFocusReason);
    m_historyGrid->scrollNewestIntoView();
}

void MainWindow::clearNumberBoxes()
{
    for (NumberEntryBox* box : m_numberBoxes)
        box->clear();
}

void MainWindow::openManual(const char* section)
{
    const Result<QUrl> url = UserManual::install(m_workspace.database().dataFolder(), QLatin1String(section));
    if (!url) {
        m_prompts.notice(QStringLiteral("无法打开说明文档"), url.error());
        return;
    }
    m_prompts.openUrl(*url);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            const QPoint global = mouse->globalPosition().toPoint();
            if (watched == m_formulaGrid->viewport()) {
                const QModelIndex index = m_formulaGrid->indexAt(mouse->position().toPoint());
                if (index.isValid())
                    m_formulaGrid->setCurrentIndex(index);
                m_formulaMenu->popup(global);
                return true;
            }
            if (watched == m_historyGrid->viewport()) {
                m_historyMenu->popup(global);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // The grids know their height only once shown: bring the newest rows into view then.
    QTimer::singleShot(0, this, [this] {
        m_historyGrid->scrollNewestIntoView();
        m_formulaGrid->scrollNewestIntoView();
    });
}

} // namespace quorvel
