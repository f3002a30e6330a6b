#pragma once

#include "core/Result.h"

#include <QString>

namespace quorvel {

class Workspace;

// The text export of the history (`cmdLsdcTxt`): "更新至" + the issue of `Text1` + "期历史号码.txt"
// in the data folder, one line per draw, oldest first, replacing a file of that name; then shown
// to the user.
class HistoryExport
{
public:
    explicit HistoryExport(Workspace& workspace);

    // The full path of the written file. Refuses an issue text that would lead out of the data
    // folder or cannot stand in a file name.
    Result<QString> writeText();

private:
    Workspace& m_workspace;
};

} // namespace quorvel
