#include "verification/TrendFigures.h"

#include <QTest>

using namespace quorvel;

namespace {

// A history from the numbers at position 1, oldest first; the other positions hold 13..19 so
// they never touch the numbers the cases look at.
DrawTable historyAtFirstPosition(const std::vector<int>& first)
{
    std::vector<Draw> draws;
    for (const int number : first) {
        Draw draw;
        draw.issue = 26010101 + int(draws.size());
        draw.values[std::size_t(numberTermIndex(1))] = number;
        for (int position = 2; position <= kPositionCount; ++position)
            draw.values[std::size_t(numberTermIndex(position))] = 11 + position;
        draws.push_back(draw);
    }
    return DrawTable(draws);
}

} // namespace

class TestTrendFigures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void omissionFiguresOverARange();
    void rangeLongerThanTheHistoryTakesItAll();
    void hotAndColdCompareExactly();
    void shapeOfADraw();
    void streaksOfBothSides();
    void runChanceMatchesEnumeration();
};

void TestTrendFigures::omissionFiguresOverARange()
{
    const DrawTable table = historyAtFirstPosition({9, 3, 5, 5, 7, 3});
    const TrendChart chart(table, TrendScope{1}, TrendRange::newest(table.drawCount(), 4));
    QCOMPARE(chart.rowCount(), 4);
    // A number never hit counts from the first stored draw, so the range's first row shows 3.
    QCOMPARE(chart.omission(0, 20), 3);
    QVERIFY(chart.isHit(3, 3));

    const NumberTrend& never = chart.number(20);
    QCOMPARE(never.hits, 0);
    QCOMPARE(never.maxMiss, 6);
    QCOMPARE(never.avgMiss, 4);
    QCOMPARE(never.current, 6);
    QVERIFY(!never.previous);
    QCOMPARE(*never.ratio, 1.5);
    QCOMPARE(never.chance, std::pow(0.95, 6));

    const NumberTrend& twice = chart.number(5); // hit in the range's first two draws
    QCOMPARE(twice.hits, 2);
    QCOMPARE(twice.maxRun, 2);
    QCOMPARE(twice.maxMiss, 2);
    QCOMPARE(twice.avgMiss, 0);
    QVERIFY(!twice.ratio);
    QCOMPARE(*twice.previous, 0);
    QCOMPARE(twice.expected, 0.2);
    QCOMPARE(twice.deviation, 1.8);

    const NumberTrend& newest = chart.number(3); // hit in the newest draw after three misses
    QCOMPARE(newest.current, 0);
    QCOMPARE(*newest.previous, 3);
    QCOMPARE(newest.maxMiss, 3);
    QCOMPARE(*newest.ratio, 0.0);

    QCOMPARE(*chart.number(9).previous, 0); // its only hit is the first stored draw
}

void TestTrendFigures::rangeLongerThanTheHistoryTakesItAll()
{
    QCOMPARE(TrendRange::newest(6, 100).count, 6);
    QCOMPARE(TrendRange::newest(6, 0).first, 0);
    QCOMPARE(TrendRange::newest(6, 2).first, 4);
    const TrendChart empty(DrawTable(), TrendScope{}, TrendRange::newest(0, 100));
    QCOMPARE(empty.rowCount(), 0);
    QCOMPARE(empty.number(1).chance, 1.0);
    QVERIFY(twoSidedStreaks(DrawTable(), {}).empty());
}

void TestTrendFigures::hotAndColdCompareExactly()
{
    // 19 draws at one position: e = 0.95 = s, so a number never hit is at e - s exactly: warm.
    std::vector<int> first(19, 1);
    first[0] = first[1] = 2;
    first[2] = 3;
    const auto figures = hotCold(historyAtFirstPosition(first), TrendScope{1});
    QCOMPARE(figures[19].temperature, Temperature::Warm); // 20: never hit
    QCOMPARE(figures[2].temperature, Temperature::Warm);  // 3: once, 0.05 above e
    QCOMPARE(figures[1].temperature, Temperature::Hot);   // 2: twice
    QCOMPARE(figures[0].newest10, 10);
    QCOMPARE(figures[0].newest50, 16);

    // Every position over 20 draws: e = 8, s = 2.19; 13..19 are in every draw, 2 in none.
    const auto all = hotCold(historyAtFirstPosition(std::vector<int>(20, 1)), TrendScope{});
    QCOMPARE(all[12].temperature, Temperature::Hot);
    QCOMPARE(all[1].temperature, Temperature::Cold);
}

void TestTrendFigures::shapeOfADraw()
{
    const DrawTable table = historyAtFirstPosition({1, 20});
    const DrawShape first = drawShape(table, 0);
    QCOMPARE(first.sum, 1 + 13 + 14 + 15 + 16 + 17 + 18 + 19);
    QCOMPARE(first.span, 18);
    QCOMPARE(first.odd, 5);
    QCOMPARE(first.big, 7);
    QVERIFY(!first.repeated);
    QCOMPARE(*drawShape(table, 1).repeated, 7);
}

void TestTrendFigures::streaksOfBothSides()
{
    // Position 1: 12 大, 3 小, 4 小, 11 大, 12 大; position 8 holds 19 throughout.
    const DrawTable table = historyAtFirstPosition({12, 3, 4, 11, 12});
    const std::vector<TwoSidedStreak> streaks = twoSidedStreaks(table, TrendRange::newest(5, 4));
    QCOMPARE(int(streaks.size()), kPositionCount * 4 + 4);
    const TwoSidedStreak& bigSmall = streaks[0];
    QCOMPARE(bigSmall.sideText(), QStringLiteral("大"));
    QCOMPARE(bigSmall.streak, 2);
    QCOMPARE(bigSmall.longest, 2); // 小小 and 大大 inside the newest four
    QCOMPARE(bigSmall.chance, chanceOfRun(4, 2));
    const TwoSidedStreak& tail = streaks[2]; // last digits 2, 3, 4, 1, 2
    QCOMPARE(tail.sideText(), QStringLiteral("尾小"));
    QCOMPARE(tail.streak, 5);
    const TwoSidedStreak& dragonTiger = streaks[kPositionCount * 4];
    QCOMPARE(dragonTiger.pairedPosition, 8);
    QCOMPARE(dragonTiger.sideText(), QStringLiteral("虎")); // 19 at position 8 beats every first number
    QCOMPARE(dragonTiger.streak, 5);
    QCOMPARE(dragonTiger.chance, chanceOfRun(4, 4));
}

void TestTrendFigures::runChanceMatchesEnumeration()
{
    for (int tosses = 1; tosses <= 12; ++tosses) {
        std::vector<int> longest(std::size_t(1) << tosses);
        for (std::size_t bits = 0; bits < longest.size(); ++bits) {
            int run = 1;
            longest[bits] = 1;
            for (int i = 1; i < tosses; ++i) {
                run = ((bits >> i) & 1u) == ((bits >> (i - 1)) & 1u) ? run + 1 : 1;
                longest[bits] = std::max(longest[bits], run);
            }
        }
        for (int run = 0; run <= tosses + 1; ++run) {
            const double counted =
                double(std::count_if(longest.begin(), longest.end(), [&](int l) { return l >= run; }));
            QVERIFY2(qFuzzyCompare(1.0 + chanceOfRun(tosses, run), 1.0 + counted / double(longest.size())),
                     qPrintable(QStringLiteral("%1 tosses, run %2").arg(tosses).arg(run)));
        }
    }
    QVERIFY(chanceOfRun(100000, 60) > 0); // a tiny chance keeps its digits
}

QTEST_GUILESS_MAIN(TestTrendFigures)
#include "tst_trendfigures.moc"
