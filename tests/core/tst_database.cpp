#include "core/Database.h"
#include "core/TermTable.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace quorvel;

namespace {

// Values that differ per draw and per column, so that a value read from the wrong column or row
// shows up; negative numbers and the 32-bit family (L1I) are included.
Draw makeDraw(qint32 issue)
{
    Draw draw;
    draw.issue = issue;
    for (int i = 0; i < kTermCount; ++i)
        draw.values[std::size_t(i)] = (issue % 10000) * 131 + i - 60;
    draw.values[64] = 1048576;
    return draw;
}

std::vector<qint32> issuesOf(const std::vector<Draw>& draws)
{
    std::vector<qint32> issues;
    for (const Draw& draw : draws)
        issues.push_back(draw.issue);
    return issues;
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

NewFormula formula(const QString& code, bool kill, std::optional<int> limit = std::nullopt)
{
    return NewFormula{code, QStringLiteral("第一码+") + code, kill, limit};
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
    void openRefusesUnusableFile_data();
    void openRefusesUnusableFile();

    void historyReadInIssueOrder();
    void repeatedIssueStoresNothing_data();
    void repeatedIssueStoresNothing();
    void drawDeletion_data();
    void drawDeletion();

    void formulasReadByKindInIdxOrder();
    void deleteRenumberAndLimit();
    void writeStatisticsRenumbersAndFillsOneKind();
    void invalidPositionIsRefused();
    void rebuildCollapsesDuplicates();

    void compactionReplacesFileWithSameContent();
    void failedCompactionKeepsDatabase();
};

void TestDatabase::schemaCreatedOnFirstOpen()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("data/sub"));
    auto db = openDatabase(folder);
    QVERIFY(db);
    QCOMPARE(db->filePath(), QDir(folder).filePath(QStringLiteral("formula.db")));

    RawConnection raw(db->filePath());
    QCOMPARE(raw.scalar(QStringLiteral("PRAGMA user_version")).toInt(), 1);
    QStringList tables;
    for (const QVariantList& row :
         raw.rows(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")))
        tables << row.value(0).toString();
    QStringList expectedTables{QStringLiteral("ErrarrLei"), QStringLiteral("Lishi")};
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
    // An existing SQLite file of version 0 receives the tables and the current version.
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("formula.db"));
    QVERIFY(RawConnection(path).exec(QStringLiteral("CREATE TABLE Notes (text TEXT)")));
    {
        auto db = openDatabase(dir.path());
        QVERIFY(db);
        QVERIFY(db->appendDraws({makeDraw(25120701), makeDraw(25120702)}).ok());
        QVERIFY(db->appendFormula(3, formula(QStringLiteral("L1A+1"), true, 4), 1).ok());
        // A second database object at the same time has its own connection.
        QTemporaryDir other;
        auto second = openDatabase(other.path());
        QVERIFY(second);
        QCOMPARE(*second->drawCount(), 0);
    }
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QCOMPARE(issuesOf(*db->readHistory()), (std::vector<qint32>{25120701, 25120702}));
    QCOMPARE(db->readAllFormulas(3)->front().limit, std::optional<int>(4));
    RawConnection raw(path);
    QCOMPARE(raw.scalar(QStringLiteral("PRAGMA user_version")).toInt(), 1);
    QCOMPARE(raw.scalar(QStringLiteral("SELECT COUNT(*) FROM Notes")).toInt(), 0);
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
        QVERIFY(RawConnection(path).exec(QStringLiteral("PRAGMA user_version = 2")));
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
    QVERIFY(!db->newestDraw()->has_value());
    QVERIFY(db->readHistory()->empty());

    // An issue of 2009 (seven digits as a number) still sorts before later years.
    const std::vector<qint32> stored{25120703, 25120701, 9123184, 25120801, 25120702};
    QVERIFY(db->appendDraws({makeDraw(stored[0]), makeDraw(stored[1])}).ok());
    for (std::size_t i = 2; i < stored.size(); ++i)
        QVERIFY(db->appendDraw(makeDraw(stored[i])).ok());

    const auto history = db->readHistory();
    QVERIFY(history.ok());
    std::vector<qint32> sorted = stored;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(issuesOf(*history), sorted);
    for (const Draw& draw : *history)
        QVERIFY(draw.values == makeDraw(draw.issue).values);
    QCOMPARE(*db->drawCount(), 5);
    QVERIFY(db->newestDraw()->value().values == makeDraw(25120801).values);
    QCOMPARE(*db->containsIssue(9123184), true);
    QCOMPARE(*db->containsIssue(25120704), false);
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
    QVERIFY(db->appendDraw(makeDraw(25120701)).ok());
    std::vector<Draw> draws;
    for (qint32 issue : batch) {
        draws.push_back(makeDraw(issue));
        draws.back().values.fill(7);
    }
    const Status status = batch.size() == 1 ? db->appendDraw(draws.front()) : db->appendDraws(draws);
    QVERIFY(!status.ok());
    QCOMPARE(status.error(), message);
    const auto history = db->readHistory();
    QCOMPARE(issuesOf(*history), std::vector<qint32>{25120701});
    QVERIFY(history->front().values == makeDraw(25120701).values);
    // The failed append left no transaction open.
    QVERIFY(db->appendDraw(makeDraw(25120702)).ok());
}

void TestDatabase::drawDeletion_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("argument");
    QTest::addColumn<std::vector<qint32>>("remaining");
    const qint32 a = 25120701, b = 25120702, c = 25120703, d = 25120801, e = 25120802;
    QTest::newRow("newest two") << QStringLiteral("newest") << 2 << std::vector<qint32>{a, b, c};
    QTest::newRow("newest zero deletes nothing")
        << QStringLiteral("newest") << 0 << std::vector<qint32>{a, b, c, d, e};
    QTest::newRow("newest more than stored") << QStringLiteral("newest") << 9 << std::vector<qint32>{};
    QTest::newRow("after a stored issue") << QStringLiteral("after") << int(b) << std::vector<qint32>{a, b};
    QTest::newRow("after an issue between stored ones")
        << QStringLiteral("after") << 25120799 << std::vector<qint32>{a, b, c};
    QTest::newRow("after the newest deletes nothing")
        << QStringLiteral("after") << int(e) << std::vector<qint32>{a, b, c, d, e};
    QTest::newRow("all") << QStringLiteral("all") << 0 << std::vector<qint32>{};
}

