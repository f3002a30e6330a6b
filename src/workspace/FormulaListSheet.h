#pragma once

#include "verification/ExportSheets.h"
#include "workspace/FormulaListSort.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quorvel {

class Workspace;

// The texts of the formula list `MSFlexGrid2` as the grid shows them, in the list order or in the
// sorted order of a double click, and the list as a sheet for its spreadsheet export (`mnuExl`).
// The grid and the export read the same texts, so the workbook holds what the window showed.
namespace FormulaListSheet {

constexpr int kColumnCount = 11; // "序号" .. "最后连对" and the hidden column of `idx`

// A row as shown: a formula of the list by its list number, or (list number 0) a formula of the
// other kind in the sorted order, with what its table holds.
struct ShownFormula
{
    int listNumber = 0;
    const FormulaRecord* stored = nullptr;
};

QStringList headers(); // the hidden column's header is empty
// The text of column 0..10 of the row shown at `shownRow` (0-based).
QString text(const Workspace& workspace, int shownRow, const ShownFormula& formula, int column);

// Header and rows, in the sorted order when one is given, else in list order; every column,
// the hidden one included, and no fills.
SheetGrid sheet(const Workspace& workspace, const std::vector<SortedFormulaRow>* sortedOrder = nullptr);

} // namespace FormulaListSheet
} // namespace quorvel
