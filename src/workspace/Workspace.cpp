#include "workspace/Workspace.h"

#include "core/IssueNumber.h"
#include "core/LotteryType.h"
#include "core/TermTable.h"
#include "formulas/CompiledFormula.h"
#include "formulas/FormulaText.h"
#include "formulas/NumberRules.h"
#include "history/DrawEntry.h"
#include "workspace/FormulaList.h"
#include "workspace/Prompts.h"

#include <QDate>

#include <algorithm>

namespace quorvel {

namespace {

const QString kDatabaseErrorTitle = QStringLiteral("数据库错误");
const QString kAddFormulaFailedTitle = QStringLiteral("添加公式失败");
const QString kEmptyFormulaMessage = QStringLiteral("请在左边文本框输入需要添加的公式");
const QString kUnrecognisedTitle = QStringLiteral("无法识别公式");
const QString kUnrecognisedMessage = QStringLiteral("公式文本文件中含有无法识别公式，无法添加到软件");
const QString kDrawRefusedTitle = QStringLiteral("号码输入有误");
const QString kHistoryDaysTitle = QStringLiteral("设置天数");
const QString kHistoryDaysPrompt = QStringLiteral("请输入需要统计的历史号码的天数（2~10中的任意自然数）");
const QString kHistoryDaysRefusedTitle = QStringLiteral("输入有误");
const QString kHistoryDaysRefusedMessage =
    QStringLiteral("为了保证时效性和提高计算效率，软件只能统计10天以内的数据，请输入2到10中的自然数。");

constexpr int kFewestHistoryDays = 2;
constexpr int kMostHistoryDays = 10;
constexpr int kDefaultRetrievalPeriodsIndex = 3;
constexpr int kDefaultHistoryDays = 6; // what restoring the defaults stores

// A whole number 2..10 typed as plain digits, or nothing.
std::optional<int> historyDaysAnswer(const QString& answer)
{
    const QString text = answer.trimmed();
    if (text.isEmpty() || text.size() > 2)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int days = text.toInt();
    if (days < kFewestHistoryDays || days > kMostHistoryDays)
        return std::nullopt;
    return days;
}

} // namespace

struct Workspace::Private
{
    Private(Settings& s, Prompts& p) : settings(s), prompts(p) {}

    Settings& settings;
    Prompts& prompts;
    std::unique_ptr<Database> database;

    DrawTable history;
    bool historyStale = true; // Lishi changed since the history was last read
    int position = 1;
    bool kill = false;
    bool chineseDisplay = true;
    FormulaList list;
    // The table and kind the list was last filled with; a kill/keep click changes the current
    // kind without a refill, so the next pass must not score the rows of the other kind.
    int listPosition = 0;
    bool listKill = false;
    QString issueText;

    int lotteryTypeIndex = kNoLotteryType;
    int drawsPerDay = kDefaultDrawsPerDay;
    int historyDays = 3;
    int retrievalPeriodsIndex = kDefaultRetrievalPeriodsIndex;
    bool excludeCurrentPeriod = true;
    bool weightedAccuracy = true;
    bool resultsAtCurrentPeriod = false;
    std::optional<VerificationSettings> sessionVerification;

