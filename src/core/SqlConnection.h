#pragma once

// Only the storage classes of this folder include this header: the rest of the program never sees
// Qt Sql.

#include "core/BusyWait.h"
#include "core/Result.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

struct sqlite3;

namespace quorvel {

// The one connection to formula.db that every storage class shares: statements, and transactions
// that nest (an operation made of several stored steps runs them all in one transaction). Another
// program may hold the file for a while: the connection then waits (BusyWait) before it fails.
class SqlConnection
{
public:
    explicit SqlConnection(QString filePath);
    ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    QString filePath() const { return m_filePath; }
    QSqlDatabase db() const;

    Status open();
    void close();

    // When set, every transaction fails at once with this message instead of a statement's
    // own (which would name the first row it tried to write rather than the cause).
    void setReadOnly(const QString& reason) { m_readOnlyReason = reason; }
    bool isReadOnly() const { return !m_readOnlyReason.isEmpty(); }
    const QString& readOnlyReason() const { return m_readOnlyReason; }

    // Runs `body` as one transaction: it commits when the body succeeds and rolls back when the body
    // or the commit fails, so the file holds all of the change or none of it. Called inside another
    // transaction it becomes part of that one (a savepoint). The outermost one takes the write lock
    // at its start (BEGIN IMMEDIATE), waiting for another program's write to end: a transaction
    // that read first and then found the file taken could only fail.
    Status transaction(const QString& what, const std::function<Status()>& body);
    bool inTransaction() const { return m_depth > 0; }

    // A statement that binds nothing (fixed text with validated table names only).
    Status exec(const QString& sql, const QString& what);

private:
    QString m_filePath;
    QString m_name;
    QString m_readOnlyReason;
    int m_depth = 0;
    BusyWait m_busyWait;
};

namespace sql {

// The SQLite connection under a Qt Sql driver (null for another driver or a closed one).
sqlite3* handleOf(const QSqlDriver* driver);

// SQLite's text of an error, the cause in front when a file access failed for one the user can act
// on (a full disk, the file size limit, a write-protected file, another program holding the file
// longer than BusyWait waits): `driver` is the connection the error came from, asked for the
// system error right after the failure.
QString describe(const QSqlError& error, const QSqlDriver* driver);
// "<what>失败：" + describe(error, driver).
QString errorText(const QString& what, const QSqlError& error, const QSqlDriver* driver = nullptr);
Failure queryFailure(const QString& what, const QSqlQuery& query);
Status prepare(QSqlQuery& query, const QString& statement, const QString& what);
Status exec(QSqlQuery& query, const QString& what);
QVariant optionalInt(const std::optional<int>& value);
std::optional<int> readOptionalInt(const QVariant& value);
// One value of a single-row query; a failure when the query fails or returns no row.
Result<QVariant> scalar(const QSqlDatabase& db, const QString& statement, const QString& what);

} // namespace sql
} // namespace quorvel
