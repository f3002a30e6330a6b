#include "ui/tools/SearchWindow.h"

#include "core/ThreadStart.h"
#include "ui/FailureNotice.h"
#include "ui/FoundLinesModel.h"
#include "ui/OperationProgress.h"
#include "ui/WaitCursor.h"
#include "workspace/FoundFormulaExport.h"
#include "workspace/SearchResultStore.h"
#include "workspace/Workspace.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShowEvent>

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

// Reports a failed result once; true when it succeeded.
template <typename T>
bool succeeded(Prompts& prompts, const Result<T>& result, const QString& title = QStringLiteral("数据库错误"))
{
    if (result)
        return true;
    reportFailure(prompts, result.failure(), title);
    return false;
}

} // namespace

SearchWindow::SearchWindow(Workspace& workspace, QWidget* parent)
    : QDialog(parent), m_workspace(workspace), m_dialogPrompts(this), m_prompts(&m_dialogPrompts),
      m_session(workspace.settings(), [&workspace] { return workspace.history(); })
{
    setObjectName(QStringLiteral("frmGSGL"));
    setWindowTitle(kTitle);
    setWindowModality(Qt::ApplicationModal);
    m_controls.setUp(this);

    m_listFlush.setSingleShot(true);
    m_listFlush.setInterval(100);
    connect(&m_listFlush, &QTimer::timeout, this, &SearchWindow::flushList);
    connectControls();
    connectSession();

    // As the window opens: position 1, keep, the bounds and operand count of (1, keep), and the
    // count mode it shows selected.
    m_controls.positionOptions[0]->setChecked(true);
    m_controls.kindOptions[1]->setChecked(true);
    selectPosition(1);
    m_controls.triedBox->setText(QStringLiteral("0"));
    m_controls.foundBox->setText(QStringLiteral("0"));
    m_controls.repeatsLabel->setText(QStringLiteral("重复 0"));
    updateButtons();
    resize(1200, 720);
}

SearchWindow::~SearchWindow() = default;

void SearchWindow::connectControls()
{
    SearchWindowControls& c = m_controls;
    for (int position = 1; position <= kPositionCount; ++position)
        connect(c.positionOptions[std::size_t(position - 1)], &QRadioButton::clicked, this,
                [this, position] { selectPosition(position); });
    for (int index = 0; index < 2; ++index) {
        connect(c.kindOptions[std::size_t(index)], &QRadioButton::clicked, this,
                [this, index] { selectKind(index == 0); });
        connect(c.formOptions[std::size_t(index)], &QRadioButton::toggled, this,
                &SearchWindow::applyLiveSettings);
        connect(c.constantOptions[std::size_t(index)], &QRadioButton::toggled, this,
                &SearchWindow::applyLiveSettings);
        connect(c.countModeOptions[std::size_t(index)], &QRadioButton::clicked, this, [this] {
            m_countMode =
                m_controls.countModeOptions[0]->isChecked() ? SchemeCountMode::Hold : SchemeCountMode::New;
            refreshPlannedTotal();
        });
    }
    connect(c.constantBox, &QLineEdit::textChanged, this, &SearchWindow::applyLiveSettings);
    connect(c.operandScroll, &QScrollBar::valueChanged, this, [this](int value) {
        m_controls.operandBox->setText(QString::number(value));
        m_session.settings().setOperandCount(m_position, value);
        applyLiveSettings();
    });
    // Ticked while a search runs, the stop rule holds from then on.
    const auto forwardAutoStop = [this] { m_session.setAutoStop(autoStopTarget()); };
    connect(c.autoStop, &QCheckBox::toggled, this, forwardAutoStop);
    connect(c.autoStopTarget, &QLineEdit::textChanged, this, forwardAutoStop);
    for (QLineEdit* box : c.targetBoxes)
        connect(box, &QLineEdit::editingFinished, this, &SearchWindow::refreshPlannedTotal);

    connect(c.startButton, &QPushButton::clicked, this, &SearchWindow::startSingleSearch);
    // The run ends after the candidates in hand; everything it found is delivered.
    connect(c.pauseButton, &QPushButton::clicked, &m_session, &SearchSession::stopSearch);
    connect(c.appendButton, &QPushButton::clicked, this, [this] { storeFound(false, false); });
    connect(c.replaceButton, &QPushButton::clicked, this, [this] { storeFound(true, false); });
    connect(c.exportButton, &QPushButton::clicked, this, &SearchWindow::exportFound);
    connect(c.saveTargetsButton, &QPushButton::clicked, this, &SearchWindow::saveSchemeTargets);
    connect(c.loadTargetsButton, &QPushButton::clicked, this, &SearchWindow::loadSchemeTargets);
    connect(c.schemeButton, &QPushButton::clicked, this, &SearchWindow::startScheme);
    connect(c.schemePauseButton, &QPushButton::clicked, &m_session, &SearchSession::pauseScheme);
    connect(c.schemeContinueButton, &QPushButton::clicked, &m_session, &SearchSession::resumeScheme);
    connect(c.tuneButton, &QPushButton::clicked, this, [this] { tune(false); });
    connect(c.saveCategoryButton, &QPushButton::clicked, this, &SearchWindow::saveCategory);
    connect(c.tuneAllButton, &QPushButton::clicked, this, [this] { tune(true); });
}

