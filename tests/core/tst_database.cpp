#include "core/Database.h"
#include "core/DrawParameters.h"
#include "core/FormulaTables.h"
#include "core/HistoryTable.h"
#include "core/LedgerTable.h"
#include "core/RankingTable.h"
#include "core/BusyWait.h"
#include "core/Schema.h"
#include "core/TermTable.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include "support/ReadOnlyScope.h"

#include <algorithm>
#include <thread>

#include <sqlite3.h>

#include <sys/stat.h>

using namespace quorvel;

namespace {

// The ledger as version 2 made it, before it recorded the lottery type.
const QString kVersionTwoLedger = QStringLiteral(
    "CREATE TABLE YuceJilu (id INTEGER PRIMARY KEY, strQQH INTEGER NOT NULL, strMade TEXT, strMethod TEXT, "
    "bolKill INTEGER, intQuota INTEGER, intPositions INTEGER, strPicks TEXT, strDrawn TEXT, intRight "
    "INTEGER, "
    "intTrials INTEGER)");

// Values that differ per draw and per column, so that a value read from the wrong column or row
// shows up; negative numbers and the 32-bit family (L1I) are included.
Draw makeDraw(qint32 issue)
{
    Draw draw;
    draw.issue = issue;
    for (int i = 0; i < kTermCount; ++i)
        draw.values[std::size_t(i)] = (issue % 10000) * 131 + i - 60;
    draw.values[64] = 1048576;
    // The numbers themselves must be a draw (eight different numbers 1..20), or the history
    // leaves the row out.
    for (int p = 0; p < kPositionCount; ++p)
        draw.values[std::size_t(p)] = (issue + p * 3) % 20 + 1;
    return draw;
}

std::unique_ptr<Database> openDatabase(const QString& folder)
{
    Result<std::unique_ptr<Database>> opened = Database::open(folder);
    if (!opened) {
        qWarning() << opened.error();
        return nullptr;
    }
    return std::move(opened).value();
}

NewFormula formula(const QString& code, bool kill, std::optional<int> limit = std::nullopt,
                   std::optional<int> idx = std::nullopt)
{
    return NewFormula{code, QStringLiteral("第一码+") + code, kill, limit, idx};
}

NewFormula withIdx(NewFormula formula, int idx)
{
    formula.idx = idx;
    return formula;
}

qulonglong inodeOf(const QString& path)
{
    struct stat info{};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? qulonglong(info.st_ino) : 0;
}

std::vector<qint32> storedIssues(const Database& db)
{
    return *db.history().issues();
}

// "code=idx" per record, in the order read.
QStringList numbered(const std::vector<FormulaRecord>& records)
{
    QStringList result;
    for (const FormulaRecord& record : records)
        result << QStringLiteral("%1=%2").arg(record.code).arg(record.idx.value_or(-1));
    return result;
}

// A second, independent connection to a database file, as another program would open it.
class RawConnection
{
public:
    explicit RawConnection(const QString& path) : m_name(QStringLiteral("raw-%1").arg(++s_counter))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.open();
    }
    ~RawConnection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }

    QList<QVariantList> rows(const QString& sql) const
    {
        QList<QVariantList> result;
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (!query.exec(sql))
            qWarning() << sql << query.lastError().text();
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i);
            result << row;
        }
        return result;
    }
    QVariant scalar(const QString& sql) const { return rows(sql).value(0).value(0); }
    bool exec(const QString& sql) const { return QSqlQuery(QSqlDatabase::database(m_name, false)).exec(sql); }

private:
    static inline int s_counter = 0;
    QString m_name;
};

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void schemaCreatedOnFirstOpen();
    void reopenKeepsDataAndUpgradesOlderFile();
    void foreignFileIsLeftUntouched_data();
    void foreignFileIsLeftUntouched();
    void openRefusesUnusableFile_data();
    void openRefusesUnusableFile();

    void historyReadInIssueOrder();
    void repeatedIssueStoresNothing_data();
    void repeatedIssueStoresNothing();
    void drawDeletion_data();
    void drawDeletion();

    void formulasReadByKindInIdxOrder();
    void deleteRenumberAndLimit();
    void updateWritesNumbersAndStatisticsOfTheRowsGiven();
    void invalidPositionIsRefused();
    void rebuildCollapsesDuplicates();

    void schemaCheckedAgainstWhatExists_data();
    void schemaCheckedAgainstWhatExists();
    void unwritableDatabaseOpensForReading_data();
    void unwritableDatabaseOpensForReading();
    void olderArrivalUpdatesSuccessorsPreviousDrawValues();
    void nestedTransactionsCommitTogether();

    void compactionReplacesFileWithSameContent();
    void failedCompactionKeepsDatabase();

    // Another program on the same file.
    void compactionKeepsTheFileOtherConnectionsHaveOpen();
    void busyFileIsWaitedForNeverTakenForReadOnly();
    void changesOfOtherConnectionsAreNoticed();
    void shownFormulaIsDeletedByWhatItHolds();
    void writeBackLeavesRowsThatChanged();
};