void TestDatabase::drawDeletion()
{
    QFETCH(QString, operation);
    QFETCH(int, argument);
    QFETCH(std::vector<qint32>, remaining);
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    // Stored out of order, so that "newest" must mean the highest issue, not the last row.
    QVERIFY(db->appendDraws({makeDraw(25120802), makeDraw(25120701), makeDraw(25120801), makeDraw(25120703),
                             makeDraw(25120702)})
                .ok());
    const Status status = operation == QLatin1String("newest")  ? db->deleteNewestDraws(argument)
                          : operation == QLatin1String("after") ? db->deleteDrawsAfter(argument)
                                                                : db->deleteAllDraws();
    QVERIFY2(status.ok(), qPrintable(status.error()));
    QCOMPARE(issuesOf(*db->readHistory()), remaining);
}

void TestDatabase::formulasReadByKindInIdxOrder()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QVERIFY(db->appendFormula(2, formula(QStringLiteral("L1A"), true), 3).ok());
    QVERIFY(db->appendFormula(2, formula(QStringLiteral("L2A"), false), 2).ok());
    QVERIFY(db->appendFormula(2, formula(QStringLiteral("L3A"), true), 1).ok());
    // Imported formulas have no number until the next renumbering and come first.
    QVERIFY(
        db->appendFormulas(2, {formula(QStringLiteral("L4A"), true, 6), formula(QStringLiteral("L5A"), false),
                               formula(QStringLiteral("L6A"), true)})
            .ok());
    // Quotes and statement separators are stored as text.
    const NewFormula tricky{QStringLiteral("L1A+1'); DROP TABLE Gongshi2; --"),
                            QStringLiteral("第一码+\"1\" 杀第二 'x'"), false, -3};
    QVERIFY(db->appendFormula(2, tricky, 4).ok());

    const auto kills = db->readFormulas(2, true);
    QVERIFY(kills.ok());
    QCOMPARE(numbered(*kills), (QStringList{QStringLiteral("L4A=-1"), QStringLiteral("L6A=-1"),
                                            QStringLiteral("L3A=1"), QStringLiteral("L1A=3")}));
    QCOMPARE(kills->front().limit, std::optional<int>(6));
    QCOMPARE(kills->front().displayText, QStringLiteral("第一码+L4A"));
    QVERIFY(kills->at(0).rowId < kills->at(1).rowId);
    for (const FormulaRecord& record : *kills)
        QVERIFY(record.kill && !record.statistics);

    const auto keeps = db->readFormulas(2, false);
    QCOMPARE(numbered(*keeps), (QStringList{QStringLiteral("L5A=-1"), QStringLiteral("L2A=2"),
                                            tricky.code + QStringLiteral("=4")}));
    QCOMPARE(keeps->back().displayText, tricky.displayText);
    QCOMPARE(keeps->back().limit, std::optional<int>(-3));
    QVERIFY(!keeps->back().kill);
    QCOMPARE(db->readAllFormulas(2)->size(), std::size_t(7));
    QCOMPARE(*db->formulaCount(2), 7);
    QCOMPARE(*db->formulaCount(1), 0);
}

