#include "support/CliRun.h"
#include "support/WorkbookReader.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <memory>

using namespace quorvel;
using WorkbookReader::readSheet;

namespace {

// Five draws; position 1 draws 3, 7, 3, 9, 3.
const char* const kDraws = "26120901 3 15 7 20 1 9 12 18\n"
                           "26120902 7 2 4 6 8 10 11 13\n"
                           "26120903 3 5 6 7 8 9 10 11\n"
                           "26120904 9 1 2 3 4 5 6 7\n"
                           "26120905 3 4 5 6 7 8 9 10\n";

// The cells of a sheet as "A1=value" (fills as "#RRGGBB"), row by row.
QStringList describe(const QString& path)
{
    QStringList cells;
    for (const auto& [reference, cell] : readSheet(path))
        cells << reference + u'=' + cell.value + (cell.fill.isEmpty() ? QString() : u'#' + cell.fill);
    return cells;
}

} // namespace

class TestCliXlsx : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void writesEachWorkbookAndPrintsItsPath_data();
    void writesEachWorkbookAndPrintsItsPath();
    void historyResultsNeedConfirmation();
    void usageAndFailures_data();
    void usageAndFailures();

private:
    CliResult cli(const QString& arguments) const
    {
        return (*m_run)(arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }

    std::unique_ptr<CliRun> m_run;
};

void TestCliXlsx::init()
{
    m_run = std::make_unique<CliRun>();
    QVERIFY(m_run->importDraws(QString::fromLatin1(kDraws)));
    const CliResult added = (*m_run)({QStringLiteral("formulas"), QStringLiteral("add"),
                                      QStringLiteral("7=下期生第一"), QStringLiteral("L1A+L2A=下期生第一"),
                                      QStringLiteral("27=下期生第一"), QStringLiteral("15=下期生第二")});
    QCOMPARE(added.exitCode, 0);
}

void TestCliXlsx::writesEachWorkbookAndPrintsItsPath_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("cells"); // a selection of the sheet's cells; "!A4": no cell A4

    QTest::newRow("history: the draws only, no fills")
        << "xlsx history"
        << "lishi.xlsx" << QStringList{"A1=期号", "I1=第八", "A2=26120901", "B3=7", "I6=10"};
    QTest::newRow("formula list: idx in column 11, empty limit empty")
        << "xlsx formulas --position 1"
        << "gongshi.xlsx" << QStringList{"A1=序号", "B2=7=下期生第一", "E2=7", "E3=7", "!F2", "K2=1",
                                         "K4=3",    "C4=第一",         "D4=生"};
    QTest::newRow("ranking of the last position, ties by number")
        << "xlsx ranking --position 2 --method selected"
        << "ErrarrLei.xlsx"
        << QStringList{"A1=排序序号", "C1=杀留Err值（公式错误值）", "A2=1", "B2=15", "C2=1", "B3=1", "C3=0",
                       "A21=20"};
    QTest::newRow("detail list of the selected formulas")
        << "xlsx details --unselect 2"
        << "gongshi.xlsx"
        << QStringList{"E1=结果", "A2=1", "B2=7=下期生第一", "E2=7", "A3=2", "B3=27=下期生第一",
                       "E3=7",    "!A4"};
    QTest::newRow("calculation steps of a list number")
        << "xlsx steps --list-no 2"
        << "LSJS.xlsx"
        << QStringList{"C1=L1A+L2A=下期生第一", "A2=26120901", "B2=03 15 07 20 01 09 12 18", "C2=3+L2A",
                       "D2=18"};
}

void TestCliXlsx::writesEachWorkbookAndPrintsItsPath()
{
    QFETCH(QString, arguments);
    QFETCH(QString, file);
    QFETCH(QStringList, cells);
    const CliResult run = cli(arguments);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    const QString path = QDir(m_run->dataFolder()).absoluteFilePath(file);
    QCOMPARE(run.out.last(), path);
    const QStringList written = describe(path);
    for (const QString& cell : cells) {
        const bool found = cell.startsWith(u'!')
                               ? written.filter(QRegularExpression(u'^' + cell.mid(1) + u'=')).isEmpty()
                               : written.contains(cell);
        QVERIFY2(found, qPrintable(cell + u' ' + written.join(u' ')));
    }
    for (const QString& cell : written)
        QVERIFY2(!cell.contains(u'#'), qPrintable(cell)); // fills only on the history's results
}

void TestCliXlsx::historyResultsNeedConfirmation()
{
    const QString path = QDir(m_run->dataFolder()).absoluteFilePath(QStringLiteral("lishi.xlsx"));
    const CliResult refused = cli(QStringLiteral("xlsx history --display"));
    QCOMPARE(refused.exitCode, 1);
    QVERIFY(refused.out.isEmpty());
    QVERIFY(refused.err.last().contains(QStringLiteral("--yes")));
    QVERIFY(!QFileInfo::exists(path));

    const CliResult run = cli(QStringLiteral("--yes xlsx history --display --position 1"));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.last(), path);
    const QStringList cells = describe(path);
    // Formula 1 names 7: drawn on the second draw only. Row 2 holds the display texts.
    for (const char* cell : {"J1=1公式", "L1=3公式", "J2=7=下期生第一", "K2=L1A+L2A=下期生第一",
                             "J3=7#0000FF", "J4=7#00FF00", "J6=7#00FF00"})
        QVERIFY2(cells.contains(QString::fromUtf8(cell)),
                 qPrintable(QString::fromUtf8(cell) + u' ' + cells.join(u' ')));
    QVERIFY(!cells.contains(QStringLiteral("M1=4公式"))); // the keep formulas of position 1 only
}

void TestCliXlsx::usageAndFailures_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("folderInTheWay"); // a folder made where the workbook goes
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("no subcommand") << "xlsx" << QString() << 2 << "xlsx needs";
    QTest::newRow("steps without a list number") << "xlsx steps" << QString() << 2 << "--list-no";
    QTest::newRow("positional word") << "xlsx formulas extra" << QString() << 2 << "positional";
    QTest::newRow("bad quota") << "xlsx ranking --quota x" << QString() << 2 << "--quota";
    QTest::newRow("list number not in the list") << "xlsx steps --list-no 9" << QString() << 1 << "序号 9";
    QTest::newRow("a folder holds the workbook's name") << "xlsx formulas"
                                                        << "gongshi.xlsx" << 1 << "同名文件夹";
}

void TestCliXlsx::usageAndFailures()
{
    QFETCH(QString, arguments);
    QFETCH(QString, folderInTheWay);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    if (!folderInTheWay.isEmpty())
        QVERIFY(QDir(m_run->dataFolder()).mkdir(folderInTheWay));
    const CliResult run = cli(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(!run.err.isEmpty() && run.err.first().contains(message), qPrintable(run.err.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestCliXlsx)
#include "tst_cli_xlsx.moc"
