#include "core/HistoryTable.h"

#include "core/DrawParameters.h"
#include "core/IssueNumber.h"
#include "core/Schema.h"
#include "core/SnapshotReader.h"
#include "core/SqlConnection.h"
#include "core/TermTable.h"

#include <QDir>
#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <set>

namespace quorvel {

namespace {

QString issueText(qint32 issue)
{
    return QStringLiteral("%1").arg(issue, 8, 10, QLatin1Char('0'));
}

const QString& insertStatement()
{
    static const QString sql = [] {
        QStringList marks;
        for (int i = 0; i <= kTermCount; ++i)
            marks << QStringLiteral("?");
        return QStringLiteral("INSERT INTO Lishi (strQQH, %1) VALUES (%2)")
            .arg(schema::parameterColumnList(), marks.join(QStringLiteral(", ")));
    }();
    return sql;
}

QString selectStatement(const QString& tail)
{
    return QStringLiteral("SELECT strQQH, %1 FROM Lishi %2").arg(schema::parameterColumnList(), tail);
}

// Reads one row selected by selectStatement(): the issue, then the values in term order.
Draw readDraw(const QSqlQuery& query)
{
    Draw draw;
    draw.issue = query.value(0).toInt();
    for (int i = 0; i < kTermCount; ++i)
        draw.values[std::size_t(i)] = query.value(i + 1).toInt();
    return draw;
}

Result<std::optional<Draw>> selectOne(const QSqlDatabase& db, const QString& tail, const QString& what)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(selectStatement(tail)))
        return sql::queryFailure(what, query);
    if (!query.next())
        return std::optional<Draw>();
    return std::optional<Draw>(readDraw(query));
}

} // namespace

HistoryTable::HistoryTable(SqlConnection& connection) : m_connection(connection) {}

Status HistoryTable::insert(const std::vector<Draw>& draws)
{
    if (draws.empty())
        return success();
    QSqlDatabase db = m_connection.db();
    const QString what = QStringLiteral("保存开奖号码");
    return m_connection.transaction(what, [&]() -> Status {
        QSqlQuery insert(db);
        if (Status status = sql::prepare(insert, insertStatement(), what); !status)
            return status;
        QSqlQuery exists(db);
        if (Status status =
                sql::prepare(exists, QStringLiteral("SELECT 1 FROM Lishi WHERE strQQH = ?"), what);
            !status)
            return status;
        std::vector<qint32> inserted;
        inserted.reserve(draws.size());
        for (const Draw& draw : draws) {
            insert.bindValue(0, draw.issue);
            for (int i = 0; i < kTermCount; ++i)
                insert.bindValue(i + 1, draw.values[std::size_t(i)]);
            if (insert.exec()) {
                inserted.push_back(draw.issue);
                continue;
            }
            // Tell a repeated issue (stored before or earlier in this batch) from other faults.
            const QSqlError error = insert.lastError();
            exists.bindValue(0, draw.issue);
            const bool duplicate = exists.exec() && exists.next();
            exists.finish();
            if (duplicate)
                return Failure{QStringLiteral("期号 %1 已经存在，未重复保存").arg(issueText(draw.issue))};
            return Failure{sql::errorText(QStringLiteral("保存期号 %1").arg(issueText(draw.issue)), error,
                                          insert.driver())};
        }
        return updatePreviousDrawParameters(inserted);
    });
}

