#include "core/Database.h"

#include "core/TermTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <atomic>
#include <utility>

namespace quorvel {

namespace {

// Version of the table layout this program writes into `PRAGMA user_version`. Files of an older
// version are brought up to date by the steps of upgradeSteps() in order.
constexpr int kSchemaVersion = 1;

// Ranking scratch table: one row per number with its total, kill and keep counts.
constexpr auto kRankingTable = "ErrarrLei";
// Scratch table of the formula-table rebuild; exists only inside the rebuild's transaction.
constexpr auto kRebuildTable = "Tmp";

QString sqlError(const QString& what, const QSqlError& error)
{
    return QStringLiteral("%1失败：%2").arg(what, error.text().trimmed());
}

Failure queryFailure(const QString& what, const QSqlQuery& query)
{
    return Failure{sqlError(what, query.lastError())};
}

QString issueText(qint32 issue)
{
    return QStringLiteral("%1").arg(issue, 8, 10, QLatin1Char('0'));
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

Status prepare(QSqlQuery& query, const QString& sql, const QString& what)
{
    if (!query.prepare(sql))
        return queryFailure(what, query);
    return success();
}

Status exec(QSqlQuery& query, const QString& what)
{
    if (!query.exec())
        return queryFailure(what, query);
    return success();
}

// Runs one statement that binds nothing (fixed text with validated table names only).
Status execStatement(const QSqlDatabase& db, const QString& sql, const QString& what)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        return queryFailure(what, query);
    return success();
}

// Runs `body` inside one transaction: commits when it succeeds, rolls back when it or the
// commit fails, so the file either holds all of the change or none of it.
template <typename Body> Status inTransaction(QSqlDatabase db, const QString& what, Body&& body)
{
    if (!db.transaction())
        return Failure{sqlError(what + QStringLiteral("（开始事务）"), db.lastError())};
    Status status = body();
    if (!status) {
        db.rollback();
        return status;
    }
    if (!db.commit()) {
        const QString message = sqlError(what + QStringLiteral("（提交事务）"), db.lastError());
        db.rollback();
        return Failure{message};
    }
    return success();
}

Result<QString> checkedFormulaTable(int position)
{
    if (position < 1 || position > kPositionCount)
        return Failure{
            QStringLiteral("公式表位置 %1 无效（应为 1 到 %2）").arg(position).arg(kPositionCount)};
    return Database::formulaTableName(position);
}

QString lishiDefinition()
{
    QStringList columns{QStringLiteral("strQQH INTEGER PRIMARY KEY NOT NULL")};
    for (const Term& term : termTable())
        columns << term.code + QStringLiteral(" INTEGER");
    columns << QStringLiteral("canshu REAL") << QStringLiteral("PreCanshu INTEGER")
            << QStringLiteral("GSCS INTEGER") << QStringLiteral("GSZCS INTEGER")
            << QStringLiteral("GSGL INTEGER");
    return QStringLiteral("CREATE TABLE Lishi (%1)").arg(columns.join(QStringLiteral(", ")));
}

QString formulaTableDefinition(const QString& table)
{
    return QStringLiteral("CREATE TABLE %1 (idx INTEGER, gongshi TEXT, gongshiCN TEXT, bolKill INTEGER, "
                          "intGsLim INTEGER, intGsErrCon INTEGER, intGsTrueCon INTEGER, intGsErrLst INTEGER, "
                          "intGsTrueLst INTEGER)")
        .arg(table);
}

const QString& parameterColumnList()
{
    static const QString list = [] {
        QStringList codes;
        for (const Term& term : termTable())
            codes << term.code;
        return codes.join(QStringLiteral(", "));
    }();
    return list;
}

const QString& drawInsertStatement()
{
    static const QString sql = [] {
        QStringList marks;
        for (int i = 0; i <= kTermCount; ++i)
            marks << QStringLiteral("?");
        return QStringLiteral("INSERT INTO Lishi (strQQH, %1) VALUES (%2)")
            .arg(parameterColumnList(), marks.join(QStringLiteral(", ")));
    }();
    return sql;
}

QString drawSelectStatement(const QString& tail)
{
    return QStringLiteral("SELECT strQQH, %1 FROM Lishi %2").arg(parameterColumnList(), tail);
}

// Reads one row selected by drawSelectStatement(): the issue, then the values in term order.
Draw readDraw(const QSqlQuery& query)
{
    Draw draw;
    draw.issue = query.value(0).toInt();
    for (int i = 0; i < kTermCount; ++i)
        draw.values[std::size_t(i)] = query.value(i + 1).toInt();
    return draw;
}

constexpr auto kFormulaColumns =
    "rowid, idx, gongshi, gongshiCN, bolKill, intGsLim, intGsErrCon, intGsTrueCon, "
    "intGsErrLst, intGsTrueLst";

FormulaRecord readFormula(const QSqlQuery& query)
{
    FormulaRecord record;
    record.rowId = query.value(0).toLongLong();
    record.idx = readOptionalInt(query.value(1));
    record.code = query.value(2).toString();
    record.displayText = query.value(3).toString();
    record.kill = query.value(4).toInt() != 0;
    record.limit = readOptionalInt(query.value(5));
    // Statistics count only when all four were written by a verification.
    bool complete = true;
    for (int column = 6; column <= 9; ++column)
        complete = complete && !query.value(column).isNull();
    if (complete)
        record.statistics = RunStatistics{query.value(6).toInt(), query.value(7).toInt(),
                                          query.value(8).toInt(), query.value(9).toInt()};
    return record;
}

Result<std::vector<FormulaRecord>> selectFormulas(const QSqlDatabase& db, const QString& sql,
                                                  const std::optional<bool>& kill, const QString& what)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (Status status = prepare(query, sql, what); !status)
        return Failure{status.error()};
    if (kill)
        query.addBindValue(*kill ? 1 : 0);
    if (Status status = exec(query, what); !status)
        return Failure{status.error()};
    std::vector<FormulaRecord> records;
    while (query.next())
        records.push_back(readFormula(query));
    if (query.lastError().isValid())
        return queryFailure(what, query);
    return records;
}

// The ordered steps that bring a file from version i to version i + 1 (element i).
Status createVersion1(const QSqlDatabase& db)
{
    const QString what = QStringLiteral("创建数据表");
    if (Status status = execStatement(db, lishiDefinition(), what + QStringLiteral(" Lishi")); !status)
        return status;
    for (int position = 1; position <= kPositionCount; ++position) {
        const QString table = Database::formulaTableName(position);
        if (Status status = execStatement(db, formulaTableDefinition(table), what + QLatin1Char(' ') + table);
            !status)
            return status;
    }
    return execStatement(db,
                         QStringLiteral("CREATE TABLE %1 (num INTEGER, ETrrcount INTEGER, Errcount INTEGER, "
                                        "Trrcount INTEGER)")
                             .arg(QLatin1String(kRankingTable)),
                         what + QLatin1Char(' ') + QLatin1String(kRankingTable));
}

using UpgradeStep = Status (*)(const QSqlDatabase&);
constexpr UpgradeStep kUpgradeSteps[kSchemaVersion] = {&createVersion1};

std::atomic<quint64> connectionCounter{0};

Status copyFileContents(QFile& source, QSaveFile& target)
{
    constexpr qint64 kChunk = 1 << 20;
    qint64 copied = 0;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(kChunk);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError)
            return Failure{QStringLiteral("读取 %1 失败：%2").arg(source.fileName(), source.errorString())};
        if (target.write(chunk) != chunk.size())
            return Failure{QStringLiteral("写入 %1 失败：%2").arg(target.fileName(), target.errorString())};
        copied += chunk.size();
    }
    if (copied != source.size())
        return Failure{QStringLiteral("复制 %1 不完整").arg(source.fileName())};
    if (!target.flush())
        return Failure{QStringLiteral("写入 %1 失败：%2").arg(target.fileName(), target.errorString())};
    return success();
}

} // namespace

