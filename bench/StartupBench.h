#pragma once

#include <optional>

namespace quorvel::bench {

constexpr int kStartupDraws = 10000;
constexpr int kStartupFormulas = 5000;

// Milliseconds from launching the window program (offscreen) on a data folder of
// kStartupDraws draws and kStartupFormulas formulas of the list shown at start-up, until it has
// filled its grids, verified every formula and shown its window. Empty when the program could
// not be started or failed.
std::optional<double> startupMilliseconds();

} // namespace quorvel::bench