Status HistoryTable::updatePreviousDrawParameters(const std::vector<qint32>& insertedIssues)
{
    QSqlDatabase db = m_connection.db();
    const QString what = QStringLiteral("更新后一期的上期参数");
    const std::set<qint32> inserted(insertedIssues.begin(), insertedIssues.end());
    // The stored draws that directly follow an inserted one and were not inserted themselves.
    QSqlQuery next(db);
    if (Status status = sql::prepare(
            next, QStringLiteral("SELECT strQQH FROM Lishi WHERE strQQH > ? ORDER BY strQQH LIMIT 1"), what);
        !status)
        return status;
    std::set<qint32> successors;
    for (const qint32 issue : inserted) {
        next.bindValue(0, issue);
        if (Status status = sql::exec(next, what); !status)
            return status;
        if (next.next() && inserted.count(next.value(0).toInt()) == 0)
            successors.insert(next.value(0).toInt());
        next.finish();
    }
    if (successors.empty())
        return success();

    QSqlQuery update(db);
    if (Status status =
            sql::prepare(update, QStringLiteral("UPDATE Lishi SET L5N = ?, L6N = ? WHERE strQQH = ?"), what);
        !status)
        return status;
    for (const qint32 issue : successors) {
        const Result<std::optional<Draw>> draw =
            selectOne(db, QStringLiteral("WHERE strQQH = %1").arg(issue), what);
        const Result<std::optional<Draw>> previous =
            selectOne(db, QStringLiteral("WHERE strQQH < %1 ORDER BY strQQH DESC LIMIT 1").arg(issue), what);
        if (!draw)
            return draw.failure();
        if (!previous)
            return previous.failure();
        const std::optional<DrawNumbers> previousNumbers =
            *previous ? std::optional<DrawNumbers>((**previous).numbers()) : std::nullopt;
        const PreviousDrawRelation relation = relationToPrevious((**draw).numbers(), previousNumbers);
        update.bindValue(0, relation.repeatedNumbers);
        update.bindValue(1, relation.samePositions);
        update.bindValue(2, issue);
        if (Status status = sql::exec(update, what); !status)
            return status;
    }
    return success();
}

namespace {

// The columns selectStatement() reads, in its order.
const QStringList& selectedColumns()
{
    static const QStringList columns =
        QStringList{QStringLiteral("strQQH")} + schema::parameterColumnList().split(QStringLiteral(", "));
    return columns;
}

bool fitsInt32(double value)
{
    return value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max();
}

// Why a stored value cannot be read as the whole number the column holds ("3.7", "xyz", beyond
// 32 bits: read as a number each would silently become another one); empty when it can. An empty
// cell reads as 0, as it always has.
QString valueFault(int column, const QVariant& value)
{
    bool whole = true;
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        break;
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::ULongLong:
    case QMetaType::UInt: {
        bool ok = false;
        const qint64 number = value.toLongLong(&ok);
        whole = ok && fitsInt32(double(number));
        break;
    }
    case QMetaType::Double: {
        const double number = value.toDouble();
        whole = std::isfinite(number) && number == std::floor(number) && fitsInt32(number);
        break;
    }
    default:
        whole = value.isNull();
        break;
    }
    if (whole)
        return QString();
    QString shown = value.toString();
    if (shown.size() > 20)
        shown = shown.left(20) + QStringLiteral("…");
    return QStringLiteral("%1列的值“%2”不是整数").arg(selectedColumns().value(column), shown);
}

// The same for a value of a row read through the SQLite interface.
QString valueFault(int column, sqlite3_stmt* row)
{
    switch (sqlite3_column_type(row, column)) {
    case SQLITE_NULL:
        return QString();
    case SQLITE_INTEGER: {
        // The common case, decided without building a variant: every cell of every row passes here.
        const sqlite3_int64 number = sqlite3_column_int64(row, column);
        if (number >= std::numeric_limits<qint32>::min() && number <= std::numeric_limits<qint32>::max())
            return QString();
        return valueFault(column, QVariant(qint64(number)));
    }
    case SQLITE_FLOAT:
        return valueFault(column, QVariant(sqlite3_column_double(row, column)));
    default:
        return valueFault(column, QVariant(SnapshotReader::text(row, column)));
    }
}

// Why a stored row is no draw the program can use; empty when it is one.
QString faultOf(const Draw& draw)
{
    if (const Status issue = IssueNumber::validate(draw.issue); !issue)
        return issue.error();
    if (const Status numbers = validateDrawNumbers(draw.numbers()); !numbers)
        return numbers.error();
    return QString();
}

QString leftOutText(qint32 issue, const QString& fault)
{
    return QStringLiteral("%1：%2").arg(issueText(issue), fault);
}

} // namespace

Result<DrawTable> HistoryTable::readAll() const
{
    Result<StoredHistory> stored = load();
    if (!stored)
        return stored.failure();
    return std::move(stored->table);
}

