#include "support/CliRun.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <memory>

using namespace quorvel;

namespace {

const QString kEveryBound = QStringLiteral("0,32768,0,32768,0,32768,0,32768");

QStringList foundLines(const QStringList& out)
{
    QStringList lines;
    for (const QString& line : out) {
        if (line.startsWith(QLatin1String("FOUND\t")))
            lines << line;
    }
    return lines;
}

} // namespace

// The search commands of quorvel-cli on the 639 real draws of 重庆幸运农场.
class TestCliSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void searchPrintsFoundFormulasThenCounts();
    void specifiedConstantRoundsHalfToEven_data();
    void specifiedConstantRoundsHalfToEven();
    void twoDrawsCanBeSearched();
    void searchScoreUsesTheSearchCounting();
    void familywiseChanceOfFoundFormulasAndOfCodes();
    void tunePrintsAndSavesEightBounds();
    void schemeStoresWhatItFound();
    void replaceStoresOnlyWhenConfirmed();
    void usageErrors_data();
    void usageErrors();

private:
    std::unique_ptr<CliRun> m_run;
};

void TestCliSearch::initTestCase()
{
    m_run = std::make_unique<CliRun>();
    const CliResult imported = (*m_run)(
        {QStringLiteral("history"), QStringLiteral("import"),
         QDir(QStringLiteral(QUORVEL_TEST_DATA)).filePath(QStringLiteral("cqxync-168bet-funyule.txt")),
         QStringLiteral("--per-day"), QStringLiteral("97")});
    QCOMPARE(imported.exitCode, 0);
}

void TestCliSearch::searchPrintsFoundFormulasThenCounts()
{
    const QStringList common{QStringLiteral("search"), QStringLiteral("--seed"), QStringLiteral("7")};
    const CliResult one = (*m_run)(common + QStringList{"--candidates", "20000", "--threads", "1"});
    QCOMPARE(one.exitCode, 0);
    const QStringList found = foundLines(one.out);
    QVERIFY(found.size() >= 3);
    QCOMPARE(one.out.size(), found.size() + 2);
    QCOMPARE(one.out.at(found.size()), QStringLiteral("tried\t20000\tfound\t%1").arg(found.size()));
    QVERIFY(one.out.last().startsWith(QLatin1String("repeats\t")));
    for (const QString& line : found)
        QCOMPARE(line.split(QLatin1Char('\t')).size(), 7); // FOUND CODE DISPLAY and four statistics
    QCOMPARE(one.err.size(), 1);
    QVERIFY2(one.err.first().contains(QLatin1String("candidates/s, threads 1, seed 7")),
             qPrintable(one.err.first()));

    // The same seed finds the same formulas on two threads, and a target stops at its first T.
    const CliResult two = (*m_run)(common + QStringList{"--candidates", "20000", "--threads", "2"});
    QCOMPARE(two.out, one.out);
    const CliResult target = (*m_run)(common + QStringList{"--target", "3"});
    QCOMPARE(target.exitCode, 0);
    QCOMPARE(foundLines(target.out), found.mid(0, 3));
    QVERIFY(target.out.at(target.out.size() - 2).endsWith(QLatin1String("\tfound\t3")));
}

void TestCliSearch::specifiedConstantRoundsHalfToEven_data()
{
    QTest::addColumn<QString>("constant");
    QTest::addColumn<QString>("codeEnd");
    QTest::newRow("-3.5 gives -4") << "-3.5"
                                   << "+-4";
    QTest::newRow("2.5 gives 2") << "2.5"
                                 << "+2";
}

void TestCliSearch::specifiedConstantRoundsHalfToEven()
{
    QFETCH(QString, constant);
    QFETCH(QString, codeEnd);
    const CliResult result = (*m_run)({"search", "--seed", "7", "--target", "2", "--kind", "kill",
                                       "--operands", "2", "--constant", constant, "--bounds", kEveryBound});
    QCOMPARE(result.exitCode, 0);
    const QStringList found = foundLines(result.out);
    QCOMPARE(found.size(), 2);
    for (const QString& line : found)
        QVERIFY2(line.split(QLatin1Char('\t')).at(1).endsWith(codeEnd), qPrintable(line));
}