void TestDatabase::schemaCreatedOnFirstOpen()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("data/sub"));
    auto db = openDatabase(folder);
    QVERIFY(db);
    QCOMPARE(db->filePath(), QDir(folder).filePath(QStringLiteral("formula.db")));

    RawConnection raw(db->filePath());
    QCOMPARE(raw.scalar(QStringLiteral("PRAGMA user_version")).toInt(), 3);
    QStringList tables;
    for (const QVariantList& row :
         raw.rows(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")))
        tables << row.value(0).toString();
    QStringList expectedTables{QStringLiteral("ErrarrLei"), QStringLiteral("Lishi"), QStringLiteral("Tmp"),
                               QStringLiteral("YuceJilu")};
    for (int p = 1; p <= 8; ++p)
        expectedTables << QStringLiteral("Gongshi%1").arg(p);
    expectedTables.sort();
    QCOMPARE(tables, expectedTables);

    auto columnsOf = [&](const QString& table) {
        QStringList columns;
        for (const QVariantList& row : raw.rows(QStringLiteral("PRAGMA table_info(%1)").arg(table)))
            columns << row.value(1).toString() + QLatin1Char(' ') + row.value(2).toString();
        return columns.join(QLatin1Char(','));
    };
    QStringList lishi{QStringLiteral("strQQH INTEGER")};
    for (const Term& term : termTable())
        lishi << term.code + QStringLiteral(" INTEGER");
    lishi << QStringLiteral("canshu REAL,PreCanshu INTEGER,GSCS INTEGER,GSZCS INTEGER,GSGL INTEGER");
    QCOMPARE(columnsOf(QStringLiteral("Lishi")), lishi.join(QLatin1Char(',')));
    for (int p = 1; p <= 8; ++p)
        QCOMPARE(columnsOf(QStringLiteral("Gongshi%1").arg(p)),
                 QStringLiteral(
                     "idx INTEGER,gongshi TEXT,gongshiCN TEXT,bolKill INTEGER,intGsLim INTEGER,"
                     "intGsErrCon INTEGER,intGsTrueCon INTEGER,intGsErrLst INTEGER,intGsTrueLst INTEGER"));
    QCOMPARE(columnsOf(QStringLiteral("ErrarrLei")),
             QStringLiteral("num INTEGER,ETrrcount INTEGER,Errcount INTEGER,Trrcount INTEGER"));
}

void TestDatabase::reopenKeepsDataAndUpgradesOlderFile()
{
    // A file of an older version (no ledger, no version number, no application id) receives the
    // missing table, the current version and the application id, and keeps its rows.
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("formula.db"));
    {
        auto db = openDatabase(dir.path());
        QVERIFY(db);
        QVERIFY(db->history().insert({makeDraw(25120701), makeDraw(25120702)}).ok());
        QVERIFY(db->formulas().append(3, {formula(QStringLiteral("L1A+1"), true, 4, 1)}).ok());
        // A second database object at the same time has its own connection.
        QTemporaryDir other;
        auto second = openDatabase(other.path());
        QVERIFY(second);
        QCOMPARE(*second->history().count(), 0);
    }
    {
        RawConnection older(path);
        QVERIFY(older.exec(QStringLiteral("DROP TABLE YuceJilu")));
        QVERIFY(older.exec(QStringLiteral("PRAGMA user_version = 0")));
        QVERIFY(older.exec(QStringLiteral("PRAGMA application_id = 0")));
    }
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QCOMPARE(storedIssues(*db), (std::vector<qint32>{25120701, 25120702}));
    QCOMPARE(db->formulas().read(3)->front().limit, std::optional<int>(4));
    RawConnection raw(path);
    QCOMPARE(raw.scalar(QStringLiteral("PRAGMA user_version")).toInt(), schema::kVersion);
    QCOMPARE(raw.scalar(QStringLiteral("PRAGMA application_id")).toInt(), schema::kApplicationId);
    QCOMPARE(raw.scalar(QStringLiteral("SELECT COUNT(*) FROM YuceJilu")).toInt(), 0);
}

void TestDatabase::foreignFileIsLeftUntouched_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("tables of its own, no version")
        << QStringList{QStringLiteral("CREATE TABLE Notes (text TEXT)"),
                       QStringLiteral("INSERT INTO Notes VALUES ('mine')")}
        << Database::kNotOursText;
    QTest::newRow("tables of its own and a version of its own")
        << QStringList{QStringLiteral("CREATE TABLE Notes (text TEXT)"), QStringLiteral("PRAGMA user_version = 7")}
        << Database::kNotOursText;
    QTest::newRow("nothing but a version of its own")
        << QStringList{QStringLiteral("PRAGMA user_version = 99")} << Database::kNotOursText;
    QTest::newRow("another application id, even with a table named like ours")
        << QStringList{QStringLiteral("CREATE TABLE Lishi (strQQH INTEGER)"),
                       QStringLiteral("PRAGMA application_id = 1234")}
        << Database::kNotOursText;
    QTest::newRow("ours, of a newer version")
        << QStringList{QStringLiteral("CREATE TABLE Lishi (strQQH INTEGER)"),
                       QStringLiteral("PRAGMA application_id = %1").arg(schema::kApplicationId),
                       QStringLiteral("PRAGMA user_version = %1").arg(schema::kVersion + 1)}
        << QStringLiteral("更新版本");
}

