#pragma once

#include "core/FormulaRecord.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quorvel {

// What the lines of a formula text file store, in order, as the import follows the current table
// and kind they switch. Pure: it reads no storage, so it may run on a worker thread.
//
// Each recognised line appends its formula to the table of the position it names (else the
// current one) with the kind its suffix form names (else the current kind). The statistics table
// is the table whose run statistics the window holds: the shown table at the start; a bracket-form
// line first sets it to the current table (the table of the line before). A line whose table
// differs from the statistics table is a table switch: the file import rebuilds that table (its
// duplicates removed) before appending, and both imports write the held statistics back there.
// Lines that are skipped or unrecognised switch nothing.
struct FormulaImportPlan
{
    struct Step
    {
        int position = 1;
        NewFormula formula; // idx empty: numbered when the import renumbers the table
        bool switchesTable = false;
    };

    std::vector<Step> steps;
    QStringList unrecognised; // the lines of "无法识别公式.txt", in file order
    bool finalKill = false;   // the kind the last suffix-form line left (else the starting kind)

    // `progress` is told how many lines are done every few thousand lines and at the end; when it
    // returns false the plan stops there and `completed` is false.
    using Progress = std::function<bool(qsizetype done)>;
    static FormulaImportPlan make(const QStringList& lines, int position, bool kill,
                                  const Progress& progress = {});
    bool completed = true;
};

} // namespace quorvel
