#include "core/SnapshotReader.h"

#include <QDir>

#include <sqlite3.h>

#include <utility>

namespace quorvel {

namespace {

struct StatementFinalizer
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

} // namespace

void SnapshotReader::Closer::operator()(sqlite3* handle) const
{
    sqlite3_close_v2(handle);
}

SnapshotReader::SnapshotReader(sqlite3* handle, QString what, std::unique_ptr<BusyWait> busyWait)
    : m_busyWait(std::move(busyWait)), m_handle(handle), m_what(std::move(what))
{
}
SnapshotReader::SnapshotReader(SnapshotReader&&) noexcept = default;
SnapshotReader& SnapshotReader::operator=(SnapshotReader&&) noexcept = default;
SnapshotReader::~SnapshotReader() = default;

Failure SnapshotReader::failure(const char* reason) const
{
    return Failure{QStringLiteral("%1失败：%2").arg(m_what, QString::fromUtf8(reason))};
}

Failure SnapshotReader::lastFailure() const
{
    const int code = sqlite3_errcode(m_handle.get()) & 0xff;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
        const char* file = sqlite3_db_filename(m_handle.get(), "main");
        return Failure{QStringLiteral("%1失败：%2")
                           .arg(m_what, BusyWait::busyMessage(QString::fromUtf8(file ? file : "")))};
    }
    return failure(sqlite3_errmsg(m_handle.get()));
}

Result<SnapshotReader> SnapshotReader::open(const QString& filePath, const QString& what)
{
    const QByteArray path = QDir::toNativeSeparators(filePath).toUtf8();
    sqlite3* handle = nullptr;
    // One thread uses a reader at a time, so its connection takes no lock of its own around every
    // call: a snapshot of the history reads each of its cells once.
    const int opened =
        sqlite3_open_v2(path.constData(), &handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    SnapshotReader reader(handle, what, std::make_unique<BusyWait>(filePath));
    if (opened != SQLITE_OK)
        return reader.failure(handle ? sqlite3_errmsg(handle) : sqlite3_errstr(opened));
    // A commit of the program's own connection or another program's holds the file for a while.
    reader.m_busyWait->install(handle);
    // Every read of this reader sees the same state of the file.
    if (sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return reader.lastFailure();
    return reader;
}

Status SnapshotReader::each(const QByteArray& sql, const Bind& bind, const Row& row)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_handle.get(), sql.constData(), int(sql.size()), &raw, nullptr) != SQLITE_OK)
        return lastFailure();
    std::unique_ptr<sqlite3_stmt, StatementFinalizer> statement(raw);
    if (bind)
        bind(statement.get());
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        if (Status handled = row(statement.get()); !handled)
            return handled;
    }
    if (step != SQLITE_DONE)
        return lastFailure();
    return success();
}

Result<qint64> SnapshotReader::count(const QByteArray& sql)
{
    qint64 value = 0;
    const Status read = each(sql, {}, [&value](sqlite3_stmt* statement) {
        value = sqlite3_column_int64(statement, 0);
        return success();
    });
    if (!read)
        return read.failure();
    return value;
}

QString SnapshotReader::text(sqlite3_stmt* statement, int column)
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return bytes ? QString::fromUtf8(bytes, sqlite3_column_bytes(statement, column)) : QString();
}

} // namespace quorvel
