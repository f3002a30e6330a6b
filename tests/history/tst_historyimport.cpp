#include "core/Database.h"
#include "core/DrawParameters.h"
#include "core/HistoryTable.h"
#include "core/TermTable.h"
#include "history/DrawEntry.h"
#include "history/HistoryTextImport.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;

namespace {

const QString kGoodLines = QStringLiteral("25120702 4 15 8 1 19 20 11 2\n"
                                          "25120703 3 4 6 15 20 11 9 17\n");

std::unique_ptr<Database> openDatabase(const QTemporaryDir& folder)
{
    Result<std::unique_ptr<Database>> database = Database::open(folder.filePath(QStringLiteral("data")));
    if (!database) {
        qWarning("%s", qPrintable(database.error()));
        return nullptr;
    }
    return std::move(*database);
}

QString writeFile(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

std::vector<Draw> storedHistory(Database& database)
{
    const Result<DrawTable> table = database.history().readAll();
    std::vector<Draw> draws;
    for (int t = 0; table && t < table->drawCount(); ++t)
        draws.push_back(table->draw(t));
    return draws;
}

HistoryTextImport::DaySequence perDay(int drawsPerDay)
{
    return {drawsPerDay, QStringLiteral("测试"), QDate(2026, 12, 9)};
}

DrawNumbers numbers(std::initializer_list<int> list)
{
    DrawNumbers result{};
    std::copy(list.begin(), list.end(), result.begin());
    return result;
}

} // namespace

class TestHistoryImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesEveryEncoding_data();
    void decodesEveryEncoding();
    void acceptsSeparatorsAndSkipsComments();
    void malformedLineStoresNothing_data();
    void malformedLineStoresNothing();
    void skipsIssuesAlreadyStored();
    void chainsPreviousDraws();
    void entryPathAndDrawsPerDayReachTheParameters();
    void importsRealFiles_data();
    void importsRealFiles();
    void planSortsEveryLineWithoutStoring();
    void missingFileFails();
    void oversizedInputIsRefused();
};

void TestHistoryImport::decodesEveryEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QString text =
        QStringLiteral("# 广东快乐十分 历史号码\r\n") + kGoodLines + QStringLiteral("# 完\r\n");
    QTest::newRow("UTF-8") << text.toUtf8();
    QTest::newRow("UTF-8 with byte order mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    QStringEncoder gb18030("GB18030");
    QTest::newRow("GB18030") << QByteArray(gb18030(text));
    QTest::newRow("CR line ends") << QString(text).replace(QLatin1Char('\n'), QLatin1Char('\r')).toUtf8();
}

void TestHistoryImport::decodesEveryEncoding()
{
    QFETCH(QByteArray, bytes);

    QTemporaryDir folder;
    const std::unique_ptr<Database> database = openDatabase(folder);
    QVERIFY(database);
    const Result<HistoryTextImport::Summary> summary = HistoryTextImport::importFile(
        *database, writeFile(folder, QStringLiteral("draws.txt"), bytes), perDay(84), EntryPath::Online);

    QVERIFY2(summary.ok(), qPrintable(summary.error()));
    QCOMPARE(summary->imported, 2);
    QCOMPARE(summary->skipped, 0);
    const std::vector<Draw> stored = storedHistory(*database);
    QCOMPARE(stored.size(), std::size_t(2));
    QCOMPARE(stored[1].issue, 25120703);
    QCOMPARE(stored[1].numbers(), numbers({3, 4, 6, 15, 20, 11, 9, 17}));
}

void TestHistoryImport::acceptsSeparatorsAndSkipsComments()
{
    const Result<std::vector<HistoryTextImport::Line>> lines =
        HistoryTextImport::parse(QStringLiteral("\n  # comment with 25120701 1 2 3\r\n"
                                                "25120701\t1\t2\t3\t4\t5\t6\t7\t8\r\n"
                                                "   \r\n"
                                                "25120702,1,2,3,4,5,6,7,9\n"
                                                "25120703 ,  01 , 02 03 04 05 06 07 10  \n"
                                                "25120704，11，2，3，4，5，6，7，8"));
    QVERIFY2(lines.ok(), qPrintable(lines.error()));
    QCOMPARE(lines->size(), std::size_t(4));
    QCOMPARE((*lines)[0].lineNumber, 3);
    QCOMPARE((*lines)[2].issue, 25120703);
    QCOMPARE((*lines)[2].numbers, numbers({1, 2, 3, 4, 5, 6, 7, 10}));
    QCOMPARE((*lines)[3].numbers[0], 11);
}