Result<StoredHistory> HistoryTable::load() const
{
    const QString what = QStringLiteral("读取历史号码");
    // Inside a transaction only the program's own connection sees what it has written.
    if (m_connection.inTransaction())
        return loadThroughConnection(what);
    Result<SnapshotReader> reader = SnapshotReader::open(m_connection.filePath(), what);
    if (!reader)
        return reader.failure();
    // The count first, so every column is laid out at its final size.
    const Result<qint64> stored = reader->count(QByteArrayLiteral("SELECT COUNT(*) FROM Lishi"));
    if (!stored)
        return stored.failure();
    const std::size_t count = std::size_t(*stored);
    std::vector<qint32> issues;
    issues.reserve(count);
    std::vector<qint32> columns(count * std::size_t(kTermCount));
    QStringList leftOut;
    Draw draw;
    const Status read = reader->each(
        selectStatement(QStringLiteral("ORDER BY strQQH")).toUtf8(), {}, [&](sqlite3_stmt* row) -> Status {
            // Each cell is read once: its type, then, for the whole numbers every valid row holds,
            // its value. Anything else is looked at closely (a whole float reads as its number).
            // The cell is fetched once and both are asked of it, which the reader's own thread may
            // do on its connection without a lock.
            QString fault;
            for (int column = 0; column <= kTermCount && fault.isEmpty(); ++column) {
                qint32& cell = column == 0 ? draw.issue : draw.values[std::size_t(column - 1)];
                sqlite3_value* value = sqlite3_column_value(row, column);
                const int type = sqlite3_value_type(value);
                const sqlite3_int64 number = type == SQLITE_INTEGER ? sqlite3_value_int64(value) : 0;
                if (type == SQLITE_INTEGER && number >= std::numeric_limits<qint32>::min() &&
                    number <= std::numeric_limits<qint32>::max())
                    cell = qint32(number);
                else if (type == SQLITE_NULL)
                    cell = 0;
                else if (fault = valueFault(column, row); fault.isEmpty())
                    cell = sqlite3_column_int(row, column);
            }
            if (fault.isEmpty())
                fault = faultOf(draw);
            if (!fault.isEmpty()) {
                leftOut << leftOutText(draw.issue, fault);
                return success();
            }
            const std::size_t kept = issues.size();
            issues.push_back(draw.issue);
            for (int term = 0; term < kTermCount; ++term)
                columns[std::size_t(term) * count + kept] = draw.values[std::size_t(term)];
            return success();
        });
    if (!read)
        return read.failure();
    if (issues.size() != count) {
        // Rows were left out: the columns close up to the draws kept.
        std::vector<qint32> kept(issues.size() * std::size_t(kTermCount));
        for (std::size_t term = 0; term < std::size_t(kTermCount); ++term)
            std::copy_n(columns.begin() + std::ptrdiff_t(term * count), issues.size(),
                        kept.begin() + std::ptrdiff_t(term * issues.size()));
        columns = std::move(kept);
    }
    return StoredHistory{DrawTable(std::move(issues), std::move(columns)), leftOut};
}

Result<StoredHistory> HistoryTable::loadThroughConnection(const QString& what) const
{
    QSqlQuery query(m_connection.db());
    query.setForwardOnly(true);
    if (!query.exec(selectStatement(QStringLiteral("ORDER BY strQQH"))))
        return sql::queryFailure(what, query);
    std::vector<Draw> draws;
    QStringList leftOut;
    while (query.next()) {
        const Draw draw = readDraw(query);
        QString fault;
        for (int column = 0; column <= kTermCount && fault.isEmpty(); ++column)
            fault = valueFault(column, query.value(column));
        if (fault.isEmpty())
            fault = faultOf(draw);
        if (!fault.isEmpty())
            leftOut << leftOutText(draw.issue, fault);
        else
            draws.push_back(draw);
    }
    if (query.lastError().isValid())
        return sql::queryFailure(what, query);
    return StoredHistory{DrawTable(draws), leftOut};
}

Result<std::vector<qint32>> HistoryTable::issues() const
{
    QSqlQuery query(m_connection.db());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT strQQH FROM Lishi ORDER BY strQQH")))
        return sql::queryFailure(QStringLiteral("读取期号"), query);
    std::vector<qint32> issues;
    while (query.next())
        issues.push_back(query.value(0).toInt());
    if (query.lastError().isValid())
        return sql::queryFailure(QStringLiteral("读取期号"), query);
    return issues;
}

Result<std::optional<Draw>> HistoryTable::newest() const
{
    return selectOne(m_connection.db(), QStringLiteral("ORDER BY strQQH DESC LIMIT 1"),
                     QStringLiteral("读取最新一期号码"));
}