void TestCliSearch::twoDrawsCanBeSearched()
{
    CliRun run;
    QVERIFY(run.importDraws(QStringLiteral("26120901 01 02 03 04 05 06 07 08\n"
                                           "26120902 08 07 06 05 04 03 02 01\n")));
    // One outcome: a candidate sits at its longest miss run whether it missed or hit, so bounds
    // that take anything accept every candidate; on two draws many of them predict alike, and
    // only the first of each counts as found, here and in the luck count on the shuffled draws.
    const CliResult result =
        run({"search", "--seed", "1", "--candidates", "50", "--bounds", kEveryBound, "--luck"});
    QCOMPARE(result.exitCode, 0);
    const QStringList counts = result.out.mid(result.out.size() - 3);
    const int found = int(foundLines(result.out).size());
    QVERIFY(found < 50);
    QCOMPARE(counts.mid(0, 2), (QStringList{QStringLiteral("tried\t50\tfound\t%1").arg(found),
                                            QStringLiteral("repeats\t%1").arg(50 - found)}));
    QVERIFY(counts.at(2).startsWith(QLatin1String("luck\t")));
}

void TestCliSearch::searchScoreUsesTheSearchCounting()
{
    const QString file = m_run->writeFile(QStringLiteral("codes.txt"), "L1A+L2B+3\r\n\r\nL1A/0\r\n");
    // An empty value (a division by zero) is a miss for kill too; N beyond the history counts
    // every draw from the second.
    const CliResult all = (*m_run)({"search", "score", file, "--kind", "kill", "--periods", "5000"});
    QCOMPARE(all.exitCode, 0);
    QCOMPARE(all.out.size(), 2);
    QCOMPARE(all.out.at(1), QStringLiteral("L1A/0\t638\t0\t638\t0\t1"));
    QCOMPARE(all.out.at(0).split(QLatin1Char('\t')).size(), 6);
    // The stored keep bounds accept a formula that missed all of the newest 301 outcomes.
    const CliResult keep = (*m_run)({"search", "score", file});
    QCOMPARE(keep.out.at(1), QStringLiteral("L1A/0\t301\t0\t301\t0\t1"));

    const QString bad = m_run->writeFile(QStringLiteral("bad.txt"), "L1A\nL1A+\n");
    const CliResult refused = (*m_run)({"search", "score", bad});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY(refused.out.isEmpty());
    QVERIFY2(refused.err.first().startsWith(QLatin1String("line 2: ")), qPrintable(refused.err.first()));
}

void TestCliSearch::tunePrintsAndSavesEightBounds()
{
    const QString file = m_run->writeFile(QStringLiteral("samples.txt"), "L1A+L2B+3\nL1A+L3B+-2\nL5A\n");
    const CliResult scored = (*m_run)({"tune", "score", file, "--kind", "kill"});
    QCOMPARE(scored.exitCode, 0);
    QCOMPARE(scored.out.size(), 1);
    const QStringList bounds = scored.out.first().split(QLatin1Char('\t'));
    QCOMPARE(bounds.size(), 8);
    QCOMPARE(bounds.at(1), QStringLiteral("32767"));

    const CliResult tuned =
        (*m_run)({"tune", "--position", "2", "--kind", "kill", "--samples", "30", "--save"});
    QCOMPARE(tuned.exitCode, 0);
    const QStringList saved = tuned.out.first().split(QLatin1Char('\t'));
    QSettings settings(m_run->settingsPath(), QSettings::IniFormat);
    for (int bound = 2; bound <= 9; ++bound)
        QCOMPARE(settings.value(QStringLiteral("2/%1").arg(bound)).toString(), saved.at(bound - 2));
}

void TestCliSearch::schemeStoresWhatItFound()
{
    CliRun run;
    QVERIFY(
        run({"history", "import",
             QDir(QStringLiteral(QUORVEL_TEST_DATA)).filePath(QStringLiteral("cqxync-168bet-funyule.txt")),
             "--per-day", "97"})
            .exitCode == 0);
    const CliResult scheme = run({"scheme", "--targets", "2,,1,0,,,,", "--seed", "5", "--store", "append"});
    QCOMPARE(scheme.exitCode, 0);
    QCOMPARE(foundLines(scheme.out).size(), 3);
    QVERIFY(scheme.out.contains(QStringLiteral("position\t2\tskipped")));
    QVERIFY(scheme.out.contains(QStringLiteral("position\t4\tskipped"))); // a target of 0 finds nothing
    QVERIFY(scheme.out.at(scheme.out.size() - 2).endsWith(QLatin1String("\tfound\t3")));
    QVERIFY(scheme.out.last().startsWith(QLatin1String("repeats\t")));
    const CliResult list = run({"formulas", "list"});
    QCOMPARE(list.out.size(), 3);
    QVERIFY(list.out.last().startsWith(QLatin1String("3\t1\tkeep\t")));
}

