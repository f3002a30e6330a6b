#include "oracle/Oracle.h"

#include "core/TermTable.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <sqlite3.h>

#include <cmath>

namespace quorvel::oracle {

namespace {

QAtomicInt s_connectionCounter;

std::optional<double> sqliteNumber(sqlite3_value* value)
{
    if (sqlite3_value_type(value) == SQLITE_NULL)
        return std::nullopt;
    return sqlite3_value_double(value);
}

void modFunction(sqlite3_context* context, int, sqlite3_value** arguments)
{
    const std::optional<double> result = modulo(sqliteNumber(arguments[0]), sqliteNumber(arguments[1]));
    if (result)
        sqlite3_result_double(context, *result);
    else
        sqlite3_result_null(context);
}

// A value made whole (halves to even) as the 64-bit whole number the program works with; empty
// for an empty value and for values no 64-bit whole number holds.
std::optional<qint64> wholeNumber(const std::optional<double>& value)
{
    if (!value || std::isnan(*value) || std::fabs(*value) > 9.0e18)
        return std::nullopt;
    return static_cast<qint64>(std::nearbyint(*value));
}

// ((w - 1) MOD 20) + 1 with the registered MOD.
std::optional<qint64> foldWholeNumber(const std::optional<qint64>& whole)
{
    if (!whole)
        return std::nullopt;
    const std::optional<double> remainder = modulo(double(*whole - 1), 20.0);
    return qint64(*remainder) + 1;
}

std::optional<double> optionalDouble(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toDouble();
}

QVariant nullableInteger(const std::optional<qint64>& value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::LongLong));
}

} // namespace

std::optional<qint64> foldedNumber(const std::optional<double>& value)
{
    return foldWholeNumber(wholeNumber(value));
}

std::optional<double> modulo(std::optional<double> dividend, std::optional<double> divisor)
{
    if (!dividend || !divisor || std::isnan(*dividend) || std::isnan(*divisor))
        return std::nullopt;
    const double a = std::nearbyint(*dividend);
    const double b = std::nearbyint(*divisor);
    if (b == 0.0)
        return std::nullopt;
    // fmod of whole numbers is exact and keeps the sign of the dividend.
    return std::fmod(a, b) + 0.0;
}

