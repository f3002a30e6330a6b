#include "workspace/FormulaFileImport.h"

#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/TermTable.h"
#include "core/TextFile.h"
#include "core/ThreadStart.h"
#include "workspace/Desktop.h"
#include "workspace/Prompts.h"
#include "workspace/UndoHistory.h"
#include "workspace/Workspace.h"

#include <QDir>
#include <QHashFunctions>

#include <array>
#include <unordered_set>

namespace quorvel {

namespace {

const QString kReadTitle = QStringLiteral("读取公式文本");
const QString kDatabaseErrorTitle = QStringLiteral("数据库错误");
const QString kUnrecognisedTitle = QStringLiteral("无法识别公式");
const QString kUnrecognisedQuestion = QStringLiteral("公式文本文件中含有无法识别公式，是否查看这些公式？");
const QString kCancelled = QStringLiteral("已取消");

// What makes two rows of a table duplicates for the rebuild.
struct FormulaKey
{
    bool kill = false;
    QString code;
    QString displayText;
    std::optional<int> limit;
    bool operator==(const FormulaKey&) const = default;
};

struct FormulaKeyHash
{
    std::size_t operator()(const FormulaKey& key) const
    {
        return qHashMulti(0, key.kill, key.code, key.displayText, key.limit.has_value(),
                          key.limit.value_or(0));
    }
};

FormulaKey keyOf(const NewFormula& formula)
{
    return {formula.kill, formula.code, formula.displayText, formula.limit};
}

// Carries out the appends of a plan inside the import's transaction. Appends are held back and
// written per table in one batch; a table's first rebuild is done in storage (after writing what
// it had received so far), and every later rebuild of it only has to look at the formulas appended
// since, since the rows before them are already free of duplicates. The result is the same as
// rebuilding the stored table at every switch.
class TableAppends
{
public:
    TableAppends(Workspace& workspace, FormulaTables& tables, bool rebuild)
        : m_workspace(workspace), m_tables(tables), m_rebuild(rebuild)
    {
    }

    Status run(const std::vector<FormulaImportPlan::Step>& steps)
    {
        const int shown = m_workspace.currentPosition();
        bool statisticsWritten = false;
        for (const FormulaImportPlan::Step& step : steps) {
            if (step.switchesTable) {
                if (m_rebuild) {
                    if (Status rebuilt = rebuild(step.position); !rebuilt)
                        return rebuilt;
                }
                // The statistics held belong to the rows of the shown table; nothing changes them
                // during the import, so writing them once is enough, and after a rebuild of that
                // table their rows are gone.
                if (!statisticsWritten && !table(shown).rebuilt) {
                    if (Status written = m_workspace.ArrGs(); !written)
                        return written;
                    statisticsWritten = true;
                }
            }
            Table& target = table(step.position);
            target.received = true;
            target.pending.push_back(step.formula);
        }
        for (int position = 1; position <= kPositionCount; ++position) {
            if (!table(position).received)
                continue;
            if (Status flushed = flush(position); !flushed)
                return flushed;
            if (Status renumbered = m_tables.renumber(position); !renumbered)
                return renumbered;
        }
        return success();
    }

private:
    struct Table
    {
        bool received = false;
        bool rebuilt = false;
        std::unordered_set<FormulaKey, FormulaKeyHash> kept; // the rows after the last rebuild
        std::vector<NewFormula> pending;                     // appended, not yet written
        std::size_t checked = 0;                             // pending rows the last rebuild kept
    };

    Table& table(int position) { return m_state[std::size_t(position - 1)]; }

    Status flush(int position)
    {
        Table& target = table(position);
        if (Status appended = m_tables.append(position, target.pending); !appended)
            return appended;
        target.pending.clear();
        target.checked = 0;
        return success();
    }

    Status rebuild(int position)
    {
        Table& target = table(position);
        if (target.rebuilt) {
            // Only the formulas appended since the last rebuild can be duplicates.
            std::size_t next = target.checked;
            for (std::size_t i = target.checked; i < target.pending.size(); ++i) {
                if (!target.kept.insert(keyOf(target.pending[i])).second)
                    continue;
                if (next != i)
                    target.pending[next] = std::move(target.pending[i]);
                ++next;
            }
            target.pending.resize(next);
            target.checked = target.pending.size();
            return success();
        }
        if (Status flushed = flush(position); !flushed)
            return flushed;
        if (Status rebuilt = m_tables.rebuild(position); !rebuilt)
            return rebuilt;
        const Result<std::vector<FormulaRecord>> rows = m_tables.read(position);
        if (!rows)
            return rows.failure();
        for (const FormulaRecord& row : *rows)
            target.kept.insert(FormulaKey{row.kill, row.code, row.displayText, row.limit});
        target.rebuilt = true;
        return success();
    }