void TestCliSearch::replaceStoresOnlyWhenConfirmed()
{
    const QStringList replace{"search",     "--seed", "9",       "--target", "1",
                              "--position", "8",      "--store", "replace"};
    const CliResult declined = (*m_run)(replace);
    QCOMPARE(declined.exitCode, 1);
    QCOMPARE((*m_run)({"formulas", "list", "--position", "8"}).out.size(), 0);
    const CliResult confirmed = (*m_run)(QStringList{"--yes"} + replace);
    QCOMPARE(confirmed.exitCode, 0);
    QCOMPARE((*m_run)({"formulas", "list", "--position", "8"}).out.size(), 1);
}

void TestCliSearch::familywiseChanceOfFoundFormulasAndOfCodes()
{
    const QStringList search{"search", "--seed",       "3", "--kind", "kill", "--candidates",
                             "3000",   "--familywise", "4"};
    const CliResult found = (*m_run)(search);
    QCOMPARE(found.exitCode, 0);
    const QStringList codes =
        foundLines(found.out).replaceInStrings(QRegularExpression("^FOUND\t([^\t]+)\t.*"), "\\1");
    QVERIFY(!codes.isEmpty());
    const QStringList familywise = found.out.filter(QRegularExpression("^FAMILYWISE\t"));
    QCOMPARE(familywise.size(), codes.size());
    QCOMPARE(found.out.mid(found.out.size() - codes.size()), familywise); // after every other line
    QVERIFY(familywise.first().startsWith("FAMILYWISE\t" + codes.first() + "\t"));

    // The same codes measured against the same candidates give the same lines at any thread count,
    // then the K best chance scores of the shuffles.
    const QString file = m_run->writeFile(QStringLiteral("found.txt"), codes.join('\n').toUtf8());
    const QStringList measure{"search", "familywise", file, "--kind", "kill", "--candidates",
                              "3000",   "--shuffles", "4",  "--seed", "3"};
    const CliResult one = (*m_run)(measure + QStringList{"--threads", "1"});
    QCOMPARE(one.exitCode, 0);
    QCOMPARE(one.out.size(), codes.size() + 1);
    for (int i = 0; i < codes.size(); ++i)
        QCOMPARE(one.out.at(i), familywise.at(i).mid(int(qstrlen("FAMILYWISE\t"))));
    const QStringList null = one.out.last().split('\t');
    QCOMPARE(null.size(), 5);
    QCOMPARE(null.at(0), QStringLiteral("null"));
    QCOMPARE(null.at(1), QStringLiteral("4"));
    QCOMPARE((*m_run)(measure + QStringList{"--threads", "2"}).out, one.out);

    const QString bad = m_run->writeFile(QStringLiteral("bad-codes.txt"), "L1A\nL1A+\n");
    const CliResult refused = (*m_run)({"search", "familywise", bad, "--candidates", "5", "--shuffles", "2"});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY(refused.out.isEmpty());
}

void TestCliSearch::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("neither --candidates nor --target") << QStringList{"search"};
    QTest::newRow("both --candidates and --target")
        << QStringList{"search", "--candidates", "5", "--target", "1"};
    QTest::newRow("seven bounds") << QStringList{"search", "--candidates", "5", "--bounds", "0,1,2,3,4,5,6"};
    QTest::newRow("longest hit run bounds inverted")
        << QStringList{"search", "--target", "1", "--bounds", "0,30,9,3,0,30,0,30"};
    QTest::newRow("constant not a number") << QStringList{"search", "--candidates", "5", "--constant", "x"};
    QTest::newRow("seven targets") << QStringList{"scheme", "--targets", "1,2,3,4,5,6,7"};
    QTest::newRow("score without a file") << QStringList{"tune", "score"};
    QTest::newRow("familywise without shuffles")
        << QStringList{"search", "familywise", "f.txt", "--candidates", "5"};
    QTest::newRow("familywise of no shuffles")
        << QStringList{"search", "--candidates", "5", "--familywise", "0"};
}

void TestCliSearch::usageErrors()
{
    QFETCH(QStringList, arguments);
    QCOMPARE((*m_run)(arguments).exitCode, 2);
}

QTEST_GUILESS_MAIN(TestCliSearch)
#include "tst_cli_search.moc"
