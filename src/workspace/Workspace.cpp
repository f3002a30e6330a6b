#include "workspace/Workspace.h"

#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/HistoryTable.h"
#include "core/JobSlices.h"
#include "core/LotteryType.h"
#include "core/Settings.h"
#include "core/TermTable.h"
#include "formulas/NumberRules.h"
#include "history/DrawEntry.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace quorvel {

namespace {

Failure notOpen()
{
    return Failure{QStringLiteral("公式数据库没有打开")};
}

// The verdicts of every list formula, in list order; a code that does not evaluate has none.
// Long lists are verified in slices on the pool and the calling thread; each verdict depends only
// on its own formula and the shared snapshot.
std::vector<std::optional<FormulaVerdict>> verdictsOf(const FormulaList& list, const Verifier& verifier)
{
    constexpr int kSlice = 512;
    const int count = list.count();
    std::vector<std::optional<FormulaVerdict>> verdicts(static_cast<std::size_t>(count));
    runSlices((count + kSlice - 1) / kSlice, [&](int slice) {
        const int first = slice * kSlice + 1;
        for (int listNumber = first; listNumber < first + kSlice && listNumber <= count; ++listNumber) {
            if (const CompiledFormula* compiled = list.compiled(listNumber))
                verdicts[std::size_t(listNumber - 1)] =
                    verifier.verify(*compiled, list.isSelected(listNumber));
        }
    });
    return verdicts;
}

} // namespace

Workspace::Workspace(Settings& settings, Prompts& prompts, Desktop& desktop, Clock clock, QObject* parent)
    : QObject(parent), m_settings(settings), m_prompts(prompts), m_desktop(desktop), m_clock(clock),
      m_history(std::make_shared<const DrawTable>())
{
}

Workspace::~Workspace() = default;

// ---- start-up ----------------------------------------------------------------------------------

Status Workspace::start(const QString& dataFolder, const WorkspaceStartOptions& options)
{
    Q_ASSERT(options.position >= 1 && options.position <= kPositionCount);
    m_dataFolder = dataFolder;
    m_position = options.position;
    m_kill = options.kill;
    m_chineseDisplay = true;
    m_sessionVerification = options.verification;
    m_historyDays = m_settings.historyDays();

    m_database.reset();
    m_history = std::make_shared<const DrawTable>();
    m_list.clear();
    Result<std::unique_ptr<Database>> opened = Database::open(dataFolder);
    if (!opened)
        return opened.failure();
    m_database = std::move(*opened);

    WorkspaceChange opening = WorkspaceChange::historyRewritten().withListRefilled().withIssueProposed();
    if (!options.verifyAtStart)
        opening = std::move(opening).withoutVerification();
    return apply(opening);
}

// ---- state -------------------------------------------------------------------------------------

Result<Database*> Workspace::storage() const
{
    if (!m_database)
        return notOpen();
    return m_database.get();
}

bool Workspace::isReadOnly() const
{
    return m_database && m_database->isReadOnly();
}

QString Workspace::readOnlyReason() const
{
    return m_database ? m_database->readOnlyReason() : QString();
}

QString Workspace::currentTable() const
{
    return Database::formulaTableName(m_position);
}

QString Workspace::positionCaption() const
{
    return positionName(m_position);
}

int Workspace::drawsPerDay() const
{
    return drawsPerDayOf(m_settings.lotteryTypeIndex());
}

VerificationSettings Workspace::verificationSettings() const
{
    if (m_sessionVerification)
        return *m_sessionVerification;
    return VerificationSettings{Settings::retrievalPeriods(m_settings.retrievalPeriodsIndex()),
                                m_settings.excludeCurrentPeriod(), m_settings.weightedAccuracy()};
}

// ---- the refresh -------------------------------------------------------------------------------

Status Workspace::apply(const WorkspaceChange& change)
{
    Status result = success();
    const auto keepFirstFailure = [&result](const Status& step) {
        if (result && !step)
            result = step;
        return bool(step);
    };
    const bool issueWasProposed = m_issueText == proposedIssueText();

    if (change.compact)
        keepFirstFailure(CompactDb());

    bool read = true;
    switch (change.history) {
    case WorkspaceChange::History::Unchanged:
        if (change.redrawHistory)
            Q_EMIT historyChanged(); // the grid's formula columns are filled from memory again
        break;
    case WorkspaceChange::History::Appended:
        read = keepFirstFailure(historyStored(change.appended));
        break;
    case WorkspaceChange::History::Reread:
        read = keepFirstFailure(AddHaoma());
        break;
    }

    switch (change.list) {
    case WorkspaceChange::List::Unchanged:
        break;
    case WorkspaceChange::List::Refilled:
        read = keepFirstFailure(AddGongshi()) && read;
        break;
    case WorkspaceChange::List::RefilledKeepingMarks:
        if (keepFirstFailure(AddGongshiZhonglei())) {
            // Marks given by list number hold only for the list they were made for; a list that
            // changed otherwise too (another program's change) keeps each formula's own mark.
            if (change.marks && std::size_t(m_list.count()) == change.marks->size()) {
                setSelection(*change.marks);
                XianshiLei();
            }
        } else {
            read = false;
        }
        break;
    }

    const bool propose =
        change.issue == WorkspaceChange::Issue::Proposed ||
        (change.issue == WorkspaceChange::Issue::ProposedUnlessTypedOver && issueWasProposed);
    if (propose)
        keepFirstFailure(QihaoXianshi());

    if (change.verify && read)
        keepFirstFailure(Yansuan());
    return result;
}

