#pragma once

#include "core/FormulaRecord.h"

#include <QString>

#include <array>
#include <optional>

namespace quorvel {

// The eight acceptance bounds of a search category, numbered 2..9 as their boxes
// `Text1(2)`..`Text1(9)`: lower and upper bounds of the longest miss run, the longest hit run,
// the last miss run and the last hit run.
struct AcceptanceBounds
{
    static constexpr int kFirstNumber = 2;
    static constexpr int kLastNumber = 9;
    // Absorbs decimal bounds typed into the boxes.
    static constexpr double kTolerance = 0.0001;

    std::array<double, 8> values{};

    double bound(int number) const { return values[std::size_t(number - kFirstNumber)]; }
    void setBound(int number, double value) { values[std::size_t(number - kFirstNumber)] = value; }

    // Accepted when every statistic lies within its bounds (inclusive, with the tolerance) and
    // the candidate currently sits at its longest miss run.
    bool accepts(const RunStatistics& statistics) const;
    bool operator==(const AcceptanceBounds&) const = default;

    // The statistic a pair of bounds limits ("最大连错", "最大连对", "最后连错", "最后连对"),
    // `lowerNumber` being its lower bound's number 2, 4, 6 or 8.
    static QString statisticName(int lowerNumber);
    // Whether the pair whose lower bound is `lowerNumber` has its lower bound above its upper one:
    // such bounds accept no formula, so a search with them would run forever or find nothing.
    bool isInverted(int lowerNumber) const { return bound(lowerNumber) > bound(lowerNumber + 1); }
    // The refusal naming the first inverted pair ("最大连错下限大于上限"); empty when none is.
    std::optional<QString> inversion() const;
};

// An inclusive range of whole numbers.
struct WholeRange
{
    int low = 0;
    int high = -1;
    bool contains(int value) const { return low <= value && value <= high; }
};

// The bounds as the whole-number ranges they admit (the statistics are whole numbers, so
// b - 0.0001 <= x is x >= the ceiling of b - 0.0001): what the search compares against.
struct AcceptanceLimits
{
    WholeRange maxMisses;  // 最大连错
    WholeRange maxHits;    // 最大连对
    WholeRange lastMisses; // 最后连错
    WholeRange lastHits;   // 最后连对

    static AcceptanceLimits of(const AcceptanceBounds& bounds);
    // The same verdict as AcceptanceBounds::accepts.
    bool accepts(const RunStatistics& statistics) const;
};

} // namespace quorvel