Database::Database(QString dataFolder)
    : m_dataFolder(std::move(dataFolder)),
      m_connectionName(QStringLiteral("quorvel-formula-db-%1").arg(++connectionCounter))
{
}

Database::~Database()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isValid())
            db.close();
    }
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

Result<std::unique_ptr<Database>> Database::open(const QString& dataFolder)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return Failure{QStringLiteral("无法打开公式数据库：缺少 SQLite 数据库驱动")};
    if (!QDir().mkpath(dataFolder))
        return Failure{QStringLiteral("无法创建数据文件夹 %1").arg(QDir::toNativeSeparators(dataFolder))};

    std::unique_ptr<Database> database(new Database(QDir(dataFolder).absolutePath()));
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), database->m_connectionName)
        .setDatabaseName(database->filePath());
    if (Status status = database->openConnection(); !status)
        return Failure{status.error()};
    if (Status status = database->createSchema(); !status)
        return Failure{status.error()};
    return Result<std::unique_ptr<Database>>(std::move(database));
}

QString Database::filePath() const
{
    return QDir(m_dataFolder).filePath(QLatin1String(kFileName));
}

QString Database::dataFolder() const
{
    return m_dataFolder;
}

QString Database::formulaTableName(int position)
{
    Q_ASSERT(position >= 1 && position <= kPositionCount);
    return QStringLiteral("Gongshi%1").arg(position);
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

Status Database::openConnection()
{
    QSqlDatabase db = connection();
    const QString path = QDir::toNativeSeparators(filePath());
    if (QFileInfo(filePath()).isDir())
        return Failure{QStringLiteral("无法打开公式数据库 %1：同名的文件夹已存在").arg(path)};
    if (!db.open())
        return Failure{
            QStringLiteral("无法打开公式数据库 %1：%2").arg(path, db.lastError().text().trimmed())};
    // SQLite opens any file lazily; the first read of the header tells whether it is a database.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
        const QString reason = probe.lastError().text().trimmed();
        probe.finish();
        db.close();
        return Failure{QStringLiteral("无法打开公式数据库 %1：%2").arg(path, reason)};
    }
    return success();
}

