#pragma once

namespace quorvel::bench {

// What keeping a state for undo adds to a destructive operation, on 100,000 draws and 50,000
// formulas: the keep of the history and all eight formula tables (more than any one operation
// keeps) beside the deletion of the newest draws without keeping, in one run.
void printUndoFigures();

} // namespace quorvel::bench