void SearchWindow::connectSession()
{
    connect(&m_session, &SearchSession::stateChanged, this, [this] {
        flushList();
        updateButtons();
    });
    connect(&m_session, &SearchSession::foundAdded, this, &SearchWindow::addFound);
    connect(&m_session, &SearchSession::triedChanged, this,
            [this](quint64 tried) { m_controls.triedBox->setText(QString::number(tried)); });
    connect(&m_session, &SearchSession::foundCountChanged, this,
            [this](int found) { m_controls.foundBox->setText(QString::number(found)); });
    connect(&m_session, &SearchSession::repeatsChanged, this, [this](int repeats) {
        m_controls.repeatsLabel->setText(QStringLiteral("重复 %1").arg(repeats));
    });
    connect(&m_session, &SearchSession::candidateShown, this,
            [this](const FoundFormula& shown) { m_controls.showCandidate(shown); });
    connect(&m_session, &SearchSession::luckChanged, m_controls.luckLabel, &QLabel::setText);
    connect(&m_session, &SearchSession::familywiseReady, this, [this](const std::vector<double>& chances) {
        flushList();
        m_controls.lines->setFamilywise(m_runFirstLine, chances);
    });
    connect(m_controls.sortByFamilywise, &QAction::toggled, m_controls.lines,
            &FoundLinesModel::sortByFamilywise);
    connect(&m_session, &SearchSession::searchNotice, this,
            [this](const QString& message) { notice(kSearchTitle, message); });
    connect(&m_session, &SearchSession::schemePositionStarted, this, &SearchWindow::schemePositionStarted);
    connect(&m_session, &SearchSession::schemePositionDone, this,
            [this](int position) { colourPositionLabel(position, Qt::blue); });
    connect(&m_session, &SearchSession::schemeCompleted, this, &SearchWindow::schemeCompleted);
    connect(&m_session, &SearchSession::tuningProgressed, this, [this](int samplesTaken) {
        if (m_tuneAllProgress)
            m_tuneAllProgress->setValue(samplesTaken);
    });
    connect(&m_session, &SearchSession::tuningResultReady, this, &SearchWindow::tuningResultReady);
    connect(&m_session, &SearchSession::tuningFinished, this, &SearchWindow::tuningFinished);
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
    m_controls.positionOptions[std::size_t(position - 1)]->setChecked(true);
    m_controls.showBounds(m_session.settings().bounds(position, m_kill));
    // Moving the scroll bar shows and stores the count and hands it to a running search.
    const int operands = m_session.settings().operandCount(position);
    if (m_controls.operandScroll->value() == operands)
        applyLiveSettings();
    else
        m_controls.operandScroll->setValue(operands);
    m_controls.operandBox->setText(QString::number(operands));
}

void SearchWindow::selectKind(bool kill)
{
    m_kill = kill;
    m_controls.kindOptions[kill ? 0 : 1]->setChecked(true);
    selectPosition(m_position);
}

std::optional<int> SearchWindow::specifiedConstant() const
{
    if (m_controls.constantOptions[1]->isChecked())
        return std::nullopt;
    return CandidateGenerator::specifiedConstant(m_controls.constantBox->text());
}

FormulaText::Shape SearchWindow::shape() const
{
    return m_controls.formOptions[0]->isChecked() ? FormulaText::Shape::Prefix : FormulaText::Shape::Suffix;
}

GenerationSettings SearchWindow::generation() const
{
    GenerationSettings settings;
    settings.position = m_position;
    settings.kill = m_kill;
    settings.operandCount = m_controls.operandScroll->value();
    settings.constant = specifiedConstant();
    settings.shape = shape();
    return settings;
}

void SearchWindow::applyLiveSettings()
{
    m_session.setLiveSettings(generation());
}

// The found-list total at which the single search stops, when `Check1` is ticked.
std::optional<int> SearchWindow::autoStopTarget() const
{
    if (!m_controls.autoStop->isChecked())
        return std::nullopt;
    return SearchSettings::targetIn(m_controls.autoStopTarget->text()).value_or(0);
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
        m_controls.countLabels[std::size_t(position - 1)]->setText(QString::number(count));
        m_existingTotal += count;
    }
    refreshPlannedTotal();
}

