#pragma once

namespace quorvel::bench {

constexpr int kXlsxDraws = 10000;
constexpr int kXlsxFormulas = 500;

// Times the history export (`cmdDcexl`) with the per-draw display on, through the export the
// window runs: a data folder with kXlsxDraws draws and kXlsxFormulas keep formulas of position 1,
// a workspace started on it, and the workbook lishi.xlsx written from the history grid with one
// coloured column per formula. Prints "xlsx: draws=D formulas=F ms=M peak_mb=P", P being the
// process's peak resident set while the workbook was written, or "ms=failed" with the reason on
// stderr.
void printXlsxExport();

} // namespace quorvel::bench