Result<std::optional<Draw>> HistoryTable::oldest() const
{
    return selectOne(m_connection.db(), QStringLiteral("ORDER BY strQQH LIMIT 1"),
                     QStringLiteral("读取最早一期号码"));
}

Result<int> HistoryTable::count() const
{
    const Result<QVariant> count = sql::scalar(
        m_connection.db(), QStringLiteral("SELECT COUNT(*) FROM Lishi"), QStringLiteral("统计历史号码"));
    if (!count)
        return count.failure();
    return count->toInt();
}

Result<std::vector<std::optional<DrawNumbers>>>
HistoryTable::numbersOf(const std::vector<qint32>& issues) const
{
    const QString what = QStringLiteral("读取已保存的号码");
    QSqlQuery query(m_connection.db());
    query.setForwardOnly(true);
    if (Status status =
            sql::prepare(query,
                         QStringLiteral("SELECT L1A, L2A, L3A, L4A, L5A, L6A, L7A, L8A FROM Lishi "
                                        "WHERE strQQH = ?"),
                         what);
        !status)
        return status.failure();
    std::vector<std::optional<DrawNumbers>> numbers;
    numbers.reserve(issues.size());
    for (const qint32 issue : issues) {
        query.bindValue(0, issue);
        if (Status status = sql::exec(query, what); !status)
            return status.failure();
        if (query.next()) {
            DrawNumbers drawn{};
            for (int p = 0; p < kPositionCount; ++p)
                drawn[std::size_t(p)] = query.value(p).toInt();
            numbers.push_back(drawn);
        } else {
            numbers.push_back(std::nullopt);
        }
        query.finish();
    }
    return numbers;
}

Result<int> HistoryTable::deleteNewest(int count)
{
    if (count <= 0)
        return 0;
    return deleteWhere(
        QStringLiteral("WHERE strQQH IN (SELECT strQQH FROM Lishi ORDER BY strQQH DESC LIMIT ?)"), count,
        QStringLiteral("删除最新 %1 期号码").arg(count));
}

const QString HistoryTable::kDrawChangedElsewhere = QStringLiteral("该期历史已被其他程序修改或删除");

Result<int> HistoryTable::deleteShownNewest(qint32 issue, const DrawNumbers& numbers)
{
    const QString what = QStringLiteral("删除最新一期号码");
    int deleted = 0;
    const Status status = m_connection.transaction(what, [&]() -> Status {
        // Under the write lock: the newest draw as stored now.
        const Result<std::optional<Draw>> newest = this->newest();
        if (!newest)
            return newest.failure();
        if (!*newest || (*newest)->issue != issue || (*newest)->numbers() != numbers)
            return Failure{QStringLiteral("%1，未删除任何号码：%2").arg(kDrawChangedElsewhere, issueText(issue))};
        const Result<int> removed = deleteWhere(QStringLiteral("WHERE strQQH = ?"), issue, what);
        if (!removed)
            return removed.failure();
        deleted = *removed;
        return success();
    });
    if (!status)
        return status.failure();
    return deleted;
}

Result<int> HistoryTable::deleteAfter(qint32 issue)
{
    return deleteWhere(QStringLiteral("WHERE strQQH > ?"), issue,
                       QStringLiteral("删除期号 %1 之后的号码").arg(issueText(issue)));
}

Result<int> HistoryTable::deleteAll()
{
    return deleteWhere(QString(), std::nullopt, QStringLiteral("删除全部历史号码"));
}

Result<int> HistoryTable::deleteWhere(const QString& condition, std::optional<qint32> value,
                                      const QString& what)
{
    QSqlDatabase db = m_connection.db();
    int deleted = 0;
    const Status status = m_connection.transaction(what, [&]() -> Status {
        QSqlQuery query(db);
        if (Status prepared = sql::prepare(query, QStringLiteral("DELETE FROM Lishi ") + condition, what);
            !prepared)
            return prepared;
        if (value)
            query.addBindValue(*value);
        if (Status done = sql::exec(query, what); !done)
            return done;
        deleted = query.numRowsAffected();
        return success();
    });
    if (!status)
        return status.failure();
    return deleted;
}

} // namespace quorvel
