#pragma once

namespace quorvel::bench {

// Figures of the programs as a user meets them, each a whole process started on a prepared data
// folder and timed to its end (best of three): the window program's start until its window is
// shown with every formula of the list verified, the companion's verify, a 1,600-text
// `formulas add` and a one-day `history import` into a long history. The start and the verify are
// printed beside their floor measured in the same run (ProcessFloor), best of five each, and the
// ratio of the two.
void printProgramFigures();

// The trend figures of every scope over a 100,000-draw history (what the trend window and the
// companion's trend work out), beside the window program's start on the same data.
void printTrendFigures();

} // namespace quorvel::bench
