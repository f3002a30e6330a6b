#pragma once

#include <QString>
#include <QStringList>

#include <map>

namespace quorvel {

// One cell of a written sheet as the file holds it.
struct SheetCell
{
    bool number = false;
    QString value;
    QString fill; // "RRGGBB" of a solid fill, empty without one
};

// Reads workbooks back the way a spreadsheet program would: unzips the .xlsx (with `unzip -p`)
// and reads the sheet's XML.
namespace WorkbookReader {

// Every cell of the first sheet by its reference ("A1"); empty when the file cannot be read.
std::map<QString, SheetCell> readSheet(const QString& path);
// The names of the workbook's sheets, in order.
QStringList sheetNames(const QString& path);
// "A1" for row 1, column 1; "AA3" for row 3, column 27.
QString reference(int row, int column);

} // namespace WorkbookReader
} // namespace quorvel
