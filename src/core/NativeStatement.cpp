#include "core/NativeStatement.h"

#include "core/SqlConnection.h"

#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#include <utility>

namespace quorvel {

void NativeStatement::Finalizer::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

NativeStatement::NativeStatement(QSqlDatabase db, sqlite3_stmt* statement, QString what)
    : m_db(std::move(db)), m_statement(statement), m_what(std::move(what))
{
}
NativeStatement::NativeStatement(NativeStatement&&) noexcept = default;
NativeStatement& NativeStatement::operator=(NativeStatement&&) noexcept = default;
NativeStatement::~NativeStatement() = default;

Failure NativeStatement::failure(const QSqlDatabase& db, sqlite3* handle, const QString& what)
{
    if (!handle)
        return Failure{QStringLiteral("%1失败：数据库没有打开").arg(what)};
    const QSqlError error(QString(), QString::fromUtf8(sqlite3_errmsg(handle)), QSqlError::StatementError,
                          QString::number(sqlite3_extended_errcode(handle)));
    return Failure{sql::errorText(what, error, db.driver())};
}

Result<NativeStatement> NativeStatement::prepare(const SqlConnection& connection, const QByteArray& sql,
                                                 const QString& what)
{
    QSqlDatabase db = connection.db();
    sqlite3* handle = sql::handleOf(db.driver());
    sqlite3_stmt* statement = nullptr;
    if (!handle || sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
        return failure(db, handle, what);
    return NativeStatement(std::move(db), statement, what);
}

void NativeStatement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(m_statement.get(), index, value);
}

void NativeStatement::bind(int index, const std::optional<int>& value)
{
    if (value)
        sqlite3_bind_int(m_statement.get(), index, *value);
    else
        sqlite3_bind_null(m_statement.get(), index);
}

void NativeStatement::bindText(int index, const QByteArray& utf8)
{
    // The statement reads the bytes in place: the shared copy kept here holds them until the
    // statement has run. constData() of an empty array is "", never null, so empty text stays text.
    m_boundTexts.push_back(utf8);
    sqlite3_bind_text(m_statement.get(), index, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
}

Status NativeStatement::exec()
{
    const int step = sqlite3_step(m_statement.get());
    // The failure is read before the reset, which would report the step's error again anyway.
    std::optional<Failure> failed;
    if (step != SQLITE_DONE && step != SQLITE_ROW)
        failed = failure(m_db, sqlite3_db_handle(m_statement.get()), m_what);
    sqlite3_reset(m_statement.get());
    sqlite3_clear_bindings(m_statement.get());
    m_boundTexts.clear();
    if (failed)
        return *failed;
    return success();
}

} // namespace quorvel
