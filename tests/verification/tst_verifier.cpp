#include "core/DrawTable.h"
#include "formulas/NumberRules.h"
#include "oracle/StatisticsPrinting.h"
#include "oracle/SyntheticHistory.h"
#include "verification/Verifier.h"

#include <QTest>

using namespace quorvel;

namespace {

using oracle::drawWith;

DrawTable tableWith(int position, const std::vector<int>& numbersAtPosition)
{
    std::vector<DrawNumbers> numbers;
    for (const int number : numbersAtPosition)
        numbers.push_back(drawWith(position, number));
    return DrawTable(oracle::historyOf(numbers));
}

DrawTable tableOfSize(int drawCount)
{
    std::mt19937_64 random(7);
    return DrawTable(oracle::randomHistory(drawCount, random));
}

// Hit flags for outcomes written as 'h' and 'm', behind the first draw (which is never counted).
std::vector<char> flagsOf(const QString& outcomes)
{
    std::vector<char> hits{0};
    for (const QChar c : outcomes)
        hits.push_back(c == u'h');
    return hits;
}

VerificationWindow wholeWindow(const std::vector<char>& hits)
{
    return {1, int(hits.size()) - 1};
}

} // namespace

class TestVerifier : public QObject
{
    Q_OBJECT

private slots:
    void window_data();
    void window();
    void runs_data();
    void runs();
    void weights_data();
    void weights();
    void hitRule_data();
    void hitRule();
    void constantFormulas_data();
    void constantFormulas();
    void countedDraws_data();
    void countedDraws();
    void killFormulaClaimingTwenty();
    void computedValue_data();
    void computedValue();
    void codeThatDoesNotCompile_data();
    void codeThatDoesNotCompile();
};

void TestVerifier::window_data()
{
    QTest::addColumn<int>("drawCount");
    QTest::addColumn<int>("periods");
    QTest::addColumn<bool>("excludeCurrent");
    QTest::addColumn<int>("firstDraw"); // 1-based; 0 when the window is empty
    QTest::addColumn<int>("lastDraw");

    QTest::newRow("R 301, N 300, B on: draws 2..301") << 301 << 300 << true << 2 << 301;
    QTest::newRow("R 301, N 300, B off would reach draw 1: draws 2..301") << 301 << 300 << false << 2 << 301;
    QTest::newRow("R 500, N 300, B off: draws 200..500") << 500 << 300 << false << 200 << 500;
    QTest::newRow("R 500, N 300, B on: draws 201..500") << 500 << 300 << true << 201 << 500;
    QTest::newRow("R 302, N 300, B off: draws 2..302") << 302 << 300 << false << 2 << 302;
    QTest::newRow("history shorter than the window: draws 2..R") << 50 << 100 << true << 2 << 50;
    QTest::newRow("N 0: draws 2..R") << 40 << 0 << true << 2 << 40;
    QTest::newRow("N 0, B off: still draws 2..R") << 40 << 0 << false << 2 << 40;
    QTest::newRow("two draws: only the second") << 2 << 300 << false << 2 << 2;
    QTest::newRow("one draw: empty") << 1 << 0 << true << 0 << 0;
    QTest::newRow("no draws: empty") << 0 << 300 << false << 0 << 0;
}

void TestVerifier::window()
{
    QFETCH(int, drawCount);
    QFETCH(int, periods);
    QFETCH(bool, excludeCurrent);
    QFETCH(int, firstDraw);
    QFETCH(int, lastDraw);

    const VerificationWindow window = verificationWindow(drawCount, periods, excludeCurrent);
    if (firstDraw == 0) {
        QVERIFY(window.isEmpty());
        QCOMPARE(window.size(), 0);
        return;
    }
    QCOMPARE(window.first + 1, firstDraw);
    QCOMPARE(window.last + 1, lastDraw);
    QCOMPARE(window.size(), lastDraw - firstDraw + 1);
}

void TestVerifier::runs_data()
{
    QTest::addColumn<QString>("outcomes");
    QTest::addColumn<RunStatistics>("expected"); // max misses, max hits, last misses, last hits

    QTest::newRow("h h m m m h m m: 3, 2, 2, 0") << "hhmmmhmm" << RunStatistics{3, 2, 2, 0};
    QTest::newRow("right on all of 300 draws") << QString(300, u'h') << RunStatistics{0, 300, 0, 300};
    QTest::newRow("wrong on all of 300 draws") << QString(300, u'm') << RunStatistics{300, 0, 300, 0};
    QTest::newRow("ends on a hit after the longest miss run") << "mmmhh" << RunStatistics{3, 2, 0, 2};
    QTest::newRow("single miss") << "m" << RunStatistics{1, 0, 1, 0};
    QTest::newRow("empty window") << "" << RunStatistics{0, 0, 0, 0};
}

