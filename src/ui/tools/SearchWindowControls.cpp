#include "ui/tools/SearchWindowControls.h"

#include "search/CandidateGenerator.h"
#include "search/FoundFormula.h"
#include "search/SearchSettings.h"
#include "ui/ControlArrays.h"
#include "ui/FoundLinesModel.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSizePolicy>
#include <QVBoxLayout>

namespace quorvel {

namespace {

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

QPushButton* button(QWidget* window, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, window);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

const std::array<QString, 4>& SearchWindowControls::statisticNames()
{
    static const std::array<QString, 4> names = {QStringLiteral("最大连错"), QStringLiteral("最大连对"),
                                                 QStringLiteral("最后连错"), QStringLiteral("最后连对")};
    return names;
}

void SearchWindowControls::setUp(QDialog* window)
{
    auto* settingsColumn = new QVBoxLayout;
    settingsColumn->addWidget(ControlArrays::positionFrame(positionOptions, window));
    auto* kindAndForm = new QHBoxLayout;
    kindAndForm->addWidget(ControlArrays::kindFrame(kindOptions, window));
    kindAndForm->addWidget(createFormFrame(window));
    settingsColumn->addLayout(kindAndForm);
    auto* constantAndOperands = new QHBoxLayout;
    constantAndOperands->addWidget(createConstantFrame(window));
    constantAndOperands->addWidget(createOperandFrame(window));
    settingsColumn->addLayout(constantAndOperands);
    settingsColumn->addWidget(createBoundsFrame(window));
    settingsColumn->addWidget(createStatisticsFrame(window));
    settingsColumn->addStretch(1);

    auto* schemeColumn = new QVBoxLayout;
    schemeColumn->addWidget(createSchemeFrame(window));
    schemeColumn->addWidget(createTuningFrame(window));
    schemeColumn->addStretch(1);

    auto* layout = new QHBoxLayout(window);
    layout->addLayout(settingsColumn);
    layout->addWidget(createRunArea(window), 1);
    layout->addLayout(schemeColumn);
}

QGroupBox* SearchWindowControls::createFormFrame(QWidget* window)
{
    auto* frame = new QGroupBox(QStringLiteral("公式形式"), window);
    auto* layout = new QVBoxLayout(frame);
    formOptions = ControlArrays::options<2>(
        "Option6", {QStringLiteral("[Xxx类]A+B"), QStringLiteral("A+B=下期杀xx")}, frame);
    for (QRadioButton* option : formOptions)
        layout->addWidget(option);
    formOptions[0]->setChecked(true);
    return frame;
}

QGroupBox* SearchWindowControls::createConstantFrame(QWidget* window)
{
    auto* frame = new QGroupBox(QStringLiteral("公式末尾偏移常数"), window);
    auto* layout = new QGridLayout(frame);
    constantOptions =
        ControlArrays::options<2>("Option5", {QStringLiteral("指定"), QStringLiteral("随机")}, frame);
    for (int index = 0; index < 2; ++index)
        layout->addWidget(constantOptions[std::size_t(index)], index, 0);
    constantOptions[0]->setChecked(true);
    constantBox = lineEdit(frame, QStringLiteral("Text6"), QStringLiteral("0"), 60);
    layout->addWidget(constantBox, 0, 1);
    return frame;
}

QGroupBox* SearchWindowControls::createOperandFrame(QWidget* window)
{
    auto* frame = new QGroupBox(QStringLiteral("公式元数"), window);
    auto* layout = new QGridLayout(frame);
    auto* label = new QLabel(QStringLiteral("公式运算元数"), frame);
    operandBox = readOnlyBox(frame, QStringLiteral("Text2"), 40);
    operandBox->setText(QStringLiteral("8"));
    operandScroll = new QScrollBar(Qt::Horizontal, frame);
    operandScroll->setObjectName(QStringLiteral("HScroll1"));
    operandScroll->setRange(CandidateGenerator::kMinimumOperands, CandidateGenerator::kMaximumOperands);
    operandScroll->setValue(8);
    operandScroll->setMinimumWidth(100);
    layout->addWidget(label, 0, 0);
    layout->addWidget(operandBox, 0, 1);
    layout->addWidget(operandScroll, 1, 0, 1, 2);
    return frame;
}

QGroupBox* SearchWindowControls::createBoundsFrame(QWidget* window)
{
    auto* frame = new QGroupBox(QStringLiteral("公式参数"), window);
    auto* layout = new QGridLayout(frame);
    // The boxes before the window reads the bounds of its first category.
    const std::array<QString, 8> designTexts = {
        QStringLiteral("0"), QStringLiteral("1"),     QStringLiteral("256"), QStringLiteral("32768"),
        QStringLiteral("0"), QStringLiteral("32768"), QStringLiteral("64"),  QStringLiteral("32768")};
    for (int row = 0; row < 4; ++row) {
        layout->addWidget(new QLabel(statisticNames()[std::size_t(row)], frame), row, 0);
        for (int side = 0; side < 2; ++side) {
            const int bound = AcceptanceBounds::kFirstNumber + 2 * row + side;
            QLineEdit* box = lineEdit(frame, ControlArrays::name("Text1", bound),
                                      designTexts[std::size_t(bound - AcceptanceBounds::kFirstNumber)], 64);
            boundBoxes[std::size_t(bound - AcceptanceBounds::kFirstNumber)] = box;
            layout->addWidget(box, row, 1 + 2 * side);
        }
        layout->addWidget(new QLabel(QStringLiteral("到"), frame), row, 2);
    }
    return frame;
}

QGroupBox* SearchWindowControls::createStatisticsFrame(QWidget* window)
{
    auto* frame = new QGroupBox(QStringLiteral("当前公式参数值"), window);
    auto* layout = new QGridLayout(frame);
    for (int i = 0; i < 4; ++i) {
        layout->addWidget(new QLabel(statisticNames()[std::size_t(i)], frame), i / 2, 2 * (i % 2));
        statisticBoxes[std::size_t(i)] = readOnlyBox(frame, ControlArrays::name("Text1", 11 + i), 64);
        layout->addWidget(statisticBoxes[std::size_t(i)], i / 2, 2 * (i % 2) + 1);
    }
    candidateBox = readOnlyBox(frame, QStringLiteral("Text11"));
    layout->addWidget(candidateBox, 2, 0, 1, 4);
    return frame;
}

QWidget* SearchWindowControls::createRunArea(QWidget* window)
{
    auto* area = new QWidget(window);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* counters = new QGridLayout;
    counters->addWidget(new QLabel(QStringLiteral("当前验证公式数"), area), 0, 0);
    triedBox = readOnlyBox(area, QStringLiteral("Text3"));
    counters->addWidget(triedBox, 0, 1);
    counters->addWidget(new QLabel(QStringLiteral("检索合格公式数"), area), 1, 0);
    foundBox = readOnlyBox(area, QStringLiteral("Text4"));
    repeatsLabel = new QLabel(area);
    repeatsLabel->setObjectName(QStringLiteral("lblRepeats"));
    repeatsLabel->setToolTip(QStringLiteral(
        "合格但与本次已找到的公式或数据库中同类公式每期预测都相同的公式条数；它们不计入合格公式。"));
    auto* foundRow = new QHBoxLayout;
    foundRow->addWidget(foundBox);
    foundRow->addWidget(repeatsLabel);
    counters->addLayout(foundRow, 1, 1);
    luckLabel = new QLabel(area);
    luckLabel->setObjectName(QStringLiteral("lblLuck"));
    luckLabel->setToolTip(QStringLiteral(
        "把历史各期的顺序打乱（前一期与后一期不再有任何联系）后，用同一种子验证同样多的公式，合格的条数就是"
        "单凭运气能得到的数目；合格公式数与它相近时，这些公式很可能只是偶然合格。"));
    // The line grows as the luck count and the family-wise chances come in: it wraps within the
    // width the run area has instead of widening the window.
    luckLabel->setWordWrap(true);
    luckLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    luckLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    counters->addWidget(luckLabel, 1, 2, 3, 1);
    counters->setColumnStretch(2, 1);
    counters->addWidget(new QLabel(QStringLiteral("随机种子"), area), 2, 0);
    seedBox = lineEdit(area, QStringLiteral("txtSeed"), QString());
    seedBox->setPlaceholderText(QStringLiteral("空：开始时取自时钟"));
    seedBox->setToolTip(QStringLiteral("同一种子和设置搜索出同样的公式；留空则每次开始时由时钟产生。"));
    counters->addWidget(seedBox, 2, 1);
    autoStop = new QCheckBox(QStringLiteral("自动中止"), area);
    autoStop->setObjectName(QStringLiteral("Check1"));
    autoStopTarget = lineEdit(area, ControlArrays::name("Text1", 15), QStringLiteral("50"), 64);
    auto* autoStopRow = new QHBoxLayout;
    autoStopRow->addWidget(autoStop);
    autoStopRow->addWidget(autoStopTarget);
    autoStopRow->addStretch(1);
    counters->addLayout(autoStopRow, 3, 0, 1, 2);
    layout->addLayout(counters);

    auto* runButtons = new QHBoxLayout;
    startButton = button(window, "Command1", QStringLiteral("开始搜索(&F)"));
    pauseButton = button(window, "Command2", QStringLiteral("暂停搜索(&E)"));
    runButtons->addWidget(startButton);
    runButtons->addWidget(pauseButton);
    layout->addLayout(runButtons);

    lines = new FoundLinesModel(window);
    list = new QListView(area);
    list->setObjectName(QStringLiteral("List1"));
    list->setModel(lines);
    list->setUniformItemSizes(true);
    // Laid out a block at a time: a view laying out tens of thousands of lines at once would hold
    // up the window with every block of found formulas.
    list->setLayoutMode(QListView::Batched);
    list->setBatchSize(2000);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sortByFamilywise = new QAction(QStringLiteral("按族概率排序(&P)"), list);
    sortByFamilywise->setObjectName(QStringLiteral("mnuSortFamilywise"));
    sortByFamilywise->setCheckable(true);
    list->addAction(sortByFamilywise);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    layout->addWidget(list, 1);

    auto* storeButtons = new QHBoxLayout;
    appendButton = button(window, "Command3", QStringLiteral("公式追加到数据库(&A)"));
    appendButton->setToolTip(QStringLiteral("保留软件现有公式然后将所有合格公式追加到软件数据库。"));
    replaceButton = button(window, "Command4", QStringLiteral("公式更新到数据库(&N)"));
    replaceButton->setToolTip(QStringLiteral("删除软件现有公式然后将所有合格公式添加到软件数据库。"));
    exportButton = button(window, "Command20", QStringLiteral("公式中文导出"));
    storeButtons->addWidget(appendButton);
    storeButtons->addWidget(replaceButton);
    storeButtons->addWidget(exportButton);
    layout->addLayout(storeButtons);

    return area;
}

QGroupBox* SearchWindowControls::createSchemeFrame(QWidget* window)
{
    auto* frame = new QGroupBox(QStringLiteral("公式自动搜索方案设置"), window);
    auto* layout = new QGridLayout(frame);
    for (int position = 1; position <= kPositionCount; ++position) {
        const std::size_t p = std::size_t(position - 1);
        schemeLabels[p] = new QLabel(positionName(position), frame);
        schemeLabels[p]->setObjectName(ControlArrays::name("Label4", position));
        targetBoxes[p] = lineEdit(frame, ControlArrays::name("Text5", position), QString(), 64);
        countLabels[p] = new QLabel(frame);
        countLabels[p]->setObjectName(ControlArrays::name("Label5", position));
        layout->addWidget(schemeLabels[p], int(p), 0);
        layout->addWidget(targetBoxes[p], int(p), 1);
        layout->addWidget(countLabels[p], int(p), 2);
    }
    countModeOptions = ControlArrays::options<2>(
        "Option4", {QStringLiteral("公式保有数量"), QStringLiteral("公式新增数量")}, frame);
    auto* modeRow = new QHBoxLayout;
    for (QRadioButton* option : countModeOptions)
        modeRow->addWidget(option);
    // The mode the scheme starts in is the one shown selected.
    countModeOptions[1]->setChecked(true);
    layout->addLayout(modeRow, kPositionCount, 0, 1, 3);

    auto* totalCaption = new QLabel(QStringLiteral("公式总保有量"), frame);
    totalCaption->setObjectName(QStringLiteral("Label7"));
    totalLabel = new QLabel(frame);
    totalLabel->setObjectName(QStringLiteral("Label6"));
    layout->addWidget(totalCaption, kPositionCount + 1, 0, 1, 2);
    layout->addWidget(totalLabel, kPositionCount + 1, 2);

    const QString stores[2] = {QStringLiteral("搜索完毕公式自动追加到数据库"),
                               QStringLiteral("搜索完毕公式自动更新到数据库")};
    for (int index = 0; index < 2; ++index) {
        auto* box = new QCheckBox(stores[index], frame);
        box->setObjectName(ControlArrays::name("chkAutApd", index));
        autoStoreBoxes[std::size_t(index)] = box;
        layout->addWidget(box, kPositionCount + 2 + index, 0, 1, 3);
        // At most one of the two is ticked; both may be clear.
        QObject::connect(box, &QCheckBox::clicked, box,
                         [this, index] { autoStoreBoxes[std::size_t(1 - index)]->setChecked(false); });
    }
    autoStoreBoxes[1]->setChecked(true);

    saveTargetsButton = button(window, "Command9", QStringLiteral("保存设置"));
    loadTargetsButton = button(window, "Command10", QStringLiteral("调用设置"));
    schemeButton = button(window, "Command5", QStringLiteral("确定搜索方案开始搜索"));
    schemePauseButton = button(window, "Command7", QStringLiteral("暂停"));
    schemeContinueButton = button(window, "Command6", QStringLiteral("继续"));
    auto* targetButtons = new QHBoxLayout;
    targetButtons->addWidget(saveTargetsButton);
    targetButtons->addWidget(loadTargetsButton);
    layout->addLayout(targetButtons, kPositionCount + 4, 0, 1, 3);
    layout->addWidget(schemeButton, kPositionCount + 5, 0, 1, 3);
    auto* schemeButtons = new QHBoxLayout;
    schemeButtons->addWidget(schemePauseButton);
    schemeButtons->addWidget(schemeContinueButton);
    layout->addLayout(schemeButtons, kPositionCount + 6, 0, 1, 3);

    return frame;
}

QGroupBox* SearchWindowControls::createTuningFrame(QWidget* window)
{
    auto* frame = new QGroupBox(QStringLiteral("公式参数智能设置"), window);
    auto* layout = new QGridLayout(frame);
    sampleScroll = new QScrollBar(Qt::Horizontal, frame);
    sampleScroll->setObjectName(QStringLiteral("HScroll2"));
    sampleScroll->setRange(kMinimumSamples, kMaximumSamples);
    sampleScroll->setValue(kMinimumSamples);
    sampleBox = readOnlyBox(frame, QStringLiteral("Text7"), 50);
    sampleBox->setText(QString::number(kMinimumSamples));
    layout->addWidget(sampleScroll, 0, 0);
    layout->addWidget(sampleBox, 0, 1);
    QObject::connect(sampleScroll, &QScrollBar::valueChanged, sampleBox,
                     [this](int value) { sampleBox->setText(QString::number(value)); });

    tuneButton = button(window, "Command11", QStringLiteral("当前公式类在指定范围内检索最优参数设置"));
    saveCategoryButton = button(window, "Command8", QStringLiteral("保存当前种类参数设置"));
    tuneAllButton =
        button(window, "Command12", QStringLiteral("所有公式类在指定范围内检索最优参数设置并保存"));
    layout->addWidget(tuneButton, 1, 0, 1, 2);
    layout->addWidget(saveCategoryButton, 2, 0, 1, 2);
    layout->addWidget(tuneAllButton, 3, 0, 1, 2);
    return frame;
}

// ---- reading and showing values ----------------------------------------------------------------

void SearchWindowControls::showBounds(const AcceptanceBounds& bounds)
{
    for (int bound = AcceptanceBounds::kFirstNumber; bound <= AcceptanceBounds::kLastNumber; ++bound)
        boundBoxes[std::size_t(bound - AcceptanceBounds::kFirstNumber)]->setText(
            SearchSettings::numberText(bounds.bound(bound)));
}

AcceptanceBounds SearchWindowControls::boundsInBoxes() const
{
    AcceptanceBounds bounds;
    for (int bound = AcceptanceBounds::kFirstNumber; bound <= AcceptanceBounds::kLastNumber; ++bound)
        bounds.setBound(bound, SearchSettings::numberIn(
                                   boundBoxes[std::size_t(bound - AcceptanceBounds::kFirstNumber)]->text()));
    return bounds;
}

std::array<std::optional<int>, kPositionCount> SearchWindowControls::schemeTargets() const
{
    std::array<std::optional<int>, kPositionCount> targets{};
    for (std::size_t p = 0; p < targets.size(); ++p)
        targets[p] = SearchSettings::targetIn(targetBoxes[p]->text());
    return targets;
}

void SearchWindowControls::showCandidate(const FoundFormula& shown)
{
    candidateBox->setText(shown.displayText);
    candidateBox->setCursorPosition(0); // a long text shows from its start
    const std::array<int, 4> values = {shown.statistics.maxMisses, shown.statistics.maxHits,
                                       shown.statistics.lastMisses, shown.statistics.lastHits};
    for (std::size_t i = 0; i < values.size(); ++i)
        statisticBoxes[i]->setText(QString::number(values[i]));
}

// The seed typed into `txtSeed`; empty when it holds none (the run takes one from the clock).
std::optional<quint64> SearchWindowControls::typedSeed() const
{
    bool ok = false;
    const quint64 seed = seedBox->text().trimmed().toULongLong(&ok);
    return ok ? std::optional(seed) : std::nullopt;
}

} // namespace quorvel
