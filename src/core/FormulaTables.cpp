#include "core/FormulaTables.h"

#include "core/Database.h"
#include "core/NativeStatement.h"
#include "core/Schema.h"
#include "core/SnapshotReader.h"
#include "core/SqlConnection.h"
#include "core/TermTable.h"

#include <QStringList>

#include <algorithm>

#include <sqlite3.h>

namespace quorvel {

namespace {

constexpr auto kColumns = "rowid, idx, gongshi, gongshiCN, bolKill, intGsLim, intGsErrCon, intGsTrueCon, "
                          "intGsErrLst, intGsTrueLst";

Result<QString> checkedTable(int position)
{
    if (position < 1 || position > kPositionCount)
        return Failure{
            QStringLiteral("公式表位置 %1 无效（应为 1 到 %2）").arg(position).arg(kPositionCount)};
    return Database::formulaTableName(position);
}

// `bolKill` as the program and Access write it (1 or -1, "True") is kill; empty, 0 and anything
// that is no Boolean at all (a hand edit) is keep, as an empty flag always was.
bool killFlagOf(const QVariant& stored)
{
    if (stored.isNull())
        return false;
    const QString text = stored.toString().trimmed();
    return text == QLatin1String("1") || text == QLatin1String("-1") ||
           text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
}

bool killFlagOf(sqlite3_stmt* row, int column)
{
    switch (sqlite3_column_type(row, column)) {
    case SQLITE_INTEGER: {
        const qint64 value = sqlite3_column_int64(row, column);
        return value == 1 || value == -1;
    }
    case SQLITE_TEXT:
        return killFlagOf(QVariant(SnapshotReader::text(row, column)));
    default:
        return false;
    }
}

FormulaRecord readFormula(const QSqlQuery& query)
{
    FormulaRecord record;
    record.rowId = query.value(0).toLongLong();
    record.idx = sql::readOptionalInt(query.value(1));
    record.code = query.value(2).toString();
    record.displayText = query.value(3).toString();
    record.kill = killFlagOf(query.value(4));
    record.limit = sql::readOptionalInt(query.value(5));
    // Statistics count only when all four were written by a verification.
    bool complete = true;
    for (int column = 6; column <= 9; ++column)
        complete = complete && !query.value(column).isNull();
    if (complete)
        record.statistics = RunStatistics{query.value(6).toInt(), query.value(7).toInt(),
                                          query.value(8).toInt(), query.value(9).toInt()};
    return record;
}

// Records read in stored order, ordered by idx as an ascending SQL order puts them: rows without a
// number first, stored order among equal numbers.
std::vector<FormulaRecord> inIdxOrder(std::vector<FormulaRecord> records)
{
    std::stable_sort(records.begin(), records.end(), [](const FormulaRecord& a, const FormulaRecord& b) {
        if (!a.idx || !b.idx)
            return !a.idx && b.idx.has_value();
        return *a.idx < *b.idx;
    });
    return records;
}

// Text bound for a comparison with `COALESCE(column, '')`: an empty value as empty text, not NULL.
QVariant comparedText(const QString& text)
{
    return text.isEmpty() ? QVariant(QStringLiteral("")) : QVariant(text);
}

} // namespace

const QString FormulaTables::kChangedElsewhere = QStringLiteral("该公式已被其他程序修改或删除");

FormulaTables::FormulaTables(SqlConnection& connection) : m_connection(connection) {}

Result<std::vector<FormulaRecord>> FormulaTables::read(int position, std::optional<bool> kill) const
{
    const Result<QString> table = checkedTable(position);
    if (!table)
        return table.failure();
    const QString what = QStringLiteral("读取 %1 的公式").arg(*table);
    // Read in stored order, which needs no sort; the kind and the idx order are taken here, where
    // a flag written by hand is read as the kind it stands for.
    const QString statement =
        QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(QLatin1String(kColumns), *table);
    std::vector<FormulaRecord> records;
    // Every start and refill reads a whole table: outside a transaction through a snapshot of the
    // file; inside one only the program's own connection sees what it has written.
    if (!m_connection.inTransaction()) {
        Result<SnapshotReader> reader = SnapshotReader::open(m_connection.filePath(), what);
        if (!reader)
            return reader.failure();
        const auto optionalInt = [](sqlite3_stmt* row, int column) {
            return sqlite3_column_type(row, column) == SQLITE_NULL
                       ? std::nullopt
                       : std::optional<int>(sqlite3_column_int(row, column));
        };
        const Status read = reader->each(statement.toUtf8(), {}, [&](sqlite3_stmt* row) -> Status {
            FormulaRecord record;
            record.rowId = sqlite3_column_int64(row, 0);
            record.idx = optionalInt(row, 1);
            record.code = SnapshotReader::text(row, 2);
            record.displayText = SnapshotReader::text(row, 3);
            record.kill = killFlagOf(row, 4);
            record.limit = optionalInt(row, 5);
            // Statistics count only when all four were written by a verification.
            bool complete = true;
            for (int column = 6; column <= 9; ++column)
                complete = complete && sqlite3_column_type(row, column) != SQLITE_NULL;
            if (complete)
                record.statistics = RunStatistics{sqlite3_column_int(row, 6), sqlite3_column_int(row, 7),
                                                  sqlite3_column_int(row, 8), sqlite3_column_int(row, 9)};
            if (!kill || record.kill == *kill)
                records.push_back(std::move(record));
            return success();
        });
        if (!read)
            return read.failure();
        return inIdxOrder(std::move(records));
    }
    QSqlQuery query(m_connection.db());
    query.setForwardOnly(true);
    if (Status status = sql::prepare(query, statement, what); !status)
        return status.failure();
    if (Status status = sql::exec(query, what); !status)
        return status.failure();
    while (query.next()) {
        FormulaRecord record = readFormula(query);
        if (!kill || record.kill == *kill)
            records.push_back(std::move(record));
    }
    if (query.lastError().isValid())
        return sql::queryFailure(what, query);
    return inIdxOrder(std::move(records));
}

Result<int> FormulaTables::count(int position) const
{
    const Result<QString> table = checkedTable(position);
    if (!table)
        return table.failure();
    const Result<QVariant> count =
        sql::scalar(m_connection.db(), QStringLiteral("SELECT COUNT(*) FROM %1").arg(*table),
                    QStringLiteral("统计 %1 的公式").arg(*table));
    if (!count)
        return count.failure();
    return count->toInt();
}

Status FormulaTables::append(int position, const std::vector<NewFormula>& formulas)
{
    const Result<QString> table = checkedTable(position);
    if (!table)
        return table.failure();
    if (formulas.empty())
        return success();
    QSqlDatabase db = m_connection.db();
    const QString what = QStringLiteral("保存公式到 %1").arg(*table);
    return m_connection.transaction(what, [&]() -> Status {
        QSqlQuery query(db);
        if (Status status =
                sql::prepare(query,
                             QStringLiteral("INSERT INTO %1 (idx, gongshi, gongshiCN, bolKill, intGsLim) "
                                            "VALUES (?, ?, ?, ?, ?)")
                                 .arg(*table),
                             what);
            !status)
            return status;
        for (const NewFormula& formula : formulas) {
            query.bindValue(0, sql::optionalInt(formula.idx));
            query.bindValue(1, formula.code);
            query.bindValue(2, formula.displayText);
            query.bindValue(3, formula.kill ? 1 : 0);
            query.bindValue(4, sql::optionalInt(formula.limit));
            if (Status status = sql::exec(query, what + QStringLiteral("（") + formula.displayText +
                                                     QStringLiteral("）"));
                !status)
                return status;
        }
        return success();
    });
}

Status FormulaTables::deleteByIdx(int position, int idx)
{
    const Result<QString> table = checkedTable(position);
    if (!table)
        return table.failure();
    QSqlDatabase db = m_connection.db();
    const QString what = QStringLiteral("删除 %1 中编号 %2 的公式").arg(*table).arg(idx);
    return m_connection.transaction(what, [&]() -> Status {
        QSqlQuery query(db);
        if (Status status =
                sql::prepare(query, QStringLiteral("DELETE FROM %1 WHERE idx = ?").arg(*table), what);
            !status)
            return status;
        query.addBindValue(idx);
        return sql::exec(query, what);
    });
}

Status FormulaTables::deleteRows(int position, const std::vector<qint64>& rowIds)
{
    const Result<QString> table = checkedTable(position);
    if (!table)
        return table.failure();
    if (rowIds.empty())
        return success();
    QSqlDatabase db = m_connection.db();
    const QString what = QStringLiteral("删除 %1 的公式").arg(*table);
    return m_connection.transaction(what, [&]() -> Status {
        QSqlQuery query(db);
        if (Status status =
                sql::prepare(query, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(*table), what);
            !status)
            return status;
        for (const qint64 rowId : rowIds) {
            query.bindValue(0, rowId);
            if (Status status = sql::exec(query, what); !status)
                return status;
        }
        return success();
    });
}

Status FormulaTables::deleteShown(const ShownFormula& shown)
{
    const Result<QString> table = checkedTable(shown.position);
    if (!table)
        return table.failure();
    QSqlDatabase db = m_connection.db();
    const QString what = QStringLiteral("删除 %1 的公式").arg(*table);
    return m_connection.transaction(what, [&]() -> Status {
        // Under the write lock: what the table holds now, not what the list was filled with.
        QSqlQuery select(db);
        select.setForwardOnly(true);
        if (Status status = sql::prepare(select,
                                         QStringLiteral("SELECT rowid, bolKill FROM %1 WHERE COALESCE(gongshi, '') = ? "
                                                        "AND COALESCE(gongshiCN, '') = ? ORDER BY rowid")
                                             .arg(*table),
                                         what);
            !status)
            return status;
        select.addBindValue(comparedText(shown.code));
        select.addBindValue(comparedText(shown.displayText));
        if (Status status = sql::exec(select, what); !status)
            return status;
        std::optional<qint64> target;
        while (select.next()) {
            if (killFlagOf(select.value(1)) != shown.kill)
                continue;
            const qint64 rowId = select.value(0).toLongLong();
            if (!target || rowId == shown.rowId)
                target = rowId;
            if (rowId == shown.rowId)
                break;
        }
        if (select.lastError().isValid())
            return sql::queryFailure(what, select);
        select.finish();
        if (!target)
            return Failure{QStringLiteral("%1，未删除任何公式：%2 %3")
                               .arg(kChangedElsewhere, *table, shown.displayText.isEmpty() ? shown.code
                                                                                          : shown.displayText)};
        QSqlQuery remove(db);
        if (Status status =
                sql::prepare(remove, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(*table), what);
            !status)
            return status;
        remove.addBindValue(*target);
        return sql::exec(remove, what);
    });
}

Status FormulaTables::deleteAll(int position)
{
    const Result<QString> table = checkedTable(position);
    if (!table)
        return table.failure();
    const QString what = QStringLiteral("删除 %1 的全部公式").arg(*table);
    return m_connection.transaction(what, [&]() -> Status {
        return m_connection.exec(QStringLiteral("DELETE FROM %1").arg(*table), what);
    });
}

Status FormulaTables::renumber(int position)
{
    const Result<QString> table = checkedTable(position);
    if (!table)
        return table.failure();
    QSqlDatabase db = m_connection.db();
    const QString what = QStringLiteral("重新编号 %1 的公式").arg(*table);
    return m_connection.transaction(what, [&]() -> Status {
        std::vector<qint64> rowIds;
        {
            QSqlQuery select(db);
            select.setForwardOnly(true);
            if (!select.exec(QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(*table)))
                return sql::queryFailure(what, select);
            while (select.next())
                rowIds.push_back(select.value(0).toLongLong());
        }
        QSqlQuery update(db);
        if (Status status = sql::prepare(
                update, QStringLiteral("UPDATE %1 SET idx = ? WHERE rowid = ?").arg(*table), what);
            !status)
            return status;
        for (std::size_t i = 0; i < rowIds.size(); ++i) {
            update.bindValue(0, int(i + 1));
            update.bindValue(1, rowIds[i]);
            if (Status status = sql::exec(update, what); !status)
                return status;
        }
        return success();
    });
}

Status FormulaTables::update(int position, const std::vector<FormulaRowUpdate>& updates)
{
    const Result<QString> table = checkedTable(position);
    if (!table)
        return table.failure();
    if (updates.empty())
        return success();
    const QString what = QStringLiteral("保存 %1 的公式统计").arg(*table);
    return m_connection.transaction(what, [&]() -> Status {
        // A row is written only while it holds what it was read with: the list may be older than
        // another program's change of the table. A verification writes every formula of a list
        // of tens of thousands, so the rows go through SQLite's own interface.
        const QByteArray sameRow = " WHERE rowid = ? AND COALESCE(gongshi, '') = ? AND COALESCE(gongshiCN, '') = ?";
        Result<NativeStatement> renumber =
            NativeStatement::prepare(m_connection, "UPDATE " + table->toUtf8() + " SET idx = ?" + sameRow, what);
        if (!renumber)
            return renumber.failure();
        Result<NativeStatement> withStatistics = NativeStatement::prepare(
            m_connection,
            "UPDATE " + table->toUtf8() +
                " SET idx = ?, intGsErrCon = ?, intGsTrueCon = ?, intGsErrLst = ?, intGsTrueLst = ?" + sameRow,
            what);
        if (!withStatistics)
            return withStatistics.failure();
        for (const FormulaRowUpdate& row : updates) {
            NativeStatement& statement = row.statistics ? *withStatistics : *renumber;
            int next = 1;
            statement.bind(next++, row.idx);
            if (const std::optional<RunStatistics>& statistics = row.statistics) {
                statement.bind(next++, statistics->maxMisses);
                statement.bind(next++, statistics->maxHits);
                statement.bind(next++, statistics->lastMisses);
                statement.bind(next++, statistics->lastHits);
            }
            statement.bind(next++, row.rowId);
            statement.bindText(next++, row.code.toUtf8());
            statement.bindText(next, row.displayText.toUtf8());
            if (Status status = statement.exec(); !status)
                return status;
        }
        return success();
    });
}

Status FormulaTables::setLimit(int position, int idx, std::optional<int> limit)
{
    const Result<QString> table = checkedTable(position);
    if (!table)
        return table.failure();
    QSqlDatabase db = m_connection.db();
    const QString what = QStringLiteral("保存 %1 中编号 %2 的公式的极限值").arg(*table).arg(idx);
    return m_connection.transaction(what, [&]() -> Status {
        QSqlQuery query(db);
        if (Status status = sql::prepare(
                query, QStringLiteral("UPDATE %1 SET intGsLim = ? WHERE idx = ?").arg(*table), what);
            !status)
            return status;
        query.addBindValue(sql::optionalInt(limit));
        query.addBindValue(idx);
        return sql::exec(query, what);
    });
}

Status FormulaTables::setLimits(int position, const std::vector<LimitChange>& changes)
{
    const Result<QString> table = checkedTable(position);
    if (!table)
        return table.failure();
    if (changes.empty())
        return success();
    QSqlDatabase db = m_connection.db();
    const QString what = QStringLiteral("更新 %1 的极限值").arg(*table);
    return m_connection.transaction(what, [&]() -> Status {
        QSqlQuery query(db);
        if (Status status = sql::prepare(
                query, QStringLiteral("UPDATE %1 SET intGsLim = ? WHERE rowid = ?").arg(*table), what);
            !status)
            return status;
        for (const LimitChange& change : changes) {
            query.bindValue(0, change.limit);
            query.bindValue(1, change.rowId);
            if (Status status = sql::exec(query, what); !status)
                return status;
        }
        return success();
    });
}

Status FormulaTables::rebuild(int position)
{
    const Result<QString> table = checkedTable(position);
    if (!table)
        return table.failure();
    const QString what = QStringLiteral("整理公式表 %1").arg(*table);
    const QString& tmp = schema::kRebuildTable;
    // One transaction from the first statement to the last: an interruption anywhere leaves the
    // table as it was, so no formula ever exists only in the scratch table.
    return m_connection.transaction(what, [&]() -> Status {
        const QStringList statements{
            QStringLiteral("DROP TABLE IF EXISTS %1").arg(tmp),
            // GROUP BY treats empty limits as equal; MIN(rowid) keeps each formula where it was
            // first stored, so the user's order survives.
            QStringLiteral(
                "CREATE TABLE %1 AS SELECT bolKill AS BolKill, gongshi, gongshiCN, intGsLim FROM %2 "
                "GROUP BY bolKill, gongshi, gongshiCN, intGsLim ORDER BY MIN(rowid)")
                .arg(tmp, *table),
            QStringLiteral("DROP TABLE %1").arg(*table),
            schema::formulaTableDefinition(*table),
            QStringLiteral("INSERT INTO %1 (gongshi, gongshiCN, bolKill, intGsLim) "
                           "SELECT gongshi, gongshiCN, BolKill, intGsLim FROM %2 ORDER BY rowid")
                .arg(*table, tmp),
            // The table was created empty inside this transaction, so its rowids run 1..n in
            // stored order.
            QStringLiteral("UPDATE %1 SET idx = rowid").arg(*table),
            // The scratch table stays, empty, with the layout the rebuild gives it.
            QStringLiteral("DELETE FROM %1").arg(tmp),
        };
        for (const QString& statement : statements) {
            if (Status status = m_connection.exec(statement, what); !status)
                return status;
        }
        return success();
    });
}

} // namespace quorvel
