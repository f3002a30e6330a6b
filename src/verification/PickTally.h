#pragma once

#include "verification/ChanceBaseline.h"

#include <vector>

namespace quorvel {

// A pick is right when it holds: a keep pick when it is the number drawn at its position, a kill
// pick when it is not.
int rightPicks(const std::vector<int>& picks, int drawn, bool kill);

// Whether a page's claim held: keep, the number drawn is among its picks; kill, none of its picks
// was drawn. False for a page without picks.
bool pageHeld(const std::vector<int>& picks, int drawn, bool kill);

// Right picks among all picks judged, beside what luck gives: each pick is right with the chance
// of its kind, 1/20 keep or 19/20 kill, independently.
struct PickTally
{
    int right = 0;
    int trials = 0;
    double expected = 0; // right picks luck gives on average

    void add(int rightCount, int pickCount, bool kill)
    {
        right += rightCount;
        trials += pickCount;
        expected += pickCount * ChanceBaseline::hitChance(kill);
    }
    double rate() const { return trials > 0 ? double(right) / trials : 0; }
    double chanceRate() const { return trials > 0 ? expected / trials : 0; }
    // P(X >= right) for X binomial(trials, chance of the kind); 1 without trials. Meant for a
    // tally of one kind.
    double pValue(bool kill) const
    {
        return ChanceBaseline::atLeastHits(trials, ChanceBaseline::hitChance(kill), right);
    }
};

} // namespace quorvel
