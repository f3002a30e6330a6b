#include "ui/tools/SearchWindow.h"

#include "core/ThreadStart.h"
#include "ui/ControlArrays.h"
#include "ui/FailureNotice.h"
#include "ui/FoundLinesModel.h"
#include "ui/OperationProgress.h"
#include "ui/WaitCursor.h"
#include "workspace/FoundFormulaExport.h"
#include "workspace/SearchResultStore.h"
#include "workspace/Workspace.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace quorvel {

namespace {

const QString kTitle = QStringLiteral("公式搜索设置以及搜索结果");
const QString kSearchTitle = QStringLiteral("公式搜索");
const QString kTuneAllTitle = QStringLiteral("更新参数默认设置");
const QString kTuneAllQuestion =
    QStringLiteral("此操作将耗时一分钟到数分钟自动搜索分析各类公式并分析其参数值，归纳出相对参数较高的数值为"
                   "设置软件各类公式搜"
                   "索的默认值，操作后各类公式搜索默认值将改变，是否确认更改搜索默认值？");
const QString kSaveCategoryTitle = QStringLiteral("保存当前种类参数设置");

constexpr int kMinimumSamples = 20;
constexpr int kMaximumSamples = 1000;

// Names of the rows of bound and statistic boxes, in the order of bounds 2..9 (two per row).
const std::array<QString, 4> kStatisticNames = {QStringLiteral("最大连错"), QStringLiteral("最大连对"),
                                                QStringLiteral("最后连错"), QStringLiteral("最后连对")};

// Reports a failed result once; true when it succeeded.
template <typename T>
bool succeeded(Prompts& prompts, const Result<T>& result, const QString& title = QStringLiteral("数据库错误"))
{
    if (result)
        return true;
    reportFailure(prompts, result.failure(), title);
    return false;
}

QLineEdit* lineEdit(QWidget* parent, const QString& name, const QString& text, int width = 0)
{
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    if (width > 0)
        box->setFixedWidth(width);
    return box;
}

QLineEdit* readOnlyBox(QWidget* parent, const QString& name, int width = 0)
{
    QLineEdit* box = lineEdit(parent, name, QString(), width);
    box->setReadOnly(true);
    return box;
}

} // namespace

SearchWindow::SearchWindow(Workspace& workspace, QWidget* parent)
    : QDialog(parent), m_workspace(workspace), m_dialogPrompts(this), m_prompts(&m_dialogPrompts),
      m_settings(workspace.settings())
{
    setObjectName(QStringLiteral("frmGSGL"));
    setWindowTitle(kTitle);
    setWindowModality(Qt::ApplicationModal);

    auto* settingsColumn = new QVBoxLayout;
    settingsColumn->addWidget(createPositionFrame());
    auto* kindAndForm = new QHBoxLayout;
    kindAndForm->addWidget(createKindFrame());
    kindAndForm->addWidget(createFormFrame());
    settingsColumn->addLayout(kindAndForm);
    auto* constantAndOperands = new QHBoxLayout;
    constantAndOperands->addWidget(createConstantFrame());
    constantAndOperands->addWidget(createOperandFrame());
    settingsColumn->addLayout(constantAndOperands);
    settingsColumn->addWidget(createBoundsFrame());
    settingsColumn->addWidget(createStatisticsFrame());
    settingsColumn->addStretch(1);

    auto* schemeColumn = new QVBoxLayout;
    schemeColumn->addWidget(createSchemeFrame());
    schemeColumn->addWidget(createTuningFrame());
    schemeColumn->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(settingsColumn);
    layout->addWidget(createRunArea(), 1);
    layout->addLayout(schemeColumn);

    m_listFlush.setSingleShot(true);
    m_listFlush.setInterval(100);
    connect(&m_listFlush, &QTimer::timeout, this, &SearchWindow::flushList);
    connect(&m_engine, &SearchEngine::formulasFound, this, &SearchWindow::addFound);
    connect(&m_engine, &SearchEngine::progressChanged, this, &SearchWindow::showProgress);
    connect(&m_engine, &SearchEngine::finished, this, &SearchWindow::singleSearchFinished);
    connect(&m_luck, &LuckCounter::progressed, this,
            [this](int percent) { showLuck(QStringLiteral("计算中 %1%").arg(percent)); });
    connect(&m_luck, &LuckCounter::counted, this,
            [this](int luck) { showLuck(QStringLiteral("%1 条").arg(luck)); });
    connect(&m_scheme, &SearchScheme::formulasFound, this, &SearchWindow::addFound);
    connect(&m_scheme, &SearchScheme::progressChanged, this, &SearchWindow::showProgress);
    connect(&m_scheme, &SearchScheme::positionStarted, this, &SearchWindow::schemePositionStarted);
    connect(&m_scheme, &SearchScheme::positionDone, this,
            [this](int position, bool) { colourPositionLabel(position, Qt::blue); });
    connect(&m_scheme, &SearchScheme::finished, this, &SearchWindow::schemeFinished);
    connect(&m_tuning, &QFutureWatcher<TuningResult>::progressValueChanged, this, [this](int value) {
        // TuneAll counts the samples of each position from 0.
        int tried = value;
        if (m_tuningAll && m_tuningSamples > 0) {
            tried = value % m_tuningSamples;
            if (tried == 0 && value > 0)
                tried = m_tuningSamples;
        }
        showTried(quint64(tried));
        if (m_tuneAllProgress)
            m_tuneAllProgress->setValue(value);
    });
    connect(&m_tuning, &QFutureWatcher<TuningResult>::resultReadyAt, this, &SearchWindow::tuningResultReady);
    connect(&m_tuning, &QFutureWatcher<TuningResult>::finished, this, &SearchWindow::tuningFinished);

    // As the window opens: position 1, keep, the bounds and operand count of (1, keep), and the
    // count mode it shows selected.
    m_positionOptions[0]->setChecked(true);
    m_kindOptions[1]->setChecked(true);
    selectPosition(1);
    showTried(0);
    m_foundBox->setText(QStringLiteral("0"));
    updateButtons();
    resize(1200, 720);
}

