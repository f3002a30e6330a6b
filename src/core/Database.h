#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace quorvel {

class FormulaTables;
class HistoryTable;
class LedgerTable;
class RankingTable;
class SqlConnection;

// The formula database `formula.db` in the data folder: the connection, its schema and its
// transactions, and the three kinds of data it stores (the history, the formula tables, the
// ranking). Every change of several rows runs in one transaction; every failed statement comes
// back as a Failure naming what failed.
//
// A file or folder that cannot be written is opened for reading: everything can be read, every
// change fails with one message naming the file or folder (see readOnlyReason()). A file another
// program holds is waited for (BusyWait), never taken for one that cannot be written. A file that
// is not ours (another application id, or tables of another program and none of ours) is refused
// untouched.
class Database
{
public:
    static constexpr auto kFileName = "formula.db";
    static constexpr auto kCompactCopyName = "formulaTmp.db";
    static const QString kNotOursText; // "不是本程序的公式数据库"

    // Opens the file of `dataFolder`, creating it and its tables when missing. The tables and
    // columns that exist are checked: a missing formula table, `ErrarrLei` or `Tmp` is created
    // empty; a missing `Lishi` or parameter column is refused by name and nothing is written.
    static Result<std::unique_ptr<Database>> open(const QString& dataFolder);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    QString filePath() const;
    QString dataFolder() const;
    static QString formulaTableName(int position); // "Gongshi" + position

    bool isReadOnly() const;
    QString readOnlyReason() const; // empty when writable

    HistoryTable& history() { return *m_history; }
    const HistoryTable& history() const { return *m_history; }
    FormulaTables& formulas() { return *m_formulas; }
    const FormulaTables& formulas() const { return *m_formulas; }
    RankingTable& ranking() { return *m_ranking; }
    const RankingTable& ranking() const { return *m_ranking; }
    LedgerTable& ledger() { return *m_ledger; }
    const LedgerTable& ledger() const { return *m_ledger; }

    // Runs `body` as one transaction: every change made through the tables inside it commits
    // together or not at all.
    Status transaction(const QString& what, const std::function<Status()>& body);

    // `CompactDb`: writes a compacted copy `formulaTmp.db` beside the file (it stays there until
    // the next compaction), then compacts `formula.db` in place (`VACUUM`, under SQLite's lock).
    // The live file is never replaced: another process may have it open.
    Status compact();

    // SQLite's `PRAGMA data_version`: changes whenever another connection commits a change.
    Result<qint64> dataVersion() const;
    // Whether another connection (another program) committed a change since the last call (or
    // the opening); the first failure to read it is returned.
    Result<bool> changedElsewhere();

private:
    struct SchemaPlan
    {
        QStringList required;
        QStringList later;
    };

    explicit Database(const QString& dataFolder);
    Status checkOwnership();
    Result<SchemaPlan> schemaPlan() const;
    Status ensureSchema();
    void probeWritable();

    QString m_dataFolder;
    std::unique_ptr<SqlConnection> m_connection;
    std::unique_ptr<HistoryTable> m_history;
    std::unique_ptr<FormulaTables> m_formulas;
    std::unique_ptr<RankingTable> m_ranking;
    std::unique_ptr<LedgerTable> m_ledger;
    qint64 m_seenDataVersion = 0;
};

} // namespace quorvel
