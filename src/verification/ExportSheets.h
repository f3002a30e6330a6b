#pragma once

#include "core/DrawTable.h"
#include "core/Workbook.h"
#include "verification/CalculationSteps.h"
#include "verification/HistoryDisplay.h"
#include "verification/Ranking.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace quorvel {

// The cells of one exported sheet: grid row r (the header row is row 0) becomes spreadsheet row
// r + 1, grid column c spreadsheet column c + 1. Rows are produced one at a time, in order, by one
// caller at a time (any thread: a sheet holds its own snapshot of what it copies), so a grid
// larger than memory is never held whole.
struct SheetGrid
{
    int rowCount = 0;
    Workbook::RowSource row;

    // A grid already held in memory.
    static SheetGrid of(std::vector<std::vector<WorkbookCell>> rows);
};

// Background fills the history sheet copies from the grid: right = blue, wrong = green.
constexpr quint32 kSheetRightFill = 0x0000FF;
constexpr quint32 kSheetWrongFill = 0x00FF00;

// One formula column of the history sheet, in list order.
struct HistorySheetFormula
{
    QString code;
    bool kill = false;
    QString displayText; // `gongshiCN`, written on the oldest draw's row
};

// The per-draw results the history grid shows while `Check1` is on.
struct HistorySheetResults
{
    int position = 1;
    DisplayMode mode = DisplayMode::NextDraw;
    std::vector<HistorySheetFormula> formulas;
};

// The grids the spreadsheet exports copy, cell for cell as their windows show them. A text that
// is a plain number in the grid becomes a number cell, any other text a text cell
// (WorkbookCell::fromGridText).
namespace ExportSheets {

// The history grid `MSFlexGrid1`: header "期号", "第一" .. "第八", then a row per draw, oldest
// first. With results, formula k's column k + 8 (header k + "公式", from 100 on k + "式") holds
// the number it named on every draw, filled blue when right and green when wrong (no fill
// otherwise), and the row of the oldest draw holds the formulas' display texts instead.
SheetGrid history(std::shared_ptr<const DrawTable> table, std::optional<HistorySheetResults> results);

// The ranking export: "排序序号", "号码", "杀留Err值（公式错误值）", then the numbers of
// `ErrarrLei` by descending total (ties in ascending number): rank, number, total.
SheetGrid ranking(const std::vector<RankingTableRow>& rows);

// The detail list `frmXxlb`: its header and all its rows, those beyond the filled ones empty.
SheetGrid detailList(const DetailList& list);

// The calculation steps grid of `frmGsbz` for a formula over a history. The steps are worked out
// when the first row is asked for, so on the thread that writes the sheet.
SheetGrid calculationSteps(const QString& code, const QString& displayText,
                           std::shared_ptr<const DrawTable> table);

} // namespace ExportSheets
} // namespace quorvel
