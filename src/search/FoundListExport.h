#pragma once

#include <QString>
#include <QStringList>

namespace quorvel {

// The text export of the found formulas (`Command20` "公式中文导出"): the lines of `List1` with a
// header, a separator after every 50th line and one at the end carrying the line count. The
// caller writes the lines (GB18030, CR LF) and shows the file.
class FoundListExport
{
public:
    // "<issue>期快乐十分公式.txt", issue as shown in the main window's issue box.
    static QString fileName(const QString& issue);
    static QStringList lines(const QStringList& listLines);
    // Twelve "—", the count, fourteen "—" and the footer text.
    static QString separator(int count);
};

} // namespace quorvel