void TestDatabase::deleteRenumberAndLimit()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    // Stored order A, B, C, D with numbers that disagree with it.
    QVERIFY(db->appendFormula(4, formula(QStringLiteral("A"), true), 3).ok());
    QVERIFY(db->appendFormula(4, formula(QStringLiteral("B"), false, 5), 1).ok());
    QVERIFY(db->appendFormula(4, formula(QStringLiteral("C"), true), 2).ok());
    QVERIFY(db->appendFormulas(4, {formula(QStringLiteral("D"), true)}).ok());
    QVERIFY(db->deleteFormula(4, 2).ok());
    QVERIFY(db->deleteFormula(4, 99).ok());
    QVERIFY(db->renumberFormulas(4).ok());
    QCOMPARE(numbered(*db->readAllFormulas(4)),
             (QStringList{QStringLiteral("A=1"), QStringLiteral("B=2"), QStringLiteral("D=3")}));

    QVERIFY(db->setLimit(4, 1, 8).ok());
    QVERIFY(db->setLimit(4, 2, std::nullopt).ok());
    const auto records = db->readAllFormulas(4);
    QCOMPARE(records->at(0).limit, std::optional<int>(8));
    QCOMPARE(records->at(1).limit, std::nullopt);

    QVERIFY(db->deleteAllFormulas(4).ok());
    QCOMPARE(*db->formulaCount(4), 0);
}

void TestDatabase::writeStatisticsRenumbersAndFillsOneKind()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    // Numbers 1, 2, 5, 9: keep at 1 and 5, kill at 2 and 9; stored in a different order.
    QVERIFY(db->appendFormula(5, formula(QStringLiteral("keep5"), false, 11), 5).ok());
    QVERIFY(db->appendFormula(5, formula(QStringLiteral("kill9"), true, 12), 9).ok());
    QVERIFY(db->appendFormula(5, formula(QStringLiteral("keep1"), false, 13), 1).ok());
    QVERIFY(db->appendFormula(5, formula(QStringLiteral("kill2"), true), 2).ok());
    const RunStatistics killStats{7, 8, 9, 10}, first{4, 3, 2, 0}, second{6, 1, 0, 1};
    QVERIFY(db->writeStatistics(5, true, {killStats, killStats}).ok());
    QVERIFY(db->writeStatistics(5, false, {first, second}).ok());

    auto records = db->readAllFormulas(5);
    QVERIFY(records.ok());
    QCOMPARE(numbered(*records), (QStringList{QStringLiteral("keep1=1"), QStringLiteral("kill2=2"),
                                              QStringLiteral("keep5=3"), QStringLiteral("kill9=4")}));
    const std::vector<std::optional<RunStatistics>> statistics{first, killStats, second, killStats};
    const std::vector<std::optional<int>> limits{13, std::nullopt, 11, 12};
    for (std::size_t i = 0; i < records->size(); ++i) {
        QCOMPARE(records->at(i).statistics, statistics[i]);
        QCOMPARE(records->at(i).limit, limits[i]);
    }

    // A shorter list fills the first formulas of the kind and leaves the rest as they were.
    const RunStatistics fresh{2, 3, 4, 5};
    QVERIFY(db->writeStatistics(5, false, {fresh}).ok());
    records = db->readFormulas(5, false);
    QCOMPARE(records->at(0).statistics, std::optional<RunStatistics>(fresh));
    QCOMPARE(records->at(1).statistics, std::optional<RunStatistics>(second));
}

