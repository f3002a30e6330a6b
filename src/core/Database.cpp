#include "core/Database.h"

#include "core/FormulaTables.h"
#include "core/HistoryTable.h"
#include "core/LedgerTable.h"
#include "core/RankingTable.h"
#include "core/Schema.h"
#include "core/SqlConnection.h"
#include "core/TermTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>

namespace quorvel {

namespace {

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Names of the tables of the file, lower case (SQLite compares table names without case).
Result<QSet<QString>> tableNames(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        return sql::queryFailure(QStringLiteral("读取公式数据库的数据表"), query);
    QSet<QString> names;
    while (query.next())
        names.insert(query.value(0).toString().toLower());
    return names;
}

Result<QSet<QString>> columnNames(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table)))
        return sql::queryFailure(QStringLiteral("读取数据表 %1 的列").arg(table), query);
    QSet<QString> names;
    while (query.next())
        names.insert(query.value(1).toString().toLower());
    return names;
}

// The statements that complete the tables of a file that already holds some: nothing when the
// layout is whole, a failure naming what cannot be made good without losing the user's data.
Result<QStringList> completionStatements(const QSqlDatabase& db, const QSet<QString>& tables,
                                         const QString& path)
{
    QStringList statements;
    if (!tables.contains(schema::kHistoryTable.toLower()))
        return Failure{QStringLiteral("公式数据库 %1 缺少历史号码数据表 Lishi，未做任何修改").arg(path)};
    const Result<QSet<QString>> historyColumns = columnNames(db, schema::kHistoryTable);
    if (!historyColumns)
        return historyColumns.failure();
    QStringList missing;
    if (!historyColumns->contains(QStringLiteral("strqqh")))
        missing << QStringLiteral("strQQH");
    for (const Term& term : termTable()) {
        if (!historyColumns->contains(term.code.toLower()))
            missing << term.code;
    }
    if (!missing.isEmpty())
        return Failure{QStringLiteral("公式数据库 %1 的数据表 Lishi 缺少列 %2，未做任何修改")
                           .arg(path, missing.join(QStringLiteral(", ")))};
    for (const QString& definition : schema::historyWorkColumnDefinitions()) {
        if (!historyColumns->contains(definition.section(QLatin1Char(' '), 0, 0).toLower()))
            statements
                << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(schema::kHistoryTable, definition);
    }

    for (int position = 1; position <= kPositionCount; ++position) {
        const QString table = Database::formulaTableName(position);
        if (!tables.contains(table.toLower())) {
            statements << schema::formulaTableDefinition(table);
            continue;
        }
        const Result<QSet<QString>> columns = columnNames(db, table);
        if (!columns)
            return columns.failure();
        QStringList lacking;
        for (const QString& column : schema::formulaTextColumns()) {
            if (!columns->contains(column.toLower()))
                lacking << column;
        }
        if (!lacking.isEmpty())
            return Failure{QStringLiteral("公式数据库 %1 的数据表 %2 缺少列 %3，未做任何修改")
                               .arg(path, table, lacking.join(QStringLiteral(", ")))};
        for (const QString& column : schema::formulaNumberColumns()) {
            if (!columns->contains(column.toLower()))
                statements << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 INTEGER").arg(table, column);
        }
    }
    if (!tables.contains(schema::kRankingTable.toLower()))
        statements << schema::rankingDefinition();
    if (!tables.contains(schema::kRebuildTable.toLower()))
        statements << schema::rebuildTableDefinition();
    return statements;
}