void TestHistoryImport::malformedLineStoresNothing_data()
{
    QTest::addColumn<QString>("badLine");

    QTest::newRow("seven numbers") << QStringLiteral("25120704 1 2 3 4 5 6 7");
    QTest::newRow("nine numbers") << QStringLiteral("25120704 1 2 3 4 5 6 7 8 9");
    QTest::newRow("number 21") << QStringLiteral("25120704 1 2 3 4 5 6 7 21");
    QTest::newRow("number 0") << QStringLiteral("25120704 0 2 3 4 5 6 7 8");
    QTest::newRow("repeated number") << QStringLiteral("25120704 1 2 3 4 5 6 7 1");
    QTest::newRow("not a number") << QStringLiteral("25120704 1 2 3 4 5 6 7 x8");
    QTest::newRow("issue of seven digits") << QStringLiteral("2512074 1 2 3 4 5 6 7 8");
    QTest::newRow("issue on 30 February") << QStringLiteral("25023001 1 2 3 4 5 6 7 8");
    QTest::newRow("issue of an earlier line with other numbers")
        << QStringLiteral("25120703 1 2 3 4 5 6 7 8");
    QTest::newRow("issue stored with other numbers") << QStringLiteral("25120701 1 2 3 4 5 6 7 9");
    QTest::newRow("sequence above D") << QStringLiteral("25120785 1 2 3 4 5 6 7 8");
    QTest::newRow("issue dated after today") << QStringLiteral("99123184 1 2 3 4 5 6 7 8");
    QTest::newRow("control character inside a field")
        << QStringLiteral("25120704 1 2 3 4 5 6 7 1") + QChar(0) + QStringLiteral("8");
}

void TestHistoryImport::malformedLineStoresNothing()
{
    QFETCH(QString, badLine);

    QTemporaryDir folder;
    const std::unique_ptr<Database> database = openDatabase(folder);
    QVERIFY(database);
    QVERIFY(database->history()
                .insert({makeDraw(numbers({1, 2, 3, 4, 5, 6, 7, 8}), 25120701, std::nullopt, 84,
                                  EntryPath::Online)})
                .ok());

    const QString text =
        QStringLiteral("# header\n") + kGoodLines + badLine + QStringLiteral("\n25120705 1 2 3 4 5 6 7 8\n");
    const Result<HistoryTextImport::Summary> summary =
        HistoryTextImport::importText(*database, text, perDay(84), EntryPath::Online);

    QVERIFY(!summary.ok());
    QVERIFY2(summary.error().startsWith(QStringLiteral("line 4: ")), qPrintable(summary.error()));
    QVERIFY(summary.error().size() > 8);
    QVERIFY(!summary.error().contains(QLatin1Char('\n')));
    QCOMPARE(storedHistory(*database).size(), std::size_t(1));
}

void TestHistoryImport::skipsIssuesAlreadyStored()
{
    QTemporaryDir folder;
    const std::unique_ptr<Database> database = openDatabase(folder);
    QVERIFY(database);

    Result<HistoryTextImport::Summary> first = HistoryTextImport::importText(
        *database, kGoodLines + QStringLiteral("25120703 3 4 6 15 20 11 9 17\n"), perDay(84),
        EntryPath::Online);
    QVERIFY2(first.ok(), qPrintable(first.error()));
    QCOMPARE(first->imported, 2);
    QCOMPARE(first->skipped, 1); // the repeated line of the file

    // A stored issue with the same numbers is skipped (with other numbers it fails the file).
    Result<HistoryTextImport::Summary> second = HistoryTextImport::importText(
        *database, QStringLiteral("25120703 03 04 06 15 20 11 09 17\n25120704 5 6 7 8 9 10 11 12\n"),
        perDay(84), EntryPath::Online);
    QVERIFY2(second.ok(), qPrintable(second.error()));
    QCOMPARE(second->imported, 1);
    QCOMPARE(second->skipped, 1);
    const std::vector<Draw> stored = storedHistory(*database);
    QCOMPARE(stored.size(), std::size_t(3));
    QCOMPARE(stored[1].numbers(), numbers({3, 4, 6, 15, 20, 11, 9, 17}));
}