void TestDatabase::invalidPositionIsRefused()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    for (int position : {0, 9, -1}) {
        QVERIFY(!db->appendFormula(position, formula(QStringLiteral("a"), true), 1).ok());
        QVERIFY(!db->readFormulas(position, true).ok());
        QVERIFY(!db->rebuildFormulaTable(position).ok());
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
    QVERIFY(db->appendFormulas(8, {f("x", true, std::nullopt), f("y", true, 5), f("x", true, std::nullopt),
                                   f("y", true, 6), f("x", false, std::nullopt), f("y", true, 5),
                                   f("z", true, std::nullopt)})
                .ok());
    // The same code with another display text is another formula.
    QVERIFY(
        db->appendFormula(8, NewFormula{QStringLiteral("z"), QStringLiteral("other"), true, std::nullopt}, 1)
            .ok());
    QVERIFY(db->writeStatistics(8, true, {RunStatistics{1, 2, 3, 4}}).ok());
    QVERIFY(db->rebuildFormulaTable(8).ok());

    const auto records = db->readAllFormulas(8);
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
    QCOMPARE(raw.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'Tmp'")).toInt(), 0);
    QCOMPARE(raw.rows(QStringLiteral("PRAGMA table_info(Gongshi8)")).size(), 9);
    QCOMPARE(
        raw.scalar(QStringLiteral(
                       "SELECT COUNT(*) FROM Gongshi8 WHERE intGsErrCon IS NOT NULL OR "
                       "intGsTrueCon IS NOT NULL OR intGsErrLst IS NOT NULL OR intGsTrueLst IS NOT NULL"))
            .toInt(),
        0);
    // Formulas added later follow the rebuilt ones in stored order.
    QVERIFY(db->appendFormulas(8, {f("w", true, std::nullopt)}).ok());
    QVERIFY(db->renumberFormulas(8).ok());
    QCOMPARE(numbered(*db->readAllFormulas(8)).back(), QStringLiteral("w=7"));
}

void TestDatabase::compactionReplacesFileWithSameContent()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    std::vector<Draw> draws;
    for (qint32 issue = 25120701; issue <= 25120784; ++issue)
        draws.push_back(makeDraw(issue));
    QVERIFY(db->appendDraws(draws).ok());
    std::vector<NewFormula> formulas;
    for (int i = 0; i < 500; ++i)
        formulas.push_back(formula(QStringLiteral("L1A+%1").arg(i), i % 2 == 0, i % 7));
    QVERIFY(db->appendFormulas(1, formulas).ok());
    QVERIFY(db->deleteNewestDraws(40).ok());
    QVERIFY(db->deleteAllFormulas(1).ok());
    QVERIFY(db->appendFormulas(1, {formula(QStringLiteral("L2B+3"), true, 2)}).ok());
    const qint64 sizeBefore = QFileInfo(db->filePath()).size();

    const QString copyPath = QDir(dir.path()).filePath(QStringLiteral("formulaTmp.db"));
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
        QCOMPARE(copy.scalar(QStringLiteral("PRAGMA user_version")).toInt(), 1);
        QCOMPARE(file.scalar(QStringLiteral("PRAGMA user_version")).toInt(), 1);
    }
    QVERIFY(QFileInfo(db->filePath()).size() < sizeBefore);
    // No temporary file is left beside the two.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             (QStringList{QStringLiteral("formula.db"), QStringLiteral("formulaTmp.db")}));

    // The connection was reopened: reading and writing go on.
    QCOMPARE(issuesOf(*db->readHistory()).back(), 25120744);
    QVERIFY(db->appendDraw(makeDraw(25120745)).ok());
    QCOMPARE(db->readFormulas(1, true)->front().code, QStringLiteral("L2B+3"));
}

void TestDatabase::failedCompactionKeepsDatabase()
{
    QTemporaryDir dir;
    auto db = openDatabase(dir.path());
    QVERIFY(db);
    QVERIFY(db->appendDraw(makeDraw(25120701)).ok());
    // An old copy that cannot be removed stops the compaction before anything is touched.
    const QString copyPath = QDir(dir.path()).filePath(QStringLiteral("formulaTmp.db"));
    QVERIFY(QDir().mkpath(copyPath + QStringLiteral("/inner")));
    const Status status = db->compact();
    QVERIFY(!status.ok());
    QVERIFY(status.error().contains(QStringLiteral("formulaTmp.db")));
    QVERIFY(db->appendDraw(makeDraw(25120702)).ok());

    QVERIFY(QDir(copyPath).removeRecursively());
    QVERIFY(db->compact().ok());
    QCOMPARE(*db->drawCount(), 2);
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
