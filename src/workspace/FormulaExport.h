#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

namespace quorvel {

class Workspace;

// The formula text exports `Command11` (every position, current kind) and `Command20` (the shown
// list) into "<issue>期Pellmor.txt" in the data folder, named by the issue in `Text1`. A list in
// code mode is switched to display texts first. The written file is shown through the Desktop;
// the result is its full path.
class FormulaExport
{
public:
    explicit FormulaExport(Workspace& workspace);

    // `Command11`: the light pass of every position with the settings' retrieval window, position
    // 1 first. The shown table stays current.
    Result<QString> exportAll();
    // `Command20`: the display texts and last hits of the shown list, in list order.
    Result<QString> exportShown();

private:
    Result<QString> write(const QStringList& lines);

    Workspace& m_workspace;
};

} // namespace quorvel