// The tables that later versions added: the ordered upgrade steps from the file's version on, and
// for a file of their version that lacks one (restored in part) the table again. The ledger of
// version 2 gets the type column of version 3 (its entries keep no type).
Result<QStringList> laterVersionStatements(const QSqlDatabase& db, const QSet<QString>& tables, int version)
{
    QStringList statements;
    const bool hasLedger = tables.contains(schema::kLedgerTable.toLower());
    if (version >= 2 && !hasLedger)
        statements << schema::ledgerDefinition();
    for (int step = std::max(version, 1) + 1; step <= schema::kVersion; ++step)
        statements << schema::upgradeSteps(step);
    if (hasLedger) {
        const Result<QSet<QString>> columns = columnNames(db, schema::kLedgerTable);
        if (!columns)
            return columns.failure();
        const QString typeColumn = schema::ledgerTypeColumnDefinition();
        if (!columns->contains(typeColumn.section(QLatin1Char(' '), 0, 0).toLower()))
            statements
                << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(schema::kLedgerTable, typeColumn);
    }
    return statements;
}

// The two marks in the file header: the schema version and the application id.
struct FileMarks
{
    int version = 0;
    qint64 applicationId = 0;
};

Result<FileMarks> fileMarks(const QSqlDatabase& db)
{
    const Result<QVariant> version =
        sql::scalar(db, QStringLiteral("PRAGMA user_version"), QStringLiteral("读取公式数据库版本"));
    if (!version)
        return version.failure();
    const Result<QVariant> applicationId =
        sql::scalar(db, QStringLiteral("PRAGMA application_id"), QStringLiteral("读取公式数据库的标识"));
    if (!applicationId)
        return applicationId.failure();
    return FileMarks{version->toInt(), applicationId->toLongLong()};
}

Failure newerVersion(const QString& path, int version)
{
    return Failure{QStringLiteral("公式数据库 %1 由更新版本的程序创建（版本 %2），本程序只能读取到版本 %3")
                       .arg(path)
                       .arg(version)
                       .arg(schema::kVersion)};
}

bool holdsOurTables(const QSet<QString>& tables)
{
    bool ours = tables.contains(schema::kHistoryTable.toLower()) || tables.contains(schema::kRankingTable.toLower());
    for (int position = 1; position <= kPositionCount; ++position)
        ours = ours || tables.contains(Database::formulaTableName(position).toLower());
    return ours;
}

int sqliteCode(const QSqlError& error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

QStringList creationStatements()
{
    QStringList statements{schema::historyDefinition()};
    for (int position = 1; position <= kPositionCount; ++position)
        statements << schema::formulaTableDefinition(Database::formulaTableName(position));
    statements << schema::rankingDefinition() << schema::rebuildTableDefinition()
               << schema::ledgerDefinition();
    return statements;
}

} // namespace

Database::Database(const QString& dataFolder)
    : m_dataFolder(dataFolder),
      m_connection(std::make_unique<SqlConnection>(QDir(dataFolder).filePath(QLatin1String(kFileName)))),
      m_history(std::make_unique<HistoryTable>(*m_connection)),
      m_formulas(std::make_unique<FormulaTables>(*m_connection)),
      m_ranking(std::make_unique<RankingTable>(*m_connection)),
      m_ledger(std::make_unique<LedgerTable>(*m_connection))
{
}

Database::~Database() = default;

const QString Database::kNotOursText = QStringLiteral("不是本程序的公式数据库");

Result<std::unique_ptr<Database>> Database::open(const QString& dataFolder)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return Failure{QStringLiteral("无法打开公式数据库：缺少 SQLite 数据库驱动")};
    if (!QDir().mkpath(dataFolder))
        return Failure{QStringLiteral("无法创建数据文件夹 %1").arg(nativePath(dataFolder))};

    std::unique_ptr<Database> database(new Database(QDir(dataFolder).absolutePath()));
    if (QFileInfo(database->filePath()).isDir())
        return Failure{QStringLiteral("无法打开公式数据库 %1：同名的文件夹已存在")
                           .arg(nativePath(database->filePath()))};
    if (Status opened = database->m_connection->open(); !opened)
        return opened.failure();
    // Whose file it is is read before anything is written: a file of another program is left
    // byte for byte as it was.
    if (Status ours = database->checkOwnership(); !ours)
        return ours.failure();
    database->probeWritable();
    if (Status schema = database->ensureSchema(); !schema)
        return schema.failure();
    if (const Result<qint64> version = database->dataVersion())
        database->m_seenDataVersion = *version;
    return Result<std::unique_ptr<Database>>(std::move(database));
}