void TestDatabase::foreignFileIsLeftUntouched()
{
    QFETCH(QStringList, setup);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("formula.db"));
    {
        RawConnection foreign(path);
        for (const QString& statement : setup)
            QVERIFY2(foreign.exec(statement), qPrintable(statement));
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    const auto opened = Database::open(dir.path());
    QVERIFY(!opened.ok());
    QVERIFY2(opened.error().contains(refusal), qPrintable(opened.error()));
    QVERIFY2(opened.error().contains(QDir::toNativeSeparators(path)), qPrintable(opened.error()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{QStringLiteral("formula.db")});
}

void TestDatabase::openRefusesUnusableFile_data()
{
    QTest::addColumn<QString>("setup");
    QTest::newRow("formula.db is not a database") << QStringLiteral("text");
    QTest::newRow("formula.db is a folder") << QStringLiteral("folder");
    QTest::newRow("data folder path is a file") << QStringLiteral("folderIsFile");
    QTest::newRow("file written by a newer version") << QStringLiteral("newer");
}

void TestDatabase::openRefusesUnusableFile()
{
    QFETCH(QString, setup);
    QTemporaryDir dir;
    QString folder = dir.path();
    const QString path = QDir(folder).filePath(QStringLiteral("formula.db"));
    const QByteArray text =
        QByteArray("plain text that is no database and must stay as it is\n").repeated(100);
    if (setup == QLatin1String("text")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    } else if (setup == QLatin1String("folder")) {
        QVERIFY(QDir(folder).mkdir(QStringLiteral("formula.db")));
    } else if (setup == QLatin1String("folderIsFile")) {
        folder = path;
        QFile file(folder);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(RawConnection(path).exec(QStringLiteral("PRAGMA user_version = 4")));
    }

    const auto opened = Database::open(folder);
    QVERIFY(!opened.ok());
    QVERIFY(!opened.error().isEmpty());
    if (setup == QLatin1String("text")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), text);
    }
}

void TestDatabase::historyReadInIssueOrder()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QVERIFY(!db->history().newest()->has_value());
    QCOMPARE(db->history().readAll()->drawCount(), 0);

    // An issue of 2009 (seven digits as a number) still sorts before later years.
    const std::vector<qint32> stored{25120703, 25120701, 9123184, 25120801, 25120702};
    QVERIFY(db->history().insert({makeDraw(stored[0]), makeDraw(stored[1])}).ok());
    for (std::size_t i = 2; i < stored.size(); ++i)
        QVERIFY(db->history().insert({makeDraw(stored[i])}).ok());

    const auto history = db->history().readAll();
    QVERIFY(history.ok());
    std::vector<qint32> sorted = stored;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(history->issues(), sorted);
    QCOMPARE(storedIssues(*db), sorted);
    // Stored out of order, so the values that read the previous draw were computed again.
    for (int t = 0; t < history->drawCount(); ++t) {
        Draw draw = history->draw(t);
        Draw expected = makeDraw(draw.issue);
        for (Draw* d : {&draw, &expected})
            d->values[kRepeatedNumbersTerm] = d->values[kSamePositionsTerm] = 0;
        QVERIFY(draw.values == expected.values);
    }
    QCOMPARE(*db->history().count(), 5);
    QCOMPARE(db->history().newest()->value().issue, 25120801);
    QCOMPARE(db->history().oldest()->value().issue, 9123184);
    const auto numbers = db->history().numbersOf({9123184, 25120704});
    QVERIFY(numbers->at(0) == makeDraw(9123184).numbers());
    QVERIFY(!numbers->at(1));
}

void TestDatabase::repeatedIssueStoresNothing_data()
{
    QTest::addColumn<std::vector<qint32>>("batch");
    QTest::addColumn<QString>("message");
    QTest::newRow("single draw repeats a stored issue")
        << std::vector<qint32>{25120701} << QStringLiteral("期号 25120701 已经存在，未重复保存");
    QTest::newRow("batch repeats a stored issue in the middle")
        << std::vector<qint32>{25120702, 25120701, 25120703}
        << QStringLiteral("期号 25120701 已经存在，未重复保存");
    QTest::newRow("batch names one issue twice") << std::vector<qint32>{25120702, 25120703, 25120702}
                                                 << QStringLiteral("期号 25120702 已经存在，未重复保存");
}

void TestDatabase::repeatedIssueStoresNothing()
{
    QFETCH(std::vector<qint32>, batch);
    QFETCH(QString, message);
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QVERIFY(db->history().insert({makeDraw(25120701)}).ok());
    std::vector<Draw> draws;
    for (qint32 issue : batch) {
        draws.push_back(makeDraw(issue));
        draws.back().values.fill(7);
    }
    const Status status = db->history().insert(draws);
    QVERIFY(!status.ok());
    QCOMPARE(status.error(), message);
    const auto history = db->history().readAll();
    QCOMPARE(history->issues(), std::vector<qint32>{25120701});
    QVERIFY(history->draw(0).values == makeDraw(25120701).values);
    // The failed append left no transaction open.
    QVERIFY(db->history().insert({makeDraw(25120702)}).ok());
}

void TestDatabase::drawDeletion_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("argument");
    QTest::addColumn<std::vector<qint32>>("remaining");
    QTest::addColumn<int>("deleted");
    const qint32 a = 25120701, b = 25120702, c = 25120703, d = 25120801, e = 25120802;
    QTest::newRow("newest two") << QStringLiteral("newest") << 2 << std::vector<qint32>{a, b, c} << 2;
    QTest::newRow("newest zero deletes nothing")
        << QStringLiteral("newest") << 0 << std::vector<qint32>{a, b, c, d, e} << 0;
    QTest::newRow("newest more than stored") << QStringLiteral("newest") << 9 << std::vector<qint32>{} << 5;
    QTest::newRow("after a stored issue")
        << QStringLiteral("after") << int(b) << std::vector<qint32>{a, b} << 3;
    QTest::newRow("after an issue between stored ones")
        << QStringLiteral("after") << 25120799 << std::vector<qint32>{a, b, c} << 2;
    QTest::newRow("after the newest deletes nothing")
        << QStringLiteral("after") << int(e) << std::vector<qint32>{a, b, c, d, e} << 0;
    QTest::newRow("all") << QStringLiteral("all") << 0 << std::vector<qint32>{} << 5;
}

