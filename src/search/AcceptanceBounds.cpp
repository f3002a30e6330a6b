#include "search/AcceptanceBounds.h"

namespace quorvel {

bool AcceptanceBounds::accepts(const RunStatistics& statistics) const
{
    const auto within = [this](int value, int lowerNumber) {
        return bound(lowerNumber) - kTolerance <= value && value <= bound(lowerNumber + 1) + kTolerance;
    };
    return within(statistics.maxMisses, 2) && within(statistics.maxHits, 4) &&
           within(statistics.lastMisses, 6) && within(statistics.lastHits, 8) &&
           statistics.lastMisses >= statistics.maxMisses;
}

} // namespace quorvel