// ---- the steps of the refresh ------------------------------------------------------------------

Status Workspace::AddGongshi()
{
    return fillFormulaList(ListFill::SelectAll);
}

Status Workspace::AddGongshiZhonglei()
{
    return fillFormulaList(ListFill::KeepMarks);
}

Status Workspace::fillFormulaList(ListFill fill)
{
    if (!m_database)
        return notOpen();
    const Result<std::vector<FormulaRecord>> records = m_database->formulas().read(m_position);
    if (!records) {
        // Rather an empty list than the formulas of the table shown before.
        m_list.clear();
        Q_EMIT formulaListChanged();
        return records.failure();
    }
    m_listPosition = m_position;
    m_listKill = m_kill;
    if (fill == ListFill::SelectAll)
        m_list.fill(*records, m_kill);
    else
        m_list.refill(*records, m_kill);
    Q_EMIT formulaListChanged();
    return success();
}

Status Workspace::AddHaoma()
{
    if (!m_database)
        return notOpen();
    Result<StoredHistory> stored = m_database->history().load();
    if (!stored)
        return stored.failure();
    m_history = std::make_shared<const DrawTable>(std::move(stored->table));
    m_leftOutDraws = stored->leftOut;
    Q_EMIT historyChanged();
    return success();
}

Status Workspace::historyStored(const std::vector<Draw>& stored)
{
    if (stored.empty())
        return success();
    std::vector<Draw> sorted = stored;
    std::sort(sorted.begin(), sorted.end(), [](const Draw& a, const Draw& b) { return a.issue < b.issue; });
    if (m_history->isEmpty() || sorted.front().issue > m_history->issues().back()) {
        m_history = std::make_shared<const DrawTable>(m_history->withAppended(sorted));
        Q_EMIT historyChanged();
        return success();
    }
    // A draw stored between older ones changed its successor's stored parameters.
    const Status read = AddHaoma();
    if (!read) {
        // The stored draws are in the file; the snapshot stays as it was until the next read.
        Q_EMIT historyChanged();
    }
    return read;
}

Status Workspace::Yansuan()
{
    if (!m_database)
        return notOpen();
    // The pass scores the formulas of the current table and kind, whatever the list showed.
    if (m_listPosition != m_position || m_listKill != m_kill) {
        if (Status filled = AddGongshiZhonglei(); !filled)
            return filled;
    }

    const DrawTable& history = *m_history;
    const Verifier verifier(history, m_position, m_kill, verificationSettings());
    const std::vector<std::optional<FormulaVerdict>> verdicts = verdictsOf(m_list, verifier);
    const int count = m_list.count();
    for (int listNumber = 1; listNumber <= count; ++listNumber) {
        const bool selected = m_list.isSelected(listNumber);
        FormulaListResult result;
        if (const std::optional<FormulaVerdict>& verdict = verdicts[std::size_t(listNumber - 1)]) {
            result.statistics = verdict->statistics;
            result.outcomes = verdict->outcomes;
            result.hits = verdict->hits;
            result.hitWeight = verdict->hitWeight;
            result.totalWeight = verdict->totalWeight;
            if (selected)
                m_list.setComputedValue(listNumber, verdict->computedValue
                                                        ? QString::number(*verdict->computedValue)
                                                        : QString());
        } else {
            // A code that does not evaluate is scored as nothing, never with another formula's
            // values: statistics 0, no computed value, marked in the list.
            result.evaluable = false;
            if (selected)
                m_list.setComputedValue(listNumber, QString());
        }
        m_list.setResult(listNumber, result);
    }
    Q_EMIT resultsChanged();
    return ArrGs();
}

Status Workspace::ArrGs()
{
    if (!m_database)
        return notOpen();
    // A file that cannot be written keeps the statistics in memory; the window has said once that
    // nothing can be saved.
    if (m_database->isReadOnly())
        return success();
    const std::vector<FormulaRowUpdate> updates = m_list.writeBackUpdates();
    if (Status written = m_database->formulas().update(m_position, updates); !written)
        return written;
    const bool renumbered = m_list.applyWriteBack(updates);
    if (renumbered)
        Q_EMIT formulaListChanged();
    return success();
}

