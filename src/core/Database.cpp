#include "core/Database.h"

#include "core/FormulaTables.h"
#include "core/HistoryTable.h"
#include "core/LedgerTable.h"
#include "core/RankingTable.h"
#include "core/Schema.h"
#include "core/SqlConnection.h"
#include "core/TermTable.h"
#include "core/WriteError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <cerrno>

namespace quorvel {

namespace {

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

Status copyFileContents(QFile& source, QSaveFile& target)
{
    constexpr qint64 kChunk = 1 << 20;
    qint64 copied = 0;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(kChunk);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError)
            return Failure{QStringLiteral("读取 %1 失败：%2").arg(source.fileName(), source.errorString())};
        if (target.write(chunk) != chunk.size())
            return Failure{QStringLiteral("写入 %1 失败：%2")
                               .arg(target.fileName(), WriteError::withCause(target.errorString(), errno))};
        copied += chunk.size();
    }
    if (copied != source.size())
        return Failure{QStringLiteral("复制 %1 不完整").arg(source.fileName())};
    if (!target.flush())
        return Failure{QStringLiteral("写入 %1 失败：%2")
                           .arg(target.fileName(), WriteError::withCause(target.errorString(), errno))};
    return success();
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
    database->probeWritable();
    if (Status schema = database->ensureSchema(); !schema)
        return schema.failure();
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

// A write that is rolled back at once tells whether changes can be saved: SQLite opens a
// write-protected file for reading only, and a folder that cannot be written has no room for the
// journal a change needs.
void Database::probeWritable()
{
    QSqlDatabase db = m_connection->db();
    const Result<QVariant> version = sql::scalar(db, QStringLiteral("PRAGMA user_version"), QString());
    const int current = version ? version->toInt() : 0;
    QSqlQuery query(db);
    QString reason;
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        reason = sql::describe(query.lastError(), query.driver());
    else if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(current)))
        reason = sql::describe(query.lastError(), query.driver());
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    if (reason.isEmpty())
        return;
    // A write-protected file is named; otherwise it is the folder that takes no journal.
    const QFileInfo file(filePath());
    const QString where = !file.isWritable() || QFileInfo(m_dataFolder).isWritable()
                              ? nativePath(filePath())
                              : nativePath(m_dataFolder);
    m_connection->setReadOnly(
        QStringLiteral("公式数据库 %1 无法写入（%2），修改都不能保存").arg(where, reason));
}

Status Database::ensureSchema()
{
    QSqlDatabase db = m_connection->db();
    const QString path = nativePath(filePath());
    const Result<QVariant> storedVersion =
        sql::scalar(db, QStringLiteral("PRAGMA user_version"), QStringLiteral("读取公式数据库版本"));
    if (!storedVersion)
        return storedVersion.failure();
    const int version = storedVersion->toInt();
    if (version > schema::kVersion)
        return Failure{
            QStringLiteral("公式数据库 %1 由更新版本的程序创建（版本 %2），本程序只能读取到版本 %3")
                .arg(path)
                .arg(version)
                .arg(schema::kVersion)};

    const Result<QSet<QString>> tables = tableNames(db);
    if (!tables)
        return tables.failure();
    // A file without any of the program's tables gets them all; a file that holds some (an older
    // version, or one restored from a dump, which loses the version number) is checked against
    // what it holds.
    bool holdsOurs = tables->contains(schema::kHistoryTable.toLower()) ||
                     tables->contains(schema::kRankingTable.toLower());
    for (int position = 1; position <= kPositionCount; ++position)
        holdsOurs = holdsOurs || tables->contains(formulaTableName(position).toLower());
    Result<QStringList> statements =
        holdsOurs ? completionStatements(db, *tables, path) : Result<QStringList>(creationStatements());
    if (!statements)
        return statements.failure();
    if (isReadOnly()) {
        // Reading needs only the tables of version 1; a file that lacks some cannot be completed.
        // The tables of later versions read as empty when missing.
        if (statements->isEmpty())
            return success();
        return Failure{readOnlyReason()};
    }
    if (holdsOurs) {
        const Result<QStringList> later = laterVersionStatements(db, *tables, version);
        if (!later)
            return later.failure();
        *statements << *later;
    }
    if (statements->isEmpty() && version == schema::kVersion)
        return success();
    // The version number lives in the file header and takes part in the transaction, so an
    // interrupted upgrade leaves the file as it was.
    return m_connection->transaction(QStringLiteral("升级公式数据库"), [&]() -> Status {
        for (const QString& statement : *statements) {
            if (Status done = m_connection->exec(statement, QStringLiteral("升级公式数据库")); !done)
                return done;
        }
        return m_connection->exec(QStringLiteral("PRAGMA user_version = %1").arg(schema::kVersion),
                                  QStringLiteral("写入公式数据库版本"));
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

    if (QFile::exists(copyPath) && !QFile::remove(copyPath))
        return Failure{QStringLiteral("压缩数据库失败：无法删除旧的 %1").arg(nativeCopy)};

    // Every operation ends its transaction before returning, so the file the copy is made from
    // holds all committed data and no journal is pending.
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

    // Write the compacted file beside formula.db under a temporary name and sync it; only the
    // final rename touches formula.db, and that rename replaces it in one step.
    QFile source(copyPath);
    if (!source.open(QIODevice::ReadOnly))
        return Failure{
            QStringLiteral("压缩数据库失败：无法读取 %1：%2").arg(nativeCopy, source.errorString())};
    errno = 0;
    QSaveFile target(filePath());
    target.setDirectWriteFallback(false);
    if (!target.open(QIODevice::WriteOnly))
        return Failure{
            QStringLiteral("压缩数据库失败：无法在 %1 中写入临时文件：%2")
                .arg(nativePath(m_dataFolder), WriteError::withCause(target.errorString(), errno))};
    if (Status status = copyFileContents(source, target); !status) {
        target.cancelWriting();
        return Failure{QStringLiteral("压缩数据库失败：") + status.error()};
    }
    source.close();

    m_connection->close();
    // A journal left beside the closed file would belong to the old content; SQLite would
    // replay it onto the new file on the next open, so the replacement is refused instead.
    for (const auto* suffix : {"-journal", "-wal"}) {
        const QString journal = filePath() + QLatin1String(suffix);
        if (QFile::exists(journal)) {
            target.cancelWriting();
            QString message =
                QStringLiteral("压缩数据库失败：%1 仍然存在，数据库未被替换").arg(nativePath(journal));
            if (const Status reopened = m_connection->open(); !reopened)
                message += QLatin1Char('\n') + reopened.error();
            return Failure{message};
        }
    }
    errno = 0;
    const bool replaced = target.commit();
    const QString replaceError = WriteError::withCause(target.errorString(), errno);
    const Status reopened = m_connection->open();
    if (!replaced) {
        QString message = QStringLiteral("压缩数据库失败：无法用压缩后的文件替换 %1：%2")
                              .arg(nativePath(filePath()), replaceError);
        if (!reopened)
            message += QLatin1Char('\n') + reopened.error();
        return Failure{message};
    }
    return reopened;
}

} // namespace quorvel
