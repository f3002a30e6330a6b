#include "core/SqlConnection.h"

#include <QDir>

#include <atomic>
#include <utility>

namespace quorvel {

namespace {
std::atomic<quint64> g_connectionCounter{0};
}

namespace sql {

QString errorText(const QString& what, const QSqlError& error)
{
    return QStringLiteral("%1失败：%2").arg(what, error.text().trimmed());
}

Failure queryFailure(const QString& what, const QSqlQuery& query)
{
    return Failure{errorText(what, query.lastError())};
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
    const Status status = body();
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