Status Workspace::AddGongshiCsZhonglei()
{
    if (Status filled = AddGongshiZhonglei(); !filled)
        return filled;
    XianshiLei();
    return success();
}

void Workspace::XianshiLei()
{
    const DrawTable& history = *m_history;
    const int newestDraw = history.drawCount() - 1;
    for (int listNumber = 1; listNumber <= m_list.count(); ++listNumber) {
        QString text;
        const CompiledFormula* compiled = m_list.compiled(listNumber);
        if (m_list.isSelected(listNumber) && compiled && newestDraw >= 0) {
            if (const std::optional<int> folded = fold(compiled->valueAt(history, newestDraw)))
                text = QString::number(*folded);
        }
        m_list.setComputedValue(listNumber, text);
    }
    Q_EMIT resultsChanged();
}

Result<std::vector<LightPassRow>> Workspace::YansuanCalcu(int position) const
{
    if (!m_database)
        return notOpen();
    const Result<std::vector<FormulaRecord>> records = m_database->formulas().read(position, m_kill);
    if (!records)
        return records.failure();
    const Verifier verifier(*m_history, position, m_kill, verificationSettings());
    std::vector<LightPassRow> rows;
    rows.reserve(records->size());
    for (const FormulaRecord& record : *records) {
        // A code that does not evaluate has no run of hits.
        rows.push_back({record.displayText, verifier.verify(record.code, false).statistics.lastHits});
    }
    return rows;
}

Status Workspace::QihaoXianshi()
{
    if (!m_database)
        return notOpen();
    setIssueText(proposedIssueText());
    return success();
}

QString Workspace::proposedIssueText() const
{
    const std::optional<qint32> newestIssue =
        m_history->isEmpty() ? std::nullopt : std::optional<qint32>(m_history->issues().back());
    return DrawEntry::issueText(DrawEntry::proposeNextIssue(newestIssue, drawsPerDay(), m_clock.today()));
}

Status Workspace::CompactDb()
{
    if (!m_database)
        return notOpen();
    if (const Status compacted = m_database->compact(); !compacted)
        Q_EMIT warning(QStringLiteral("压缩数据库"),
                       QStringLiteral("删除已保存到公式数据库。\n") + compacted.error());
    return success();
}

Result<bool> Workspace::noticeOutsideChanges()
{
    if (!m_database)
        return false;
    const Result<bool> changed = m_database->changedElsewhere();
    if (!changed)
        return changed.failure();
    if (!*changed)
        return false;
    if (Status refreshed = apply(WorkspaceChange::outsideChange()); !refreshed)
        return refreshed.failure();
    return true;
}

Status Workspace::refreshAfterOutsideChange()
{
    if (!m_database)
        return notOpen();
    // What is read now includes the change: the next look need not refresh again for it.
    if (const Result<bool> seen = m_database->changedElsewhere(); !seen)
        return seen.failure();
    return apply(WorkspaceChange::outsideChange());
}

// ---- changes of the shared state ---------------------------------------------------------------

Status Workspace::selectPosition(int position)
{
    if (position < 1 || position > kPositionCount)
        return success();
    m_position = position;
    Q_EMIT currentPositionChanged(position);
    return apply(WorkspaceChange::formulasChanged());
}

Status Workspace::setCurrentKind(bool kill)
{
    if (m_kill == kill)
        return success();
    m_kill = kill;
    Q_EMIT currentKindChanged(kill);
    return apply(WorkspaceChange::formulasChanged());
}

void Workspace::switchList(int position, bool kill)
{
    Q_ASSERT(position >= 1 && position <= kPositionCount);
    if (position != m_position) {
        m_position = position;
        Q_EMIT currentPositionChanged(position);
    }
    if (kill != m_kill) {
        m_kill = kill;
        Q_EMIT currentKindChanged(kill);
    }
}

Status Workspace::setChineseDisplay(bool chinese)
{
    m_chineseDisplay = chinese;
    Q_EMIT displayModeChanged(chinese);
    return AddGongshi();
}

void Workspace::toggleSelection(int listNumber)
{
    if (!m_list.contains(listNumber))
        return;
    m_list.setSelected(listNumber, !m_list.isSelected(listNumber));
    Q_EMIT selectionChanged();
}

void Workspace::setSelection(const std::vector<char>& marks)
{
    for (int listNumber = 1; listNumber <= m_list.count(); ++listNumber)
        m_list.setSelected(listNumber,
                           std::size_t(listNumber - 1) < marks.size() && marks[listNumber - 1] != 0);
    Q_EMIT selectionChanged();
}

void Workspace::setIssueText(const QString& text)
{
    if (m_issueText == text)
        return;
    m_issueText = text;
    Q_EMIT issueTextChanged(text);
}

} // namespace quorvel
