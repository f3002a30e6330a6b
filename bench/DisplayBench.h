#pragma once

namespace quorvel::bench {

constexpr int kDisplayDraws = 10000;
constexpr int kDisplayFormulas = 5000;

// Prints "display: draws=... formulas=... open_ms=...": what switching the per-draw verification
// display on costs besides drawing the widgets, on a synthetic history of kDisplayDraws draws with
// kDisplayFormulas formulas in the list: the verification pass over the list, the display built
// for it, and the cells of one screen (the newest 40 draws of 30 formula columns) on the first
// page and again after a jump to the second page of the formula scroll bar. Best of three runs.
void printDisplayFigures();

} // namespace quorvel::bench
