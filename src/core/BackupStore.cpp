#include "core/BackupStore.h"

#include "core/Schema.h"

#include "core/SqlConnection.h"
#include "core/TermTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>

namespace quorvel {

namespace {

const QString kStateSuffix = QStringLiteral(".db");
const QString kPartSuffix = QStringLiteral(".part");
const QString kSettingsTable = QStringLiteral("Shezhi");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
// How long a half-written state may belong to an operation still under way; older ones were left
// by a crash.
constexpr qint64 kAbandonedPartSeconds = 3600;
// The other process may hold formula.db for a while: wait as its own connection does.
constexpr int kBusyTimeoutMs = 10000;

std::atomic<quint64> g_readerCounter{0};

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QStringList formulaTables()
{
    QStringList tables;
    for (int position = 1; position <= kPositionCount; ++position)
        tables << QStringLiteral("Gongshi%1").arg(position);
    return tables;
}

// The number a state file's name gives, or 0 for any other file.
qint64 idOf(const QString& fileName, const QString& suffix)
{
    if (!fileName.endsWith(suffix))
        return 0;
    bool ok = false;
    const qint64 id = fileName.left(fileName.size() - suffix.size()).toLongLong(&ok);
    return ok && id > 0 ? id : 0;
}

// A read-only connection of its own to one state file, removed with it.
class StateReader
{
public:
    explicit StateReader(const QString& path)
        : m_name(QStringLiteral("quorvel-backup-%1").arg(++g_readerCounter))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        m_open = db.open();
    }
    ~StateReader()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    StateReader(const StateReader&) = delete;
    StateReader& operator=(const StateReader&) = delete;
    bool isOpen() const { return m_open; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
    bool m_open = false;
};

Status exec(const QSqlDatabase& db, const QString& statement, const QString& what)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        return sql::queryFailure(what, query);
    return success();
}

Status openConnection(SqlConnection& connection)
{
    if (Status opened = connection.open(); !opened)
        return opened;
    return exec(connection.db(), QStringLiteral("PRAGMA busy_timeout = %1").arg(kBusyTimeoutMs),
                QStringLiteral("设置数据库等待时间"));
}

Status attach(const QSqlDatabase& db, const QString& path, const QString& what)
{
    QSqlQuery query(db);
    if (Status prepared = sql::prepare(query, QStringLiteral("ATTACH DATABASE ? AS beifen"), what); !prepared)
        return prepared;
    query.addBindValue(path);
    return sql::exec(query, what);
}

void detach(const QSqlDatabase& db)
{
    QSqlQuery(db).exec(QStringLiteral("DETACH DATABASE beifen"));
}

bool hasTable(const QSqlDatabase& db, const QString& schema, const QString& table)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT COUNT(*) FROM %1.sqlite_master WHERE type = 'table' AND name = ? "
                                 "COLLATE NOCASE")
                      .arg(schema));
    query.addBindValue(table);
    return query.exec() && query.next() && query.value(0).toInt() > 0;
}

// The draws and formulas (all eight tables) a schema of the connection holds.
Result<std::pair<int, int>> counts(const QSqlDatabase& db, const QString& schema)
{
    const QString what = QStringLiteral("统计历史号码和公式");
    int draws = 0;
    if (hasTable(db, schema, schema::kHistoryTable)) {
        const Result<QVariant> n =
            sql::scalar(db, QStringLiteral("SELECT COUNT(*) FROM %1.%2").arg(schema, schema::kHistoryTable), what);
        if (!n)
            return n.failure();
        draws = n->toInt();
    }
    int formulas = 0;
    for (const QString& table : formulaTables()) {
        if (!hasTable(db, schema, table))
            continue;
        const Result<QVariant> n =
            sql::scalar(db, QStringLiteral("SELECT COUNT(*) FROM %1.%2").arg(schema, table), what);
        if (!n)
            return n.failure();
        formulas += n->toInt();
    }
    return std::make_pair(draws, formulas);
}

// Column names of a table in one schema of the connection, in order, and whether it has a
// primary key column (its rowid then travels with that column).
struct Columns
{
    QStringList names;
    bool keyed = false;
};

Result<Columns> columnsOf(const QSqlDatabase& db, const QString& schema, const QString& table)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("PRAGMA %1.table_info(%2)").arg(schema, table)))
        return sql::queryFailure(QStringLiteral("读取数据表 %1 的列").arg(table), query);
    Columns columns;
    while (query.next()) {
        columns.names << query.value(1).toString();
        columns.keyed = columns.keyed || query.value(5).toInt() > 0;
    }
    return columns;
}

