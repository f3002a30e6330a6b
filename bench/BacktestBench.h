#pragma once

#include "core/Draw.h"

#include <vector>

namespace quorvel::bench {

// Prints "backtest: draws=300 ms=...": the walk-forward backtest of the newest 300 draws of
// `draws` with the best-formula method (the one that verifies every formula before every
// target) over all eight positions, 5,000 kill formulas each, N = 300.
void printBacktestFigures(const std::vector<Draw>& draws);

} // namespace quorvel::bench
