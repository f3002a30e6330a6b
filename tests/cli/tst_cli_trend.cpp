#include "support/CliRun.h"

#include <QTest>

using namespace quorvel;

class TestCliTrend : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linesOfEachView();
    void emptyHistoryPrintsZeroFooters();
    void badOptionsAreUsage_data();
    void badOptionsAreUsage();
};

void TestCliTrend::linesOfEachView()
{
    const CliRun cli;
    QVERIFY(cli.importDraws(QStringLiteral("26120801 1 2 3 4 5 6 7 8\n"
                                           "26120802 2 3 4 5 6 7 8 9\n"
                                           "26120803 11 12 13 14 15 16 17 18\n")));
    const CliResult chart = cli(
        {QStringLiteral("trend"), QStringLiteral("chart"), QStringLiteral("--range"), QStringLiteral("2")});
    QCOMPARE(chart.exitCode, 0);
    QCOMPARE(chart.out.size(), 2 + 5);
    QCOMPARE(chart.out[0],
             QStringLiteral("26120802\t1\t*\t*\t*\t*\t*\t*\t*\t*\t2\t2\t2\t2\t2\t2\t2\t2\t2\t2\t2"
                            "\t44\t7\t4:4\t0:8\t7"));
    QCOMPARE(chart.out[2],
             QStringLiteral("HITS\t0\t1\t1\t1\t1\t1\t1\t1\t1\t0\t1\t1\t1\t1\t1\t1\t1\t1\t0\t0"));
    QCOMPARE(chart.out[6],
             QStringLiteral("CURRENT\t2\t1\t1\t1\t1\t1\t1\t1\t1\t3\t0\t0\t0\t0\t0\t0\t0\t0\t3\t3"));

    const CliResult omission = cli({QStringLiteral("trend"), QStringLiteral("omission"),
                                    QStringLiteral("--scope"), QStringLiteral("1")});
    QCOMPARE(omission.out.size(), 20);
    QCOMPARE(omission.out[10], QStringLiteral("11\t1\t0.1\t+0.8\t0\t2\t2\t1\t0.00\t1"));
    QCOMPARE(omission.out[19], QStringLiteral("20\t0\t0.1\t-0.1\t3\t-\t3\t3\t1.00\t0.857375"));

    const CliResult hotCold = cli({QStringLiteral("trend"), QStringLiteral("hotcold")});
    QCOMPARE(hotCold.out[10], QStringLiteral("11\t1\t1\t1\twarm"));
    const CliResult twoSides = cli({QStringLiteral("trend"), QStringLiteral("twosides")});
    QCOMPARE(twoSides.out.size(), 36);
    QCOMPARE(twoSides.out[0], QStringLiteral("1\tbigsmall\t大\t1\t2\t0.75"));
    QCOMPARE(twoSides.out[32], QStringLiteral("1-8\tdragontiger\t虎\t3\t3\t0.25"));
}

void TestCliTrend::emptyHistoryPrintsZeroFooters()
{
    const CliResult chart = CliRun()({QStringLiteral("trend"), QStringLiteral("chart")});
    QCOMPARE(chart.exitCode, 0);
    QCOMPARE(chart.out.size(), 5);
    QCOMPARE(chart.out[0], QStringLiteral("HITS") + QStringLiteral("\t0").repeated(20));
}

void TestCliTrend::badOptionsAreUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no view") << QStringList{QStringLiteral("trend")};
    QTest::newRow("position 9") << QStringList{QStringLiteral("trend"), QStringLiteral("chart"),
                                               QStringLiteral("--scope"), QStringLiteral("9")};
    QTest::newRow("range 0") << QStringList{QStringLiteral("trend"), QStringLiteral("omission"),
                                            QStringLiteral("--range"), QStringLiteral("0")};
    QTest::newRow("hotcold has no range") << QStringList{QStringLiteral("trend"), QStringLiteral("hotcold"),
                                                         QStringLiteral("--range"), QStringLiteral("5")};
}

void TestCliTrend::badOptionsAreUsage()
{
    QFETCH(QStringList, arguments);
    const CliResult result = CliRun()(arguments);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.err.size(), 1);
}

QTEST_GUILESS_MAIN(TestCliTrend)
#include "tst_cli_trend.moc"