void TestDatabase::drawDeletion()
{
    QFETCH(QString, operation);
    QFETCH(int, argument);
    QFETCH(std::vector<qint32>, remaining);
    QFETCH(int, deleted);
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    // Stored out of order, so that "newest" must mean the highest issue, not the last row.
    QVERIFY(db->history()
                .insert({makeDraw(25120802), makeDraw(25120701), makeDraw(25120801), makeDraw(25120703),
                         makeDraw(25120702)})
                .ok());
    const Result<int> count = operation == QLatin1String("newest")  ? db->history().deleteNewest(argument)
                              : operation == QLatin1String("after") ? db->history().deleteAfter(argument)
                                                                    : db->history().deleteAll();
    QVERIFY2(count.ok(), qPrintable(count.error()));
    QCOMPARE(*count, deleted);
    QCOMPARE(storedIssues(*db), remaining);
}

void TestDatabase::formulasReadByKindInIdxOrder()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QVERIFY(db->formulas().append(2, {withIdx(formula(QStringLiteral("L1A"), true), 3)}).ok());
    QVERIFY(db->formulas().append(2, {withIdx(formula(QStringLiteral("L2A"), false), 2)}).ok());
    QVERIFY(db->formulas().append(2, {withIdx(formula(QStringLiteral("L3A"), true), 1)}).ok());
    // Imported formulas have no number until the next renumbering and come first.
    QVERIFY(db->formulas()
                .append(2, {formula(QStringLiteral("L4A"), true, 6), formula(QStringLiteral("L5A"), false),
                            formula(QStringLiteral("L6A"), true)})
                .ok());
    // Quotes and statement separators are stored as text.
    const NewFormula tricky{QStringLiteral("L1A+1'); DROP TABLE Gongshi2; --"),
                            QStringLiteral("第一码+\"1\" 杀第二 'x'"), false, -3, std::nullopt};
    QVERIFY(db->formulas().append(2, {withIdx(tricky, 4)}).ok());

    const auto kills = db->formulas().read(2, true);
    QVERIFY(kills.ok());
    QCOMPARE(numbered(*kills), (QStringList{QStringLiteral("L4A=-1"), QStringLiteral("L6A=-1"),
                                            QStringLiteral("L3A=1"), QStringLiteral("L1A=3")}));
    QCOMPARE(kills->front().limit, std::optional<int>(6));
    QCOMPARE(kills->front().displayText, QStringLiteral("第一码+L4A"));
    QVERIFY(kills->at(0).rowId < kills->at(1).rowId);
    for (const FormulaRecord& record : *kills)
        QVERIFY(record.kill && !record.statistics);

    const auto keeps = db->formulas().read(2, false);
    QCOMPARE(numbered(*keeps), (QStringList{QStringLiteral("L5A=-1"), QStringLiteral("L2A=2"),
                                            tricky.code + QStringLiteral("=4")}));
    QCOMPARE(keeps->back().displayText, tricky.displayText);
    QCOMPARE(keeps->back().limit, std::optional<int>(-3));
    QVERIFY(!keeps->back().kill);
    QCOMPARE(db->formulas().read(2)->size(), std::size_t(7));
    QCOMPARE(*db->formulas().count(2), 7);
    QCOMPARE(*db->formulas().count(1), 0);
}

void TestDatabase::deleteRenumberAndLimit()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    // Stored order A, B, C, D with numbers that disagree with it.
    QVERIFY(db->formulas().append(4, {withIdx(formula(QStringLiteral("A"), true), 3)}).ok());
    QVERIFY(db->formulas().append(4, {withIdx(formula(QStringLiteral("B"), false, 5), 1)}).ok());
    QVERIFY(db->formulas().append(4, {withIdx(formula(QStringLiteral("C"), true), 2)}).ok());
    QVERIFY(db->formulas().append(4, {formula(QStringLiteral("D"), true)}).ok());
    QVERIFY(db->formulas().deleteByIdx(4, 2).ok());
    QVERIFY(db->formulas().deleteByIdx(4, 99).ok());
    QVERIFY(db->formulas().renumber(4).ok());
    QCOMPARE(numbered(*db->formulas().read(4)),
             (QStringList{QStringLiteral("A=1"), QStringLiteral("B=2"), QStringLiteral("D=3")}));

    QVERIFY(db->formulas().setLimit(4, 1, 8).ok());
    QVERIFY(db->formulas().setLimit(4, 2, std::nullopt).ok());
    const auto records = db->formulas().read(4);
    QCOMPARE(records->at(0).limit, std::optional<int>(8));
    QCOMPARE(records->at(1).limit, std::nullopt);
    // By stored row, whatever the numbers say.
    QVERIFY(db->formulas().setLimits(4, {{records->at(2).rowId, 6}, {records->at(1).rowId, 4}}).ok());
    QCOMPARE(db->formulas().read(4)->at(2).limit, std::optional<int>(6));
    QCOMPARE(db->formulas().read(4)->at(1).limit, std::optional<int>(4));

    QVERIFY(db->formulas().deleteAll(4).ok());
    QCOMPARE(*db->formulas().count(4), 0);
}

void TestDatabase::updateWritesNumbersAndStatisticsOfTheRowsGiven()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QVERIFY(
        db->formulas()
            .append(5, {formula(QStringLiteral("a"), false, 11, 5), formula(QStringLiteral("b"), true, 12, 9),
                        formula(QStringLiteral("c"), false, 13, 1)})
            .ok());
    const std::vector<FormulaRecord> before = *db->formulas().read(5);
    const RunStatistics statistics{4, 3, 2, 0};
    // Row c gets a number only; row a a number and statistics; row b is not touched.
    QVERIFY(db->formulas()
                .update(5, {{before[0].rowId, 1, std::nullopt, before[0].code, before[0].displayText},
                            {before[1].rowId, 2, statistics, before[1].code, before[1].displayText}})
                .ok());
    const std::vector<FormulaRecord> after = *db->formulas().read(5);
    QCOMPARE(numbered(after),
             (QStringList{QStringLiteral("c=1"), QStringLiteral("a=2"), QStringLiteral("b=9")}));
    QCOMPARE(after[1].statistics, std::optional<RunStatistics>(statistics));
    QVERIFY(!after[0].statistics && !after[2].statistics);
    QCOMPARE(after[1].limit, std::optional<int>(11));
}

