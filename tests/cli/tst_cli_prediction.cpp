#include "support/CliRun.h"

#include <QTest>

#include <memory>

using namespace quorvel;

namespace {

// Five draws; position 1 draws 3, 7, 3, 9, 3.
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

class TestCliPrediction : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void predictPrintsCountsRanksDistributionAndSummary();
    void predictRanksKillFormulasLeastKilledFirst();
    void predictOptions_data();
    void predictOptions();
    void stepsPrintsHeaderAndOneLinePerDraw();
    void displayCellsOfBothModes();
    void usageAndFailures_data();
    void usageAndFailures();

private:
    CliResult cli(const QString& arguments) const
    {
        return (*m_run)(arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }
    void add(const QStringList& texts) const
    {
        const CliResult added =
            (*m_run)(QStringList{QStringLiteral("formulas"), QStringLiteral("add")} + texts);
        QCOMPARE(added.exitCode, 0);
    }

    std::unique_ptr<CliRun> m_run;
};

void TestCliPrediction::init()
{
    m_run = std::make_unique<CliRun>();
    QVERIFY(m_run->importDraws(QString::fromLatin1(kDraws)));
    add({QStringLiteral("7=下期生第一"), QStringLiteral("7=下期生第一"), QStringLiteral("27=下期生第一"),
         QStringLiteral("7=下期生第二"), QStringLiteral("15=下期生第二")});
}

void TestCliPrediction::predictPrintsCountsRanksDistributionAndSummary()
{
    const CliResult run = cli(QStringLiteral("predict --position 2 --method selected"));
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    // In this order: counts, ranks, distributions, summary.
    QCOMPARE(run.out.size(), 40 + 40 + 4 + 1);
    QVERIFY(run.out[0].startsWith(QStringLiteral("COUNT\t1\t1\t")));
    QVERIFY(run.out[40].startsWith(QStringLiteral("RANK\t1\t1\t")));
    QVERIFY(run.out[80].startsWith(QStringLiteral("DIST\t1\t")));
    QCOMPARE(run.out.last(), QStringLiteral("SUMMARY\t7 15 "));

    const QStringList counts = linesStarting(run.out, QStringLiteral("COUNT"));
    QCOMPARE(counts[6], QStringLiteral("COUNT\t1\t7\t3\t0\t3"));
    QCOMPARE(counts[20 + 14], QStringLiteral("COUNT\t2\t15\t1\t0\t1"));
    const QStringList ranks = linesStarting(run.out, QStringLiteral("RANK"));
    QCOMPARE(ranks[0], QStringLiteral("RANK\t1\t1\t7\t3\t0\t3\t保留\tpicked"));
    // The number past the quota marks the page done and is not picked.
    QCOMPARE(ranks[1], QStringLiteral("RANK\t1\t2\t1\t0\t0\t0\t滤杀\t"));
    QCOMPARE(ranks[20], QStringLiteral("RANK\t2\t1\t7\t1\t0\t1\t保留\tgrey"));
    QCOMPARE(ranks[21], QStringLiteral("RANK\t2\t2\t15\t1\t0\t1\t保留\tpicked"));
    QCOMPARE(ranks[22], QStringLiteral("RANK\t2\t3\t1\t0\t0\t0\t滤杀\t"));
    const QStringList distribution = linesStarting(run.out, QStringLiteral("DIST"));
    QCOMPARE(distribution[0], QStringLiteral("DIST\t1\t3\t1\t7"));
    QCOMPARE(distribution[1],
             QStringLiteral("DIST\t1\t0\t19\t1 2 3 4 5 6 8 9 10 11 12 13 14 15 16 17 18 19 20"));
    QCOMPARE(distribution[2], QStringLiteral("DIST\t2\t1\t2\t7 15"));
}

void TestCliPrediction::predictRanksKillFormulasLeastKilledFirst()
{
    add({QStringLiteral("7=下期杀第一"), QStringLiteral("7=下期杀第一"), QStringLiteral("1=下期杀第一")});
    const CliResult run = cli(QStringLiteral("predict --kind kill --method selected"));
    QCOMPARE(run.exitCode, 0);
    const QStringList ranks = linesStarting(run.out, QStringLiteral("RANK"));
    QCOMPARE(ranks[0], QStringLiteral("RANK\t1\t1\t2\t0\t0\t0\t保留\tpicked"));
    QCOMPARE(ranks[18], QStringLiteral("RANK\t1\t19\t1\t1\t1\t0\t滤杀\t"));
    QCOMPARE(ranks[19], QStringLiteral("RANK\t1\t20\t7\t2\t2\t0\t滤杀\t"));
    QCOMPARE(linesStarting(run.out, QStringLiteral("DIST")),
             (QStringList{QStringLiteral("DIST\t1\t0\t18\t2 3 4 5 6 8 9 10 11 12 13 14 15 16 17 18 19 20"),
                          QStringLiteral("DIST\t1\t1\t1\t1"), QStringLiteral("DIST\t1\t2\t1\t7")}));
    QCOMPARE(run.out.last(), QStringLiteral("SUMMARY\t2 "));
}

void TestCliPrediction::predictOptions_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("positions up to the one given")
        << QStringLiteral("predict --method selected")
        << QStringList{QStringLiteral("COUNT\t1\t7\t3\t0\t3"), QStringLiteral("SUMMARY\t7 ")};
    QTest::newRow("--unselect takes a list number out of every table")
        << QStringLiteral("predict --position 2 --method selected --unselect 1")
        << QStringList{QStringLiteral("COUNT\t1\t7\t2\t0\t2"), QStringLiteral("COUNT\t2\t7\t0\t0\t0")};
    QTest::newRow("kill kind of a list without kill formulas counts and picks nothing")
        << QStringLiteral("predict --kind kill --method selected")
        << QStringList{QStringLiteral("COUNT\t1\t7\t0\t0\t0"),
                       QStringLiteral("RANK\t1\t1\t1\t0\t0\t0\t保留\t"), QStringLiteral("SUMMARY\t- ")};
    // Keep, Q = 1: position 1 stops at its first formula, position 2 passes 7 (taken) for 15.
    QTest::newRow("best method with quota 1")
        << QStringLiteral("predict --position 2 --method best --quota 1 --keys errcon,errcon,errcon")
        << QStringList{QStringLiteral("COUNT\t1\t7\t1\t0\t1"), QStringLiteral("COUNT\t2\t7\t1\t0\t1"),
                       QStringLiteral("COUNT\t2\t15\t1\t0\t1"),
                       QStringLiteral("RANK\t1\t1\t7\t1\t0\t1\t保留\tpicked")};
    QTest::newRow("best method with the default quota 3 takes every formula")
        << QStringLiteral("predict --method best") << QStringList{QStringLiteral("COUNT\t1\t7\t3\t0\t3")};
}