void TestHistoryImport::chainsPreviousDraws()
{
    QTemporaryDir folder;
    const std::unique_ptr<Database> database = openDatabase(folder);
    QVERIFY(database);
    const DrawNumbers storedNumbers = numbers({4, 15, 8, 1, 19, 20, 11, 2});
    QVERIFY(database->history()
                .insert({makeDraw(storedNumbers, 25120705, std::nullopt, 84, EntryPath::Online)})
                .ok());

    // Out of order in the file, one of them older than the stored draw.
    const DrawNumbers a = numbers({3, 4, 6, 15, 20, 11, 9, 17});
    const DrawNumbers b = numbers({4, 3, 6, 15, 20, 11, 9, 17});
    const DrawNumbers c = numbers({1, 2, 3, 4, 5, 6, 7, 8});
    const Result<HistoryTextImport::Summary> summary = HistoryTextImport::importText(
        *database,
        QStringLiteral(
            "25120707 4 3 6 15 20 11 9 17\n25120706 3 4 6 15 20 11 9 17\n25120704 1 2 3 4 5 6 7 8\n"),
        perDay(84), EntryPath::Online);
    QVERIFY2(summary.ok(), qPrintable(summary.error()));
    QCOMPARE(summary->imported, 3);

    const std::vector<Draw> stored = storedHistory(*database);
    QCOMPARE(stored.size(), std::size_t(4));
    QCOMPARE(stored[0].values, computeDrawParameters(c, 25120704, std::nullopt, 84, EntryPath::Online));
    QCOMPARE(stored[2].values, computeDrawParameters(a, 25120706, storedNumbers, 84, EntryPath::Online));
    QCOMPARE(stored[3].values, computeDrawParameters(b, 25120707, a, 84, EntryPath::Online));
    const int sameAsBefore = termIndexOfCode(u"L6N");
    QCOMPARE(stored[3].values[std::size_t(sameAsBefore)], 6); // all but the first two positions repeat
}

void TestHistoryImport::entryPathAndDrawsPerDayReachTheParameters()
{
    QTemporaryDir folder;
    const std::unique_ptr<Database> database = openDatabase(folder);
    QVERIFY(database);
    QVERIFY(HistoryTextImport::importText(*database, QStringLiteral("25120701 1 2 3 4 5 6 7 8\n"), perDay(97),
                                          EntryPath::Manual)
                .ok());
    const std::vector<Draw> stored = storedHistory(*database);
    QCOMPARE(stored.size(), std::size_t(1));
    QCOMPARE(stored[0].values[std::size_t(termIndexOfCode(u"L5K"))], 96);
    QCOMPARE(stored[0].values[std::size_t(termIndexOfCode(u"L6K"))], 97);
    QCOMPARE(stored[0].values[std::size_t(termIndexOfCode(u"L7K"))], 1);
}

void TestHistoryImport::importsRealFiles_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("drawsPerDay");

    const QDir data(QStringLiteral(QUORVEL_TEST_DATA));
    const QStringList files = data.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    QVERIFY(!files.isEmpty());
    for (const QString& file : files)
        QTest::newRow(qPrintable(file)) << file << (file.startsWith(QLatin1String("cq")) ? 97 : 84);
}

void TestHistoryImport::importsRealFiles()
{
    QFETCH(QString, fileName);
    QFETCH(int, drawsPerDay);

    const QString path = QDir(QStringLiteral(QUORVEL_TEST_DATA)).filePath(fileName);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    std::vector<qint32> issues;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            issues.push_back(line.trimmed().split(' ').first().toInt());
    }

    QTemporaryDir folder;
    const std::unique_ptr<Database> database = openDatabase(folder);
    QVERIFY(database);
    const Result<HistoryTextImport::Summary> summary =
        HistoryTextImport::importFile(*database, path, perDay(drawsPerDay), EntryPath::Online);
    QVERIFY2(summary.ok(), qPrintable(summary.error()));
    QCOMPARE(summary->imported, int(issues.size()));
    QCOMPARE(summary->skipped, 0);
    const std::vector<Draw> stored = storedHistory(*database);
    QCOMPARE(stored.size(), issues.size());
    for (std::size_t i = 0; i < issues.size(); ++i)
        QCOMPARE(stored[i].issue, issues[i]);

    const Result<HistoryTextImport::Summary> again =
        HistoryTextImport::importFile(*database, path, perDay(drawsPerDay), EntryPath::Online);
    QVERIFY(again.ok());
    QCOMPARE(again->imported, 0);
    QCOMPARE(again->skipped, int(issues.size()));
}

