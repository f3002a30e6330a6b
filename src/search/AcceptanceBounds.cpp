#include "search/AcceptanceBounds.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

// Far beyond any run length, and far from overflow when compared.
constexpr double kFar = 1 << 30;

WholeRange rangeOf(double lower, double upper)
{
    const double low = lower - AcceptanceBounds::kTolerance;
    const double high = upper + AcceptanceBounds::kTolerance;
    // A bound that is not a number admits nothing, as no comparison with it holds.
    if (std::isnan(low) || std::isnan(high))
        return {1, 0};
    return {int(std::clamp(std::ceil(low), -kFar, kFar)), int(std::clamp(std::floor(high), -kFar, kFar))};
}

} // namespace

QString AcceptanceBounds::statisticName(int lowerNumber)
{
    static const std::array<QString, 4> names = {QStringLiteral("最大连错"), QStringLiteral("最大连对"),
                                                 QStringLiteral("最后连错"), QStringLiteral("最后连对")};
    return names[std::size_t((lowerNumber - kFirstNumber) / 2)];
}

std::optional<QString> AcceptanceBounds::inversion() const
{
    for (int lower = kFirstNumber; lower < kLastNumber; lower += 2) {
        if (isInverted(lower))
            return statisticName(lower) + QStringLiteral("下限大于上限");
    }
    return std::nullopt;
}

bool AcceptanceBounds::accepts(const RunStatistics& statistics) const
{
    const auto within = [this](int value, int lowerNumber) {
        return bound(lowerNumber) - kTolerance <= value && value <= bound(lowerNumber + 1) + kTolerance;
    };
    return within(statistics.maxMisses, 2) && within(statistics.maxHits, 4) &&
           within(statistics.lastMisses, 6) && within(statistics.lastHits, 8) &&
           statistics.lastMisses >= statistics.maxMisses;
}

AcceptanceLimits AcceptanceLimits::of(const AcceptanceBounds& bounds)
{
    AcceptanceLimits limits;
    limits.maxMisses = rangeOf(bounds.bound(2), bounds.bound(3));
    limits.maxHits = rangeOf(bounds.bound(4), bounds.bound(5));
    limits.lastMisses = rangeOf(bounds.bound(6), bounds.bound(7));
    limits.lastHits = rangeOf(bounds.bound(8), bounds.bound(9));
    return limits;
}

bool AcceptanceLimits::accepts(const RunStatistics& statistics) const
{
    return maxMisses.contains(statistics.maxMisses) && maxHits.contains(statistics.maxHits) &&
           lastMisses.contains(statistics.lastMisses) && lastHits.contains(statistics.lastHits) &&
           statistics.lastMisses >= statistics.maxMisses;
}

} // namespace quorvel