Status Database::createSchema()
{
    QSqlDatabase db = connection();
    int version = 0;
    {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
            return queryFailure(QStringLiteral("读取公式数据库版本"), query);
        version = query.value(0).toInt();
    }
    if (version > kSchemaVersion)
        return Failure{
            QStringLiteral("公式数据库 %1 由更新版本的程序创建（版本 %2），本程序只能读取到版本 %3")
                .arg(QDir::toNativeSeparators(filePath()))
                .arg(version)
                .arg(kSchemaVersion)};
    if (version == kSchemaVersion)
        return success();
    // The version number lives in the file header and takes part in the transaction, so an
    // interrupted upgrade leaves the file at its old version with none of the new tables.
    return inTransaction(db, QStringLiteral("升级公式数据库"), [&]() -> Status {
        for (int step = version; step < kSchemaVersion; ++step) {
            if (Status status = kUpgradeSteps[step](db); !status)
                return status;
        }
        return execStatement(db, QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion),
                             QStringLiteral("写入公式数据库版本"));
    });
}

// ---- History `Lishi` -------------------------------------------------------------------------

Status Database::appendDraw(const Draw& draw)
{
    return appendDraws({draw});
}

Status Database::appendDraws(const std::vector<Draw>& draws)
{
    if (draws.empty())
        return success();
    QSqlDatabase db = connection();
    const QString what = QStringLiteral("保存开奖号码");
    return inTransaction(db, what, [&]() -> Status {
        QSqlQuery insert(db);
        if (Status status = prepare(insert, drawInsertStatement(), what); !status)
            return status;
        QSqlQuery exists(db);
        if (Status status = prepare(exists, QStringLiteral("SELECT 1 FROM Lishi WHERE strQQH = ?"), what);
            !status)
            return status;
        for (const Draw& draw : draws) {
            insert.bindValue(0, draw.issue);
            for (int i = 0; i < kTermCount; ++i)
                insert.bindValue(i + 1, draw.values[std::size_t(i)]);
            if (insert.exec())
                continue;
            // Tell a repeated issue (stored before or earlier in this batch) from other faults.
            const QSqlError error = insert.lastError();
            exists.bindValue(0, draw.issue);
            const bool duplicate = exists.exec() && exists.next();
            exists.finish();
            if (duplicate)
                return Failure{QStringLiteral("期号 %1 已经存在，未重复保存").arg(issueText(draw.issue))};
            return Failure{sqlError(QStringLiteral("保存期号 %1").arg(issueText(draw.issue)), error)};
        }
        return success();
    });
}