Oracle::Oracle(const std::vector<Draw>& draws)
    : m_connectionName(QStringLiteral("quorvel-oracle-%1").arg(s_connectionCounter.fetchAndAddRelaxed(1))),
      m_drawCount(int(draws.size()))
{
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    database.setDatabaseName(QStringLiteral(":memory:"));
    if (!database.open())
        qFatal("oracle: cannot open an in-memory SQLite database: %s",
               qPrintable(database.lastError().text()));

    const QVariant handle = database.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        qFatal("oracle: the QSQLITE driver gave no sqlite3 handle");
    sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
    if (sqlite3_create_function_v2(connection, "MOD", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   &modFunction, nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("oracle: cannot register MOD");

    // Parameter columns are REAL so that "/" between two columns divides as real numbers, as it
    // does in the program's own database dialect; every value is a small whole number, stored exactly.
    QStringList columns{QStringLiteral("strQQH TEXT PRIMARY KEY")};
    QStringList names{QStringLiteral("strQQH")};
    QStringList placeholders{QStringLiteral("?")};
    for (const Term& term : termTable()) {
        columns << term.code + QStringLiteral(" REAL");
        names << term.code;
        placeholders << QStringLiteral("?");
    }
    columns << QStringLiteral("canshu REAL") << QStringLiteral("PreCanshu INTEGER")
            << QStringLiteral("GSCS INTEGER") << QStringLiteral("GSZCS INTEGER")
            << QStringLiteral("GSGL INTEGER");
    if (!exec(QStringLiteral("CREATE TABLE Lishi (%1)").arg(columns.join(QStringLiteral(", ")))))
        qFatal("oracle: cannot create Lishi");

    database.transaction();
    QSqlQuery insert(database);
    insert.prepare(QStringLiteral("INSERT INTO Lishi (%1) VALUES (%2)")
                       .arg(names.join(QStringLiteral(", ")), placeholders.join(QStringLiteral(", "))));
    for (const Draw& draw : draws) {
        insert.addBindValue(QStringLiteral("%1").arg(draw.issue, 8, 10, QLatin1Char('0')));
        for (const qint32 value : draw.values)
            insert.addBindValue(double(value));
        if (!insert.exec())
            qFatal("oracle: cannot insert a draw: %s", qPrintable(insert.lastError().text()));
    }
    database.commit();
}

Oracle::~Oracle()
{
    {
        QSqlDatabase database = db();
        database.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase Oracle::db() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool Oracle::exec(const QString& statement)
{
    QSqlQuery query(db());
    return query.exec(statement);
}

bool Oracle::evaluate(const QString& code)
{
    return exec(QStringLiteral("UPDATE [Lishi] SET [canshu]=") + sqliteExpression(code));
}

void Oracle::walkPreCanshu(const std::function<std::optional<qint64>(std::optional<double>)>& predicted)
{
    std::vector<qint64> rowIds;
    std::vector<std::optional<double>> values;
    {
        QSqlQuery walk(db());
        walk.setForwardOnly(true);
        walk.exec(QStringLiteral("SELECT rowid, canshu FROM Lishi ORDER BY strQQH"));
        while (walk.next()) {
            rowIds.push_back(walk.value(0).toLongLong());
            values.push_back(optionalDouble(walk.value(1)));
        }
    }
    db().transaction();
    {
        QSqlQuery write(db());
        write.prepare(QStringLiteral("UPDATE Lishi SET PreCanshu = ? WHERE rowid = ?"));
        for (std::size_t t = 1; t < rowIds.size(); ++t) {
            write.addBindValue(nullableInteger(predicted(values[t - 1])));
            write.addBindValue(rowIds[t]);
            write.exec();
        }
    }
    db().commit();
}

std::vector<bool> Oracle::flags(const QString& column) const
{
    std::vector<bool> result;
    result.reserve(std::size_t(m_drawCount));
    QSqlQuery query(db());
    query.setForwardOnly(true);
    query.exec(QStringLiteral("SELECT %1 FROM Lishi ORDER BY strQQH").arg(column));
    while (query.next())
        result.push_back(query.value(0).toInt() != 0);
    return result;
}

FormulaVerdict Oracle::verify(const QString& code, int position, bool kill,
                              const VerificationSettings& settings)
{
    if (!evaluate(code)) {
        FormulaVerdict verdict;
        verdict.evaluable = false;
        return verdict;
    }

    // Alignment: PreCanshu(t) = canshu(t - 1) made whole, for t = 2..R; draw 1 keeps its value.
    walkPreCanshu([](std::optional<double> value) { return wholeNumber(value); });

    exec(QStringLiteral("UPDATE [Lishi] SET [GSCS] = FALSE "));
    const QString p = QString::number(position);
    const QString foldedPrediction = sqliteExpression(QStringLiteral("((([PreCanshu] - 1) MOD 20) + 1)"));
    exec(QStringLiteral("UPDATE [Lishi] SET [GSCS] = TRUE WHERE (") + foldedPrediction +
         (kill ? QStringLiteral(" <> [L") : QStringLiteral(" = [L")) + p + QStringLiteral("A])"));

    return recount(settings);
}

FormulaVerdict Oracle::recount(const VerificationSettings& settings) const
{
    FormulaVerdict verdict;
    const std::vector<bool> gscs = flags(QStringLiteral("GSCS"));
    const int drawCount = int(gscs.size());

    // Window: N = 0 all draws from the second; otherwise the newest N (B on) or N + 1 (B off),
    // never the first draw. Positions are 1-based draw numbers here.
    int first = 2;
    const int last = drawCount;
    if (settings.periods > 0) {
        const int length = settings.excludeCurrentPeriod ? settings.periods : settings.periods + 1;
        first = drawCount - length + 1;
        if (first < 2)
            first = 2;
    }

    qint64 j = 0;
    int currentHits = 0;
    int currentMisses = 0;
    for (int draw = first; draw <= last; ++draw) {
        ++j;
        const qint64 weight = settings.weighted ? j * j : 1;
        verdict.totalWeight += weight;
        if (gscs[std::size_t(draw - 1)]) {
            currentMisses = 0;
            currentHits += 1;
            if (currentHits > verdict.statistics.maxHits)
                verdict.statistics.maxHits = currentHits;
            verdict.hitWeight += weight;
            ++verdict.hits;
        } else {
            currentHits = 0;
            currentMisses += 1;
            if (currentMisses > verdict.statistics.maxMisses)
                verdict.statistics.maxMisses = currentMisses;
        }
    }
    verdict.statistics.lastHits = currentHits;
    verdict.statistics.lastMisses = currentMisses;

    // Computed value: the newest draw's canshu, made whole and folded.
    QSqlQuery newest(db());
    newest.exec(QStringLiteral("SELECT canshu FROM Lishi ORDER BY strQQH DESC LIMIT 1"));
    if (newest.next()) {
        const std::optional<qint64> folded = foldWholeNumber(wholeNumber(optionalDouble(newest.value(0))));
        if (folded)
            verdict.computedValue = int(*folded);
    }
    return verdict;
}

std::optional<RunStatistics> Oracle::verifyCandidate(const QString& code, int position, bool kill,
                                                     int periods)
{
    if (!evaluate(code))
        return std::nullopt;

    // The search's walk: the folded number of each draw goes into the next draw's PreCanshu.
    walkPreCanshu([](std::optional<double> value) { return foldWholeNumber(wholeNumber(value)); });

    exec(QStringLiteral("UPDATE [Lishi] SET [GSGL] = FALSE"));
    const QString p = QString::number(position);
    exec(QStringLiteral("UPDATE [Lishi] SET [GSGL] = TRUE WHERE ([PreCanshu] ") +
         (kill ? QStringLiteral("<>") : QStringLiteral("=")) + QStringLiteral(" [L") + p +
         QStringLiteral("A])"));

    return recountCandidate(periods);
}

RunStatistics Oracle::recountCandidate(int periods) const
{
    const std::vector<bool> gsgl = flags(QStringLiteral("GSGL"));
    const int n = int(gsgl.size());
    int start = 1; // 0-based row index
    if (periods > 0)
        start = n - periods - 1;
    if (start < 1)
        start = 1;

    RunStatistics statistics;
    int currentHits = 0;
    int currentMisses = 0;
    for (int row = start; row < n; ++row) {
        if (gsgl[std::size_t(row)]) {
            currentMisses = 0;
            currentHits += 1;
            statistics.maxHits = std::max(statistics.maxHits, currentHits);
        } else {
            currentHits = 0;
            currentMisses += 1;
            statistics.maxMisses = std::max(statistics.maxMisses, currentMisses);
        }
    }
    statistics.lastHits = currentHits;
    statistics.lastMisses = currentMisses;
    return statistics;
}

Oracle::Columns Oracle::columns() const
{
    Columns result;
    QSqlQuery query(db());
    query.setForwardOnly(true);
    query.exec(QStringLiteral("SELECT canshu, PreCanshu, GSCS, GSGL FROM Lishi ORDER BY strQQH"));
    while (query.next()) {
        result.canshu.push_back(optionalDouble(query.value(0)));
        const QVariant pre = query.value(1);
        result.preCanshu.push_back(pre.isNull() ? std::nullopt : std::optional<qint64>(pre.toLongLong()));
        result.gscs.push_back(query.value(2).toInt() != 0);
        result.gsgl.push_back(query.value(3).toInt() != 0);
    }
    return result;
}

} // namespace quorvel::oracle