void TestDatabase::invalidPositionIsRefused()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    for (int position : {0, 9, -1}) {
        QVERIFY(!db->formulas().append(position, {withIdx(formula(QStringLiteral("a"), true), 1)}).ok());
        QVERIFY(!db->formulas().read(position, true).ok());
        QVERIFY(!db->formulas().rebuild(position).ok());
    }
}

void TestDatabase::rebuildCollapsesDuplicates()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    auto f = [](const char* code, bool kill, std::optional<int> limit) {
        return formula(QString::fromLatin1(code), kill, limit);
    };
    QVERIFY(db->formulas()
                .append(8, {f("x", true, std::nullopt), f("y", true, 5), f("x", true, std::nullopt),
                            f("y", true, 6), f("x", false, std::nullopt), f("y", true, 5),
                            f("z", true, std::nullopt)})
                .ok());
    // The same code with another display text is another formula.
    QVERIFY(db->formulas()
                .append(8, {NewFormula{QStringLiteral("z"), QStringLiteral("other"), true, std::nullopt, 1}})
                .ok());
    const FormulaRecord first = db->formulas().read(8)->front();
    QVERIFY(db->formulas()
                .update(8, {{first.rowId, 1, RunStatistics{1, 2, 3, 4}, first.code, first.displayText}})
                .ok());
    QVERIFY(db->formulas().rebuild(8).ok());

    const auto records = db->formulas().read(8);
    QVERIFY(records.ok());
    QStringList rows;
    for (const FormulaRecord& record : *records) {
        rows << QStringLiteral("%1 %2 %3 %4 %5")
                    .arg(record.idx.value_or(-1))
                    .arg(record.code, record.displayText,
                         record.kill ? QStringLiteral("kill") : QStringLiteral("keep"),
                         record.limit ? QString::number(*record.limit) : QStringLiteral("-"));
        QVERIFY(!record.statistics);
    }
    // First occurrences, in the order they were stored, numbered 1..n.
    QCOMPARE(rows, (QStringList{QStringLiteral("1 x 第一码+x kill -"), QStringLiteral("2 y 第一码+y kill 5"),
                                QStringLiteral("3 y 第一码+y kill 6"), QStringLiteral("4 x 第一码+x keep -"),
                                QStringLiteral("5 z 第一码+z kill -"), QStringLiteral("6 z other kill -")}));

    RawConnection raw(db->filePath());
    // The scratch table stays, empty.
    QCOMPARE(raw.scalar(QStringLiteral("SELECT COUNT(*) FROM Tmp")).toInt(), 0);
    QCOMPARE(raw.rows(QStringLiteral("PRAGMA table_info(Gongshi8)")).size(), 9);
    QCOMPARE(
        raw.scalar(QStringLiteral(
                       "SELECT COUNT(*) FROM Gongshi8 WHERE intGsErrCon IS NOT NULL OR "
                       "intGsTrueCon IS NOT NULL OR intGsErrLst IS NOT NULL OR intGsTrueLst IS NOT NULL"))
            .toInt(),
        0);
    // Formulas added later follow the rebuilt ones in stored order.
    QVERIFY(db->formulas().append(8, {f("w", true, std::nullopt)}).ok());
    QVERIFY(db->formulas().renumber(8).ok());
    QCOMPARE(numbered(*db->formulas().read(8)).back(), QStringLiteral("w=7"));
}

void TestDatabase::schemaCheckedAgainstWhatExists_data()
{
    QTest::addColumn<QStringList>("damage");
    QTest::addColumn<QString>("refusal"); // empty: opens
    QTest::newRow("restored from a dump, which loses the version")
        << QStringList{QStringLiteral("PRAGMA user_version = 0")} << QString();
    QTest::newRow("missing formula table, ErrarrLei and Tmp are made again")
        << QStringList{QStringLiteral("DROP TABLE Gongshi3"), QStringLiteral("DROP TABLE ErrarrLei"),
                       QStringLiteral("DROP TABLE Tmp")}
        << QString();
    QTest::newRow("version 1 file is upgraded: the ledger is added")
        << QStringList{QStringLiteral("DROP TABLE YuceJilu"), QStringLiteral("PRAGMA user_version = 1")}
        << QString();
    QTest::newRow("version 2 ledger gets the type column; its entry keeps no type")
        << QStringList{QStringLiteral("DROP TABLE YuceJilu"), kVersionTwoLedger,
                       QStringLiteral("INSERT INTO YuceJilu (strQQH, strMethod, bolKill, strPicks) "
                                      "VALUES (25120701, 'selected', 1, '7')"),
                       QStringLiteral("PRAGMA user_version = 2")}
        << QString();
    QTest::newRow("missing ledger of the current version is made again")
        << QStringList{QStringLiteral("DROP TABLE YuceJilu")} << QString();
    QTest::newRow("missing Lishi is refused by name")
        << QStringList{QStringLiteral("DROP TABLE Lishi"), QStringLiteral("DROP TABLE Gongshi3")}
        << QStringLiteral("Lishi");
    QTest::newRow("missing parameter column is refused by name")
        << QStringList{QStringLiteral("ALTER TABLE Lishi DROP COLUMN L3B"),
                       QStringLiteral("DROP TABLE Gongshi3")}
        << QStringLiteral("L3B");
}

