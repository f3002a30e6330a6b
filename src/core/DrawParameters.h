#pragma once

#include "core/Draw.h"

#include <optional>

namespace quorvel {

// How a draw entered the history; the two paths differ only in the day-sequence values L5K..L7K.
enum class EntryPath
{
    Manual,
    Online
};

// Computes the 124 parameters of a draw from its numbers in drawing order, its issue number
// YYMMDDNN, the numbers of the draw stored before it (none for the first draw), the draws per
// day D and the entry path. Pure; assumes eight different numbers 1..20 (see DrawValidation).
ParameterValues computeDrawParameters(const DrawNumbers& numbers, qint32 issue,
                                      const std::optional<DrawNumbers>& previous, int drawsPerDay,
                                      EntryPath path);

// The only parameters that read the previous draw: `L5N` (numbers also drawn in the previous
// draw) and `L6N` (positions with the previous draw's number); both 0 without a previous draw.
struct PreviousDrawRelation
{
    qint32 repeatedNumbers = 0;
    qint32 samePositions = 0;
};
PreviousDrawRelation relationToPrevious(const DrawNumbers& numbers,
                                        const std::optional<DrawNumbers>& previous);
// Term indexes of `L5N` and `L6N`.
constexpr int kRepeatedNumbersTerm = 104;
constexpr int kSamePositionsTerm = 105;

// Convenience: the draw record for an issue with its computed parameters.
Draw makeDraw(const DrawNumbers& numbers, qint32 issue, const std::optional<DrawNumbers>& previous,
              int drawsPerDay, EntryPath path);

} // namespace quorvel