void TestHistoryImport::planSortsEveryLineWithoutStoring()
{
    QTemporaryDir folder;
    const std::unique_ptr<Database> database = openDatabase(folder);
    QVERIFY(database);
    const DrawNumbers a = numbers({1, 2, 3, 4, 5, 6, 7, 8});
    QVERIFY(database->history()
                .insert({makeDraw(a, 25120701, std::nullopt, 84, EntryPath::Online),
                         makeDraw(a, 25120702, a, 84, EntryPath::Online)})
                .ok());
    const QString text = QStringLiteral("25120701 1 2 3 4 5 6 7 8\n"         // 1 stored, same numbers
                                        "25120702 1 2 3 4 5 6 7 9\n"         // 2 stored, other numbers
                                        "25120703 1 2 3 4 5 6 7\n"           // 3 malformed
                                        "25120704 1 2 3 4 5 6 7 8\n"         // 4 contradicted by line 6
                                        "25120785 1 2 3 4 5 6 7 8\n"         // 5 sequence above D
                                        "25120704 8 7 6 5 4 3 2 1\n"         // 6
                                        "25120705 11 12 13 14 15 16 17 18\n" // 7 new
                                        "25120705 11 12 13 14 15 16 17 18\n" // 8 a copy of line 7
                                        "25120706 1 2 3 4 5 6 7 8\n");       // 9 new
    const Result<HistoryTextImport::Plan> plan =
        HistoryTextImport::planText(*database, text, perDay(84), EntryPath::Online);
    QVERIFY2(plan.ok(), qPrintable(plan.error()));
    QCOMPARE(plan->draws.size(), std::size_t(2));
    QCOMPARE(plan->alreadyStored, 2);
    QCOMPARE(plan->refusedCount, 5);
    QList<int> refusedLines;
    for (const HistoryTextImport::Refusal& refusal : plan->refused) {
        refusedLines << refusal.lineNumber;
        QVERIFY(!refusal.reason.isEmpty());
    }
    std::sort(refusedLines.begin(), refusedLines.end());
    QCOMPARE(refusedLines, (QList<int>{2, 3, 4, 5, 6}));
    QCOMPARE(storedHistory(*database).size(), std::size_t(2));
    // The new draws follow the stored ones, the refused lines left out of the chain.
    QCOMPARE(plan->draws[0].values, computeDrawParameters(numbers({11, 12, 13, 14, 15, 16, 17, 18}), 25120705,
                                                          a, 84, EntryPath::Online));

    const Result<HistoryTextImport::Summary> summary = HistoryTextImport::store(*database, *plan);
    QVERIFY(summary.ok());
    QCOMPARE(summary->imported, 2);
    QCOMPARE(storedHistory(*database).size(), std::size_t(4));
    // Storing the same plan again finds its draws stored and stores nothing.
    QVERIFY(!HistoryTextImport::store(*database, *plan).ok());
    QCOMPARE(storedHistory(*database).size(), std::size_t(4));
}

void TestHistoryImport::missingFileFails()
{
    QTemporaryDir folder;
    const std::unique_ptr<Database> database = openDatabase(folder);
    QVERIFY(database);
    const Result<HistoryTextImport::Summary> summary = HistoryTextImport::importFile(
        *database, folder.filePath(QStringLiteral("absent.txt")), perDay(84), EntryPath::Online);
    QVERIFY(!summary.ok());
    QVERIFY(summary.error().contains(QStringLiteral("absent.txt")));
}

void TestHistoryImport::oversizedInputIsRefused()
{
    QTemporaryDir folder;
    const std::unique_ptr<Database> database = openDatabase(folder);
    QVERIFY(database);
    // The line named is the third whatever ends the two good lines before it.
    QStringList paths;
    for (const QString& end : {QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\r")}) {
        QString lines = kGoodLines;
        paths << writeFile(folder, QStringLiteral("long%1.txt").arg(paths.size()),
                           lines.replace(QLatin1Char('\n'), end).toUtf8() +
                               QByteArray(HistoryTextImport::kMaxLineBytes + 1, '1'));
    }
    for (const QString& path : paths + QStringList{QStringLiteral("/dev/zero")}) {
        const Result<HistoryTextImport::Summary> summary =
            HistoryTextImport::importFile(*database, path, perDay(84), EntryPath::Online);
        QVERIFY(!summary.ok());
        QVERIFY2(summary.error().contains(path.endsWith(QLatin1String("zero")) ? QStringLiteral("太长")
                                                                               : QStringLiteral("第3行太长")),
                 qPrintable(summary.error()));
    }
    QVERIFY(storedHistory(*database).empty());
}

QTEST_GUILESS_MAIN(TestHistoryImport)
#include "tst_historyimport.moc"