void TestDatabase::schemaCheckedAgainstWhatExists()
{
    QFETCH(QStringList, damage);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    {
        auto db = openDatabase(dir.path());
        QVERIFY(db && db->formulas().append(1, {formula(QStringLiteral("L1A+1"), true)}).ok());
    }
    const QString path = QDir(dir.path()).filePath(QStringLiteral("formula.db"));
    for (const QString& statement : damage)
        QVERIFY2(RawConnection(path).exec(statement), qPrintable(statement));

    const auto opened = Database::open(dir.path());
    RawConnection raw(path);
    const int gongshi3 =
        raw.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'Gongshi3'")).toInt();
    if (!refusal.isEmpty()) {
        QVERIFY(!opened.ok());
        QVERIFY2(opened.error().contains(refusal), qPrintable(opened.error()));
        QCOMPARE(gongshi3, 0); // nothing was written
        return;
    }
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
    QCOMPARE(raw.scalar(QStringLiteral("PRAGMA user_version")).toInt(), 3);
    QCOMPARE(gongshi3, 1);
    LedgerRecord record{0,  25120701, {}, QStringLiteral("selected"), false, 1, 1, QStringLiteral("7"),
                        {}, {}};
    record.lotteryType = QStringLiteral("广东快乐十分");
    QVERIFY((*opened)->ledger().append(record).ok());
    const Result<std::vector<LedgerRecord>> ledger = (*opened)->ledger().read();
    QVERIFY(ledger && !ledger->empty());
    QCOMPARE(ledger->back().lotteryType, record.lotteryType);
    for (std::size_t i = 0; i + 1 < ledger->size(); ++i)
        QVERIFY(!(*ledger)[i].lotteryType);
    QCOMPARE((*opened)->formulas().read(1)->size(), std::size_t(1));
    QVERIFY((*opened)->ranking().replace({{1, 2, 1, 1}}).ok());
    QVERIFY((*opened)->formulas().rebuild(3).ok());
}

void TestDatabase::unwritableDatabaseOpensForReading_data()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<int>("version"); // an older file, which cannot be upgraded; 0: the current one
    QTest::newRow("write-protected file") << false << 0;
    QTest::newRow("folder that cannot be written") << true << 0;
    QTest::newRow("write-protected file of version 1: read without its ledger") << false << 1;
    QTest::newRow("write-protected file of version 2: its ledger read without types") << false << 2;
}

void TestDatabase::unwritableDatabaseOpensForReading()
{
    QFETCH(bool, folder);
    QFETCH(int, version);
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("formula.db"));
    {
        auto db = openDatabase(dir.path());
        QVERIFY(db && db->history().insert({makeDraw(25120701)}).ok());
    }
    if (version > 0) {
        QVERIFY(RawConnection(path).exec(QStringLiteral("DROP TABLE YuceJilu")));
        QVERIFY(RawConnection(path).exec(QStringLiteral("PRAGMA user_version = %1").arg(version)));
    }
    if (version == 2) {
        QVERIFY(RawConnection(path).exec(kVersionTwoLedger));
        QVERIFY(RawConnection(path).exec(
            QStringLiteral("INSERT INTO YuceJilu (strQQH, strPicks) VALUES (25120702, '7')")));
    }
    ReadOnlyScope readOnly(folder ? dir.path() : path,
                           folder ? ReadOnlyScope::What::Folder : ReadOnlyScope::What::File);
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QVERIFY(db->isReadOnly());
    // The reason names what cannot be written.
    const QString named = QDir::toNativeSeparators(folder ? dir.path() : path);
    QVERIFY2(db->readOnlyReason().contains(named), qPrintable(db->readOnlyReason()));
    QCOMPARE(db->history().readAll()->issues(), std::vector<qint32>{25120701});
    const Status refused = db->history().insert({makeDraw(25120702)});
    QVERIFY(!refused.ok());
    QVERIFY(refused.error().contains(named));
    QVERIFY(!db->formulas().append(1, {formula(QStringLiteral("L1A"), true)}).ok());
    QCOMPARE(storedIssues(*db), std::vector<qint32>{25120701});
    const Result<std::vector<LedgerRecord>> ledger = db->ledger().read();
    QVERIFY2(ledger, qPrintable(ledger ? QString() : ledger.error()));
    QCOMPARE(ledger->size(), std::size_t(version == 2 ? 1 : 0));
    if (version == 2)
        QVERIFY(!ledger->front().lotteryType);
}

void TestDatabase::olderArrivalUpdatesSuccessorsPreviousDrawValues()
{
    // Draws stored newest first must end up with the values they would have had stored in order.
    const DrawNumbers a{1, 2, 3, 4, 5, 6, 7, 8}, b{1, 2, 3, 4, 9, 10, 11, 12},
        c{1, 2, 13, 14, 15, 16, 17, 18};
    const qint32 ia = 25120701, ib = 25120702, ic = 25120703;
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QVERIFY(db->history().insert({makeDraw(c, ic, std::nullopt, 84, EntryPath::Online)}).ok());
    QVERIFY(db->history().insert({makeDraw(a, ia, std::nullopt, 84, EntryPath::Online)}).ok());
    QVERIFY(db->history().insert({makeDraw(b, ib, a, 84, EntryPath::Online)}).ok());
    const DrawTable stored = *db->history().readAll();
    const std::vector<Draw> inOrder{makeDraw(a, ia, std::nullopt, 84, EntryPath::Online),
                                    makeDraw(b, ib, a, 84, EntryPath::Online),
                                    makeDraw(c, ic, b, 84, EntryPath::Online)};
    for (int t = 0; t < 3; ++t)
        QVERIFY2(stored.draw(t).values == inOrder[std::size_t(t)].values, qPrintable(QString::number(t)));
}