Result<std::vector<Draw>> Database::readHistory() const
{
    const QString what = QStringLiteral("读取历史号码");
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.exec(drawSelectStatement(QStringLiteral("ORDER BY strQQH"))))
        return queryFailure(what, query);
    std::vector<Draw> draws;
    while (query.next())
        draws.push_back(readDraw(query));
    if (query.lastError().isValid())
        return queryFailure(what, query);
    return draws;
}

Result<std::optional<Draw>> Database::newestDraw() const
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.exec(drawSelectStatement(QStringLiteral("ORDER BY strQQH DESC LIMIT 1"))))
        return queryFailure(QStringLiteral("读取最新一期号码"), query);
    if (!query.next())
        return std::optional<Draw>();
    return std::optional<Draw>(readDraw(query));
}

Result<int> Database::drawCount() const
{
    QSqlQuery query(connection());
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM Lishi")) || !query.next())
        return queryFailure(QStringLiteral("统计历史号码"), query);
    return query.value(0).toInt();
}

Result<bool> Database::containsIssue(qint32 issue) const
{
    const QString what = QStringLiteral("查找期号 %1").arg(issueText(issue));
    QSqlQuery query(connection());
    if (Status status = prepare(query, QStringLiteral("SELECT 1 FROM Lishi WHERE strQQH = ?"), what); !status)
        return Failure{status.error()};
    query.addBindValue(issue);
    if (Status status = exec(query, what); !status)
        return Failure{status.error()};
    return query.next();
}

Status Database::deleteNewestDraws(int count)
{
    if (count <= 0)
        return success();
    QSqlDatabase db = connection();
    const QString what = QStringLiteral("删除最新 %1 期号码").arg(count);
    return inTransaction(db, what, [&]() -> Status {
        QSqlQuery query(db);
        if (Status status = prepare(query,
                                    QStringLiteral("DELETE FROM Lishi WHERE strQQH IN "
                                                   "(SELECT strQQH FROM Lishi ORDER BY strQQH DESC LIMIT ?)"),
                                    what);
            !status)
            return status;
        query.addBindValue(count);
        return exec(query, what);
    });
}

Status Database::deleteDrawsAfter(qint32 issue)
{
    QSqlDatabase db = connection();
    const QString what = QStringLiteral("删除期号 %1 之后的号码").arg(issueText(issue));
    return inTransaction(db, what, [&]() -> Status {
        QSqlQuery query(db);
        if (Status status = prepare(query, QStringLiteral("DELETE FROM Lishi WHERE strQQH > ?"), what);
            !status)
            return status;
        query.addBindValue(issue);
        return exec(query, what);
    });
}

Status Database::deleteAllDraws()
{
    QSqlDatabase db = connection();
    const QString what = QStringLiteral("删除全部历史号码");
    return inTransaction(
        db, what, [&]() -> Status { return execStatement(db, QStringLiteral("DELETE FROM Lishi"), what); });
}

// ---- Formula tables `Gongshi1`..`Gongshi8` ---------------------------------------------------

Status Database::appendFormula(int position, const NewFormula& formula, std::optional<int> idx)
{
    const Result<QString> table = checkedFormulaTable(position);
    if (!table)
        return Failure{table.error()};
    QSqlDatabase db = connection();
    const QString what = QStringLiteral("保存公式到 %1").arg(*table);
    QSqlQuery query(db);
    if (Status status = prepare(query,
                                QStringLiteral("INSERT INTO %1 (idx, gongshi, gongshiCN, bolKill, intGsLim) "
                                               "VALUES (?, ?, ?, ?, ?)")
                                    .arg(*table),
                                what);
        !status)
        return status;
    query.addBindValue(optionalInt(idx));
    query.addBindValue(formula.code);
    query.addBindValue(formula.displayText);
    query.addBindValue(formula.kill ? 1 : 0);
    query.addBindValue(optionalInt(formula.limit));
    return exec(query, what);
}