void SearchWindow::refreshPlannedTotal()
{
    m_controls.totalLabel->setText(QString::number(
        SchemePlan::plannedTotal(m_controls.schemeTargets(), m_tableCounts, m_countMode, m_existingTotal)));
}

void SearchWindow::saveSchemeTargets()
{
    const std::array<std::optional<int>, kPositionCount> typed = m_controls.schemeTargets();
    std::array<int, kPositionCount> targets{};
    for (std::size_t p = 0; p < targets.size(); ++p)
        targets[p] = typed[p].value_or(0);
    m_session.settings().saveSchemeTargets(m_kill, targets);
}

void SearchWindow::loadSchemeTargets()
{
    const std::array<int, kPositionCount> targets = m_session.settings().schemeTargets(m_kill);
    for (std::size_t p = 0; p < targets.size(); ++p)
        m_controls.targetBoxes[p]->setText(QString::number(targets[p]));
    refreshPlannedTotal();
}

// ---- runs --------------------------------------------------------------------------------------

void SearchWindow::startSingleSearch()
{
    SingleSearchRequest request;
    request.generation = generation();
    request.bounds = m_controls.boundsInBoxes();
    request.seed = m_controls.typedSeed();
    request.foundTarget = autoStopTarget();
    const Result<std::shared_ptr<const StoredCodes>> stored = SearchResultStore(m_workspace).storedCodes();
    if (!succeeded(*m_prompts, stored))
        return;
    request.stored = *stored;
    if (const std::optional<QString> refusal = m_session.startSearch(request)) {
        if (!refusal->isEmpty())
            notice(kSearchTitle, *refusal);
        return;
    }
    m_controls.seedBox->setText(QString::number(m_session.lastSeed()));
    m_runFirstLine = m_controls.lines->rowCount() + int(m_pendingLines.size());
}

void SearchWindow::startScheme()
{
    if (m_session.isRunning())
        return;
    if (const std::optional<QString> refusal = m_session.schemeRefusal(m_kill)) {
        notice(kSearchTitle, *refusal);
        return;
    }
    const Result<std::array<int, kPositionCount>> counts = SearchResultStore(m_workspace).tableCounts();
    if (!succeeded(*m_prompts, counts))
        return;
    const Result<std::shared_ptr<const StoredCodes>> stored = SearchResultStore(m_workspace).storedCodes();
    if (!succeeded(*m_prompts, stored))
        return;
    SchemeRequest request;
    request.stored = *stored;
    request.targets = m_controls.schemeTargets();
    request.mode = m_countMode;
    request.tableCounts = *counts;
    request.kill = m_kill;
    request.constant = specifiedConstant();
    request.shape = shape();
    request.seed = m_controls.typedSeed();
    for (int position = 1; position <= kPositionCount; ++position)
        colourPositionLabel(position, palette().color(QPalette::WindowText));
    m_session.startScheme(request);
    m_controls.seedBox->setText(QString::number(m_session.lastSeed()));
}

void SearchWindow::schemePositionStarted(int position, int target, const AcceptanceBounds& bounds)
{
    colourPositionLabel(position, Qt::red);
    if (target <= 0)
        return; // skipped
    selectPosition(position);
    m_controls.showBounds(bounds);
    m_controls.autoStopTarget->setText(QString::number(target));
}