QString Database::filePath() const
{
    return m_connection->filePath();
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

bool Database::isReadOnly() const
{
    return m_connection->isReadOnly();
}

QString Database::readOnlyReason() const
{
    return m_connection->readOnlyReason();
}

Status Database::transaction(const QString& what, const std::function<Status()>& body)
{
    return m_connection->transaction(what, body);
}

Result<qint64> Database::dataVersion() const
{
    const Result<QVariant> version = sql::scalar(m_connection->db(), QStringLiteral("PRAGMA data_version"),
                                                 QStringLiteral("读取公式数据库的修改次数"));
    if (!version)
        return version.failure();
    return version->toLongLong();
}

Result<bool> Database::changedElsewhere()
{
    const Result<qint64> version = dataVersion();
    if (!version)
        return version.failure();
    const bool changed = *version != m_seenDataVersion;
    m_seenDataVersion = *version;
    return changed;
}

// The file is ours when it carries our application id, or carries none and holds our tables (a
// file of an earlier version, or one restored from a dump), or is still blank. Any other file is
// another program's: refused before anything is written into it.
Status Database::checkOwnership()
{
    QSqlDatabase db = m_connection->db();
    const QString path = nativePath(filePath());
    const Result<FileMarks> marks = fileMarks(db);
    if (!marks)
        return marks.failure();
    const Result<QVariant> objects = sql::scalar(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_master"),
                                                 QStringLiteral("读取公式数据库的数据表"));
    if (!objects)
        return objects.failure();
    const Result<QSet<QString>> tables = tableNames(db);
    if (!tables)
        return tables.failure();
    const qint64 id = marks->applicationId;
    const int version = marks->version;
    const bool blank = id == 0 && version == 0 && objects->toLongLong() == 0;
    const bool ours = id == schema::kApplicationId || (id == 0 && holdsOurTables(*tables)) || blank;
    if (!ours)
        return Failure{QStringLiteral("%1 %2，未做任何修改").arg(path, kNotOursText)};
    if (version > schema::kVersion)
        return newerVersion(path, version);
    return success();
}

// A write that is rolled back at once tells whether changes can be saved: SQLite opens a
// write-protected file for reading only, and a folder that cannot be written has no room for the
// journal a change needs. A file another program holds for longer than the wait is not one that
// cannot be written: its changes wait or fail when they are made, with their own message.
void Database::probeWritable()
{
    QSqlDatabase db = m_connection->db();
    const Result<QVariant> version = sql::scalar(db, QStringLiteral("PRAGMA user_version"), QString());
    const int current = version ? version->toInt() : 0;
    QSqlQuery query(db);
    QString reason;
    int code = 0;
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")) ||
        !query.exec(QStringLiteral("PRAGMA user_version = %1").arg(current))) {
        reason = sql::describe(query.lastError(), query.driver());
        code = sqliteCode(query.lastError());
    }
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    if (reason.isEmpty() || code == SQLITE_BUSY || code == SQLITE_LOCKED)
        return;
    // A write-protected file is named; otherwise it is the folder that takes no journal.
    const QFileInfo file(filePath());
    const QString where = !file.isWritable() || QFileInfo(m_dataFolder).isWritable()
                              ? nativePath(filePath())
                              : nativePath(m_dataFolder);
    m_connection->setReadOnly(
        QStringLiteral("公式数据库 %1 无法写入（%2），修改都不能保存").arg(where, reason));
}