// Copies one table from schema `from` into the empty table of the same name in `to`. Identical
// layouts copy whole records with their row ids (SQLite's transfer of a plain SELECT *); a layout
// that changed since (a column added by an upgrade) copies the shared columns and the row ids.
Status copyRows(const QSqlDatabase& db, const QString& from, const QString& to, const QString& table)
{
    const Result<Columns> source = columnsOf(db, from, table);
    if (!source)
        return source.failure();
    const Result<Columns> target = columnsOf(db, to, table);
    if (!target)
        return target.failure();
    const QString what = QStringLiteral("复制数据表 %1").arg(table);
    if (source->names == target->names)
        return exec(db, QStringLiteral("INSERT INTO %1.%3 SELECT * FROM %2.%3").arg(to, from, table), what);
    QStringList shared;
    for (const QString& name : target->names) {
        if (source->names.contains(name, Qt::CaseInsensitive))
            shared << name;
    }
    if (!target->keyed)
        shared.prepend(QStringLiteral("rowid"));
    const QString list = shared.join(QStringLiteral(", "));
    return exec(db, QStringLiteral("INSERT INTO %1.%3 (%4) SELECT %4 FROM %2.%3").arg(to, from, table, list),
                what);
}

// Creates `table` in the state file with the layout it has in formula.db.
Status createLike(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "SELECT sql FROM main.sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"));
    query.addBindValue(table);
    if (!query.exec() || !query.next())
        return sql::queryFailure(QStringLiteral("读取数据表 %1 的定义").arg(table), query);
    QString definition = query.value(0).toString();
    query.finish();
    static const QRegularExpression head(QStringLiteral("^\\s*CREATE\\s+TABLE\\s+(IF\\s+NOT\\s+EXISTS\\s+)?"),
                                         QRegularExpression::CaseInsensitiveOption);
    definition.replace(head, QStringLiteral("CREATE TABLE beifen."));
    return exec(db, definition, QStringLiteral("备份数据表 %1").arg(table));
}

} // namespace

BackupStore::BackupStore(const QString& databasePath)
    : m_databasePath(databasePath),
      m_folder(QFileInfo(databasePath).absoluteDir().filePath(QString::fromUtf8(kFolderName)))
{
}

QString BackupStore::timeText(const QDateTime& time)
{
    return time.toString(kTimeFormat);
}

QString BackupStore::statePath(qint64 id) const
{
    return QDir(m_folder).filePath(QString::number(id) + kStateSuffix);
}

