#include "ProcessFloor.h"

#include "core/Schema.h"

#include <QDir>

#include <sqlite3.h>

#include <memory>
#include <string>

namespace quorvel::bench {

namespace {

constexpr const char* kFormulaSql = "SELECT rowid, idx, gongshi, gongshiCN, bolKill, intGsLim, intGsErrCon, "
                                    "intGsTrueCon, intGsErrLst, intGsTrueLst FROM Gongshi1 ORDER BY rowid";
constexpr int kFormulaNumberColumns = 10;

struct Closer
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Connection = std::unique_ptr<sqlite3, Closer>;
using Statement = std::unique_ptr<sqlite3_stmt, Closer>;

Connection open(const QByteArray& path, int flags)
{
    sqlite3* db = nullptr;
    const int status = sqlite3_open_v2(path.constData(), &db, flags, nullptr);
    Connection connection(db);
    if (status != SQLITE_OK)
        connection.reset();
    return connection;
}

Statement prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return {};
    return Statement(statement);
}

bool exec(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::string text(sqlite3_stmt* statement, int column)
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return bytes ? std::string(bytes, std::size_t(sqlite3_column_bytes(statement, column))) : std::string();
}

std::int64_t rowCount(sqlite3* db, const char* table)
{
    const Statement count = prepare(db, (std::string("SELECT COUNT(*) FROM ") + table).c_str());
    return count && sqlite3_step(count.get()) == SQLITE_ROW ? sqlite3_column_int64(count.get(), 0) : -1;
}

// The history as one row of int32 per draw (issue, then the parameters) and the formula table as
// its numbers and its two texts, each array laid out at its final size first.
bool readInto(sqlite3* db, const QByteArray& historySql)
{
    const std::int64_t drawCount = rowCount(db, "Lishi");
    const std::int64_t formulaCount = rowCount(db, "Gongshi1");
    Statement history = prepare(db, historySql.constData());
    if (drawCount < 0 || formulaCount < 0 || !history)
        return false;
    const int columns = sqlite3_column_count(history.get());
    std::vector<std::int32_t> draws;
    draws.reserve(std::size_t(drawCount * columns));
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(history.get())) == SQLITE_ROW) {
        for (int column = 0; column < columns; ++column)
            draws.push_back(sqlite3_column_int(history.get(), column));
    }
    if (status != SQLITE_DONE)
        return false;

    Statement formulas = prepare(db, kFormulaSql);
    if (!formulas)
        return false;
    std::vector<std::int64_t> numbers;
    numbers.reserve(std::size_t(formulaCount * (kFormulaNumberColumns - 2)));
    std::vector<std::string> codes;
    codes.reserve(std::size_t(formulaCount));
    std::vector<std::string> displayTexts;
    displayTexts.reserve(std::size_t(formulaCount));
    while ((status = sqlite3_step(formulas.get())) == SQLITE_ROW) {
        for (int column = 0; column < kFormulaNumberColumns; ++column) {
            if (column == 2 || column == 3)
                continue;
            numbers.push_back(sqlite3_column_type(formulas.get(), column) == SQLITE_NULL
                                  ? -1
                                  : sqlite3_column_int64(formulas.get(), column));
        }
        codes.push_back(text(formulas.get(), 2));
        displayTexts.push_back(text(formulas.get(), 3));
    }
    return status == SQLITE_DONE && !draws.empty() && !codes.empty();
}

} // namespace

ProcessFloor::ProcessFloor(const QString& dataFolder)
    : m_path(QDir(dataFolder).filePath(QStringLiteral("formula.db")).toUtf8()),
      m_historySql(QStringLiteral("SELECT strQQH, %1 FROM %2 ORDER BY strQQH")
                       .arg(schema::parameterColumnList(), schema::kHistoryTable)
                       .toUtf8())
{
}

bool ProcessFloor::readTables() const
{
    const Connection db = open(m_path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
    return db && readInto(db.get(), m_historySql);
}

bool ProcessFloor::readAndWriteStatistics(const std::vector<StoredStatistics>& rows) const
{
    const Connection db = open(m_path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
    if (!db || !readInto(db.get(), m_historySql) || !exec(db.get(), "BEGIN"))
        return false;
    Statement update = prepare(db.get(), "UPDATE Gongshi1 SET intGsErrCon = ?, intGsTrueCon = ?, "
                                         "intGsErrLst = ?, intGsTrueLst = ? WHERE rowid = ?");
    if (!update)
        return false;
    for (const StoredStatistics& row : rows) {
        for (int i = 0; i < 4; ++i) {
            if (const std::optional<int>& value = row.values[std::size_t(i)])
                sqlite3_bind_int(update.get(), i + 1, *value);
            else
                sqlite3_bind_null(update.get(), i + 1);
        }
        sqlite3_bind_int64(update.get(), 5, row.rowId);
        if (sqlite3_step(update.get()) != SQLITE_DONE)
            return false;
        sqlite3_reset(update.get());
    }
    update.reset();
    return exec(db.get(), "COMMIT");
}

std::optional<std::vector<StoredStatistics>> ProcessFloor::storedStatistics() const
{
    const Connection db = open(m_path, SQLITE_OPEN_READONLY);
    Statement select = db ? prepare(db.get(), "SELECT rowid, intGsErrCon, intGsTrueCon, intGsErrLst, "
                                              "intGsTrueLst FROM Gongshi1 ORDER BY rowid")
                          : Statement();
    if (!select)
        return std::nullopt;
    std::vector<StoredStatistics> rows;
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(select.get())) == SQLITE_ROW) {
        StoredStatistics row{sqlite3_column_int64(select.get(), 0), {}};
        for (int i = 0; i < 4; ++i) {
            if (sqlite3_column_type(select.get(), i + 1) != SQLITE_NULL)
                row.values[std::size_t(i)] = sqlite3_column_int(select.get(), i + 1);
        }
        rows.push_back(row);
    }
    if (status != SQLITE_DONE)
        return std::nullopt;
    return rows;
}

bool ProcessFloor::clearStatistics() const
{
    const Connection db = open(m_path, SQLITE_OPEN_READWRITE);
    return db && exec(db.get(), "UPDATE Gongshi1 SET intGsErrCon = NULL, intGsTrueCon = NULL, "
                                "intGsErrLst = NULL, intGsTrueLst = NULL");
}

} // namespace quorvel::bench