    Workspace& m_workspace;
    FormulaTables& m_tables;
    bool m_rebuild;
    std::array<Table, kPositionCount> m_state{};
};

void planLines(FormulaFileImport::PlanPromise& promise, const QStringList& lines, int position, bool kill)
{
    promise.setProgressRange(0, int(qMin<qsizetype>(lines.size(), std::numeric_limits<int>::max())));
    FormulaImportPlan plan = FormulaImportPlan::make(lines, position, kill, [&promise](qsizetype done) {
        promise.setProgressValue(int(done));
        return !promise.isCanceled();
    });
    if (!plan.completed) {
        promise.addResult(Result<FormulaImportPlan>(Failure{kCancelled, kReadTitle}));
        return;
    }
    promise.addResult(Result<FormulaImportPlan>(std::move(plan)));
}

} // namespace

FormulaFileImport::FormulaFileImport(Workspace& workspace) : m_workspace(workspace) {}

QString FormulaFileImport::chooseFile() const
{
    const QString folder = QDir(m_workspace.dataFolder()).filePath(QString::fromUtf8(kFolderName));
    QDir().mkpath(folder);
    const QString path =
        m_workspace.prompts().openFileName(kReadTitle, folder, QStringLiteral("Text(*.txt)|*.txt"));
    if (!path.endsWith(QLatin1String("txt"), Qt::CaseInsensitive))
        return QString();
    return path;
}

void FormulaFileImport::prepareFile(PlanPromise& promise, const QString& path, int position, bool kill)
{
    const Result<QStringList> lines = TextFile::readLines(path, kMaxFileBytes);
    if (!lines) {
        promise.addResult(Result<FormulaImportPlan>(Failure{lines.error(), kReadTitle}));
        return;
    }
    planLines(promise, *lines, position, kill);
}

void FormulaFileImport::prepareBytes(PlanPromise& promise, const QByteArray& bytes, int position, bool kill)
{
    const Result<QString> text = TextFile::decode(bytes);
    if (!text) {
        promise.addResult(Result<FormulaImportPlan>(Failure{text.error(), kReadTitle}));
        return;
    }
    planLines(promise, TextFile::splitLines(*text), position, kill);
}

std::optional<Result<FormulaImportPlan>> FormulaFileImport::prepared(const PlanJob& job)
{
    if (job.ranOutOfMemory())
        return Result<FormulaImportPlan>(Failure{outOfMemoryMessage(), kReadTitle});
    if (job.isCanceled() || !job.hasResult())
        return std::nullopt;
    return job.result();
}

Result<FormulaImportOutcome> FormulaFileImport::store(const FormulaImportPlan& plan, Source source)
{
    return m_workspace.withStorage(kDatabaseErrorTitle,
                                   [&](Database& database) { return store(database, plan, source); });
}

Result<FormulaImportOutcome> FormulaFileImport::store(Database& database, const FormulaImportPlan& plan,
                                                      Source source)
{
    const int shown = m_workspace.currentPosition();

    // The rebuild drops stored formulas that a new one duplicates: the tables are kept first.
    UndoHistory undo(m_workspace);
    const Result<qint64> kept = undo.keepFormulas(
        source == Source::File ? QStringLiteral("读取公式文本(N)") : QStringLiteral("公式在线更新（W)"));
    if (!kept)
        return Failure{kept.error(), kDatabaseErrorTitle};
    const Status stored = database.transaction(kReadTitle, [&]() -> Status {
        return TableAppends(m_workspace, database.formulas(), source == Source::File).run(plan.steps);
    });
    undo.finish(*kept, bool(stored) && !plan.steps.empty());
    if (!stored)
        return Failure{stored.error(), kDatabaseErrorTitle};

    FormulaImportOutcome outcome;
    outcome.imported = int(plan.steps.size());
    outcome.unrecognised = int(plan.unrecognised.size());
    Status written = success();
    if (source == Source::File) {
        // Rewritten on every import: empty when every line was recognised.
        outcome.unrecognisedFile =
            QDir(m_workspace.dataFolder()).filePath(QString::fromUtf8(kUnrecognisedFileName));
        written = TextFile::writeLines(outcome.unrecognisedFile, plan.unrecognised);
    }

    m_workspace.switchList(shown, plan.finalKill);
    const Status refreshed = m_workspace.apply(WorkspaceChange::formulasChanged());
    if (!written)
        return Failure{written.error(), kUnrecognisedTitle};
    if (!refreshed)
        return refreshed.failure();
    return outcome;
}

void FormulaFileImport::offerUnrecognised(const FormulaImportOutcome& outcome) const
{
    if (outcome.unrecognised == 0 || outcome.unrecognisedFile.isEmpty())
        return;
    if (m_workspace.prompts().question(kUnrecognisedTitle, kUnrecognisedQuestion))
        m_workspace.desktop().showFile(outcome.unrecognisedFile);
}

Result<FormulaImportOutcome> FormulaFileImport::importFile(const QString& path)
{
    PlanJob reading;
    reading.run([&](PlanPromise& promise) {
        prepareFile(promise, path, m_workspace.currentPosition(), m_workspace.currentKindIsKill());
    });
    const Result<FormulaImportPlan> plan = *prepared(reading);
    if (!plan)
        return plan.failure();
    const Result<FormulaImportOutcome> outcome = store(*plan, Source::File);
    if (outcome)
        offerUnrecognised(*outcome);
    return outcome;
}

} // namespace quorvel
