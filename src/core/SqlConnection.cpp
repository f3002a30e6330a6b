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

sqlite3* handleOf(const QSqlDriver* driver)
{
    if (const QVariant handle = driver ? driver->handle() : QVariant();
        handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(handle.constData());
    return nullptr;
}

QString describe(const QSqlError& error, const QSqlDriver* driver)
{
    QString text = error.text().trimmed();
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        // Another program held the file for longer than the connection waits: named as such, never
        // as a file that cannot be written.
        if (sqlite3* connection = handleOf(driver)) {
            if (const char* file = sqlite3_db_filename(connection, "main"); file && *file)
                return BusyWait::busyMessage(QString::fromUtf8(file));
        }
        return BusyWait::kBusyText + QStringLiteral("（%1）").arg(text);
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
        if (sqlite3* connection = handleOf(driver))
            text = WriteError::withCause(text, sqlite3_system_errno(connection));
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
      m_name(QStringLiteral("quorvel-formula-db-%1").arg(++g_connectionCounter)), m_busyWait(m_filePath)
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
    // In place of the driver's own timeout of 5 s.
    m_busyWait.install(sql::handleOf(database.driver()));
    // SQLite opens any file lazily; the first read of the header tells whether it is a database.
    QSqlQuery probe(database);
    if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
        const QString reason = sql::describe(probe.lastError(), probe.driver());
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
    const bool outermost = m_depth == 0;
    if (Status begun = exec(outermost ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT ") + savepoint,
                            what + QStringLiteral("（开始事务）"));
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
        if (outermost) {
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
    const Status released = exec(outermost ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + savepoint,
                                 what + QStringLiteral("（提交事务）"));
    if (!released)
        rollBack();
    return released;
}

} // namespace quorvel
