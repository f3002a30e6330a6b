#pragma once

namespace quorvel::bench {

constexpr int kXlsxDraws = 10000;
constexpr int kXlsxFormulas = 500;

// Times writing the history grid of kXlsxDraws draws with the per-draw results of kXlsxFormulas formulas
// (a header row, the issue and eight numbers, then one coloured column per formula with the
// formulas' display texts on the oldest draw's row) to a workbook in a temporary folder.
// Prints "xlsx: draws=D formulas=F ms=M peak_mb=P", P being the process's peak resident set
// while the workbook was written, or "ms=failed" with the reason on stderr.
void printXlsxExport();

} // namespace quorvel::bench