SearchWindow::~SearchWindow()
{
    m_tuning.disconnect(this);
    m_tuning.cancel();
    m_tuning.waitForFinished();
}

// ---- building the window -----------------------------------------------------------------------

QPushButton* SearchWindow::button(const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QGroupBox* SearchWindow::createPositionFrame()
{
    QGroupBox* frame = ControlArrays::positionFrame(m_positionOptions, this);
    for (int position = 1; position <= kPositionCount; ++position)
        connect(m_positionOptions[std::size_t(position - 1)], &QRadioButton::clicked, this,
                [this, position] { selectPosition(position); });
    return frame;
}

QGroupBox* SearchWindow::createKindFrame()
{
    QGroupBox* frame = ControlArrays::kindFrame(m_kindOptions, this);
    for (int index = 0; index < 2; ++index)
        connect(m_kindOptions[std::size_t(index)], &QRadioButton::clicked, this,
                [this, index] { selectKind(index == 0); });
    return frame;
}

QGroupBox* SearchWindow::createFormFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("公式形式"), this);
    auto* layout = new QVBoxLayout(frame);
    m_formOptions = ControlArrays::options<2>(
        "Option6", {QStringLiteral("[Xxx类]A+B"), QStringLiteral("A+B=下期杀xx")}, frame);
    for (QRadioButton* option : m_formOptions) {
        layout->addWidget(option);
        connect(option, &QRadioButton::toggled, this, &SearchWindow::applyLiveSettings);
    }
    m_formOptions[0]->setChecked(true);
    return frame;
}

QGroupBox* SearchWindow::createConstantFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("公式末尾偏移常数"), this);
    auto* layout = new QGridLayout(frame);
    m_constantOptions =
        ControlArrays::options<2>("Option5", {QStringLiteral("指定"), QStringLiteral("随机")}, frame);
    for (int index = 0; index < 2; ++index) {
        layout->addWidget(m_constantOptions[std::size_t(index)], index, 0);
        connect(m_constantOptions[std::size_t(index)], &QRadioButton::toggled, this,
                &SearchWindow::applyLiveSettings);
    }
    m_constantOptions[0]->setChecked(true);
    m_constantBox = lineEdit(frame, QStringLiteral("Text6"), QStringLiteral("0"), 60);
    layout->addWidget(m_constantBox, 0, 1);
    connect(m_constantBox, &QLineEdit::textChanged, this, &SearchWindow::applyLiveSettings);
    return frame;
}

QGroupBox* SearchWindow::createOperandFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("公式元数"), this);
    auto* layout = new QGridLayout(frame);
    auto* label = new QLabel(QStringLiteral("公式运算元数"), frame);
    m_operandBox = readOnlyBox(frame, QStringLiteral("Text2"), 40);
    m_operandBox->setText(QStringLiteral("8"));
    m_operandScroll = new QScrollBar(Qt::Horizontal, frame);
    m_operandScroll->setObjectName(QStringLiteral("HScroll1"));
    m_operandScroll->setRange(CandidateGenerator::kMinimumOperands, CandidateGenerator::kMaximumOperands);
    m_operandScroll->setValue(8);
    m_operandScroll->setMinimumWidth(100);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_operandBox, 0, 1);
    layout->addWidget(m_operandScroll, 1, 0, 1, 2);
    connect(m_operandScroll, &QScrollBar::valueChanged, this, [this](int value) {
        m_operandBox->setText(QString::number(value));
        m_settings.setOperandCount(m_position, value);
        applyLiveSettings();
    });
    return frame;
}

QGroupBox* SearchWindow::createBoundsFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("公式参数"), this);
    auto* layout = new QGridLayout(frame);
    // The boxes before the window reads the bounds of its first category.
    const std::array<QString, 8> designTexts = {
        QStringLiteral("0"), QStringLiteral("1"),     QStringLiteral("256"), QStringLiteral("32768"),
        QStringLiteral("0"), QStringLiteral("32768"), QStringLiteral("64"),  QStringLiteral("32768")};
    for (int row = 0; row < 4; ++row) {
        layout->addWidget(new QLabel(kStatisticNames[std::size_t(row)], frame), row, 0);
        for (int side = 0; side < 2; ++side) {
            const int bound = AcceptanceBounds::kFirstNumber + 2 * row + side;
            QLineEdit* box = lineEdit(frame, ControlArrays::name("Text1", bound),
                                      designTexts[std::size_t(bound - AcceptanceBounds::kFirstNumber)], 64);
            m_boundBoxes[std::size_t(bound - AcceptanceBounds::kFirstNumber)] = box;
            layout->addWidget(box, row, 1 + 2 * side);
        }
        layout->addWidget(new QLabel(QStringLiteral("到"), frame), row, 2);
    }
    return frame;
}

