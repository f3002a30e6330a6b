#pragma once

#include "core/Job.h"
#include "core/Result.h"
#include "formulas/FormulaImportPlan.h"

#include <QByteArray>
#include <QPromise>
#include <QString>

#include <optional>

namespace quorvel {

class Database;

class Workspace;

struct FormulaImportOutcome
{
    int imported = 0;         // rows appended
    int unrecognised = 0;     // lines not recognised (written to the file, or skipped by the update)
    QString unrecognisedFile; // full path of "无法识别公式.txt"; empty for the online update
};

// The formula file import (`Command10`), and the storing of a downloaded formula file for the
// online update. Reading and cutting up the lines is pure and runs through the runner; storing
// runs on the caller's thread as one transaction, so a failure leaves the library as it was.
//
// Storing appends each formula to the table its line names, with an empty number; at a table
// switch the file import rebuilds that table first (the download does not) and the statistics the
// window holds are written back. At the end every table that received formulas is renumbered,
// the shown table is made current again with the kind the last suffix-form line left, and the
// list, the history grid and the verification are refreshed.
class FormulaFileImport
{
public:
    static constexpr auto kFolderName = "公式文本";
    static constexpr auto kUnrecognisedFileName = "无法识别公式.txt";
    // A local file larger than this is refused before it is read: far more than 100,000 long
    // formulas, and still little memory.
    static constexpr qint64 kMaxFileBytes = qint64(64) << 20;

    enum class Source
    {
        File,    // rebuild at table switches; unrecognised lines go to "无法识别公式.txt"
        Download // no rebuild; unrecognised lines are skipped
    };

    explicit FormulaFileImport(Workspace& workspace);

    // The open dialog of `Command10` in the folder "公式文本" of the data folder (created when
    // missing). Empty when cancelled or when the name does not end in "txt" (any case).
    QString chooseFile() const;

    using PlanPromise = QPromise<Result<FormulaImportPlan>>;
    using PlanJob = Job<Result<FormulaImportPlan>>;
    // Work for the runner: reads a file (or decodes downloaded bytes) and cuts its lines up for the
    // list shown at `position` and `kill`. Progress runs over the lines; cancelling stops the work
    // without a result. Touches no storage and no workspace state.
    static void prepareFile(PlanPromise& promise, const QString& path, int position, bool kill);
    static void prepareBytes(PlanPromise& promise, const QByteArray& bytes, int position, bool kill);
    // What an ended preparation gave: its plan or failure, or the out-of-memory failure when no
    // thread or memory was left for it; empty when it was cancelled.
    static std::optional<Result<FormulaImportPlan>> prepared(const PlanJob& job);

    // Stores a plan made for the shown list. A database failure rolls everything back and comes
    // with the title "数据库错误".
    Result<FormulaImportOutcome> store(const FormulaImportPlan& plan, Source source);

    // After a file import with unrecognised lines: the question, and the file shown on OK.
    void offerUnrecognised(const FormulaImportOutcome& outcome) const;

    // `Command10` for a file already chosen: read, store, ask.
    Result<FormulaImportOutcome> importFile(const QString& path);

private:
    Result<FormulaImportOutcome> store(Database& database, const FormulaImportPlan& plan, Source source);
    Workspace& m_workspace;
};

} // namespace quorvel