Status Database::appendFormulas(int position, const std::vector<NewFormula>& formulas)
{
    const Result<QString> table = checkedFormulaTable(position);
    if (!table)
        return Failure{table.error()};
    if (formulas.empty())
        return success();
    QSqlDatabase db = connection();
    const QString what = QStringLiteral("保存公式到 %1").arg(*table);
    return inTransaction(db, what, [&]() -> Status {
        QSqlQuery query(db);
        if (Status status = prepare(query,
                                    QStringLiteral("INSERT INTO %1 (gongshi, gongshiCN, bolKill, intGsLim) "
                                                   "VALUES (?, ?, ?, ?)")
                                        .arg(*table),
                                    what);
            !status)
            return status;
        for (const NewFormula& formula : formulas) {
            query.bindValue(0, formula.code);
            query.bindValue(1, formula.displayText);
            query.bindValue(2, formula.kill ? 1 : 0);
            query.bindValue(3, optionalInt(formula.limit));
            if (Status status =
                    exec(query, what + QStringLiteral("（") + formula.displayText + QStringLiteral("）"));
                !status)
                return status;
        }
        return success();
    });
}

Result<std::vector<FormulaRecord>> Database::readFormulas(int position, bool kill) const
{
    const Result<QString> table = checkedFormulaTable(position);
    if (!table)
        return Failure{table.error()};
    return selectFormulas(connection(),
                          QStringLiteral("SELECT %1 FROM %2 WHERE bolKill = ? ORDER BY idx, rowid")
                              .arg(QLatin1String(kFormulaColumns), *table),
                          kill, QStringLiteral("读取 %1 的公式").arg(*table));
}

Result<std::vector<FormulaRecord>> Database::readAllFormulas(int position) const
{
    const Result<QString> table = checkedFormulaTable(position);
    if (!table)
        return Failure{table.error()};
    return selectFormulas(
        connection(),
        QStringLiteral("SELECT %1 FROM %2 ORDER BY idx, rowid").arg(QLatin1String(kFormulaColumns), *table),
        std::nullopt, QStringLiteral("读取 %1 的公式").arg(*table));
}

Result<int> Database::formulaCount(int position) const
{
    const Result<QString> table = checkedFormulaTable(position);
    if (!table)
        return Failure{table.error()};
    QSqlQuery query(connection());
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(*table)) || !query.next())
        return queryFailure(QStringLiteral("统计 %1 的公式").arg(*table), query);
    return query.value(0).toInt();
}

Status Database::deleteFormula(int position, int idx)
{
    const Result<QString> table = checkedFormulaTable(position);
    if (!table)
        return Failure{table.error()};
    QSqlDatabase db = connection();
    const QString what = QStringLiteral("删除 %1 中编号 %2 的公式").arg(*table).arg(idx);
    return inTransaction(db, what, [&]() -> Status {
        QSqlQuery query(db);
        if (Status status = prepare(query, QStringLiteral("DELETE FROM %1 WHERE idx = ?").arg(*table), what);
            !status)
            return status;
        query.addBindValue(idx);
        return exec(query, what);
    });
}

Status Database::deleteAllFormulas(int position)
{
    const Result<QString> table = checkedFormulaTable(position);
    if (!table)
        return Failure{table.error()};
    QSqlDatabase db = connection();
    const QString what = QStringLiteral("删除 %1 的全部公式").arg(*table);
    return inTransaction(db, what, [&]() -> Status {
        return execStatement(db, QStringLiteral("DELETE FROM %1").arg(*table), what);
    });
}

Status Database::renumberFormulas(int position)
{
    const Result<QString> table = checkedFormulaTable(position);
    if (!table)
        return Failure{table.error()};
    QSqlDatabase db = connection();
    const QString what = QStringLiteral("重新编号 %1 的公式").arg(*table);
    return inTransaction(db, what, [&]() -> Status {
        std::vector<qint64> rowIds;
        {
            QSqlQuery select(db);
            select.setForwardOnly(true);
            if (!select.exec(QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(*table)))
                return queryFailure(what, select);
            while (select.next())
                rowIds.push_back(select.value(0).toLongLong());
        }
        QSqlQuery update(db);
        if (Status status =
                prepare(update, QStringLiteral("UPDATE %1 SET idx = ? WHERE rowid = ?").arg(*table), what);
            !status)
            return status;
        for (std::size_t i = 0; i < rowIds.size(); ++i) {
            update.bindValue(0, int(i + 1));
            update.bindValue(1, rowIds[i]);
            if (Status status = exec(update, what); !status)
                return status;
        }
        return success();
    });
}

