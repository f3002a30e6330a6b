#include "verification/TrendFigures.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <map>

namespace quorvel {

namespace {

// The numbers a scope counts as hit in one draw, as bits 0..19 for the numbers 1..20.
quint32 hitMask(const DrawTable& table, TrendScope scope, int draw)
{
    if (!scope.isEveryPosition())
        return 1u << (table.numbersAt(scope.position)[draw] - 1);
    quint32 mask = 0;
    for (int position = 1; position <= kPositionCount; ++position)
        mask |= 1u << (table.numbersAt(position)[draw] - 1);
    return mask;
}

} // namespace

TrendRange TrendRange::newest(int drawCount, int requested)
{
    const int count = requested <= 0 || requested > drawCount ? drawCount : requested;
    return {drawCount - count, count};
}

TrendChart::TrendChart(const DrawTable& table, TrendScope scope, TrendRange range)
    : m_range(range),
      m_omissions(std::make_unique_for_overwrite<qint32[]>(std::size_t(range.count) * kHighestNumber))
{
    // Each number's newest hit so far: its omission in a draw is the distance to it (before its
    // first hit, -1 counts from the first stored draw). A draw touches only the numbers it hits,
    // and the row of a draw in the range is one subtraction per number.
    std::array<qint32, kHighestNumber> lastHit;
    lastHit.fill(-1);
    std::array<qint32, kHighestNumber> previous{};
    std::array<qint32, kHighestNumber> hits{};
    std::array<qint32, kHighestNumber> run{};
    std::array<qint32, kHighestNumber> maxRun{};
    std::array<qint32, kHighestNumber> maxMiss{};
    const int draws = table.drawCount();
    for (int draw = 0; draw < draws; ++draw) {
        const bool inRange = draw >= range.first;
        for (quint32 mask = hitMask(table, scope, draw); mask != 0; mask &= mask - 1) {
            const auto n = std::size_t(std::countr_zero(mask));
            previous[n] = draw - 1 - lastHit[n];
            if (inRange) {
                ++hits[n];
                run[n] = lastHit[n] == draw - 1 && draw > range.first ? run[n] + 1 : 1;
                maxRun[n] = std::max(maxRun[n], run[n]);
            }
            lastHit[n] = draw;
        }
        if (!inRange)
            continue;
        qint32* row = m_omissions.get() + std::size_t(draw - range.first) * kHighestNumber;
        for (std::size_t n = 0; n < kHighestNumber; ++n) {
            row[n] = draw - lastHit[n];
            maxMiss[n] = std::max(maxMiss[n], row[n]);
        }
    }
    const double chance = scope.hitChance();
    // In twentieths first, so the one division gives the nearest double to R p and h - R p.
    const int twentieths = scope.hitTwentieths();
    for (std::size_t n = 0; n < kHighestNumber; ++n) {
        NumberTrend& figures = m_numbers[n];
        figures.hits = hits[n];
        figures.maxMiss = maxMiss[n];
        figures.maxRun = maxRun[n];
        if (lastHit[n] >= 0)
            figures.previous = previous[n];
        figures.current = draws - 1 - lastHit[n];
        figures.avgMiss = (range.count - figures.hits) / (figures.hits + 1);
        figures.expected = range.count * twentieths / 20.0;
        figures.deviation = (20 * figures.hits - range.count * twentieths) / 20.0;
        if (figures.avgMiss > 0)
            figures.ratio = double(figures.current) / figures.avgMiss;
        figures.chance = std::pow(1.0 - chance, figures.current);
    }
}

std::array<HotCold, kHighestNumber> hotCold(const DrawTable& table, TrendScope scope)
{
    std::array<HotCold, kHighestNumber> result{};
    const int draws = table.drawCount();
    for (int age = 0; age < std::min(50, draws); ++age) {
        const quint32 mask = hitMask(table, scope, draws - 1 - age);
        for (int n = 0; n < kHighestNumber; ++n) {
            if (!((mask >> n) & 1u))
                continue;
            HotCold& counts = result[std::size_t(n)];
            counts.newest10 += age < 10;
            counts.newest20 += age < 20;
            ++counts.newest50;
        }
    }
    // With m draws and a hit chance of k/20: H - m k/20 against the standard deviation
    // sqrt(m (k/20) (1 - k/20)); times 20 both sides are whole numbers, so the comparison of
    // their squares is exact (with 19 draws at one position the lower edge is exactly 0).
    const qint64 m = std::min(20, draws);
    const qint64 k = scope.hitTwentieths();
    const qint64 variance = m * k * (20 - k);
    for (HotCold& counts : result) {
        const qint64 difference = 20 * qint64(counts.newest20) - m * k;
        if (difference * difference > variance)
            counts.temperature = difference > 0 ? Temperature::Hot : Temperature::Cold;
    }
    return result;
}

DrawShape drawShape(const DrawTable& table, int draw)
{
    DrawShape shape;
    const DrawNumbers numbers = table.numbers(draw);
    const auto [low, high] = std::minmax_element(numbers.begin(), numbers.end());
    shape.span = *high - *low;
    for (const int number : numbers) {
        shape.sum += number;
        shape.odd += number % 2;
        shape.big += number >= 11;
    }
    if (draw > 0) {
        const DrawNumbers before = table.numbers(draw - 1);
        shape.repeated = int(std::count_if(numbers.begin(), numbers.end(), [&](int number) {
            return std::find(before.begin(), before.end(), number) != before.end();
        }));
    }
    return shape;
}

namespace {

// The side of a number drawn at one position: 大, 单, 尾大 or 合单 when true.
bool firstSideOf(TwoSidedAttribute attribute, int number)
{
    switch (attribute) {
    case TwoSidedAttribute::BigSmall:
        return number >= 11;
    case TwoSidedAttribute::OddEven:
        return number % 2 == 1;
    case TwoSidedAttribute::Tail:
        return number % 10 >= 5;
    case TwoSidedAttribute::DigitSum:
        return (number / 10 + number % 10) % 2 == 1;
    case TwoSidedAttribute::DragonTiger:
        break;
    }
    Q_ASSERT(false);
    return false;
}

// The streak figures of one attribute, from the side it shows in every stored draw.
TwoSidedStreak streakOf(TwoSidedStreak streak, const std::vector<quint8>& sides, TrendRange range)
{
    const int draws = int(sides.size());
    streak.firstSide = sides.back() != 0;
    while (streak.streak < draws && (sides[std::size_t(draws - 1 - streak.streak)] != 0) == streak.firstSide)
        ++streak.streak;
    int run = 0;
    for (int draw = range.first; draw < draws; ++draw) {
        run = draw > range.first && sides[std::size_t(draw)] == sides[std::size_t(draw - 1)] ? run + 1 : 1;
        streak.longest = std::max(streak.longest, run);
    }
    return streak;
}

} // namespace

QString TwoSidedStreak::sideText() const
{
    static const char16_t* const sides[][2] = {
        {u"大", u"小"}, {u"单", u"双"}, {u"尾大", u"尾小"}, {u"合单", u"合双"}, {u"龙", u"虎"}};
    return QString::fromUtf16(sides[int(attribute)][firstSide ? 0 : 1]);
}

std::vector<TwoSidedStreak> twoSidedStreaks(const DrawTable& table, TrendRange range)
{
    std::vector<TwoSidedStreak> result;
    const int draws = table.drawCount();
    if (draws == 0)
        return result;
    std::vector<quint8> sides(std::size_t(draws), 0);
    for (int position = 1; position <= kPositionCount; ++position) {
        const qint32* numbers = table.numbersAt(position);
        for (const TwoSidedAttribute attribute : {TwoSidedAttribute::BigSmall, TwoSidedAttribute::OddEven,
                                                  TwoSidedAttribute::Tail, TwoSidedAttribute::DigitSum}) {
            std::array<quint8, kHighestNumber + 1> sideOf{};
            for (int number = 1; number <= kHighestNumber; ++number)
                sideOf[std::size_t(number)] = firstSideOf(attribute, number);
            for (int draw = 0; draw < draws; ++draw)
                sides[std::size_t(draw)] = sideOf[std::size_t(numbers[draw])];
            result.push_back(streakOf({position, 0, attribute}, sides, range));
        }
    }
    for (int first = 1; first <= kPositionCount / 2; ++first) {
        const int second = kPositionCount + 1 - first;
        const qint32* dragon = table.numbersAt(first);
        const qint32* tiger = table.numbersAt(second);
        for (int draw = 0; draw < draws; ++draw)
            sides[std::size_t(draw)] = dragon[draw] > tiger[draw];
        result.push_back(streakOf({first, second, TwoSidedAttribute::DragonTiger}, sides, range));
    }
    // The streaks of one range share a handful of longest runs: each chance is worked out once.
    std::map<int, double> chances;
    for (TwoSidedStreak& streak : result) {
        const auto known = chances.try_emplace(streak.longest, 0.0);
        if (known.second)
            known.first->second = chanceOfRun(range.count, streak.longest);
        streak.chance = known.first->second;
    }
    return result;
}

double chanceOfRun(int tosses, int run)
{
    if (run <= 1)
        return run <= 0 || tosses > 0 ? 1.0 : 0.0;
    if (run > tosses)
        return 0.0;
    // v(k): the chance that k tosses hold such a run. Either the first run reaches `run` tosses
    // (chance 2^-(run-1), when k >= run), or it ends after i < run tosses (chance 2^-i) and the
    // rest holds one: v(k) = [k >= run] 2^-(run-1) + sum over i = 1 .. min(run-1, k-1) of
    // 2^-i v(k-i). Every term is positive, so tiny chances keep their digits; the sum slides
    // along with k.
    // Only the newest `run` values are looked back at: they are kept in a ring, v(k) at k mod run.
    std::vector<double> v(std::size_t(run), 0.0);
    const double whole = std::ldexp(1.0, -(run - 1));
    double rest = 0; // the sum for the current k
    double newest = 0;
    std::size_t slot = 0; // k mod run
    for (int k = 1; k <= tosses; ++k) {
        slot = slot + 1 == std::size_t(run) ? 0 : slot + 1;
        const std::size_t next = slot + 1 == std::size_t(run) ? 0 : slot + 1;
        newest = (k >= run ? whole : 0.0) + rest;
        // v(k - run + 1) still sits in the slot v(k + 1) takes next.
        const double leaving = k >= run ? whole * v[next] : 0.0;
        v[slot] = newest;
        rest = 0.5 * newest + 0.5 * (rest - leaving);
    }
    return newest;
}

} // namespace quorvel
