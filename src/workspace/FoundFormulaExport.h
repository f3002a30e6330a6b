#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

namespace quorvel {

class Workspace;

// The text export of the search window (`Command20` "公式中文导出"): the lines of `List1` with
// their header and separators, written as "<issue>期快乐十分公式.txt" into the data folder (the
// issue as the main window's issue box shows it), replacing a file of that name, and shown.
class FoundFormulaExport
{
public:
    static const QString kTitle; // "公式中文导出"

    explicit FoundFormulaExport(Workspace& workspace);

    // The full path of the written file. Refuses an issue text that cannot stand in a file name.
    Result<QString> writeText(const QStringList& listLines);

private:
    Workspace& m_workspace;
};

} // namespace quorvel
