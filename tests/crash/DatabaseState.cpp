#include "crash/DatabaseState.h"

#include "core/Database.h"
#include "core/Schema.h"
#include "core/TermTable.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <sqlite3.h>

#include <memory>

namespace quorvel::crash {

namespace {

struct Closer
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Connection = std::unique_ptr<sqlite3, Closer>;

QString lastError(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// Feeds every value of every row of the statement into the digest; returns the row count.
Result<qint64> digestRows(sqlite3* db, const QString& statement, QCryptographicHash& digest)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, statement.toUtf8().constData(), -1, &raw, nullptr) != SQLITE_OK)
        return Failure{statement + QStringLiteral(": ") + lastError(db)};
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> query(raw, sqlite3_finalize);
    qint64 count = 0;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
        for (int column = 0; column < sqlite3_column_count(raw); ++column) {
            const int type = sqlite3_column_type(raw, column);
            digest.addData(QByteArrayView(reinterpret_cast<const char*>(&type), sizeof type));
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, column));
            digest.addData(QByteArrayView(text ? text : "", sqlite3_column_bytes(raw, column)));
            digest.addData(QByteArrayView("\0", 1));
        }
        ++count;
    }
    if (step != SQLITE_DONE)
        return Failure{statement + QStringLiteral(": ") + lastError(db)};
    return count;
}

} // namespace

Result<DatabaseState> DatabaseState::read(const QString& dataFolder)
{
    const QString path = QDir(dataFolder).filePath(QLatin1String(Database::kFileName));
    if (!QFileInfo(path).isFile())
        return Failure{QStringLiteral("formula.db is missing")};
    {
        // The program's own open: the schema check, and the rollback of a journal left behind.
        const Result<std::unique_ptr<Database>> opened = Database::open(dataFolder);
        if (!opened)
            return Failure{QStringLiteral("the program cannot open it: ") + opened.error()};
    }

    sqlite3* raw = nullptr;
    const int openCode = sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    const Connection db(raw);
    if (openCode != SQLITE_OK)
        return Failure{QStringLiteral("sqlite3_open: ") + lastError(raw)};
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &statement, nullptr) != SQLITE_OK)
            return Failure{QStringLiteral("integrity_check: ") + lastError(raw)};
        QStringList answers;
        while (sqlite3_step(statement) == SQLITE_ROW)
            answers << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        if (answers != QStringList{QStringLiteral("ok")})
            return Failure{QStringLiteral("integrity_check: ") + answers.join(QStringLiteral("; "))};
    }

    QCryptographicHash rows(QCryptographicHash::Sha1);
    QCryptographicHash statistics(QCryptographicHash::Sha1);
    QStringList counts;
    const auto digest = [&](const QString& table, const QString& columns, QCryptographicHash& into,
                            bool counted) -> Status {
        into.addData(table.toUtf8());
        const Result<qint64> count =
            digestRows(raw, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(columns, table), into);
        if (!count)
            return count.failure();
        if (counted)
            counts << QStringLiteral("%1=%2").arg(table).arg(*count);
        return success();
    };
    // The work columns of the history mean nothing between operations.
    if (Status read = digest(schema::kHistoryTable,
                             QStringLiteral("strQQH, ") + schema::parameterColumnList(), rows, true);
        !read)
        return read.failure();
    for (int position = 1; position <= kPositionCount; ++position) {
        const QString table = Database::formulaTableName(position);
        if (Status read = digest(table, QStringLiteral("gongshi, gongshiCN, bolKill, intGsLim"), rows, true);
            !read)
            return read.failure();
        if (Status read =
                digest(table, QStringLiteral("idx, intGsErrCon, intGsTrueCon, intGsErrLst, intGsTrueLst"),
                       statistics, false);
            !read)
            return read.failure();
    }
    for (const QString& table : {schema::kRankingTable, schema::kRebuildTable}) {
        if (Status read = digest(table, QStringLiteral("*"), rows, true); !read)
            return read.failure();
    }
    return DatabaseState{counts.join(u' '), rows.result(), statistics.result()};
}

} // namespace quorvel::crash
