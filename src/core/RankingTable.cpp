#include "core/RankingTable.h"

#include "core/SqlConnection.h"

namespace quorvel {

RankingTable::RankingTable(SqlConnection& connection) : m_connection(connection) {}

Status RankingTable::replace(const std::vector<RankingRow>& rows)
{
    QSqlDatabase db = m_connection.db();
    const QString what = QStringLiteral("保存杀留值排序");
    return m_connection.transaction(what, [&]() -> Status {
        if (Status cleared = m_connection.exec(QStringLiteral("DELETE FROM ErrarrLei"), what); !cleared)
            return cleared;
        QSqlQuery insert(db);
        if (Status status = sql::prepare(
                insert,
                QStringLiteral(
                    "INSERT INTO ErrarrLei (num, ETrrcount, Errcount, Trrcount) VALUES (?, ?, ?, ?)"),
                what);
            !status)
            return status;
        for (const RankingRow& row : rows) {
            insert.bindValue(0, row.num);
            insert.bindValue(1, row.total);
            insert.bindValue(2, row.kill);
            insert.bindValue(3, row.keep);
            if (Status status = sql::exec(insert, what); !status)
                return status;
        }
        return success();
    });
}

Result<std::vector<RankingRow>> RankingTable::read() const
{
    QSqlQuery query(m_connection.db());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT num, ETrrcount, Errcount, Trrcount FROM ErrarrLei ORDER BY num")))
        return sql::queryFailure(QStringLiteral("读取杀留值排序"), query);
    std::vector<RankingRow> rows;
    while (query.next())
        rows.push_back(
            {query.value(0).toInt(), query.value(1).toInt(), query.value(2).toInt(), query.value(3).toInt()});
    return rows;
}

} // namespace quorvel