Status Database::writeStatistics(int position, bool kill, const std::vector<RunStatistics>& statistics)
{
    const Result<QString> table = checkedFormulaTable(position);
    if (!table)
        return Failure{table.error()};
    QSqlDatabase db = connection();
    const QString what = QStringLiteral("保存 %1 的公式统计").arg(*table);
    return inTransaction(db, what, [&]() -> Status {
        struct Row
        {
            qint64 rowId;
            bool kill;
        };
        std::vector<Row> rows;
        {
            QSqlQuery select(db);
            select.setForwardOnly(true);
            if (!select.exec(QStringLiteral("SELECT rowid, bolKill FROM %1 ORDER BY idx, rowid").arg(*table)))
                return queryFailure(what, select);
            while (select.next())
                rows.push_back(Row{select.value(0).toLongLong(), select.value(1).toInt() != 0});
        }
        QSqlQuery renumber(db);
        if (Status status =
                prepare(renumber, QStringLiteral("UPDATE %1 SET idx = ? WHERE rowid = ?").arg(*table), what);
            !status)
            return status;
        QSqlQuery withStatistics(db);
        if (Status status =
                prepare(withStatistics,
                        QStringLiteral("UPDATE %1 SET idx = ?, intGsErrCon = ?, intGsTrueCon = ?, "
                                       "intGsErrLst = ?, intGsTrueLst = ? WHERE rowid = ?")
                            .arg(*table),
                        what);
            !status)
            return status;
        std::size_t listNumber = 0; // formulas of the kind passed so far
        for (std::size_t rank = 0; rank < rows.size(); ++rank) {
            const int idx = int(rank + 1);
            QSqlQuery* query = &renumber;
            if (rows[rank].kill == kill && listNumber++ < statistics.size()) {
                const RunStatistics& s = statistics[listNumber - 1];
                withStatistics.bindValue(0, idx);
                withStatistics.bindValue(1, s.maxMisses);
                withStatistics.bindValue(2, s.maxHits);
                withStatistics.bindValue(3, s.lastMisses);
                withStatistics.bindValue(4, s.lastHits);
                withStatistics.bindValue(5, rows[rank].rowId);
                query = &withStatistics;
            } else {
                renumber.bindValue(0, idx);
                renumber.bindValue(1, rows[rank].rowId);
            }
            if (Status status = exec(*query, what); !status)
                return status;
        }
        return success();
    });
}

Status Database::setLimit(int position, int idx, std::optional<int> limit)
{
    const Result<QString> table = checkedFormulaTable(position);
    if (!table)
        return Failure{table.error()};
    const QString what = QStringLiteral("保存 %1 中编号 %2 的公式的极限值").arg(*table).arg(idx);
    QSqlQuery query(connection());
    if (Status status =
            prepare(query, QStringLiteral("UPDATE %1 SET intGsLim = ? WHERE idx = ?").arg(*table), what);
        !status)
        return status;
    query.addBindValue(optionalInt(limit));
    query.addBindValue(idx);
    return exec(query, what);
}