QGroupBox* SearchWindow::createStatisticsFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("当前公式参数值"), this);
    auto* layout = new QGridLayout(frame);
    for (int i = 0; i < 4; ++i) {
        layout->addWidget(new QLabel(kStatisticNames[std::size_t(i)], frame), i / 2, 2 * (i % 2));
        m_statisticBoxes[std::size_t(i)] = readOnlyBox(frame, ControlArrays::name("Text1", 11 + i), 64);
        layout->addWidget(m_statisticBoxes[std::size_t(i)], i / 2, 2 * (i % 2) + 1);
    }
    m_candidateBox = readOnlyBox(frame, QStringLiteral("Text11"));
    layout->addWidget(m_candidateBox, 2, 0, 1, 4);
    return frame;
}

QWidget* SearchWindow::createRunArea()
{
    auto* area = new QWidget(this);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* counters = new QGridLayout;
    counters->addWidget(new QLabel(QStringLiteral("当前验证公式数"), area), 0, 0);
    m_triedBox = readOnlyBox(area, QStringLiteral("Text3"));
    counters->addWidget(m_triedBox, 0, 1);
    counters->addWidget(new QLabel(QStringLiteral("检索合格公式数"), area), 1, 0);
    m_foundBox = readOnlyBox(area, QStringLiteral("Text4"));
    counters->addWidget(m_foundBox, 1, 1);
    m_luckLabel = new QLabel(area);
    m_luckLabel->setObjectName(QStringLiteral("lblLuck"));
    m_luckLabel->setToolTip(QStringLiteral(
        "把历史各期的顺序打乱（前一期与后一期不再有任何联系）后，用同一种子验证同样多的公式，合格的条数就是"
        "单凭运气能得到的数目；合格公式数与它相近时，这些公式很可能只是偶然合格。"));
    counters->addWidget(m_luckLabel, 1, 2);
    counters->addWidget(new QLabel(QStringLiteral("随机种子"), area), 2, 0);
    m_seedBox = lineEdit(area, QStringLiteral("txtSeed"), QString());
    m_seedBox->setPlaceholderText(QStringLiteral("空：开始时取自时钟"));
    m_seedBox->setToolTip(QStringLiteral("同一种子和设置搜索出同样的公式；留空则每次开始时由时钟产生。"));
    counters->addWidget(m_seedBox, 2, 1);
    m_autoStop = new QCheckBox(QStringLiteral("自动中止"), area);
    m_autoStop->setObjectName(QStringLiteral("Check1"));
    m_autoStopTarget = lineEdit(area, ControlArrays::name("Text1", 15), QStringLiteral("50"), 64);
    auto* autoStop = new QHBoxLayout;
    autoStop->addWidget(m_autoStop);
    autoStop->addWidget(m_autoStopTarget);
    autoStop->addStretch(1);
    counters->addLayout(autoStop, 3, 0, 1, 2);
    // Ticked while a search runs, the stop rule holds from then on.
    connect(m_autoStop, &QCheckBox::toggled, this, &SearchWindow::applyAutoStop);
    connect(m_autoStopTarget, &QLineEdit::editingFinished, this, &SearchWindow::applyAutoStop);
    layout->addLayout(counters);

    auto* runButtons = new QHBoxLayout;
    m_startButton = button("Command1", QStringLiteral("开始搜索(&F)"));
    m_pauseButton = button("Command2", QStringLiteral("暂停搜索(&E)"));
    runButtons->addWidget(m_startButton);
    runButtons->addWidget(m_pauseButton);
    layout->addLayout(runButtons);

    m_lines = new FoundLinesModel(this);
    m_list = new QListView(area);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setModel(m_lines);
    m_list->setUniformItemSizes(true);
    // Laid out a block at a time: a view laying out tens of thousands of lines at once would hold
    // up the window with every block of found formulas.
    m_list->setLayoutMode(QListView::Batched);
    m_list->setBatchSize(2000);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(m_list, 1);

    auto* storeButtons = new QHBoxLayout;
    m_appendButton = button("Command3", QStringLiteral("公式追加到数据库(&A)"));
    m_appendButton->setToolTip(QStringLiteral("保留软件现有公式然后将所有合格公式追加到软件数据库。"));
    m_replaceButton = button("Command4", QStringLiteral("公式更新到数据库(&N)"));
    m_replaceButton->setToolTip(QStringLiteral("删除软件现有公式然后将所有合格公式添加到软件数据库。"));
    m_exportButton = button("Command20", QStringLiteral("公式中文导出"));
    storeButtons->addWidget(m_appendButton);
    storeButtons->addWidget(m_replaceButton);
    storeButtons->addWidget(m_exportButton);
    layout->addLayout(storeButtons);

    connect(m_startButton, &QPushButton::clicked, this, &SearchWindow::startSingleSearch);
    connect(m_pauseButton, &QPushButton::clicked, this, &SearchWindow::pauseSingleSearch);
    connect(m_appendButton, &QPushButton::clicked, this, [this] { storeFound(false, false); });
    connect(m_replaceButton, &QPushButton::clicked, this, [this] { storeFound(true, false); });
    connect(m_exportButton, &QPushButton::clicked, this, &SearchWindow::exportFound);
    return area;
}