void TestVerifier::runs()
{
    QFETCH(QString, outcomes);
    QFETCH(RunStatistics, expected);

    const std::vector<char> hits = flagsOf(outcomes);
    const FormulaVerdict verdict = countRuns(hits, wholeWindow(hits), true);
    QCOMPARE(verdict.statistics, expected);
    QCOMPARE(verdict.hits, int(outcomes.count(u'h')));
    QCOMPARE(verdict.outcomes, int(outcomes.size()));
    QVERIFY(verdict.statistics.lastHits == 0 || verdict.statistics.lastMisses == 0);
}

void TestVerifier::weights_data()
{
    QTest::addColumn<QString>("outcomes");
    QTest::addColumn<bool>("weighted");
    QTest::addColumn<qint64>("hitWeight");
    QTest::addColumn<qint64>("totalWeight");

    QTest::newRow("W on, hits on the 2nd and 3rd of 3: 13 of 14")
        << "mhh" << true << qint64(13) << qint64(14);
    QTest::newRow("W off, hits on the 2nd and 3rd of 3: 2 of 3") << "mhh" << false << qint64(2) << qint64(3);
    QTest::newRow("W on, hit on the 1st only: 1 of 14") << "hmm" << true << qint64(1) << qint64(14);
    // The sum of j*j up to 3000 is 9004500500, beyond 32 bits.
    QTest::newRow("W on, 3000 hits: sums beyond 32 bits")
        << QString(3000, u'h') << true << qint64(9004500500) << qint64(9004500500);
}

void TestVerifier::weights()
{
    QFETCH(QString, outcomes);
    QFETCH(bool, weighted);
    QFETCH(qint64, hitWeight);
    QFETCH(qint64, totalWeight);

    const std::vector<char> hits = flagsOf(outcomes);
    const FormulaVerdict verdict = countRuns(hits, wholeWindow(hits), weighted);
    QCOMPARE(verdict.hitWeight, hitWeight);
    QCOMPARE(verdict.totalWeight, totalWeight);
}

void TestVerifier::hitRule_data()
{
    QTest::addColumn<bool>("kill");
    QTest::addColumn<double>("value"); // computed from the previous draw
    QTest::addColumn<int>("drawn");    // number then drawn at the position
    QTest::addColumn<bool>("right");

    QTest::newRow("kill, value 40 claims 20, 20 drawn: wrong") << true << 40.0 << 20 << false;
    QTest::newRow("kill, value 40 claims 20, 7 drawn: right") << true << 40.0 << 7 << true;
    QTest::newRow("keep, value 40 claims 20, 20 drawn: right") << false << 40.0 << 20 << true;
    QTest::newRow("keep, value 21 claims 1, 1 drawn: right") << false << 21.0 << 1 << true;
    QTest::newRow("keep, value 0 never equals a number") << false << 0.0 << 20 << false;
    QTest::newRow("kill, value 0 is always right") << true << 0.0 << 20 << true;
    QTest::newRow("keep, value -20 folds to -20: wrong") << false << -20.0 << 20 << false;
    QTest::newRow("kill, value -3 folds to -3: right") << true << -3.0 << 17 << true;
    // The remainder keeps the dividend's sign: (-20 MOD 20) + 1 = 1, so -19, -39, ... claim 1.
    QTest::newRow("keep, value -19 folds to 1, 1 drawn: right") << false << -19.0 << 1 << true;
    QTest::newRow("kill, value -39 folds to 1, 1 drawn: wrong") << true << -39.0 << 1 << false;
    QTest::newRow("keep, value -18 folds to -18: wrong") << false << -18.0 << 2 << false;
    QTest::newRow("keep, 2.5 rounds to 2 (half to even)") << false << 2.5 << 2 << true;
    QTest::newRow("keep, 3.5 rounds to 4 (half to even)") << false << 3.5 << 4 << true;
    QTest::newRow("keep, 2.5 does not claim 3") << false << 2.5 << 3 << false;
    QTest::newRow("keep, 20.4 claims 20") << false << 20.4 << 20 << true;
    QTest::newRow("keep, -0.4 rounds to 0: wrong") << false << -0.4 << 20 << false;
    QTest::newRow("kill, empty value predicts nothing: miss") << true << kEmptyValue << 5 << false;
    QTest::newRow("keep, empty value predicts nothing: miss") << false << kEmptyValue << 5 << false;
}