void TestCliPrediction::predictOptions()
{
    QFETCH(QString, arguments);
    QFETCH(QStringList, expected);
    const CliResult run = cli(arguments);
    QCOMPARE(run.exitCode, 0);
    for (const QString& line : expected)
        QVERIFY2(run.out.contains(line), qPrintable(line));
}

void TestCliPrediction::stepsPrintsHeaderAndOneLinePerDraw()
{
    add({QStringLiteral("第一码+第三大小=下期生第一")});
    const CliResult run = cli(QStringLiteral("steps --list-no 4"));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.size(), 1 + 5);
    QCOMPARE(run.out[0], QStringLiteral("期号\t当期号码\t第一码+第三大小=下期生第一\t计算值(算下期)"));
    const QStringList first = run.out[1].split(QLatin1Char('\t'));
    QCOMPARE(first.size(), 4);
    QCOMPARE(first[0], QStringLiteral("26120901"));
    QCOMPARE(first[1], QStringLiteral("03 15 07 20 01 09 12 18"));
    // The last term as written, the value as the engine computes it.
    QCOMPARE(first[2], QStringLiteral("3+L3B"));
    QVERIFY(first[3] == QStringLiteral("3") || first[3] == QStringLiteral("4"));
}

void TestCliPrediction::displayCellsOfBothModes()
{
    const CliResult next = cli(QStringLiteral("display --mode next"));
    QCOMPARE(next.exitCode, 0);
    QCOMPARE(next.out.size(), 5);
    QCOMPARE(next.out[0], QStringLiteral("26120901\t:w\t:w\t:w"));
    // 7 was named for draw 2, which drew 7 at position 1: blue; draw 3 drew 3: green.
    QCOMPARE(next.out[1], QStringLiteral("26120902\t7:b\t7:b\t7:b"));
    QCOMPARE(next.out[2], QStringLiteral("26120903\t7:g\t7:g\t7:g"));

    const CliResult same = cli(QStringLiteral("display --mode same"));
    QCOMPARE(same.out[0], QStringLiteral("26120901\t7:b\t7:b\t7:b"));
    QCOMPARE(same.out[4], QStringLiteral("26120905\t7:-\t7:-\t7:-"));
}

void TestCliPrediction::usageAndFailures_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("errorMentions");

    QTest::newRow("--keys with an unknown key")
        << QStringLiteral("predict --keys errcon,errlst,often") << 2 << QStringLiteral("--keys");
    QTest::newRow("--keys with two keys")
        << QStringLiteral("predict --keys errcon,errlst") << 2 << QStringLiteral("--keys");
    QTest::newRow("--quota that is no number")
        << QStringLiteral("predict --quota many") << 2 << QStringLiteral("--quota");
    QTest::newRow("--quota 0") << QStringLiteral("predict --quota 0") << 2 << QStringLiteral("--quota");
    QTest::newRow("--quota 21") << QStringLiteral("predict --quota 21") << 2 << QStringLiteral("--quota");
    QTest::newRow("backtest --quota 0")
        << QStringLiteral("backtest --draws 1 --method best --quota 0") << 2 << QStringLiteral("--quota");
    QTest::newRow("--unselect 0") << QStringLiteral("predict --unselect 0") << 2
                                  << QStringLiteral("--unselect");
    QTest::newRow("--method of another name")
        << QStringLiteral("predict --method all") << 2 << QStringLiteral("--method");
    QTest::newRow("steps without a list number")
        << QStringLiteral("steps") << 2 << QStringLiteral("--list-no");
    QTest::newRow("steps of a list number the list lacks")
        << QStringLiteral("steps --list-no 9") << 1 << QStringLiteral("9");
    QTest::newRow("display --mode of another name")
        << QStringLiteral("display --mode later") << 2 << QStringLiteral("--mode");
    QTest::newRow("filter without a kind")
        << QStringLiteral("filter") << 2 << QStringLiteral("limit or range");
    QTest::newRow("filter range with two bounds")
        << QStringLiteral("filter range 0 3") << 2 << QStringLiteral("eight bounds");
    QTest::newRow("limits update without --yes")
        << QStringLiteral("limits update") << 2 << QStringLiteral("--yes");
}

void TestCliPrediction::usageAndFailures()
{
    QFETCH(QString, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, errorMentions);
    const CliResult run = cli(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(run.err.size(), 1);
    QVERIFY2(run.err.first().contains(errorMentions), qPrintable(run.err.first()));
}

QTEST_GUILESS_MAIN(TestCliPrediction)
#include "tst_cli_prediction.moc"
