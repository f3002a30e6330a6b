#include "core/LedgerTable.h"

#include "core/Schema.h"
#include "core/SqlConnection.h"

namespace quorvel {

LedgerTable::LedgerTable(SqlConnection& connection) : m_connection(connection) {}

Result<qint64> LedgerTable::append(const LedgerRecord& record)
{
    const QString what = QStringLiteral("保存预测记录");
    qint64 id = 0;
    const Status stored = m_connection.transaction(what, [&]() -> Status {
        QSqlQuery insert(m_connection.db());
        if (Status status = sql::prepare(
                insert,
                QStringLiteral("INSERT INTO %1 (strQQH, strMade, strMethod, bolKill, intQuota, "
                               "intPositions, strPicks, strType) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
                    .arg(schema::kLedgerTable),
                what);
            !status)
            return status;
        insert.addBindValue(record.issue);
        insert.addBindValue(record.made);
        insert.addBindValue(record.method);
        insert.addBindValue(record.kill ? 1 : 0);
        insert.addBindValue(record.quota);
        insert.addBindValue(record.positions);
        insert.addBindValue(record.picks);
        insert.addBindValue(record.lotteryType ? QVariant(*record.lotteryType)
                                               : QVariant(QMetaType(QMetaType::QString)));
        if (Status status = sql::exec(insert, what); !status)
            return status;
        id = insert.lastInsertId().toLongLong();
        return success();
    });
    if (!stored)
        return stored.failure();
    return id;
}

Result<std::vector<LedgerRecord>> LedgerTable::read() const
{
    const QString what = QStringLiteral("读取预测记录");
    QSqlQuery query(m_connection.db());
    query.setForwardOnly(true);
    const Result<QVariant> present =
        sql::scalar(m_connection.db(),
                    QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = '%1'")
                        .arg(schema::kLedgerTable),
                    what);
    if (!present)
        return present.failure();
    std::vector<LedgerRecord> records;
    if (present->toInt() == 0)
        return records;
    // A ledger of version 2 in a file opened for reading has no type column: no entry has a type.
    const Result<QVariant> typed =
        sql::scalar(m_connection.db(),
                    QStringLiteral("SELECT COUNT(*) FROM pragma_table_info('%1') WHERE name = 'strType'")
                        .arg(schema::kLedgerTable),
                    what);
    if (!typed)
        return typed.failure();
    const QString typeColumn = typed->toInt() > 0 ? QStringLiteral("strType") : QStringLiteral("NULL");
    if (!query.exec(QStringLiteral("SELECT id, strQQH, strMade, strMethod, bolKill, intQuota, intPositions, "
                                   "strPicks, strDrawn, intRight, intTrials, %2 FROM %1 ORDER BY id")
                        .arg(schema::kLedgerTable, typeColumn)))
        return sql::queryFailure(what, query);
    while (query.next()) {
        LedgerRecord record;
        record.id = query.value(0).toLongLong();
        record.issue = query.value(1).toInt();
        record.made = query.value(2).toString();
        record.method = query.value(3).toString();
        record.kill = query.value(4).toInt() != 0;
        record.quota = query.value(5).toInt();
        record.positions = query.value(6).toInt();
        record.picks = query.value(7).toString();
        if (!query.value(8).isNull())
            record.score =
                LedgerScore{query.value(8).toString(), query.value(9).toInt(), query.value(10).toInt()};
        if (!query.value(11).isNull())
            record.lotteryType = query.value(11).toString();
        records.push_back(std::move(record));
    }
    return records;
}

Status LedgerTable::updateScores(const std::vector<LedgerScoreChange>& changes)
{
    if (changes.empty())
        return success();
    const QString what = QStringLiteral("保存预测记录的结果");
    return m_connection.transaction(what, [&]() -> Status {
        QSqlQuery update(m_connection.db());
        if (Status status = sql::prepare(
                update,
                QStringLiteral("UPDATE %1 SET strDrawn = ?, intRight = ?, intTrials = ? WHERE id = ?")
                    .arg(schema::kLedgerTable),
                what);
            !status)
            return status;
        for (const LedgerScoreChange& change : changes) {
            update.bindValue(0, change.score ? QVariant(change.score->drawn)
                                             : QVariant(QMetaType(QMetaType::QString)));
            update.bindValue(1, change.score ? QVariant(change.score->right)
                                             : QVariant(QMetaType(QMetaType::Int)));
            update.bindValue(2, change.score ? QVariant(change.score->trials)
                                             : QVariant(QMetaType(QMetaType::Int)));
            update.bindValue(3, change.id);
            if (Status status = sql::exec(update, what); !status)
                return status;
        }
        return success();
    });
}

Result<int> LedgerTable::remove(const std::vector<qint64>& ids)
{
    const QString what = QStringLiteral("删除预测记录");
    int removed = 0;
    const Status done = m_connection.transaction(what, [&]() -> Status {
        QSqlQuery remove(m_connection.db());
        if (Status status = sql::prepare(
                remove, QStringLiteral("DELETE FROM %1 WHERE id = ?").arg(schema::kLedgerTable), what);
            !status)
            return status;
        for (const qint64 id : ids) {
            remove.bindValue(0, id);
            if (Status status = sql::exec(remove, what); !status)
                return status;
            removed += remove.numRowsAffected();
        }
        return success();
    });
    if (!done)
        return done.failure();
    return removed;
}

} // namespace quorvel
