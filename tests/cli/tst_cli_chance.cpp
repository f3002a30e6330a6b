#include "support/CliRun.h"

#include <QTest>

#include <memory>

using namespace quorvel;

namespace {

// Five draws; position 1 draws 3, 7, 3, 9, 3 and position 2 draws 15, 2, 5, 1, 4.
const char* const kDraws = "26120901 3 15 7 20 1 9 12 18\n"
                           "26120902 7 2 4 6 8 10 11 13\n"
                           "26120903 3 5 6 7 8 9 10 11\n"
                           "26120904 9 1 2 3 4 5 6 7\n"
                           "26120905 3 4 5 6 7 8 9 10\n";

QStringList linesStarting(const QStringList& lines, const QString& tag)
{
    QStringList found;
    for (const QString& line : lines) {
        if (line.startsWith(tag + QLatin1Char('\t')))
            found << line;
    }
    return found;
}

} // namespace

class TestCliChance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void verifyAppendsTheChanceFields();
    void backtestPrintsDrawsThenSummaries_data();
    void backtestPrintsDrawsThenSummaries();
    void ledgerScoresThePredictionWhenItsDrawArrives();
    void ledgerDeleteNeedsYes();
    void usageErrors_data();
    void usageErrors();

private:
    CliResult cli(const QString& arguments) const
    {
        return (*m_run)(arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }

    std::unique_ptr<CliRun> m_run;
};

void TestCliChance::init()
{
    m_run = std::make_unique<CliRun>();
    QVERIFY(m_run->importDraws(QString::fromLatin1(kDraws)));
    // Position 1: 12 and 11 are never drawn there and tie on every statistic; 3 is drawn twice.
    const CliResult added = (*m_run)({QStringLiteral("formulas"), QStringLiteral("add"),
                                      QStringLiteral("12=下期生第一"), QStringLiteral("11=下期生第一"),
                                      QStringLiteral("3=下期生第一"), QStringLiteral("5=下期生第二"),
                                      QStringLiteral("1=下期杀第一"), QStringLiteral("2=下期杀第一")});
    QCOMPARE(added.exitCode, 0);
}

void TestCliChance::verifyAppendsTheChanceFields()
{
    const CliResult run = cli(QStringLiteral("verify --chance"));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.size(), 3);
    // The window is draws 2..5: four outcomes. 12 misses all four; 3 hits draws 3 and 5.
    const QStringList never = run.out[0].split(QLatin1Char('\t'));
    QCOMPARE(never.size(), 14);
    QCOMPARE(never.mid(9), (QStringList{QStringLiteral("12"), QStringLiteral("0"), QStringLiteral("1"),
                                        QStringLiteral("0.814506"), QStringLiteral("1")}));
    QCOMPARE(run.out[2].split(QLatin1Char('\t')).mid(9),
             (QStringList{QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("0.0140188"),
                          QStringLiteral("0.999994"), QStringLiteral("0.185494")}));
    // Without the option the lines keep their ten fields.
    QCOMPARE(cli(QStringLiteral("verify")).out[0].split(QLatin1Char('\t')).size(), 10);
}

void TestCliChance::backtestPrintsDrawsThenSummaries_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QStringList>("expected");

    // Every formula counts; the three of position 1 tie on their counts and 3 ranks first.
    QTest::newRow("selected method, oldest target first, summaries last")
        << QStringLiteral("backtest --draws 3 --position 2 --method selected")
        << QStringList{QStringLiteral("26120903\t1\t3\t3\t1"),
                       QStringLiteral("26120903\t2\t5\t5\t1"),
                       QStringLiteral("26120904\t1\t3\t9\t0"),
                       QStringLiteral("26120904\t2\t5\t1\t0"),
                       QStringLiteral("26120905\t1\t3\t3\t1"),
                       QStringLiteral("26120905\t2\t5\t4\t0"),
                       QStringLiteral("SUMMARY\t1\t2\t3\t0.05\t0.00725"),
                       QStringLiteral("SUMMARY\t2\t1\t3\t0.05\t0.142625")};
    QTest::newRow("more targets than draws: every draw but the oldest")
        << QStringLiteral("backtest --draws 50 --method selected")
        << QStringList{QStringLiteral("26120902\t1\t3\t7\t0"), QStringLiteral("26120903\t1\t3\t3\t1"),
                       QStringLiteral("26120904\t1\t3\t9\t0"), QStringLiteral("26120905\t1\t3\t3\t1"),
                       QStringLiteral("SUMMARY\t1\t2\t4\t0.05\t0.0140188")};
    // Sorted by the window before the target: 12 and 11 sit at their longest miss run and tie;
    // the lower idx comes first.
    QTest::newRow("best method sorts by the draws before the target, ties by idx")
        << QStringLiteral("backtest --draws 1 --method best --quota 1")
        << QStringList{QStringLiteral("26120905\t1\t12\t3\t0"), QStringLiteral("SUMMARY\t1\t0\t1\t0.05\t1")};
    // Position 1's kill formulas kill 1 and 2: 3 is the least-killed number, and it is drawn.
    // Position 2 has no kill formula.
    QTest::newRow("kill picks are the least-killed numbers, right when drawn; no formula, no pick")
        << QStringLiteral("backtest --draws 1 --kind kill --position 2 --method selected")
        << QStringList{QStringLiteral("26120905\t1\t3\t3\t1"), QStringLiteral("26120905\t2\t\t4\t0"),
                       QStringLiteral("SUMMARY\t1\t1\t1\t0.05\t0.05"),
                       QStringLiteral("SUMMARY\t2\t0\t0\t0.05\t1")};
}