void TestVerifier::hitRule()
{
    QFETCH(bool, kill);
    QFETCH(double, value);
    QFETCH(int, drawn);
    QFETCH(bool, right);

    for (const int position : {1, 3, 8}) {
        const DrawTable table = tableWith(position, {drawn == 1 ? 2 : 1, drawn});
        const std::vector<char> hits = hitFlags({value, 0.0}, table, position, kill);
        QCOMPARE(hits.size(), std::size_t(2));
        QCOMPARE(hits[0], char(0)); // the oldest draw has no prediction
        QCOMPARE(bool(hits[1]), right);
    }
}

void TestVerifier::constantFormulas_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("kill");
    QTest::addColumn<RunStatistics>("expected");

    // L1H is 20 minus the number at position 1, so L1A+L1H-20 is 0 on every draw (a term sum).
    QTest::newRow("keep, term sum 0 on every draw: all misses")
        << "L1A+L1H-20" << false << RunStatistics{19, 0, 19, 0};
    QTest::newRow("kill, term sum 0 on every draw: all hits")
        << "L1A+L1H-20" << true << RunStatistics{0, 19, 0, 19};
    QTest::newRow("keep, expression 0 on every draw: all misses")
        << "L1A-L1A" << false << RunStatistics{19, 0, 19, 0};
    QTest::newRow("kill, expression 0 on every draw: all hits")
        << "(L3A - L3A) * 7" << true << RunStatistics{0, 19, 0, 19};
    QTest::newRow("kill, sum between -18 and 0 never matches: all hits")
        << "L2D+L3E+-18" << true << RunStatistics{0, 19, 0, 19};
    QTest::newRow("kill, division by zero everywhere: all misses")
        << "L1A/(L2A-L2A)" << true << RunStatistics{19, 0, 19, 0};
    QTest::newRow("keep, division by zero everywhere: all misses")
        << "L1A/(L2A-L2A)" << false << RunStatistics{19, 0, 19, 0};
}

void TestVerifier::constantFormulas()
{
    QFETCH(QString, code);
    QFETCH(bool, kill);
    QFETCH(RunStatistics, expected);

    const DrawTable table = tableOfSize(20);
    const Verifier verifier(table, 2, kill, {0, true, true});
    const FormulaVerdict verdict = verifier.verify(code, false);
    QVERIFY(verdict.evaluable);
    QCOMPARE(verdict.statistics, expected);
    QCOMPARE(verdict.totalWeight, qint64(19 * 20 * 39 / 6));
    QCOMPARE(verdict.hitWeight, expected.maxHits > 0 ? verdict.totalWeight : qint64(0));
}

void TestVerifier::countedDraws_data()
{
    QTest::addColumn<int>("drawCount");
    QTest::addColumn<int>("periods");
    QTest::addColumn<bool>("excludeCurrent");
    QTest::addColumn<int>("counted");

    QTest::newRow("R 500, N 300, B off: 301 draws") << 500 << 300 << false << 301;
    QTest::newRow("R 500, N 300, B on: 300 draws") << 500 << 300 << true << 300;
    QTest::newRow("R 301, N 300, B off: 300 draws") << 301 << 300 << false << 300;
    QTest::newRow("R 500, N 0: 499 draws") << 500 << 0 << true << 499;
    QTest::newRow("R 2, N 100: 1 draw") << 2 << 100 << true << 1;
    QTest::newRow("R 1, N 0: nothing") << 1 << 0 << true << 0;
    QTest::newRow("no draws: nothing") << 0 << 0 << false << 0;
}

void TestVerifier::countedDraws()
{
    QFETCH(int, drawCount);
    QFETCH(int, periods);
    QFETCH(bool, excludeCurrent);
    QFETCH(int, counted);

    const DrawTable table = tableOfSize(drawCount);
    const Verifier verifier(table, 5, true, {periods, excludeCurrent, false});
    QCOMPARE(verifier.window().size(), counted);
    // A kill formula of value 0 is right on every counted draw, through both evaluation paths.
    for (const QString& code : {QStringLiteral("L5A+L5H-20"), QStringLiteral("L5A*0")}) {
        const FormulaVerdict verdict = verifier.verify(code, false);
        QCOMPARE(verdict.statistics, (RunStatistics{0, counted, 0, counted}));
        QCOMPARE(verdict.totalWeight, qint64(counted));
        QVERIFY(!verdict.computedValue);
    }
}

