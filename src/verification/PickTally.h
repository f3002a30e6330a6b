#pragma once

#include "verification/ChanceBaseline.h"

#include <vector>

namespace quorvel {

// The ranking's picks are the numbers its formulas expect to be drawn, for kill formulas (the
// least-killed) as for keep formulas (the most-kept). A pick that knows nothing is right with
// the chance of a keep formula, 1 time in 20.
constexpr double kPickChance = ChanceBaseline::kKeepHitChance;

// A pick is right when it is the number drawn at its position.
int rightPicks(const std::vector<int>& picks, int drawn);

// Whether a page's picks hold the number drawn. False for a page without picks.
bool pageHeld(const std::vector<int>& picks, int drawn);

// Right picks among all picks judged, beside what luck gives: each pick is right with the
// chance `kPickChance`, independently.
struct PickTally
{
    int right = 0;
    int trials = 0;

    void add(int rightCount, int pickCount)
    {
        right += rightCount;
        trials += pickCount;
    }
    double expected() const { return trials * kPickChance; } // right picks luck gives on average
    double rate() const { return trials > 0 ? double(right) / trials : 0; }
    double chanceRate() const { return trials > 0 ? kPickChance : 0; }
    // P(X >= right) for X binomial(trials, kPickChance); 1 without trials.
    double pValue() const { return ChanceBaseline::atLeastHits(trials, kPickChance, right); }
};

} // namespace quorvel
