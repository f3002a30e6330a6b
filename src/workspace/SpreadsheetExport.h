#pragma once

#include "core/Result.h"
#include "verification/ExportSheets.h"
#include "verification/TrendTables.h"
#include "workspace/FormulaListSort.h"

#include <QPromise>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace quorvel {

class PredictionState;
class Workspace;

// One spreadsheet export ready to be written: the workbook's full path, the title of the notice
// that reports its failure, and the sheet, taken from a snapshot of what the window shows. It
// holds no reference to the workspace, so it can be written on a worker while the state moves on.
struct SpreadsheetJob
{
    QString path;
    QString failureTitle;
    SheetGrid sheet;
};

// The spreadsheet exports: the history grid (`cmdDcexl`, `mnuDcls`), the formula list (`mnuExl`),
// the ranking (`frmErrarrLei` `Command1`), the detail list (`frmXxlb` `Command1`) and the
// calculation steps (a click on the grid of `frmGsbz`) and the shown tab of the trend window. Each writes one sheet "Sheet1" into its
// workbook in the data folder, replacing a file of that name only with a complete one, and then
// opens it for the user. The formula list and the detail list share "gongshi.xlsx": the later
// export replaces the earlier.
class SpreadsheetExport
{
public:
    static QString historyFileName() { return QStringLiteral("lishi.xlsx"); }
    static QString formulaListFileName() { return QStringLiteral("gongshi.xlsx"); }
    static QString rankingFileName() { return QStringLiteral("ErrarrLei.xlsx"); }
    static QString calculationStepsFileName() { return QStringLiteral("LSJS.xlsx"); }
    static QString trendFileName() { return QStringLiteral("zoushi.xlsx"); }

    explicit SpreadsheetExport(Workspace& workspace);

    // The history grid; with the per-draw results shown (`Check1`), the results of the list's
    // formulas in the display mode of "LsXs", after asking whether to wait for them ("查询等待确认").
    // Empty when the user cancels.
    std::optional<SpreadsheetJob> history(bool withResults) const;
    // The formula list in the order shown: the sorted order of a double click when given.
    SpreadsheetJob formulaList(const std::vector<SortedFormulaRow>* sortedOrder = nullptr) const;
    // The counts `ErrarrLei` holds after the last prediction (its last page).
    SpreadsheetJob ranking(const PredictionState& state) const;
    SpreadsheetJob detailList(const DetailList& list) const;
    // The steps of a formula over the history the window showed them for.
    SpreadsheetJob calculationSteps(const QString& code, const QString& displayText,
                                    std::shared_ptr<const DrawTable> history) const;

    // A tab of the trend window over the history in force, with the window's choices.
    SpreadsheetJob trend(TrendTables::TrendTab tab, TrendScope scope, int range) const;

    // The progress units of a job: a unit per row, then the packing of the file, counted as half
    // the rows.
    static int progressUnits(const SpreadsheetJob& job);
    // Writes the workbook. Reads nothing but the job, so it runs on any thread. The failure names
    // what failed and carries the job's title.
    static Status write(const SpreadsheetJob& job);
    // write() as work for the runner: progress in the units above, the text changing when the
    // packing begins; cancelling before that leaves an earlier file as it was, after it the
    // writing is no longer stopped.
    static void write(QPromise<Status>& promise, const SpreadsheetJob& job);
    // Opens a written workbook with the user's spreadsheet program.
    void show(const SpreadsheetJob& job) const;
    // write() through the runner and show(), for a caller that waits: the full path of the workbook.
    Result<QString> run(const SpreadsheetJob& job) const;

private:
    static Status write(const SpreadsheetJob& job, QPromise<Status>* promise);
    QString pathOf(const QString& fileName) const;

    Workspace& m_workspace;
};

} // namespace quorvel
