#pragma once

#include "core/Result.h"

namespace quorvel {

class Workspace;

// Selecting and deleting formulas of the shown list: `Command8` (select all), `Command5` (invert),
// `Command2` (clear every position) and the deletions of the formula menu `mnuMang`. Each deletion
// runs in one transaction, renumbers the table 1..n in stored order, compacts the database and
// refreshes the list, the history grid and the verification. A question answered Cancel changes
// nothing (and is no failure).
class FormulaMaintenance
{
public:
    explicit FormulaMaintenance(Workspace& workspace);

    void selectAll();       // `Command8`: nothing is recomputed
    void invertSelection(); // `Command5`: nothing is recomputed
    Status clearAll();      // `Command2`: every formula of all eight positions, after the question

    // `mnuDelGS`: the formula of a list number; the marks after it move up one place, so every
    // remaining formula keeps its own.
    Status deleteFormula(int listNumber);
    // `mnuDelLst`: the last formula of the list; the marks stay where they are.
    Status deleteLast();
    // `mnuDelXzGS` (selected = true) and `mnuDelNXzGS`, after their question; afterwards every
    // remaining formula is selected.
    Status deleteMarked(bool selected);

private:
    Status deleteAt(int listNumber, bool shiftMarks);

    Workspace& m_workspace;
};

} // namespace quorvel