    int failureCount = 0; // database failures reported so far
    QString lastFailure;
};

Workspace::Workspace(Settings& settings, Prompts& prompts, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>(settings, prompts))
{
}

Workspace::~Workspace() = default;

// ---- start-up ----------------------------------------------------------------------------------

Status Workspace::start(const QString& dataFolder)
{
    return start(dataFolder, WorkspaceStartOptions{});
}

Status Workspace::start(const QString& dataFolder, const WorkspaceStartOptions& options)
{
    Q_ASSERT(options.position >= 1 && options.position <= kPositionCount);
    d->position = options.position;
    d->kill = options.kill;
    d->chineseDisplay = true;
    d->sessionVerification = options.verification;

    d->lotteryTypeIndex = d->settings.lotteryTypeIndex();
    d->drawsPerDay = drawsPerDayAtStartup(d->lotteryTypeIndex);
    d->historyDays = d->settings.historyDays();
    d->resultsAtCurrentPeriod = d->settings.resultsAtCurrentPeriod();
    d->excludeCurrentPeriod = d->settings.excludeCurrentPeriod();
    d->weightedAccuracy = d->settings.weightedAccuracy();
    d->retrievalPeriodsIndex = d->settings.retrievalPeriodsIndex();
    Q_EMIT settingsChanged();

    d->database.reset();
    d->history = DrawTable();
    d->historyStale = true;
    d->list.fill({});
    Result<std::unique_ptr<Database>> opened = Database::open(dataFolder);
    if (!opened) {
        reportFailure(opened.error());
        return Failure{opened.error()};
    }
    d->database = std::move(*opened);

    const int failuresBefore = d->failureCount;
    QihaoXianshi();
    AddGongshi();
    AddHaoma();
    if (options.verifyAtStart)
        Yansuan();
    if (d->failureCount != failuresBefore)
        return Failure{d->lastFailure};
    return success();
}

// ---- state -------------------------------------------------------------------------------------

Database& Workspace::database()
{
    Q_ASSERT(d->database);
    return *d->database;
}

Settings& Workspace::settings()
{
    return d->settings;
}

const DrawTable& Workspace::history() const
{
    return d->history;
}

int Workspace::currentPosition() const
{
    return d->position;
}

QString Workspace::currentTable() const
{
    return Database::formulaTableName(d->position);
}

QString Workspace::positionCaption() const
{
    return positionName(d->position);
}

bool Workspace::currentKindIsKill() const
{
    return d->kill;
}

bool Workspace::chineseDisplay() const
{
    return d->chineseDisplay;
}

const std::vector<FormulaListRow>& Workspace::formulaList() const
{
    return d->list.rows();
}

const std::vector<FormulaListResult>& Workspace::results() const
{
    return d->list.results();
}

bool Workspace::isSelected(int listNumber) const
{
    return d->list.isSelected(listNumber);
}

QString Workspace::computedValue(int listNumber) const
{
    return d->list.computedValue(listNumber);
}

QString Workspace::issueText() const
{
    return d->issueText;
}

int Workspace::lotteryTypeIndex() const
{
    return d->lotteryTypeIndex;
}

int Workspace::drawsPerDay() const
{
    return d->drawsPerDay;
}

int Workspace::historyDays() const
{
    return d->historyDays;
}

VerificationSettings Workspace::verificationSettings() const
{
    if (d->sessionVerification)
        return *d->sessionVerification;
    return VerificationSettings{Settings::retrievalPeriods(d->retrievalPeriodsIndex), d->excludeCurrentPeriod,
                                d->weightedAccuracy};
}

int Workspace::retrievalPeriodsIndex() const
{
    return d->retrievalPeriodsIndex;
}

bool Workspace::resultsAtCurrentPeriod() const
{
    return d->resultsAtCurrentPeriod;
}

QString Workspace::resultColumnName() const
{
    return d->resultsAtCurrentPeriod ? QStringLiteral("Canshu") : QStringLiteral("PreCanshu");
}

// ---- shared procedures -------------------------------------------------------------------------

void Workspace::AddGongshi()
{
    fillFormulaList(ListFill::SelectAll);
}

void Workspace::AddGongshiZhonglei()
{
    fillFormulaList(ListFill::KeepMarks);
}

void Workspace::fillFormulaList(ListFill fill)
{
    if (!d->database)
        return;
    Result<std::vector<FormulaRecord>> records = d->database->readFormulas(d->position, d->kill);
    if (!records) {
        // Rather an empty list than the formulas of the table shown before.
        d->list.fill({});
        Q_EMIT formulaListChanged();
        reportFailure(records.error());
        return;
    }
    d->listPosition = d->position;
    d->listKill = d->kill;
    if (fill == ListFill::SelectAll)
        d->list.fill(*records);
    else
        d->list.refill(*records);
    Q_EMIT formulaListChanged();
}

void Workspace::AddHaoma()
{
    if (!d->database)
        return;
    Result<std::vector<Draw>> draws = d->database->readHistory();
    if (!draws) {
        reportFailure(draws.error());
        return;
    }
    d->history = DrawTable(*draws);
    d->historyStale = false;
    Q_EMIT historyChanged();
}

void Workspace::Yansuan()
{
    if (!d->database)
        return;
    if (d->historyStale)
        AddHaoma();
    // The pass scores the formulas of the current table and kind, whatever the list showed.
    if (d->listPosition != d->position || d->listKill != d->kill)
        AddGongshiZhonglei();

    const Verifier verifier(d->history, d->position, d->kill, verificationSettings());
    const int count = d->list.count();
    for (int listNumber = 1; listNumber <= count; ++listNumber) {
        const FormulaListRow& row = d->list.rows()[std::size_t(listNumber - 1)];
        const bool selected = d->list.isSelected(listNumber);
        FormulaListResult result;
        const Result<CompiledFormula> compiled = CompiledFormula::compile(row.code);
        if (!compiled) {
            // A code that does not evaluate is scored as nothing, never with another
            // formula's values: statistics 0, no computed value, marked in the list.
            result.evaluable = false;
            if (selected)
                d->list.setComputedValue(listNumber, QString());
        } else {
            const FormulaVerdict verdict = verifier.verify(*compiled, selected);
            result.statistics = verdict.statistics;
            result.hitWeight = verdict.hitWeight;
            result.totalWeight = verdict.totalWeight;
            if (selected) {
                d->list.setComputedValue(
                    listNumber, verdict.computedValue ? QString::number(*verdict.computedValue) : QString());
            }
        }
        d->list.setResult(listNumber, result);
    }

    if (Status written = ArrGs(); !written)
        reportFailure(written.error());
    Q_EMIT resultsChanged();
}

Status Workspace::ArrGs()
{
    if (!d->database)
        return Failure{QStringLiteral("公式数据库没有打开")};
    std::vector<RunStatistics> statistics;
    for (const FormulaListResult& result : d->list.results())
        statistics.push_back(result.statistics);
    if (Status written = d->database->writeStatistics(d->position, d->kill, statistics); !written)
        return written;

    // The write-back renumbered the table; show the numbers it now holds.
    std::vector<int> before;
    for (const FormulaListRow& row : d->list.rows())
        before.push_back(row.idx);
    Result<std::vector<FormulaRecord>> records = d->database->readFormulas(d->position, d->kill);
    if (!records)
        return Failure{records.error()};
    d->list.refill(*records);
    std::vector<int> after;
    for (const FormulaListRow& row : d->list.rows())
        after.push_back(row.idx);
    if (after != before)
        Q_EMIT formulaListChanged();
    return success();
}

void Workspace::AddGongshiCsZhonglei()
{
    AddGongshiZhonglei();
    XianshiLei();
}

void Workspace::XianshiLei()
{
    if (d->historyStale)
        AddHaoma();
    const int newestDraw = d->history.drawCount() - 1;
    for (int listNumber = 1; listNumber <= d->list.count(); ++listNumber) {
        QString text;
        const Result<CompiledFormula> compiled =
            CompiledFormula::compile(d->list.rows()[std::size_t(listNumber - 1)].code);
        if (d->list.isSelected(listNumber) && compiled && newestDraw >= 0) {
            if (const std::optional<int> folded = fold(compiled->valueAt(d->history, newestDraw)))
                text = QString::number(*folded);
        }
        d->list.setComputedValue(listNumber, text);
    }
    Q_EMIT resultsChanged();
}

std::vector<LightPassRow> Workspace::YansuanCalcu(int position) const
{
    std::vector<LightPassRow> rows;
    if (!d->database)
        return rows;
    const Result<std::vector<FormulaRecord>> records = d->database->readFormulas(position, d->kill);
    if (!records)
        return rows;
    const Verifier verifier(d->history, position, d->kill, verificationSettings());
    for (const FormulaRecord& record : *records) {
        // A code that does not evaluate has no run of hits.
        rows.push_back({record.displayText, verifier.verify(record.code, false).statistics.lastHits});
    }
    return rows;
}

void Workspace::QihaoXianshi()
{
    if (!d->database)
        return;
    const Result<std::optional<Draw>> newest = d->database->newestDraw();
    if (!newest) {
        reportFailure(newest.error());
        return;
    }
    const std::optional<qint32> newestIssue =
        newest->has_value() ? std::optional<qint32>((*newest)->issue) : std::nullopt;
    setIssueText(
        DrawEntry::issueText(DrawEntry::proposeNextIssue(newestIssue, d->drawsPerDay, QDate::currentDate())));
}

Status Workspace::CompactDb()
{
    if (!d->database)
        return Failure{QStringLiteral("公式数据库没有打开")};
    if (Status compacted = d->database->compact(); !compacted) {
        reportFailure(compacted.error());
        return compacted;
    }
    return success();
}

// ---- user actions ------------------------------------------------------------------------------

void Workspace::selectPosition(int position)
{
    if (position < 1 || position > kPositionCount)
        return;
    d->position = position;
    Q_EMIT currentPositionChanged(position);
    refreshFormulaListAndVerify();
}

void Workspace::setCurrentKind(bool kill)
{
    if (d->kill == kill)
        return;
    d->kill = kill;
    Q_EMIT currentKindChanged(kill);
}

void Workspace::setChineseDisplay(bool chinese)
{
    d->chineseDisplay = chinese;
    AddGongshi();
}

void Workspace::toggleSelection(int listNumber)
{
    if (!d->list.contains(listNumber))
        return;
    d->list.setSelected(listNumber, !d->list.isSelected(listNumber));
    Q_EMIT selectionChanged(listNumber);
}

void Workspace::setIssueText(const QString& text)
{
    if (d->issueText == text)
        return;
    d->issueText = text;
    Q_EMIT issueTextChanged(text);
}

Status Workspace::addTypedFormula(const QString& text, std::optional<bool> kindForPrefixForm)
{
    if (text.trimmed().isEmpty()) {
        d->prompts.notice(kAddFormulaFailedTitle, kEmptyFormulaMessage);
        return Failure{kEmptyFormulaMessage};
    }
    const Result<FormulaText::ParsedFormula> parsed =
        FormulaText::parse(text, FormulaText::ParseVariant::Typed);
    // A text whose code is not of the formula grammar is refused here rather than stored to
    // fail at every later evaluation.
    if (!parsed || !CompiledFormula::compile(parsed->code)) {
        d->prompts.notice(kUnrecognisedTitle, kUnrecognisedMessage);
        return Failure{kUnrecognisedMessage};
    }
    if (!d->database)
        return Failure{QStringLiteral("公式数据库没有打开")};

    if (parsed->kill)
        setCurrentKind(*parsed->kill);
    else if (kindForPrefixForm)
        setCurrentKind(*kindForPrefixForm);
    // The position the text names wins over the shown one; the list switches to it so the user
    // sees the new formula.
    const int position = parsed->position.value_or(d->position);

    Result<std::vector<FormulaRecord>> stored = d->database->readAllFormulas(position);
    if (!stored) {
        reportFailure(stored.error());
        return Failure{stored.error()};
    }
    // New number: 1 for an empty table or when the last stored row carries no number yet,
    // otherwise the row count + 1.
    int newIdx = 1;
    if (!stored->empty()) {
        const auto last = std::max_element(
            stored->begin(), stored->end(),
            [](const FormulaRecord& a, const FormulaRecord& b) { return a.rowId < b.rowId; });
        if (last->idx && *last->idx >= 1)
            newIdx = int(stored->size()) + 1;
    }
    const NewFormula formula{parsed->code, parsed->displayText, d->kill, std::nullopt};
    if (Status appended = d->database->appendFormula(position, formula, newIdx); !appended) {
        reportFailure(appended.error());
        return appended;
    }

    if (position != d->position) {
        d->position = position;
        Q_EMIT currentPositionChanged(position);
    }
    refreshFormulaListAndVerify();
    return success();
}

Status Workspace::addManualDraw(const QString& issueText, const DrawNumbers& numbers)
{
    if (!d->database)
        return Failure{QStringLiteral("公式数据库没有打开")};
    if (d->historyStale)
        AddHaoma();
    const Result<Draw> draw = DrawEntry::prepareManualDraw(issueText, numbers, d->history, d->drawsPerDay);
    if (!draw) {
        d->prompts.notice(kDrawRefusedTitle, draw.error());
        return Failure{draw.error()};
    }
    if (Status appended = d->database->appendDraw(*draw); !appended) {
        reportFailure(appended.error());
        return appended;
    }
    d->historyStale = true;
    AddHaoma();
    Yansuan();
    QihaoXianshi();
    return success();
}

// ---- settings menu -----------------------------------------------------------------------------

void Workspace::pickLotteryType(int index)
{
    if (!isLotteryTypeIndex(index))
        return;
    d->lotteryTypeIndex = index;
    d->drawsPerDay = lotteryTypes()[std::size_t(index)].drawsPerDayWhenPicked;
    d->settings.setLotteryTypeIndex(index);
    Q_EMIT settingsChanged();
}

void Workspace::setRetrievalPeriodsIndex(int index)
{
    if (index < 0 || index >= Settings::kRetrievalPeriodsCount)
        return;
    d->retrievalPeriodsIndex = index;
    d->settings.setRetrievalPeriodsIndex(index);
    Q_EMIT settingsChanged();
    Yansuan();
}

void Workspace::toggleExcludeCurrentPeriod()
{
    d->excludeCurrentPeriod = !d->excludeCurrentPeriod;
    d->settings.setExcludeCurrentPeriod(d->excludeCurrentPeriod);
    Q_EMIT settingsChanged();
}

void Workspace::toggleWeightedAccuracy()
{
    d->weightedAccuracy = !d->weightedAccuracy;
    d->settings.setWeightedAccuracy(d->weightedAccuracy);
    Q_EMIT settingsChanged();
}

void Workspace::setResultsAtCurrentPeriod(bool on)
{
    d->resultsAtCurrentPeriod = on;
    d->settings.setResultsAtCurrentPeriod(on);
    Q_EMIT settingsChanged();
}

void Workspace::editHistoryDays()
{
    d->historyDays = d->settings.historyDays();
    Q_EMIT settingsChanged();
    for (;;) {
        const std::optional<QString> answer =
            d->prompts.inputText(kHistoryDaysTitle, kHistoryDaysPrompt, QString::number(d->historyDays));
        if (!answer || answer->isEmpty())
            return;
        if (const std::optional<int> days = historyDaysAnswer(*answer)) {
            d->historyDays = *days;
            d->settings.setHistoryDays(*days);
            Q_EMIT settingsChanged();
            return;
        }
        d->prompts.notice(kHistoryDaysRefusedTitle, kHistoryDaysRefusedMessage);
    }
}

void Workspace::restoreDefaults()
{
    d->resultsAtCurrentPeriod = false;
    d->settings.setResultsAtCurrentPeriod(false);
    d->excludeCurrentPeriod = true;
    d->settings.setExcludeCurrentPeriod(true);
    d->weightedAccuracy = true;
    d->settings.setWeightedAccuracy(true);
    // The days in use stay until the next start or the next opening of the days dialog.
    d->settings.setHistoryDays(kDefaultHistoryDays);
    d->retrievalPeriodsIndex = kDefaultRetrievalPeriodsIndex;
    d->settings.setRetrievalPeriodsIndex(kDefaultRetrievalPeriodsIndex);
    Q_EMIT settingsChanged();
}

// ---- helpers -----------------------------------------------------------------------------------

void Workspace::refreshFormulaListAndVerify()
{
    const int failuresBefore = d->failureCount;
    AddGongshi();
    // The history grid is refilled from memory; Lishi is read again only when it changed.
    if (d->historyStale)
        AddHaoma();
    else
        Q_EMIT historyChanged();
    // A list or history that could not be read is not verified: the pass would only repeat
    // the failure the user has just been told about.
    if (d->failureCount == failuresBefore)
        Yansuan();
}

void Workspace::reportFailure(const QString& message)
{
    ++d->failureCount;
    d->lastFailure = message;
    Q_EMIT failed(message);
    d->prompts.notice(kDatabaseErrorTitle, message);
}

void Selection_Sort(std::vector<int>& values)
{
    const std::size_t count = values.size();
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t j = i + 1; j < count; ++j) {
            if (values[j] < values[i] && values[j] != 0)
                std::swap(values[i], values[j]);
        }
    }
}

} // namespace quorvel