QGroupBox* SearchWindow::createSchemeFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("公式自动搜索方案设置"), this);
    auto* layout = new QGridLayout(frame);
    for (int position = 1; position <= kPositionCount; ++position) {
        const std::size_t p = std::size_t(position - 1);
        m_schemeLabels[p] = new QLabel(positionName(position), frame);
        m_schemeLabels[p]->setObjectName(ControlArrays::name("Label4", position));
        m_targetBoxes[p] = lineEdit(frame, ControlArrays::name("Text5", position), QString(), 64);
        m_countLabels[p] = new QLabel(frame);
        m_countLabels[p]->setObjectName(ControlArrays::name("Label5", position));
        layout->addWidget(m_schemeLabels[p], int(p), 0);
        layout->addWidget(m_targetBoxes[p], int(p), 1);
        layout->addWidget(m_countLabels[p], int(p), 2);
        connect(m_targetBoxes[p], &QLineEdit::editingFinished, this, &SearchWindow::refreshPlannedTotal);
    }
    m_countModeOptions = ControlArrays::options<2>(
        "Option4", {QStringLiteral("公式保有数量"), QStringLiteral("公式新增数量")}, frame);
    auto* modeRow = new QHBoxLayout;
    for (QRadioButton* option : m_countModeOptions) {
        modeRow->addWidget(option);
        connect(option, &QRadioButton::clicked, this, [this] {
            m_countMode = m_countModeOptions[0]->isChecked() ? SchemeCountMode::Hold : SchemeCountMode::New;
            refreshPlannedTotal();
        });
    }
    // The mode the scheme starts in is the one shown selected.
    m_countModeOptions[1]->setChecked(true);
    layout->addLayout(modeRow, kPositionCount, 0, 1, 3);

    auto* totalLabel = new QLabel(QStringLiteral("公式总保有量"), frame);
    totalLabel->setObjectName(QStringLiteral("Label7"));
    m_totalLabel = new QLabel(frame);
    m_totalLabel->setObjectName(QStringLiteral("Label6"));
    layout->addWidget(totalLabel, kPositionCount + 1, 0, 1, 2);
    layout->addWidget(m_totalLabel, kPositionCount + 1, 2);

    const QString stores[2] = {QStringLiteral("搜索完毕公式自动追加到数据库"),
                               QStringLiteral("搜索完毕公式自动更新到数据库")};
    for (int index = 0; index < 2; ++index) {
        auto* box = new QCheckBox(stores[index], frame);
        box->setObjectName(ControlArrays::name("chkAutApd", index));
        m_autoStoreBoxes[std::size_t(index)] = box;
        layout->addWidget(box, kPositionCount + 2 + index, 0, 1, 3);
        // At most one of the two is ticked; both may be clear.
        connect(box, &QCheckBox::clicked, this,
                [this, index] { m_autoStoreBoxes[std::size_t(1 - index)]->setChecked(false); });
    }
    m_autoStoreBoxes[1]->setChecked(true);

    m_saveTargetsButton = button("Command9", QStringLiteral("保存设置"));
    m_loadTargetsButton = button("Command10", QStringLiteral("调用设置"));
    m_schemeButton = button("Command5", QStringLiteral("确定搜索方案开始搜索"));
    m_schemePauseButton = button("Command7", QStringLiteral("暂停"));
    m_schemeContinueButton = button("Command6", QStringLiteral("继续"));
    auto* targetButtons = new QHBoxLayout;
    targetButtons->addWidget(m_saveTargetsButton);
    targetButtons->addWidget(m_loadTargetsButton);
    layout->addLayout(targetButtons, kPositionCount + 4, 0, 1, 3);
    layout->addWidget(m_schemeButton, kPositionCount + 5, 0, 1, 3);
    auto* schemeButtons = new QHBoxLayout;
    schemeButtons->addWidget(m_schemePauseButton);
    schemeButtons->addWidget(m_schemeContinueButton);
    layout->addLayout(schemeButtons, kPositionCount + 6, 0, 1, 3);

    connect(m_saveTargetsButton, &QPushButton::clicked, this, &SearchWindow::saveSchemeTargets);
    connect(m_loadTargetsButton, &QPushButton::clicked, this, &SearchWindow::loadSchemeTargets);
    connect(m_schemeButton, &QPushButton::clicked, this, &SearchWindow::startScheme);
    connect(m_schemePauseButton, &QPushButton::clicked, this, [this] {
        m_scheme.pause();
        updateButtons();
    });
    connect(m_schemeContinueButton, &QPushButton::clicked, this, [this] {
        m_scheme.resume();
        updateButtons();
    });
    return frame;
}

