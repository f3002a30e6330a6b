#pragma once

#include <QString>

namespace quorvel {

// What luck alone gives: the yardstick for a formula's record over its verification window. The
// drawn number at a position is uniform over 1..20, so a formula that knows nothing is right for
// a draw with probability 1/20 (keep) or 19/20 (kill), independently from draw to draw.
namespace ChanceBaseline {

constexpr double kKeepHitChance = 1.0 / 20;
constexpr double kKillHitChance = 19.0 / 20;

inline double hitChance(bool kill)
{
    return kill ? kKillHitChance : kKeepHitChance;
}

// P(X >= hits) for X binomial over `outcomes` trials of hit probability p. 1 for hits <= 0,
// 0 for hits > outcomes.
double atLeastHits(int outcomes, double p, int hits);

// The chance that `outcomes` independent trials, each a success with probability p, hold a run
// of at least `length` successes in a row. Exact (a recursion over the trials, linear in their
// number). 1 for length <= 0, 0 for length > outcomes.
double longestRunAtLeast(int outcomes, double p, int length);

// A formula's record beside what luck alone gives over the same window.
struct Figures
{
    int outcomes = 0;         // draws in the window
    int hits = 0;             // draws of the window it got right
    double hitRate = 0;       // hits / outcomes; 0 for an empty window
    double hitsChance = 1;    // P(at least `hits` hits)
    double maxMissChance = 1; // P(a miss run at least as long as its longest)
    double maxHitChance = 1;  // P(a hit run at least as long as its longest)
};

Figures figures(int outcomes, int hits, int maxMisses, int maxHits, bool kill);

// The figure of the list column "随机概率": the smaller of the hit-count and the longest-hit-run
// chances, the likelier of the two ways luck could explain the record.
inline double listChance(const Figures& figures)
{
    return figures.hitsChance < figures.maxHitChance ? figures.hitsChance : figures.maxHitChance;
}

// The chance that the newest `length` outcomes all come out one way (hits when `ofHits`), for a
// formula that knows nothing: p^length or (1 - p)^length.
double lastRunChance(int length, bool ofHits, bool kill);

// A probability as a percentage with two significant digits ("12%", "0.034%", "100%"); values
// below 0.001% keep their two digits in exponent form ("6.7e-12%").
QString percentText(double probability);

// A probability as printf's "%.6g" writes it ("1", "0.05", "2.0753e-07").
QString probabilityText(double probability);

} // namespace ChanceBaseline
} // namespace quorvel
