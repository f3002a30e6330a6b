#pragma once

#include "core/Result.h"

namespace quorvel {

class Workspace;

// `cmdUpdLim` "更新极限值(&U)": after the question "是否将每条公式的最大连错更新为其极限值？"
// raises the limit value of every formula of the current table (both kinds) to its stored
// maximum consecutive misses where that is higher, in one transaction, then reloads the list and
// verifies again.
class LimitUpdate
{
public:
    explicit LimitUpdate(Workspace& workspace);

    // The question first (OK and Cancel); true for OK.
    bool confirm();
    // The update itself: how many limit values were raised.
    Result<int> apply();

private:
    Workspace& m_workspace;
};

} // namespace quorvel