QGroupBox* SearchWindow::createTuningFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("公式参数智能设置"), this);
    auto* layout = new QGridLayout(frame);
    m_sampleScroll = new QScrollBar(Qt::Horizontal, frame);
    m_sampleScroll->setObjectName(QStringLiteral("HScroll2"));
    m_sampleScroll->setRange(kMinimumSamples, kMaximumSamples);
    m_sampleScroll->setValue(kMinimumSamples);
    m_sampleBox = readOnlyBox(frame, QStringLiteral("Text7"), 50);
    m_sampleBox->setText(QString::number(kMinimumSamples));
    layout->addWidget(m_sampleScroll, 0, 0);
    layout->addWidget(m_sampleBox, 0, 1);
    connect(m_sampleScroll, &QScrollBar::valueChanged, this,
            [this](int value) { m_sampleBox->setText(QString::number(value)); });

    m_tuneButton = button("Command11", QStringLiteral("当前公式类在指定范围内检索最优参数设置"));
    m_saveCategoryButton = button("Command8", QStringLiteral("保存当前种类参数设置"));
    m_tuneAllButton = button("Command12", QStringLiteral("所有公式类在指定范围内检索最优参数设置并保存"));
    layout->addWidget(m_tuneButton, 1, 0, 1, 2);
    layout->addWidget(m_saveCategoryButton, 2, 0, 1, 2);
    layout->addWidget(m_tuneAllButton, 3, 0, 1, 2);
    connect(m_tuneButton, &QPushButton::clicked, this, &SearchWindow::tuneCurrent);
    connect(m_saveCategoryButton, &QPushButton::clicked, this, qOverload<>(&SearchWindow::saveCategory));
    connect(m_tuneAllButton, &QPushButton::clicked, this, &SearchWindow::tuneAll);
    return frame;
}

// ---- settings ----------------------------------------------------------------------------------

void SearchWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        refreshTableCounts();
}

void SearchWindow::selectPosition(int position)
{
    m_position = position;
    m_positionOptions[std::size_t(position - 1)]->setChecked(true);
    showBounds(m_settings.bounds(position, m_kill));
    // Moving the scroll bar shows and stores the count and hands it to a running search.
    const int operands = m_settings.operandCount(position);
    if (m_operandScroll->value() == operands)
        applyLiveSettings();
    else
        m_operandScroll->setValue(operands);
    m_operandBox->setText(QString::number(operands));
}

void SearchWindow::selectKind(bool kill)
{
    m_kill = kill;
    m_kindOptions[kill ? 0 : 1]->setChecked(true);
    selectPosition(m_position);
}

void SearchWindow::showBounds(const AcceptanceBounds& bounds)
{
    for (int bound = AcceptanceBounds::kFirstNumber; bound <= AcceptanceBounds::kLastNumber; ++bound)
        m_boundBoxes[std::size_t(bound - AcceptanceBounds::kFirstNumber)]->setText(
            SearchSettings::numberText(bounds.bound(bound)));
}

AcceptanceBounds SearchWindow::boundsInBoxes() const
{
    AcceptanceBounds bounds;
    for (int bound = AcceptanceBounds::kFirstNumber; bound <= AcceptanceBounds::kLastNumber; ++bound)
        bounds.setBound(bound,
                        SearchSettings::numberIn(
                            m_boundBoxes[std::size_t(bound - AcceptanceBounds::kFirstNumber)]->text()));
    return bounds;
}

std::optional<int> SearchWindow::specifiedConstant() const
{
    if (m_constantOptions[1]->isChecked())
        return std::nullopt;
    return CandidateGenerator::specifiedConstant(m_constantBox->text());
}

FormulaText::Shape SearchWindow::shape() const
{
    return m_formOptions[0]->isChecked() ? FormulaText::Shape::Prefix : FormulaText::Shape::Suffix;
}

GenerationSettings SearchWindow::generation() const
{
    GenerationSettings settings;
    settings.position = m_position;
    settings.kill = m_kill;
    settings.operandCount = m_operandScroll->value();
    settings.constant = specifiedConstant();
    settings.shape = shape();
    return settings;
}

void SearchWindow::applyLiveSettings()
{
    // Built controls only: the frames connect before the whole window stands.
    if (!m_operandScroll || !m_constantBox || !m_formOptions[1] || !m_constantOptions[1])
        return;
    if (m_engine.isActive())
        m_engine.setLiveSettings(generation());
    if (m_scheme.isActive())
        m_scheme.setFormOptions(specifiedConstant(), shape());
}

void SearchWindow::refreshTableCounts()
{
    const Result<std::array<int, kPositionCount>> counts = SearchResultStore(m_workspace).tableCounts();
    if (!succeeded(*m_prompts, counts))
        return;
    m_tableCounts = *counts;
    m_existingTotal = 0;
    for (int position = 1; position <= kPositionCount; ++position) {
        const int count = m_tableCounts[std::size_t(position - 1)];
        m_countLabels[std::size_t(position - 1)]->setText(QString::number(count));
        m_existingTotal += count;
    }
    refreshPlannedTotal();
}

std::array<std::optional<int>, kPositionCount> SearchWindow::schemeTargets() const
{
    std::array<std::optional<int>, kPositionCount> targets{};
    for (std::size_t p = 0; p < targets.size(); ++p)
        targets[p] = SearchSettings::targetIn(m_targetBoxes[p]->text());
    return targets;
}

void SearchWindow::refreshPlannedTotal()
{
    m_totalLabel->setText(QString::number(
        SchemePlan::plannedTotal(schemeTargets(), m_tableCounts, m_countMode, m_existingTotal)));
}

void SearchWindow::saveSchemeTargets()
{
    const std::array<std::optional<int>, kPositionCount> typed = schemeTargets();
    std::array<int, kPositionCount> targets{};
    for (std::size_t p = 0; p < targets.size(); ++p)
        targets[p] = typed[p].value_or(0);
    m_settings.saveSchemeTargets(m_kill, targets);
}

