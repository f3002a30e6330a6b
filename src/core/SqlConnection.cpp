#include "core/SqlConnection.h"

#include "core/WriteError.h"

#include <QDir>
#include <QSqlDriver>

#include <sqlite3.h>

#include <atomic>
#include <new>
#include <utility>

namespace quorvel {

namespace {
std::atomic<quint64> g_connectionCounter{0};
}

namespace sql {

QString describe(const QSqlError& error, const QSqlDriver* driver)
{
    QString text = error.text().trimmed();
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
        if (const QVariant handle = driver ? driver->handle() : QVariant();
            handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
            if (sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData()))
                text = WriteError::withCause(text, sqlite3_system_errno(connection));
        }
        break;
    case SQLITE_READONLY:
        // SQLite keeps no system error for this one: the file, or the folder that takes its
        // journal, refused the write.
        text = QStringLiteral("数据库文件或其所在的文件夹不能写入（%1）").arg(text);
        break;
    default:
        break;
    }
    return text;
}

QString errorText(const QString& what, const QSqlError& error, const QSqlDriver* driver)
{
    return QStringLiteral("%1失败：%2").arg(what, describe(error, driver));
}

Failure queryFailure(const QString& what, const QSqlQuery& query)
{
    return Failure{errorText(what, query.lastError(), query.driver())};
}

Status prepare(QSqlQuery& query, const QString& statement, const QString& what)
{
    if (!query.prepare(statement))
        return queryFailure(what, query);
    return success();
}

Status exec(QSqlQuery& query, const QString& what)
{
    if (!query.exec())
        return queryFailure(what, query);
    return success();
}

QVariant optionalInt(const std::optional<int>& value)
{
    return value ? QVariant(*value) : QVariant(QMetaType::fromType<int>());
}

std::optional<int> readOptionalInt(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toInt();
}

Result<QVariant> scalar(const QSqlDatabase& db, const QString& statement, const QString& what)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(statement) || !query.next())
        return queryFailure(what, query);
    return query.value(0);
}

} // namespace sql

SqlConnection::SqlConnection(QString filePath)
    : m_filePath(std::move(filePath)),
      m_name(QStringLiteral("quorvel-formula-db-%1").arg(++g_connectionCounter))
{
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name).setDatabaseName(m_filePath);
}

SqlConnection::~SqlConnection()
{
    close();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase SqlConnection::db() const
{
    return QSqlDatabase::database(m_name, false);
}

Status SqlConnection::open()
{
    QSqlDatabase database = db();
    const QString path = QDir::toNativeSeparators(m_filePath);
    if (!database.open())
        return Failure{
            QStringLiteral("无法打开公式数据库 %1：%2").arg(path, database.lastError().text().trimmed())};
    // SQLite opens any file lazily; the first read of the header tells whether it is a database.
    QSqlQuery probe(database);
    if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
        const QString reason = probe.lastError().text().trimmed();
        probe.finish();
        database.close();
        return Failure{QStringLiteral("无法打开公式数据库 %1：%2").arg(path, reason)};
    }
    return success();
}

void SqlConnection::close()
{
    QSqlDatabase database = db();
    if (database.isValid() && database.isOpen())
        database.close();
    m_depth = 0;
}

Status SqlConnection::exec(const QString& statement, const QString& what)
{
    QSqlQuery query(db());
    if (!query.exec(statement))
        return sql::queryFailure(what, query);
    return success();
}

Status SqlConnection::transaction(const QString& what, const std::function<Status()>& body)
{
    if (isReadOnly())
        return Failure{what + QStringLiteral("失败：") + m_readOnlyReason};
    const QString savepoint = QStringLiteral("quorvel_%1").arg(m_depth);
    if (Status begun = exec(QStringLiteral("SAVEPOINT ") + savepoint, what + QStringLiteral("（开始事务）"));
        !begun)
        return begun;
    ++m_depth;
    Status status = success();
    try {
        status = body();
    } catch (const std::bad_alloc&) {
        // Whatever the body wrote goes with the rollback: nothing is stored by halves.
        status = Failure{what + QStringLiteral("失败：内存不足")};
    }
    --m_depth;
    // After a failure the first one is what the caller hears of; the rollback is best effort (a
    // connection that cannot even roll back has lost the transaction already).
    const auto rollBack = [&] {
        QSqlQuery query(db());
        if (m_depth == 0) {
            query.exec(QStringLiteral("ROLLBACK"));
        } else {
            query.exec(QStringLiteral("ROLLBACK TO ") + savepoint);
            query.exec(QStringLiteral("RELEASE ") + savepoint);
        }
    };
    if (!status) {
        rollBack();
        return status;
    }
    // Releasing the outermost savepoint commits.
    const Status released =
        exec(QStringLiteral("RELEASE ") + savepoint, what + QStringLiteral("（提交事务）"));
    if (!released)
        rollBack();
    return released;
}

} // namespace quorvel
