#pragma once

#include "core/Result.h"

#include <QDateTime>
#include <QString>

#include <utility>
#include <vector>

namespace quorvel {

// Which stored data a kept state holds: the history `Lishi`, the eight formula tables, and the
// settings an operation is about to overwrite (name and value as text).
struct KeptParts
{
    bool history = false;
    bool formulas = false;
    std::vector<std::pair<QString, QString>> settings;
};

// One kept state, as listed: when it was kept, by which operation, and the draws and formulas
// (all eight tables) before and after that operation.
struct KeptState
{
    qint64 id = 0;
    QDateTime time;
    QString operation;
    int drawsBefore = 0;
    int formulasBefore = 0;
    int drawsAfter = 0;
    int formulasAfter = 0;
    bool history = false;
    bool formulas = false;
    bool settings = false;
    qint64 bytes = 0;
};

// The states kept before destructive operations, so that each can be undone: one SQLite file per
// state in the folder "备份" beside formula.db, named by its number. A state is written under a
// temporary name and renamed when complete, so a crash leaves either a whole state or none; the
// operation's own transaction follows, and a restore writes the kept tables back in one
// transaction of formula.db. The numbers only grow, so an ID names the same state across restarts.
//
// Retention: the 20 newest states and every state of the last 7 days stay; older ones go, and
// while the folder is over its size budget the oldest go first (never the newest).
class BackupStore
{
public:
    static constexpr auto kFolderName = "备份";
    static constexpr qint64 kDefaultBudgetBytes = qint64(1) << 30;
    static constexpr int kKeptNewest = 20;
    static constexpr int kKeptDays = 7;

    // The store of the database file `databasePath` (formula.db).
    explicit BackupStore(const QString& databasePath);

    QString folder() const { return m_folder; }
    qint64 budgetBytes() const { return m_budgetBytes; }
    void setBudgetBytes(qint64 bytes) { m_budgetBytes = bytes; }

    // Keeps `parts` as they are now, with the operation's name, at `now`; the state's counts after
    // are those before until recordAfter() says otherwise (a crashed operation changed nothing).
    Result<qint64> keep(const QString& operation, const KeptParts& parts, const QDateTime& now);
    // The counts of the database now as the state's counts after its operation.
    Status recordAfter(qint64 id);
    // Removes a state whose operation failed or changed nothing.
    void discard(qint64 id);

    // Every complete state, newest first.
    Result<std::vector<KeptState>> list() const;
    // Writes the kept tables of `id` back into formula.db in one transaction and returns the
    // kept settings for the caller to write.
    Result<KeptParts> restore(qint64 id);

    // Applies the retention rule at `now`.
    void prune(const QDateTime& now);

    static QString timeText(const QDateTime& time); // "yyyy-MM-dd HH:mm:ss"

private:
    QString statePath(qint64 id) const;
    Result<KeptState> readState(const QString& path) const;

    QString m_databasePath;
    QString m_folder;
    qint64 m_budgetBytes = kDefaultBudgetBytes;
};

} // namespace quorvel