void SearchWindow::colourPositionLabel(int position, const QColor& colour)
{
    QLabel* label = m_controls.schemeLabels[std::size_t(position - 1)];
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void SearchWindow::schemeCompleted()
{
    // The store boxes count as they are ticked now, when the scheme has been through position 8.
    if (m_controls.autoStoreBoxes[0]->isChecked())
        storeFound(false, true);
    else if (m_controls.autoStoreBoxes[1]->isChecked())
        storeFound(true, true);
}

// The tuning of the category on show, or with `all` of every position of its kind: its samples
// from the scroll bar, a seed from the clock.
void SearchWindow::tune(bool all)
{
    if (m_session.isRunning())
        return;
    if (all && !m_prompts->question(kTuneAllTitle, kTuneAllQuestion))
        return;
    TuningRequest request;
    request.generation = generation();
    request.samples = m_controls.sampleScroll->value();
    if (const std::optional<QString> refusal = m_session.startTuning(request, all)) {
        if (!refusal->isEmpty())
            notice(all ? kTuneAllTitle : kSearchTitle, *refusal);
        return;
    }
    if (!all)
        return;
    m_waitCursor = std::make_unique<WaitCursor>();
    m_tuneAllProgress =
        new OperationProgress(this, {kTuneAllTitle, QStringLiteral("正在分析各类公式的参数……"),
                                     QStringLiteral("tuneAllProgress"), request.samples * kPositionCount});
    connect(m_tuneAllProgress, &OperationProgress::cancelled, &m_session, &SearchSession::cancelTuning);
}

void SearchWindow::tuningResultReady(const TuningResult& result)
{
    // The bounds appear in the boxes of the category they belong to.
    if (result.kill != m_kill)
        selectKind(result.kill);
    if (result.position != m_position)
        selectPosition(result.position);
    m_controls.showBounds(result.bounds);
}

void SearchWindow::tuningFinished(bool outOfMemory)
{
    const bool all = m_tuneAllProgress != nullptr;
    if (m_tuneAllProgress) {
        m_tuneAllProgress->close();
        m_tuneAllProgress->deleteLater();
        m_tuneAllProgress = nullptr;
    }
    m_waitCursor.reset();
    if (outOfMemory)
        notice(all ? kTuneAllTitle : kSearchTitle, outOfMemoryMessage());
}

void SearchWindow::saveCategory()
{
    AcceptanceBounds bounds;
    for (int bound = AcceptanceBounds::kFirstNumber; bound <= AcceptanceBounds::kLastNumber; ++bound) {
        QLineEdit* box = m_controls.boundBoxes[std::size_t(bound - AcceptanceBounds::kFirstNumber)];
        const std::optional<double> value = SearchSettings::parsedNumber(box->text());
        // A box that holds no number would be saved as a bound nobody typed.
        if (!value) {
            notice(kSaveCategoryTitle,
                   QStringLiteral("“%1”的%2框中不是数字，参数设置没有保存。")
                       .arg(SearchWindowControls::statisticNames()[std::size_t((bound - 2) / 2)],
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
    m_session.settings().saveCategory(m_position, m_kill, bounds, m_controls.operandScroll->value());
}

// ---- found formulas ----------------------------------------------------------------------------

void SearchWindow::addFound(const FoundBatch& formulas)
{
    for (const FoundFormula& formula : formulas)
        m_pendingLines << formula.displayText;
    // A search under wide bounds finds thousands of formulas a second: `List1` takes them a few
    // times a second, so that the window keeps answering.
    if (!m_pendingLines.isEmpty() && !m_listFlush.isActive())
        m_listFlush.start();
}

void SearchWindow::flushList()
{
    m_listFlush.stop();
    if (m_pendingLines.isEmpty())
        return;
    m_controls.lines->append(m_pendingLines);
    m_pendingLines.clear();
    m_controls.list->scrollToBottom();
}

void SearchWindow::storeFound(bool replace, bool automatic)
{
    if (m_session.isSearching() || m_session.isSchemeRunning())
        return;
    const FoundList& found = m_session.foundList();
    const bool manualPath = !m_session.foundByScheme();
    const int lastPosition = found.isEmpty() ? 0 : found.entries().back().position; // 0: none
    const FoundStoreMode mode = replace ? FoundStoreMode::Replace : FoundStoreMode::Append;
    std::optional<Result<FoundStoreOutcome>> outcome;
    {
        WaitCursor wait;
        outcome = SearchResultStore(m_workspace).store(found, mode, !automatic);
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
    notice(SearchResultStore::kDoneTitle, SearchResultStore::doneMessage(**outcome, mode));
    m_session.clearFound();
}

void SearchWindow::exportFound()
{
    flushList();
    succeeded(*m_prompts, FoundFormulaExport(m_workspace).writeText(m_controls.lines->lines()),
              FoundFormulaExport::kTitle);
}

// ---- the window as a whole ---------------------------------------------------------------------

void SearchWindow::updateButtons()
{
    const bool single = m_session.isSearching();
    const bool scheme = m_session.isSchemeRunning();
    const bool idle = !m_session.isRunning();
    SearchWindowControls& c = m_controls;
    c.startButton->setEnabled(idle);
    c.pauseButton->setEnabled(single);
    c.schemeButton->setEnabled(idle);
    c.schemePauseButton->setEnabled(scheme && !m_session.isSchemePaused());
    c.schemeContinueButton->setEnabled(scheme && m_session.isSchemePaused());
    c.appendButton->setEnabled(!single && !scheme);
    c.replaceButton->setEnabled(!single && !scheme);
    c.tuneButton->setEnabled(idle);
    c.tuneAllButton->setEnabled(idle);
}

void SearchWindow::notice(const QString& title, const QString& message)
{
    m_prompts->notice(title, message);
}

void SearchWindow::reject()
{
    m_session.stopAll();
    QDialog::reject();
}

} // namespace quorvel
