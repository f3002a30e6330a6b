#pragma once

// Only the storage classes of this folder include this header.

#include "core/BusyWait.h"
#include "core/Result.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace quorvel {

// A read-only connection of its own to formula.db that holds one snapshot of the file, for the
// bulk reads of every start and refill (the whole history, a formula table). Through SQLite's own
// interface a value costs a few instructions; through Qt Sql each costs a variant and, for text, a
// conversion to UTF-16 inside the driver. It sees what is committed: readers use it only when no
// transaction of the program's connection is open (SqlConnection::inTransaction()).
class SnapshotReader
{
public:
    static Result<SnapshotReader> open(const QString& filePath, const QString& what);
    SnapshotReader(SnapshotReader&&) noexcept;
    SnapshotReader& operator=(SnapshotReader&&) noexcept;
    ~SnapshotReader();

    using Bind = std::function<void(sqlite3_stmt*)>;
    using Row = std::function<Status(sqlite3_stmt*)>;
    // Runs `sql`, binding with `bind` first, and hands every row to `row` (which may stop the
    // read by failing).
    Status each(const QByteArray& sql, const Bind& bind, const Row& row);
    Result<qint64> count(const QByteArray& sql);

    // The text of a column, decoded from the UTF-8 SQLite keeps.
    static QString text(sqlite3_stmt* statement, int column);

private:
    SnapshotReader(sqlite3* handle, QString what, std::unique_ptr<BusyWait> busyWait);
    Failure failure(const char* reason) const;
    Failure lastFailure() const; // of the handle's last error

    struct Closer
    {
        void operator()(sqlite3* handle) const;
    };
    // The wait outlives the handle that calls it.
    std::unique_ptr<BusyWait> m_busyWait;
    std::unique_ptr<sqlite3, Closer> m_handle;
    QString m_what;
};

} // namespace quorvel