void TestVerifier::killFormulaClaimingTwenty()
{
    // L1A+L1H+20 is 40 on every draw: it claims 20 for the next draw.
    const DrawTable table = tableWith(1, {5, 20, 7, 20, 20, 3});
    const Verifier verifier(table, 1, true, {0, true, true});
    for (const QString& code : {QStringLiteral("L1A+L1H+20"), QStringLiteral("2*(L1A+L1H)")}) {
        const FormulaVerdict verdict = verifier.verify(code, true);
        // Outcomes of draws 2..6: miss, hit, miss, miss, hit.
        QCOMPARE(verdict.statistics, (RunStatistics{2, 1, 0, 1}));
        QCOMPARE(verdict.hitWeight, qint64(4 + 25));
        QCOMPARE(verdict.totalWeight, qint64(1 + 4 + 9 + 16 + 25));
        QCOMPARE(verdict.computedValue, std::optional<int>(20));
    }
}

void TestVerifier::computedValue_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("drawCount");
    QTest::addColumn<bool>("requested");
    QTest::addColumn<std::optional<int>>("expected");

    // The newest draw of the table below has 4 at position 1, 3 at position 2 (see drawWith).
    QTest::newRow("fold of the newest value, 4 + 40 = 44 gives 4")
        << "L1A+40" << 3 << true << std::optional<int>(4);
    QTest::newRow("not requested: none") << "L1A+40" << 3 << false << std::optional<int>();
    QTest::newRow("value 0 gives 0") << "L1A-4" << 3 << true << std::optional<int>(0);
    QTest::newRow("negative value keeps its sign") << "L1A-7" << 3 << true << std::optional<int>(-3);
    QTest::newRow("value -19 folds to 1") << "L1A-23" << 3 << true << std::optional<int>(1);
    QTest::newRow("half rounds to even before the fold: 4/8 = 0.5 gives 0")
        << "L1A/8" << 3 << true << std::optional<int>(0);
    QTest::newRow("empty newest value: none") << "L1A/L1B" << 3 << true << std::optional<int>();
    QTest::newRow("single draw: the window is empty but the value exists")
        << "L1A+40" << 1 << true << std::optional<int>(4);
    QTest::newRow("no draws: none") << "L1A+40" << 0 << true << std::optional<int>();
}

void TestVerifier::computedValue()
{
    QFETCH(QString, code);
    QFETCH(int, drawCount);
    QFETCH(bool, requested);
    QFETCH(std::optional<int>, expected);

    const DrawTable table = tableWith(1, std::vector<int>(std::size_t(drawCount), 4));
    const Verifier verifier(table, 1, false, {300, true, true});
    const FormulaVerdict verdict = verifier.verify(code, requested);
    QVERIFY(verdict.evaluable);
    QCOMPARE(verdict.computedValue, expected);
    if (drawCount <= 1) {
        QCOMPARE(verdict.statistics, RunStatistics{});
        QCOMPARE(verdict.totalWeight, qint64(0));
    }
}

void TestVerifier::codeThatDoesNotCompile_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("leftover Chinese name") << "L1A+L2某某+5";
    QTest::newRow("unknown column code") << "L1A+L9Z";
    QTest::newRow("dangling operator") << "L1A+";
    QTest::newRow("unbalanced parenthesis") << "(L1A+L2B";
    QTest::newRow("empty code") << "";
}

void TestVerifier::codeThatDoesNotCompile()
{
    QFETCH(QString, code);

    const DrawTable table = tableOfSize(30);
    const Verifier verifier(table, 1, true, {0, false, true});
    const FormulaVerdict verdict = verifier.verify(code, true);
    QVERIFY(!verdict.evaluable);
    QCOMPARE(verdict.statistics, RunStatistics{});
    QCOMPARE(verdict.hitWeight, qint64(0));
    QCOMPARE(verdict.totalWeight, qint64(0));
    QVERIFY(!verdict.computedValue);
}

QTEST_GUILESS_MAIN(TestVerifier)
#include "tst_verifier.moc"
