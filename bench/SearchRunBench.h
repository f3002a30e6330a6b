#pragma once

#include "core/DrawTable.h"

namespace quorvel::bench {

// The search as the window runs it (generation, early-exit scoring, acceptance and the FoundList,
// through the search driver on worker threads), against the summing floor: prints the
// search-run, search-latency, tune-all and familywise lines.
void printSearchRunFigures(const DrawTable& table, double floorRate);

} // namespace quorvel::bench