void TestCliChance::backtestPrintsDrawsThenSummaries()
{
    QFETCH(QString, arguments);
    QFETCH(QStringList, expected);
    const CliResult run = cli(arguments);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    QCOMPARE(run.out, expected);
}

void TestCliChance::ledgerScoresThePredictionWhenItsDrawArrives()
{
    QCOMPARE(cli(QStringLiteral("predict --position 2 --method selected")).exitCode, 0);
    CliResult ledger = cli(QStringLiteral("ledger"));
    QCOMPARE(ledger.exitCode, 0);
    QCOMPARE(ledger.out.size(), 3);
    QStringList entry = ledger.out[0].split(QLatin1Char('\t'));
    QCOMPARE(entry.size(), 14);
    entry.removeAt(3); // when it was made
    // No lottery type is chosen: the TYPE field is empty.
    QCOMPARE(entry,
             (QStringList{QStringLiteral("ENTRY"), QStringLiteral("1"), QStringLiteral("26120906"), QString(),
                          QStringLiteral("selected"), QStringLiteral("keep"), QStringLiteral("1"),
                          QStringLiteral("3|5"), QString(), QString(), QString(), QString(), QString()}));

    QVERIFY(m_run->importDraws(QStringLiteral("26120906 3 5 1 2 4 6 7 8\n")));
    ledger = cli(QStringLiteral("ledger"));
    entry = ledger.out[0].split(QLatin1Char('\t'));
    QCOMPARE(entry.mid(9), (QStringList{QStringLiteral("3 5 1 2 4 6 7 8"), QStringLiteral("2"),
                                        QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("0.05")}));
    QCOMPARE(linesStarting(ledger.out, QStringLiteral("SUMMARY")),
             (QStringList{QStringLiteral("SUMMARY\tkeep\t2\t2\t0.05\t0.0025"),
                          QStringLiteral("SUMMARY\tkill\t0\t0\t0.05\t1")}));
}

void TestCliChance::ledgerDeleteNeedsYes()
{
    QCOMPARE(cli(QStringLiteral("predict --method selected")).exitCode, 0);
    QCOMPARE(cli(QStringLiteral("predict --method selected")).exitCode, 0);
    const CliResult unconfirmed = cli(QStringLiteral("ledger delete 1"));
    QCOMPARE(unconfirmed.exitCode, 1);
    QCOMPARE(unconfirmed.err.size(), 1);
    QCOMPARE(linesStarting(cli(QStringLiteral("ledger")).out, QStringLiteral("ENTRY")).size(), 2);

    const CliResult deleted = cli(QStringLiteral("--yes ledger delete 2 1 2"));
    QCOMPARE(deleted.exitCode, 0);
    QCOMPARE(deleted.out, QStringList{QStringLiteral("deleted 2")});
    QVERIFY(linesStarting(cli(QStringLiteral("ledger")).out, QStringLiteral("ENTRY")).isEmpty());
    QCOMPARE(cli(QStringLiteral("--yes ledger delete 1")).exitCode, 1); // no such entry
}

void TestCliChance::usageErrors_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::newRow("backtest without --draws") << QStringLiteral("backtest");
    QTest::newRow("backtest of no draw") << QStringLiteral("backtest --draws 0");
    QTest::newRow("backtest with an unknown key") << QStringLiteral("backtest --draws 5 --keys a,b,c");
    QTest::newRow("ledger takes no argument") << QStringLiteral("ledger 5");
    QTest::newRow("ledger delete without an entry number") << QStringLiteral("--yes ledger delete");
    QTest::newRow("ledger delete of a word") << QStringLiteral("--yes ledger delete first");
}

void TestCliChance::usageErrors()
{
    QFETCH(QString, arguments);
    const CliResult run = cli(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliChance)
#include "tst_cli_chance.moc"