void SearchWindow::loadSchemeTargets()
{
    const std::array<int, kPositionCount> targets = m_settings.schemeTargets(m_kill);
    for (std::size_t p = 0; p < targets.size(); ++p)
        m_targetBoxes[p]->setText(QString::number(targets[p]));
    refreshPlannedTotal();
}

// The seed of a run: the one typed, else one from the clock; shown in the box either way.
quint64 SearchWindow::seedForRun(bool& typed)
{
    bool ok = false;
    const quint64 seed = m_seedBox->text().trimmed().toULongLong(&ok);
    typed = ok;
    const quint64 used = ok ? seed : CandidateGenerator::clockSeed();
    m_seedBox->setText(QString::number(used));
    return used;
}

// ---- the single search -------------------------------------------------------------------------

void SearchWindow::startSingleSearch()
{
    if (isRunning())
        return;
    // Bounds no formula can meet would keep the search running without ever finding one.
    const AcceptanceBounds bounds = boundsInBoxes();
    if (const std::optional<QString> inversion = bounds.inversion()) {
        notice(kSearchTitle, *inversion + QStringLiteral("，搜索没有开始。"));
        return;
    }
    bool typed = false;
    const quint64 seed = seedForRun(typed);
    SearchParameters parameters;
    parameters.history = m_workspace.history();
    parameters.generation = generation();
    parameters.bounds = bounds;
    parameters.periods = m_workspace.verificationSettings().periods;
    parameters.seed = seed;
    // Started again with the seed of the last run, the search goes on with the candidates after
    // the ones that run tried instead of finding the same formulas again.
    parameters.firstCandidate = typed && m_singleSeed == seed ? m_singleNext : 0;
    parameters.foundListRoom = m_found.room();
    if (m_autoStop->isChecked())
        parameters.foundTarget =
            SearchSettings::targetIn(m_autoStopTarget->text()).value_or(0) - m_found.size();

    m_schemeFlag = false;
    showTried(0);
    m_foundBox->setText(QString::number(m_found.size()));
    if (!m_engine.start(parameters))
        return;
    m_luck.cancel();
    m_luckLabel->clear();
    m_singleParameters = parameters;
    m_singleSeed = seed;
    m_singleFirst = parameters.firstCandidate;
    m_singleNext = parameters.firstCandidate;
    updateButtons();
}

void SearchWindow::applyAutoStop()
{
    // A target set at the start stops the run exactly; this one after the candidates in hand.
    if (m_engine.isActive() && !m_schemeFlag && m_autoStop->isChecked() &&
        m_found.size() >= SearchSettings::targetIn(m_autoStopTarget->text()).value_or(0))
        m_engine.stop();
}

void SearchWindow::pauseSingleSearch()
{
    // The run ends after the candidates in hand; everything it found is delivered.
    m_engine.stop();
}

void SearchWindow::singleSearchFinished(const SearchOutcome& outcome)
{
    flushList();
    m_singleNext = m_singleFirst + outcome.tried;
    updateButtons();
    if (outcome.reason != SearchStopReason::Canceled && outcome.reason != SearchStopReason::OutOfMemory &&
        outcome.tried > 0 && isVisible()) {
        // The candidates of this run once more on the history shuffled: what luck alone accepts.
        m_luckShare = LuckBaseline::shareText(outcome.found, outcome.tried);
        m_luck.count(m_singleParameters, outcome.tried, generation());
        showLuck(QStringLiteral("计算中 0%"));
    }
    if (const QString notice = searchStopNotice(outcome.reason); !notice.isEmpty())
        this->notice(kSearchTitle, notice);
}

void SearchWindow::showLuck(const QString& count)
{
    m_luckLabel->setText(QStringLiteral("本次合格率 %1，打乱历史后偶然合格 %2").arg(m_luckShare, count));
}

// ---- the scheme --------------------------------------------------------------------------------

void SearchWindow::startScheme()
{
    if (isRunning())
        return;
    for (int position = 1; position <= kPositionCount; ++position) {
        if (const std::optional<QString> inversion = m_settings.bounds(position, m_kill).inversion()) {
            notice(kSearchTitle,
                   QStringLiteral("第%1位：%2，方案没有开始。").arg(position).arg(*inversion));
            return;
        }
    }
    const Result<std::array<int, kPositionCount>> counts = SearchResultStore(m_workspace).tableCounts();
    if (!succeeded(*m_prompts, counts))
        return;

    SchemeParameters parameters;
    parameters.history = m_workspace.history();
    parameters.plan.targets = schemeTargets();
    parameters.plan.mode = m_countMode;
    parameters.plan.existingCounts = SchemePlan::existingCountsFor(parameters.plan.targets, *counts);
    // The kind in force when the scheme starts holds for all eight positions.
    parameters.kill = m_kill;
    for (int position = 1; position <= kPositionCount; ++position) {
        parameters.bounds[std::size_t(position - 1)] = m_settings.bounds(position, m_kill);
        parameters.operandCounts[std::size_t(position - 1)] = m_settings.operandCount(position);
    }
    parameters.constant = specifiedConstant();
    parameters.shape = shape();
    parameters.periods = m_workspace.verificationSettings().periods;
    bool typed = false;
    parameters.seed = seedForRun(typed);

    m_schemeFlag = true;
    m_luck.cancel();
    m_luckLabel->clear();
    m_found.clear();
    m_foundBox->setText(QStringLiteral("0"));
    m_triedBase = m_tried;
    for (int position = 1; position <= kPositionCount; ++position)
        colourPositionLabel(position, palette().color(QPalette::WindowText));
    m_schemeParameters = parameters;
    if (m_scheme.start(parameters))
        updateButtons();
}