Status Database::rebuildFormulaTable(int position)
{
    const Result<QString> table = checkedFormulaTable(position);
    if (!table)
        return Failure{table.error()};
    QSqlDatabase db = connection();
    const QString what = QStringLiteral("整理公式表 %1").arg(*table);
    const QString tmp = QLatin1String(kRebuildTable);
    // One transaction from the first statement to the last: an interruption anywhere leaves the
    // table as it was, so no formula ever exists only in the scratch table.
    return inTransaction(db, what, [&]() -> Status {
        const QStringList statements{
            QStringLiteral("DROP TABLE IF EXISTS %1").arg(tmp),
            // GROUP BY treats empty limits as equal; MIN(rowid) keeps each formula where it was
            // first stored, so the user's order survives.
            QStringLiteral(
                "CREATE TABLE %1 AS SELECT bolKill AS BolKill, gongshi, gongshiCN, intGsLim FROM %2 "
                "GROUP BY bolKill, gongshi, gongshiCN, intGsLim ORDER BY MIN(rowid)")
                .arg(tmp, *table),
            QStringLiteral("DROP TABLE %1").arg(*table),
            formulaTableDefinition(*table),
            QStringLiteral("INSERT INTO %1 (gongshi, gongshiCN, bolKill, intGsLim) "
                           "SELECT gongshi, gongshiCN, BolKill, intGsLim FROM %2 ORDER BY rowid")
                .arg(*table, tmp),
            // The table was created empty inside this transaction, so its rowids run 1..n in
            // stored order.
            QStringLiteral("UPDATE %1 SET idx = rowid").arg(*table),
            QStringLiteral("DROP TABLE %1").arg(tmp),
        };
        for (const QString& statement : statements) {
            if (Status status = execStatement(db, statement, what); !status)
                return status;
        }
        return success();
    });
}

// ---- Compaction `CompactDb` ------------------------------------------------------------------

Status Database::compact()
{
    const QDir folder(m_dataFolder);
    const QString copyPath = folder.filePath(QLatin1String(kCompactCopyName));
    const QString nativeCopy = QDir::toNativeSeparators(copyPath);

    if (QFile::exists(copyPath) && !QFile::remove(copyPath))
        return Failure{QStringLiteral("压缩数据库失败：无法删除旧的 %1").arg(nativeCopy)};

    // Every operation of this class ends its transaction before returning, so the file the
    // copy is made from holds all committed data and no journal is pending.
    {
        QSqlQuery vacuum(connection());
        if (!vacuum.prepare(QStringLiteral("VACUUM INTO ?"))) {
            return queryFailure(QStringLiteral("压缩数据库"), vacuum);
        }
        vacuum.addBindValue(copyPath);
        if (!vacuum.exec()) {
            const Failure failure = queryFailure(QStringLiteral("压缩数据库到 %1").arg(nativeCopy), vacuum);
            vacuum.finish();
            QFile::remove(copyPath);
            return failure;
        }
    }

    // Write the compacted file beside formula.db under a temporary name and sync it; only the
    // final rename touches formula.db, and that rename replaces it in one step.
    QFile source(copyPath);
    if (!source.open(QIODevice::ReadOnly))
        return Failure{
            QStringLiteral("压缩数据库失败：无法读取 %1：%2").arg(nativeCopy, source.errorString())};
    QSaveFile target(filePath());
    target.setDirectWriteFallback(false);
    if (!target.open(QIODevice::WriteOnly))
        return Failure{QStringLiteral("压缩数据库失败：无法在 %1 中写入临时文件：%2")
                           .arg(QDir::toNativeSeparators(m_dataFolder), target.errorString())};
    if (Status status = copyFileContents(source, target); !status) {
        target.cancelWriting();
        return Failure{QStringLiteral("压缩数据库失败：") + status.error()};
    }
    source.close();

    connection().close();
    // A journal left beside the closed file would belong to the old content; SQLite would
    // replay it onto the new file on the next open, so the replacement is refused instead.
    for (const auto* suffix : {"-journal", "-wal"}) {
        const QString journal = filePath() + QLatin1String(suffix);
        if (QFile::exists(journal)) {
            target.cancelWriting();
            QString message = QStringLiteral("压缩数据库失败：%1 仍然存在，数据库未被替换")
                                  .arg(QDir::toNativeSeparators(journal));
            if (const Status reopened = openConnection(); !reopened)
                message += QLatin1Char('\n') + reopened.error();
            return Failure{message};
        }
    }
    const bool replaced = target.commit();
    const QString replaceError = target.errorString();
    const Status reopened = openConnection();
    if (!replaced) {
        QString message = QStringLiteral("压缩数据库失败：无法用压缩后的文件替换 %1：%2")
                              .arg(QDir::toNativeSeparators(filePath()), replaceError);
        if (!reopened)
            message += QLatin1Char('\n') + reopened.error();
        return Failure{message};
    }
    return reopened;
}

} // namespace quorvel
