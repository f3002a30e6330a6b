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

// Convenience: the draw record for an issue with its computed parameters.
Draw makeDraw(const DrawNumbers& numbers, qint32 issue, const std::optional<DrawNumbers>& previous,
              int drawsPerDay, EntryPath path);

} // namespace quorvel