Result<qint64> BackupStore::keep(const QString& operation, const KeptParts& parts, const QDateTime& now)
{
    const QString failedTo = QStringLiteral("无法保留“%1”之前的数据以便撤销：").arg(operation);
    // The cause is named as the database names it: the folder that takes no new entry.
    if (!QDir().mkpath(m_folder))
        return Failure{failedTo +
                       QStringLiteral("无法创建文件夹 %1：%2")
                           .arg(nativePath(m_folder), QFileInfo::exists(m_folder)
                                                          ? QStringLiteral("同名的文件已存在")
                                                          : QStringLiteral("所在的文件夹不能写入"))};
    if (!QFileInfo(m_folder).isWritable())
        return Failure{failedTo + QStringLiteral("文件夹 %1 不能写入").arg(nativePath(m_folder))};

    // The number after every state and every state being written; the name is reserved by creating
    // it, so two processes keeping at once take different numbers.
    qint64 id = 0;
    const QDir folder(m_folder);
    for (const QString& name : folder.entryList(QDir::Files))
        id = std::max({id, idOf(name, kStateSuffix), idOf(name, kPartSuffix)});
    QString partPath;
    for (int attempt = 0; attempt < 1000 && partPath.isEmpty(); ++attempt) {
        ++id;
        if (QFile::exists(statePath(id)))
            continue;
        QFile reserved(folder.filePath(QString::number(id) + kPartSuffix));
        if (reserved.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            partPath = reserved.fileName();
        else if (!reserved.exists())
            return Failure{
                failedTo +
                QStringLiteral("无法在 %1 中写入：%2").arg(nativePath(m_folder), reserved.errorString())};
    }
    if (partPath.isEmpty())
        return Failure{failedTo + QStringLiteral("找不到可用的备份编号")};

    Status written = success();
    {
        SqlConnection connection(m_databasePath);
        written = openConnection(connection);
        const QSqlDatabase db = connection.db();
        if (written)
            written = attach(db, partPath, QStringLiteral("打开备份文件"));
        if (written) {
            // No journal: a state that is cut off is never renamed into place. The commit syncs the
            // file before the rename makes it a state.
            written =
                exec(db, QStringLiteral("PRAGMA beifen.journal_mode = OFF"), QStringLiteral("写入备份"));
        }
        if (written)
            written =
                exec(db, QStringLiteral("PRAGMA beifen.synchronous = FULL"), QStringLiteral("写入备份"));
        if (written) {
            written = connection.transaction(QStringLiteral("保留撤销数据"), [&]() -> Status {
                if (Status made =
                        exec(db,
                             QStringLiteral("CREATE TABLE beifen.Beifen (strTime TEXT, strOperation TEXT, "
                                            "intDrawsBefore INTEGER, intFormulasBefore INTEGER, "
                                            "intDrawsAfter INTEGER, intFormulasAfter INTEGER, "
                                            "bolHistory INTEGER, bolFormulas INTEGER, bolSettings INTEGER)"),
                             QStringLiteral("写入备份"));
                    !made)
                    return made;
                QStringList tables;
                if (parts.history)
                    tables << schema::kHistoryTable;
                if (parts.formulas)
                    tables << formulaTables();
                for (const QString& table : tables) {
                    if (!hasTable(db, QStringLiteral("main"), table))
                        continue;
                    if (Status created = createLike(db, table); !created)
                        return created;
                    if (Status copied = copyRows(db, QStringLiteral("main"), QStringLiteral("beifen"), table);
                        !copied)
                        return copied;
                }
                if (!parts.settings.empty()) {
                    if (Status made =
                            exec(db,
                                 QStringLiteral("CREATE TABLE beifen.%1 (strName TEXT, strValue TEXT)")
                                     .arg(kSettingsTable),
                                 QStringLiteral("写入备份"));
                        !made)
                        return made;
                    QSqlQuery insert(db);
                    if (Status prepared = sql::prepare(
                            insert, QStringLiteral("INSERT INTO beifen.%1 VALUES (?, ?)").arg(kSettingsTable),
                            QStringLiteral("写入备份的设置"));
                        !prepared)
                        return prepared;
                    for (const auto& [name, value] : parts.settings) {
                        insert.addBindValue(name);
                        insert.addBindValue(value);
                        if (Status done = sql::exec(insert, QStringLiteral("写入备份的设置")); !done)
                            return done;
                    }
                }
                const Result<std::pair<int, int>> before = counts(db, QStringLiteral("main"));
                if (!before)
                    return before.failure();
                QSqlQuery insert(db);
                if (Status prepared = sql::prepare(
                        insert,
                        QStringLiteral("INSERT INTO beifen.Beifen VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                        QStringLiteral("写入备份"));
                    !prepared)
                    return prepared;
                for (const QVariant& value :
                     {QVariant(timeText(now)), QVariant(operation), QVariant(before->first),
                      QVariant(before->second), QVariant(before->first), QVariant(before->second),
                      QVariant(parts.history ? 1 : 0), QVariant(parts.formulas ? 1 : 0),
                      QVariant(parts.settings.empty() ? 0 : 1)})
                    insert.addBindValue(value);
                return sql::exec(insert, QStringLiteral("写入备份"));
            });
            detach(db);
        }
    }
    if (!written) {
        QFile::remove(partPath);
        return Failure{failedTo + written.error()};
    }
    // Renaming never replaces a file: the number stays this state's.
    if (!QFile::rename(partPath, statePath(id))) {
        QFile::remove(partPath);
        return Failure{failedTo + QStringLiteral("无法写入 %1").arg(nativePath(statePath(id)))};
    }
    prune(now);
    return id;
}

Status BackupStore::recordAfter(qint64 id)
{
    SqlConnection connection(m_databasePath);
    if (Status opened = openConnection(connection); !opened)
        return opened;
    const QSqlDatabase db = connection.db();
    const Result<std::pair<int, int>> after = counts(db, QStringLiteral("main"));
    if (!after)
        return after.failure();
    if (Status attached = attach(db, statePath(id), QStringLiteral("打开备份文件")); !attached)
        return attached;
    Status updated = success();
    {
        QSqlQuery update(db);
        updated = sql::prepare(
            update, QStringLiteral("UPDATE beifen.Beifen SET intDrawsAfter = ?, intFormulasAfter = ?"),
            QStringLiteral("写入备份的操作后数目"));
        if (updated) {
            update.addBindValue(after->first);
            update.addBindValue(after->second);
            updated = sql::exec(update, QStringLiteral("写入备份的操作后数目"));
        }
    }
    detach(db);
    return updated;
}

void BackupStore::discard(qint64 id)
{
    QFile::remove(statePath(id));
}

Result<KeptState> BackupStore::readState(const QString& path) const
{
    const QString what = QStringLiteral("读取备份 %1").arg(nativePath(path));
    StateReader reader(path);
    if (!reader.isOpen())
        return Failure{what + QStringLiteral("失败")};
    KeptState state;
    {
        QSqlQuery query(reader.db());
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT * FROM Beifen")) || !query.next())
            return sql::queryFailure(what, query);
        state.time = QDateTime::fromString(query.value(0).toString(), kTimeFormat);
        state.operation = query.value(1).toString();
        state.drawsBefore = query.value(2).toInt();
        state.formulasBefore = query.value(3).toInt();
        state.drawsAfter = query.value(4).toInt();
        state.formulasAfter = query.value(5).toInt();
        state.history = query.value(6).toInt() != 0;
        state.formulas = query.value(7).toInt() != 0;
        state.settings = query.value(8).toInt() != 0;
    }
    state.id = idOf(QFileInfo(path).fileName(), kStateSuffix);
    state.bytes = QFileInfo(path).size();
    return state;
}

Result<std::vector<KeptState>> BackupStore::list() const
{
    std::vector<KeptState> states;
    const QDir folder(m_folder);
    for (const QString& name : folder.entryList(QDir::Files)) {
        if (idOf(name, kStateSuffix) == 0)
            continue;
        const Result<KeptState> state = readState(folder.filePath(name));
        if (!state)
            return state.failure();
        states.push_back(*state);
    }
    std::sort(states.begin(), states.end(),
              [](const KeptState& a, const KeptState& b) { return a.id > b.id; });
    return states;
}

Result<KeptParts> BackupStore::restore(qint64 id)
{
    const QString path = statePath(id);
    if (!QFileInfo(path).isFile())
        return Failure{QStringLiteral("没有编号为 %1 的备份").arg(id)};
    const Result<KeptState> state = readState(path);
    if (!state)
        return state.failure();

    SqlConnection connection(m_databasePath);
    if (Status opened = openConnection(connection); !opened)
        return opened.failure();
    const QSqlDatabase db = connection.db();
    if (Status attached = attach(db, path, QStringLiteral("打开备份文件")); !attached)
        return attached.failure();
    KeptParts parts;
    parts.history = state->history;
    parts.formulas = state->formulas;
    const Status restored = connection.transaction(QStringLiteral("恢复备份"), [&]() -> Status {
        QStringList tables;
        if (state->history)
            tables << schema::kHistoryTable;
        if (state->formulas)
            tables << formulaTables();
        for (const QString& table : tables) {
            if (!hasTable(db, QStringLiteral("beifen"), table) ||
                !hasTable(db, QStringLiteral("main"), table))
                continue;
            if (Status emptied = exec(db, QStringLiteral("DELETE FROM main.%1").arg(table),
                                      QStringLiteral("恢复数据表 %1").arg(table));
                !emptied)
                return emptied;
            if (Status copied = copyRows(db, QStringLiteral("beifen"), QStringLiteral("main"), table);
                !copied)
                return copied;
        }
        if (state->settings) {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            if (!query.exec(QStringLiteral("SELECT strName, strValue FROM beifen.%1").arg(kSettingsTable)))
                return sql::queryFailure(QStringLiteral("读取备份的设置"), query);
            while (query.next())
                parts.settings.emplace_back(query.value(0).toString(), query.value(1).toString());
        }
        return success();
    });
    detach(db);
    if (!restored)
        return restored.failure();
    return parts;
}

void BackupStore::prune(const QDateTime& now)
{
    const QDir folder(m_folder);
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files)) {
        if (idOf(file.fileName(), kPartSuffix) > 0 &&
            file.lastModified().secsTo(QDateTime::currentDateTime()) > kAbandonedPartSeconds)
            QFile::remove(file.filePath());
    }
    const Result<std::vector<KeptState>> states = list();
    if (!states)
        return;
    std::vector<KeptState> kept;
    const QDateTime since = now.addDays(-kKeptDays);
    for (std::size_t i = 0; i < states->size(); ++i) {
        const KeptState& state = (*states)[i];
        if (i < std::size_t(kKeptNewest) || state.time >= since)
            kept.push_back(state);
        else
            discard(state.id);
    }
    qint64 total = 0;
    for (const KeptState& state : kept)
        total += state.bytes;
    while (kept.size() > 1 && total > m_budgetBytes) {
        total -= kept.back().bytes;
        discard(kept.back().id);
        kept.pop_back();
    }
}

} // namespace quorvel
