#pragma once

#include "core/DrawTable.h"

#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace quorvel {

// Which draws count a number as hit: any of the eight drawn numbers (position 0), or only the
// number drawn at one position 1..8. By the rules of the draw a number is hit by chance 8 times in
// 20 in the first case and once in 20 in the second.
struct TrendScope
{
    int position = 0;

    bool isEveryPosition() const { return position == 0; }
    // The chance of a hit as a whole number of twentieths.
    int hitTwentieths() const { return isEveryPosition() ? kPositionCount : 1; }
    double hitChance() const { return hitTwentieths() / 20.0; }
};

// The newest draws a view covers: draws [first, first + count) of the history, oldest first.
struct TrendRange
{
    int first = 0;
    int count = 0;

    // The newest `requested` draws of a history of `drawCount`; every draw when `requested` is 0
    // or more than the history holds.
    static TrendRange newest(int drawCount, int requested);
};

// What one number did over a range, and what chance alone gives beside it.
struct NumberTrend
{
    int hits = 0;    // hits in the range
    int maxMiss = 0; // the longest omission reached inside the range
    int avgMiss = 0; // (range - hits) / (hits + 1), rounded down
    int maxRun = 0;  // the longest run of consecutive hits inside the range
    int current = 0; // the omission after the newest draw
    // The miss run before the newest hit of the whole history; empty when the number never came.
    std::optional<int> previous;
    double expected = 0;  // range x the chance of a hit
    double deviation = 0; // hits - expected
    // current / avgMiss; empty when avgMiss is 0.
    std::optional<double> ratio;
    // The chance that a number goes at least `current` draws unseen by luck alone.
    double chance = 1;
};

// The omission grid of a range: for every draw of the range and every number 1..20 the draws
// since the number was last hit (0 in a draw that hits it), counted over the whole history so the
// first row shows the true omission; and each number's figures over the range.
class TrendChart
{
public:
    TrendChart(const DrawTable& table, TrendScope scope, TrendRange range);

    TrendRange range() const { return m_range; }
    int rowCount() const { return m_range.count; }
    // Omission of `number` (1..20) in row `row` (0 = the oldest draw of the range).
    int omission(int row, int number) const
    {
        return m_omissions[std::size_t(row) * kHighestNumber + number - 1];
    }
    bool isHit(int row, int number) const { return omission(row, number) == 0; }
    const NumberTrend& number(int number) const { return m_numbers[std::size_t(number - 1)]; }

private:
    TrendRange m_range;
    std::shared_ptr<qint32[]> m_omissions; // rowCount() rows of 20
    std::array<NumberTrend, kHighestNumber> m_numbers{};
};

// How a number stands in the newest draws against what chance gives there.
enum class Temperature
{
    Hot,
    Warm,
    Cold
};

struct HotCold
{
    int newest10 = 0; // hits in the newest 10 draws (fewer when the history is shorter)
    int newest20 = 0;
    int newest50 = 0;
    Temperature temperature = Temperature::Warm;
};

// Per number 1..20: hits in the newest 10, 20 and 50 draws, and "hot" when the hits of the newest
// m = min(20, T) draws lie more than one standard deviation above m x p, "cold" when more than
// one below, compared exactly.
std::array<HotCold, kHighestNumber> hotCold(const DrawTable& table, TrendScope scope);

// The shape of one draw: sum, span, odd:even, big (>= 11):small, and how many of its numbers the
// previous stored draw holds too (empty for the first stored draw).
struct DrawShape
{
    int sum = 0;
    int span = 0;
    int odd = 0;
    int big = 0;
    std::optional<int> repeated;

    int even() const { return kPositionCount - odd; }
    int small() const { return kPositionCount - big; }
};

DrawShape drawShape(const DrawTable& table, int draw);

// The two-sided attributes of a number drawn at one position, and of the pairs of positions.
enum class TwoSidedAttribute
{
    BigSmall,
    OddEven,
    Tail,
    DigitSum,
    DragonTiger
};

// The streaks of one attribute: each is a fair coin by the rules of the draw.
struct TwoSidedStreak
{
    int position = 0;       // 1..8; for the dragon-tiger pairs the first position of the pair
    int pairedPosition = 0; // the pair's second position (9 - position); 0 for the other attributes
    TwoSidedAttribute attribute = TwoSidedAttribute::BigSmall;
    bool firstSide = true; // the newest draw's side: 大, 单, 尾大, 合单 or 龙
    int streak = 0;        // newest draws in a row on that side, over the whole history
    int longest = 0;       // the longest run of one side inside the range
    double chance = 1;     // the chance of a run at least `longest` long in the range by luck

    QString sideText() const;
};

// Positions 1..8 with their four attributes in that order, then the pairs (1,8), (2,7), (3,6),
// (4,5). Nothing for an empty history.
std::vector<TwoSidedStreak> twoSidedStreaks(const DrawTable& table, TrendRange range);

// The chance that `tosses` tosses of a fair coin hold a run of one side at least `run` long,
// exactly by recursion over the length of the first run.
double chanceOfRun(int tosses, int run);

} // namespace quorvel