void TestDatabase::nestedTransactionsCommitTogether()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    // A failure in the outer body rolls back what the inner, already finished, operations wrote.
    const Status failed = db->transaction(QStringLiteral("test"), [&]() -> Status {
        if (Status stored = db->history().insert({makeDraw(25120701)}); !stored)
            return stored;
        if (Status stored = db->formulas().append(1, {formula(QStringLiteral("L1A"), true)}); !stored)
            return stored;
        // Inside the transaction the reads see what it wrote.
        if (db->history().readAll()->drawCount() != 1 || db->formulas().read(1)->size() != 1)
            return Failure{QStringLiteral("unseen")};
        return Failure{QStringLiteral("stop")};
    });
    QCOMPARE(failed.error(), QStringLiteral("stop"));
    QCOMPARE(*db->history().count(), 0);
    QCOMPARE(*db->formulas().count(1), 0);
    QVERIFY(db->transaction(QStringLiteral("test"), [&] {
                  return db->history().insert({makeDraw(25120701)});
              }).ok());
    QCOMPARE(*db->history().count(), 1);
}

void TestDatabase::compactionReplacesFileWithSameContent()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    std::vector<Draw> draws;
    for (qint32 issue = 25120701; issue <= 25120784; ++issue)
        draws.push_back(makeDraw(issue));
    QVERIFY(db->history().insert(draws).ok());
    std::vector<NewFormula> formulas;
    for (int i = 0; i < 500; ++i)
        formulas.push_back(formula(QStringLiteral("L1A+%1").arg(i), i % 2 == 0, i % 7));
    QVERIFY(db->formulas().append(1, formulas).ok());
    QVERIFY(db->history().deleteNewest(40).ok());
    QVERIFY(db->formulas().deleteAll(1).ok());
    QVERIFY(db->formulas().append(1, {formula(QStringLiteral("L2B+3"), true, 2)}).ok());
    const qint64 sizeBefore = QFileInfo(db->filePath()).size();

    const QString copyPath = QDir(dir.path()).filePath(QStringLiteral("formulaTmp.db"));
    const qulonglong inode = inodeOf(db->filePath());
    for (int round = 1; round <= 2; ++round) {
        const Status status = db->compact();
        QVERIFY2(status.ok(), qPrintable(status.error()));
        RawConnection file(db->filePath());
        RawConnection copy(copyPath);
        for (const char* table : {"Lishi", "Gongshi1", "ErrarrLei"}) {
            const QString sql = QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QLatin1String(table));
            QCOMPARE(copy.rows(sql), file.rows(sql));
        }
        QCOMPARE(file.rows(QStringLiteral("SELECT * FROM Lishi")).size(), 44);
        QCOMPARE(copy.scalar(QStringLiteral("PRAGMA user_version")).toInt(), 3);
        QCOMPARE(file.scalar(QStringLiteral("PRAGMA user_version")).toInt(), 3);
    }
    QVERIFY(QFileInfo(db->filePath()).size() < sizeBefore);
    // Compacted in place: still the same file.
    QCOMPARE(inodeOf(db->filePath()), inode);
    // No temporary file is left beside the two.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             (QStringList{QStringLiteral("formula.db"), QStringLiteral("formulaTmp.db")}));

    // The connection was reopened: reading and writing go on.
    QCOMPARE(storedIssues(*db).back(), 25120744);
    QVERIFY(db->history().insert({makeDraw(25120745)}).ok());
    QCOMPARE(db->formulas().read(1, true)->front().code, QStringLiteral("L2B+3"));
}

void TestDatabase::failedCompactionKeepsDatabase()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QVERIFY(db->history().insert({makeDraw(25120701)}).ok());
    // An old copy that cannot be removed stops the compaction before anything is touched.
    const QString copyPath = QDir(dir.path()).filePath(QStringLiteral("formulaTmp.db"));
    QVERIFY(QDir().mkpath(copyPath + QStringLiteral("/inner")));
    const Status status = db->compact();
    QVERIFY(!status.ok());
    QVERIFY(status.error().contains(QStringLiteral("formulaTmp.db")));
    QVERIFY(db->history().insert({makeDraw(25120702)}).ok());

    QVERIFY(QDir(copyPath).removeRecursively());
    QVERIFY(db->compact().ok());
    QCOMPARE(*db->history().count(), 2);
}

void TestDatabase::compactionKeepsTheFileOtherConnectionsHaveOpen()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    std::vector<Draw> draws;
    for (qint32 issue = 25120701; issue <= 25120784; ++issue)
        draws.push_back(makeDraw(issue));
    QVERIFY(db->history().insert(draws).ok());
    // Another program has the file open, and commits right before the compaction.
    auto other = openDatabase(dir.path());
    QVERIFY(other);
    const qulonglong inode = inodeOf(db->filePath());
    QVERIFY(db->history().deleteNewest(40).ok());
    QVERIFY(other->history().insert({makeDraw(25120801)}).ok());
    QVERIFY(db->compact().ok());
    // The same file, compacted in place: what the other committed is there, and it goes on
    // writing (a file put in place of the old one would be read-only for it).
    QCOMPARE(inodeOf(db->filePath()), inode);
    QVERIFY(storedIssues(*db).back() == 25120801);
    const Status written = other->history().insert({makeDraw(25120802)});
    QVERIFY2(written.ok(), qPrintable(written.error()));
    QVERIFY(!other->isReadOnly());
    QCOMPARE(*db->history().count(), 46);
}

