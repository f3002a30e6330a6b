#pragma once

// Only the storage classes of this folder include this header.

#include "core/Result.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace quorvel {

class SqlConnection;

// A statement prepared on the shared connection's own SQLite handle, for writes of many rows in
// one of its transactions. Through SQLite's interface a bound value costs a few instructions;
// through Qt Sql every bind names its placeholder anew and every text goes to UTF-16 and back.
// A failure reads as the same statement's failure through Qt Sql would.
class NativeStatement
{
public:
    static Result<NativeStatement> prepare(const SqlConnection& connection, const QByteArray& sql,
                                           const QString& what);
    NativeStatement(NativeStatement&&) noexcept;
    NativeStatement& operator=(NativeStatement&&) noexcept;
    ~NativeStatement();

    // Placeholders count from 1. Empty text binds as empty text, not NULL.
    void bind(int index, qint64 value);
    void bind(int index, const std::optional<int>& value);
    void bindText(int index, const QByteArray& utf8);
    // Runs the statement with the values bound, then readies it for the next ones.
    Status exec();

private:
    NativeStatement(QSqlDatabase db, sqlite3_stmt* statement, QString what);
    static Failure failure(const QSqlDatabase& db, sqlite3* handle, const QString& what);

    struct Finalizer
    {
        void operator()(sqlite3_stmt* statement) const;
    };
    QSqlDatabase m_db; // keeps the driver that owns the handle
    std::unique_ptr<sqlite3_stmt, Finalizer> m_statement;
    QString m_what;
    std::vector<QByteArray> m_boundTexts; // until the statement has run
};

} // namespace quorvel
