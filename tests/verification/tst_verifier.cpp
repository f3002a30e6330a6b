#include "core/DrawTable.h"
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

} // namespace

class TestVerifier : public QObject
{
    Q_OBJECT

private slots:
    void window_data();
    void window();
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
