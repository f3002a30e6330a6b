#pragma once

#include "core/Draw.h"

#include <QString>

#include <array>
#include <optional>

namespace quorvel {

// The content of the parameter reference grid (`frmShuoming`, "参数对照"): row 0 heads the
// positions "第一" .. "第八" and "总位", column 0 labels the 40 parameter rows, and the cells show
// the newest draw's values (per-position rows in columns 1..8, per-draw rows in column 9).
namespace ParameterReference {

constexpr int kRowCount = 41;
constexpr int kColumnCount = 10;
using Grid = std::array<std::array<QString, kColumnCount>, kRowCount>;

// The cell texts; with no draw the value cells stay empty and only labels and headers are set.
// Row 0, column 0 is empty.
Grid cells(const std::optional<Draw>& newestDraw);

// The parameter code a value cell shows ("L3B"), empty for label, header and empty cells.
QString codeAt(int row, int column);

// Column widths in twips: 2000 for the labels, 600 per position, 800 for "总位".
int columnWidthTwips(int column);

} // namespace ParameterReference
} // namespace quorvel