void TestDatabase::busyFileIsWaitedForNeverTakenForReadOnly()
{
    QTemporaryDir dir;
    {
        auto db = openDatabase(dir.path());
        QVERIFY(db);
    }
    const QString path = QDir(dir.path()).filePath(QStringLiteral("formula.db"));
    BusyWait::setTimeoutMs(300);
    const auto restore = qScopeGuard([] { BusyWait::setTimeoutMs(BusyWait::kTimeoutMs); });
    // Another program's connection, released from another thread.
    sqlite3* holder = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &holder, SQLITE_OPEN_READWRITE, nullptr),
             SQLITE_OK);
    const auto closeHolder = qScopeGuard([holder] { sqlite3_close_v2(holder); });
    QCOMPARE(sqlite3_exec(holder, "BEGIN IMMEDIATE; INSERT INTO Gongshi1 (gongshi) VALUES ('held')", nullptr,
                          nullptr, nullptr),
             SQLITE_OK);

    // Start-up while another program holds the write lock: it opens for writing all the same.
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QVERIFY(!db->isReadOnly());
    // A change waits, then fails naming the cause and the file.
    const Status refused = db->history().insert({makeDraw(25120701)});
    QVERIFY(!refused.ok());
    QVERIFY2(refused.error().contains(BusyWait::kBusyText), qPrintable(refused.error()));
    QVERIFY2(refused.error().contains(QDir::toNativeSeparators(path)), qPrintable(refused.error()));
    QVERIFY(!db->isReadOnly());

    // A lock held for less than the wait is waited for.
    BusyWait::setTimeoutMs(5000);
    std::thread release([holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    });
    const Status waited = db->history().insert({makeDraw(25120701)});
    release.join();
    QVERIFY2(waited.ok(), qPrintable(waited.error()));
    QCOMPARE(*db->history().count(), 1);
    QCOMPARE(*db->formulas().count(1), 1);
}

void TestDatabase::changesOfOtherConnectionsAreNoticed()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QCOMPARE(*db->changedElsewhere(), false);
    // Its own changes are not news to it.
    QVERIFY(db->history().insert({makeDraw(25120701)}).ok());
    QCOMPARE(*db->changedElsewhere(), false);
    auto other = openDatabase(dir.path());
    QVERIFY(other);
    QVERIFY(other->formulas().append(2, {formula(QStringLiteral("L1A"), true)}).ok());
    QCOMPARE(*db->changedElsewhere(), true);
    QCOMPARE(*db->changedElsewhere(), false);
    QVERIFY(other->compact().ok());
    QCOMPARE(*db->changedElsewhere(), true);
}

void TestDatabase::shownFormulaIsDeletedByWhatItHolds()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QVERIFY(db->formulas()
                .append(4, {formula(QStringLiteral("a"), true), formula(QStringLiteral("b"), true),
                            formula(QStringLiteral("c"), false)})
                .ok());
    const std::vector<FormulaRecord> shown = *db->formulas().read(4);
    const auto shownOf = [](const FormulaRecord& record) {
        return ShownFormula{4, record.kill, record.code, record.displayText, record.rowId};
    };
    // Another program empties the table and stores other formulas: the rows take the old places.
    auto other = openDatabase(dir.path());
    QVERIFY(other->formulas().deleteAll(4).ok());
    QVERIFY(other->formulas()
                .append(4, {formula(QStringLiteral("x"), true), formula(QStringLiteral("y"), true),
                            formula(QStringLiteral("b"), true)})
                .ok());
    const Status refused = db->formulas().deleteShown(shownOf(shown[0]));
    QVERIFY(!refused.ok());
    QVERIFY2(refused.error().startsWith(FormulaTables::kChangedElsewhere), qPrintable(refused.error()));
    // "b" is still there, in another row: that row goes.
    QVERIFY(db->formulas().deleteShown(shownOf(shown[1])).ok());
    QCOMPARE(numbered(*db->formulas().read(4)).join(u','), QStringLiteral("x=-1,y=-1"));
    // The same code of the other kind is another formula.
    ShownFormula keepX = shownOf(shown[0]);
    keepX.code = QStringLiteral("x");
    keepX.displayText = db->formulas().read(4)->front().displayText;
    keepX.kill = false;
    QVERIFY(!db->formulas().deleteShown(keepX).ok());
    QCOMPARE(*db->formulas().count(4), 2);
}

void TestDatabase::writeBackLeavesRowsThatChanged()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QVERIFY(db->formulas().append(6, {formula(QStringLiteral("a"), true), formula(QStringLiteral("b"), true)}).ok());
    const std::vector<FormulaRecord> read = *db->formulas().read(6);
    auto other = openDatabase(dir.path());
    QVERIFY(other->formulas().deleteAll(6).ok());
    QVERIFY(other->formulas().append(6, {formula(QStringLiteral("y"), true), formula(QStringLiteral("b"), true)}).ok());
    const RunStatistics statistics{1, 2, 3, 4};
    QVERIFY(db->formulas()
                .update(6, {{read[0].rowId, 7, statistics, read[0].code, read[0].displayText},
                            {read[1].rowId, 8, statistics, read[1].code, read[1].displayText}})
                .ok());
    const std::vector<FormulaRecord> after = *db->formulas().read(6);
    QCOMPARE(numbered(after).join(u','), QStringLiteral("y=-1,b=8"));
    QVERIFY(!after[0].statistics);
    QCOMPARE(after[1].statistics, std::optional<RunStatistics>(statistics));
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
