#pragma once

#include "core/Draw.h"
#include "core/Result.h"

#include <QString>

namespace quorvel {

class Workspace;

// Manual draw entry (`txtIpt1`..`txtIpt8` with the issue of `Text1`): checks the draw, stores it
// through the manual path, refreshes the history and the verification, proposes the next issue.
class ManualDrawEntry
{
public:
    explicit ManualDrawEntry(Workspace& workspace);

    // Fails when the draw is refused or cannot be stored (nothing is stored; the failure carries the
    // title of its notice). Otherwise the draw is stored, and the status held says whether the
    // refresh after it succeeded.
    Result<Status> add(const QString& issueText, const DrawNumbers& numbers);

private:
    Workspace& m_workspace;
};

} // namespace quorvel