void SearchWindow::schemePositionStarted(int position, int target)
{
    colourPositionLabel(position, Qt::red);
    if (target <= 0)
        return; // skipped
    selectPosition(position);
    showBounds(m_schemeParameters.bounds[std::size_t(position - 1)]);
    m_autoStopTarget->setText(QString::number(target));
    m_foundBox->setText(QStringLiteral("0"));
}

void SearchWindow::colourPositionLabel(int position, const QColor& colour)
{
    QLabel* label = m_schemeLabels[std::size_t(position - 1)];
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void SearchWindow::schemeFinished(const SchemeOutcome& outcome)
{
    flushList();
    updateButtons();
    if (!outcome.completed) {
        if (const QString notice = searchStopNotice(outcome.reason); !notice.isEmpty())
            this->notice(kSearchTitle, notice);
        return;
    }
    // The store boxes count as they are ticked now, when the scheme has been through position 8.
    if (m_autoStoreBoxes[0]->isChecked())
        storeFound(false, true);
    else if (m_autoStoreBoxes[1]->isChecked())
        storeFound(true, true);
}

// ---- found formulas and counters ---------------------------------------------------------------

void SearchWindow::addFound(const FoundBatch& formulas)
{
    for (const FoundFormula& formula : formulas) {
        if (!m_found.append(formula))
            break;
        m_pendingLines << formula.displayText;
    }
    // A search under wide bounds finds thousands of formulas a second: `List1` takes them a few
    // times a second, so that the window keeps answering.
    if (!m_pendingLines.isEmpty() && !m_listFlush.isActive())
        m_listFlush.start();
    if (!m_schemeFlag) {
        m_foundBox->setText(QString::number(m_found.size()));
        applyAutoStop();
    }
}

void SearchWindow::flushList()
{
    m_listFlush.stop();
    if (m_pendingLines.isEmpty())
        return;
    m_lines->append(m_pendingLines);
    m_pendingLines.clear();
    m_list->scrollToBottom();
}

void SearchWindow::showProgress(const SearchProgress& progress)
{
    showTried(m_schemeFlag ? m_triedBase + progress.tried : progress.tried);
    // The single search counts the whole FoundList, the scheme the current position's formulas.
    m_foundBox->setText(QString::number(m_schemeFlag ? progress.found : m_found.size()));
    if (!progress.shown)
        return;
    const FoundFormula& shown = *progress.shown;
    m_candidateBox->setText(shown.displayText);
    m_candidateBox->setCursorPosition(0); // a long text shows from its start
    const std::array<int, 4> values = {shown.statistics.maxMisses, shown.statistics.maxHits,
                                       shown.statistics.lastMisses, shown.statistics.lastHits};
    for (std::size_t i = 0; i < values.size(); ++i)
        m_statisticBoxes[i]->setText(QString::number(values[i]));
}

void SearchWindow::showTried(quint64 tried)
{
    m_tried = tried;
    m_triedBox->setText(QString::number(tried));
}

void SearchWindow::storeFound(bool replace, bool automatic)
{
    if (m_engine.isActive() || m_scheme.isActive())
        return;
    const bool manualPath = !m_schemeFlag;
    const int lastPosition = m_found.isEmpty() ? 0 : m_found.entries().back().position; // 0: none
    std::optional<Result<FoundStoreOutcome>> outcome;
    {
        WaitCursor wait;
        outcome = SearchResultStore(m_workspace)
                      .store(m_found, replace ? FoundStoreMode::Replace : FoundStoreMode::Append, !automatic);
    }
    if (!succeeded(*m_prompts, *outcome,
                   replace ? SearchResultStore::kReplaceTitle : SearchResultStore::kDoneTitle))
        return; // nothing was stored: the found formulas stay for another try
    if ((*outcome)->declined)
        return;
    if (manualPath && lastPosition >= 1 && lastPosition <= kPositionCount)
        selectPosition(lastPosition);
    reportFailure(*m_prompts, (*outcome)->refreshed);
    refreshTableCounts();
    notice(SearchResultStore::kDoneTitle,
           SearchResultStore::doneMessage(**outcome,
                                          replace ? FoundStoreMode::Replace : FoundStoreMode::Append));
    m_found.clear();
    m_foundBox->setText(QStringLiteral("0"));
}

void SearchWindow::exportFound()
{
    flushList();
    succeeded(*m_prompts, FoundFormulaExport(m_workspace).writeText(m_lines->lines()),
              FoundFormulaExport::kTitle);
}

// ---- the tuning --------------------------------------------------------------------------------

// The tuning of the category on show: its samples from the scroll bar, a seed from the clock.
TuningParameters SearchWindow::tuningParameters() const
{
    TuningParameters parameters;
    parameters.history = m_workspace.history();
    parameters.generation = generation();
    parameters.periods = m_workspace.verificationSettings().periods;
    parameters.samples = m_sampleScroll->value();
    parameters.seed = CandidateGenerator::clockSeed();
    return parameters;
}

void SearchWindow::tuneCurrent()
{
    if (isRunning())
        return;
    if (!threadCanStart()) {
        notice(kSearchTitle, outOfMemoryMessage());
        return;
    }
    const TuningParameters parameters = tuningParameters();
    m_tuningAll = false;
    m_tuningSamples = parameters.samples;
    m_tuningActive = true;
    showTried(0);
    m_tuning.setFuture(QtConcurrent::run(
        [parameters](QPromise<TuningResult>& promise) { ParameterTuning::tune(promise, parameters); }));
    updateButtons();
}

void SearchWindow::tuneAll()
{
    if (isRunning())
        return;
    if (!m_prompts->question(kTuneAllTitle, kTuneAllQuestion))
        return;
    if (!threadCanStart()) {
        notice(kTuneAllTitle, outOfMemoryMessage());
        return;
    }
    const TuningParameters parameters = tuningParameters();
    std::array<int, kPositionCount> operandCounts{};
    for (int position = 1; position <= kPositionCount; ++position)
        operandCounts[std::size_t(position - 1)] = m_settings.operandCount(position);
    m_tuningAll = true;
    m_tuningSamples = parameters.samples;
    m_tuningActive = true;
    showTried(0);

    m_waitCursor = std::make_unique<WaitCursor>();
    m_tuneAllProgress = new OperationProgress(this, {kTuneAllTitle, QStringLiteral("正在分析各类公式的参数……"),
                                                     QStringLiteral("tuneAllProgress"),
                                                     parameters.samples * kPositionCount});
    connect(m_tuneAllProgress, &OperationProgress::cancelled, &m_tuning, &QFutureWatcher<TuningResult>::cancel);

    m_tuning.setFuture(QtConcurrent::run([parameters, operandCounts](QPromise<TuningResult>& promise) {
        ParameterTuning::tuneAll(promise, parameters, operandCounts);
    }));
    updateButtons();
}

void SearchWindow::tuningResultReady(int index)
{
    const TuningResult result = m_tuning.resultAt(index);
    // The bounds appear in the boxes of the category they belong to.
    if (result.kill != m_kill)
        selectKind(result.kill);
    if (result.position != m_position)
        selectPosition(result.position);
    showBounds(result.bounds);
    // TuneAll saves each position as it finishes it; TuneCurrent leaves the bounds to Command8.
    if (m_tuningAll)
        saveCategory(result.position, result.kill, result.bounds);
}

void SearchWindow::tuningFinished()
{
    if (m_tuneAllProgress) {
        m_tuneAllProgress->close();
        m_tuneAllProgress->deleteLater();
        m_tuneAllProgress = nullptr;
    }
    m_waitCursor.reset();
    m_tuningAll = false;
    m_tuningActive = false;
    updateButtons();
}

void SearchWindow::saveCategory()
{
    AcceptanceBounds bounds;
    for (int bound = AcceptanceBounds::kFirstNumber; bound <= AcceptanceBounds::kLastNumber; ++bound) {
        QLineEdit* box = m_boundBoxes[std::size_t(bound - AcceptanceBounds::kFirstNumber)];
        const std::optional<double> value = SearchSettings::parsedNumber(box->text());
        // A box that holds no number would be saved as a bound nobody typed.
        if (!value) {
            notice(kSaveCategoryTitle,
                   QStringLiteral("“%1”的%2框中不是数字，参数设置没有保存。")
                       .arg(kStatisticNames[std::size_t((bound - 2) / 2)],
                            bound % 2 == 0 ? QStringLiteral("下限") : QStringLiteral("上限")));
            box->setFocus();
            return;
        }
        bounds.setBound(bound, *value);
    }
    if (const std::optional<QString> inversion = bounds.inversion()) {
        notice(kSaveCategoryTitle, *inversion + QStringLiteral("，参数设置没有保存。"));
        return;
    }
    saveCategory(m_position, m_kill, bounds);
}

void SearchWindow::saveCategory(int position, bool kill, const AcceptanceBounds& bounds)
{
    m_settings.saveCategory(position, kill, bounds, m_operandScroll->value());
}

// ---- the window as a whole ---------------------------------------------------------------------

bool SearchWindow::isRunning() const
{
    return m_engine.isActive() || m_scheme.isActive() || m_tuningActive;
}

void SearchWindow::updateButtons()
{
    const bool single = m_engine.isActive();
    const bool scheme = m_scheme.isActive();
    const bool tuning = m_tuningActive;
    const bool idle = !single && !scheme && !tuning;
    m_startButton->setEnabled(idle);
    m_pauseButton->setEnabled(single);
    m_schemeButton->setEnabled(idle);
    m_schemePauseButton->setEnabled(scheme && !m_scheme.isPaused());
    m_schemeContinueButton->setEnabled(scheme && m_scheme.isPaused());
    m_appendButton->setEnabled(!single && !scheme);
    m_replaceButton->setEnabled(!single && !scheme);
    m_tuneButton->setEnabled(idle);
    m_tuneAllButton->setEnabled(idle);
}

void SearchWindow::notice(const QString& title, const QString& message)
{
    m_prompts->notice(title, message);
}

void SearchWindow::reject()
{
    m_luck.cancel();
    m_engine.stop();
    m_scheme.stop();
    m_tuning.cancel();
    QDialog::reject();
}

} // namespace quorvel