// What the file lacks: `required`, the tables every version reads (without them nothing can be
// read); `later`, the tables and marks a writable file gets on top (later versions' tables, the
// version number, the application id).
Result<Database::SchemaPlan> Database::schemaPlan() const
{
    QSqlDatabase db = m_connection->db();
    const QString path = nativePath(filePath());
    const Result<FileMarks> marks = fileMarks(db);
    if (!marks)
        return marks.failure();
    const int version = marks->version;
    if (version > schema::kVersion)
        return newerVersion(path, version);

    const Result<QSet<QString>> tables = tableNames(db);
    if (!tables)
        return tables.failure();
    // A file without any of the program's tables gets them all; a file that holds some (an older
    // version, or one restored from a dump, which loses the version number) is checked against
    // what it holds.
    const bool holdsOurs = holdsOurTables(*tables);
    Result<QStringList> required =
        holdsOurs ? completionStatements(db, *tables, path) : Result<QStringList>(creationStatements());
    if (!required)
        return required.failure();
    SchemaPlan plan;
    plan.required = *required;
    if (holdsOurs) {
        const Result<QStringList> later = laterVersionStatements(db, *tables, version);
        if (!later)
            return later.failure();
        plan.later << *later;
    }
    if (!plan.required.isEmpty() || !plan.later.isEmpty() || version != schema::kVersion)
        plan.later << QStringLiteral("PRAGMA user_version = %1").arg(schema::kVersion);
    if (marks->applicationId != schema::kApplicationId)
        plan.later << QStringLiteral("PRAGMA application_id = %1").arg(schema::kApplicationId);
    return plan;
}

Status Database::ensureSchema()
{
    const Result<SchemaPlan> plan = schemaPlan();
    if (!plan)
        return plan.failure();
    if (plan->required.isEmpty() && plan->later.isEmpty())
        return success();
    if (isReadOnly()) {
        // Reading needs only the tables of version 1; a file that lacks some cannot be completed.
        // The tables of later versions read as empty when missing.
        if (plan->required.isEmpty())
            return success();
        return Failure{readOnlyReason()};
    }
    // The version number and the application id live in the file header and take part in the
    // transaction, so an interrupted upgrade leaves the file as it was. What is missing is read
    // again under the write lock: another process may have completed the file meanwhile.
    return m_connection->transaction(QStringLiteral("升级公式数据库"), [&]() -> Status {
        const Result<SchemaPlan> locked = schemaPlan();
        if (!locked)
            return locked.failure();
        for (const QString& statement : locked->required + locked->later) {
            if (Status done = m_connection->exec(statement, QStringLiteral("升级公式数据库")); !done)
                return done;
        }
        return success();
    });
}

// ---- Compaction `CompactDb` ------------------------------------------------------------------

Status Database::compact()
{
    if (isReadOnly())
        return Failure{QStringLiteral("压缩数据库失败：") + readOnlyReason()};
    const QDir folder(m_dataFolder);
    const QString copyPath = folder.filePath(QLatin1String(kCompactCopyName));
    const QString nativeCopy = nativePath(copyPath);

    // A compacted copy of the file beside it, kept until the next compaction, never put in its place.
    if (QFile::exists(copyPath) && !QFile::remove(copyPath))
        return Failure{QStringLiteral("压缩数据库失败：无法删除旧的 %1").arg(nativeCopy)};
    {
        QSqlQuery vacuum(m_connection->db());
        if (!vacuum.prepare(QStringLiteral("VACUUM INTO ?")))
            return sql::queryFailure(QStringLiteral("压缩数据库"), vacuum);
        vacuum.addBindValue(copyPath);
        if (!vacuum.exec()) {
            const Failure failure =
                sql::queryFailure(QStringLiteral("压缩数据库到 %1").arg(nativeCopy), vacuum);
            vacuum.finish();
            QFile::remove(copyPath);
            return failure;
        }
    }
    // The compaction itself runs in place under SQLite's own lock, through its rollback journal:
    // a writer in another process commits before it or after it, and an interruption leaves the
    // file as it was before.
    QSqlQuery vacuum(m_connection->db());
    if (!vacuum.exec(QStringLiteral("VACUUM")))
        return sql::queryFailure(QStringLiteral("压缩数据库 %1").arg(nativePath(filePath())), vacuum);
    return success();
}

} // namespace quorvel
