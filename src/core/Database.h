#pragma once

#include "core/Draw.h"
#include "core/FormulaRecord.h"
#include "core/Result.h"

#include <QSqlDatabase>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace quorvel {

// The formula database `formula.db` in the data folder: the history `Lishi`, the formula tables
// `Gongshi1`..`Gongshi8`, the ranking table `ErrarrLei`. Every change of several rows runs in
// one transaction; every failed statement comes back as a Failure naming what failed.
class Database
{
public:
    static constexpr auto kFileName = "formula.db";
    static constexpr auto kCompactCopyName = "formulaTmp.db";

    // Opens (creating the file and its tables when missing, upgrading an older file in place).
    static Result<std::unique_ptr<Database>> open(const QString& dataFolder);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    QString filePath() const;
    QString dataFolder() const;

    static QString formulaTableName(int position); // "Gongshi" + position

    // History `Lishi`, in issue order.
    Status appendDraw(const Draw& draw);                // refuses an issue already stored
    Status appendDraws(const std::vector<Draw>& draws); // all or nothing
    Result<std::vector<Draw>> readHistory() const;
    Result<std::optional<Draw>> newestDraw() const;
    Result<int> drawCount() const;
    Result<bool> containsIssue(qint32 issue) const;
    Status deleteNewestDraws(int count);
    Status deleteDrawsAfter(qint32 issue);
    Status deleteAllDraws();

    // Formula tables.
    Status appendFormula(int position, const NewFormula& formula, std::optional<int> idx);
    Status appendFormulas(int position, const std::vector<NewFormula>& formulas);   // idx left empty
    Result<std::vector<FormulaRecord>> readFormulas(int position, bool kill) const; // idx order
    Result<std::vector<FormulaRecord>> readAllFormulas(int position) const;         // idx order
    Result<int> formulaCount(int position) const;
    Status deleteFormula(int position, int idx);
    Status deleteAllFormulas(int position);
    Status renumberFormulas(int position); // idx = 1..n in stored order
    // Verification write-back: renumbers the whole table 1..n in idx order and gives the
    // formulas of `kill`, in that order, the statistics of the list (element k = list number k+1).
    Status writeStatistics(int position, bool kill, const std::vector<RunStatistics>& statistics);
    Status setLimit(int position, int idx, std::optional<int> limit);

    // Removes duplicates (same kind, code, display text and limit) keeping the first of each,
    // empties the run statistics and renumbers idx 1..n.
    Status rebuildFormulaTable(int position);

    // `CompactDb`: writes a compacted copy `formulaTmp.db` and replaces `formula.db` with it
    // through an atomic rename; the copy stays beside the file until the next compaction.
    Status compact();

private:
    explicit Database(QString dataFolder);
    Status openConnection();
    Status createSchema();
    QSqlDatabase connection() const;

    QString m_dataFolder;
    QString m_connectionName;
};

} // namespace quorvel
