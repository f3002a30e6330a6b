#pragma once

#include "core/Result.h"
#include "workspace/Prompts.h"

namespace quorvel {

// The one report of a failed operation in the window: a notice with the failure's own title, or
// `defaultTitle` when it has none. A success shows nothing. Returns whether it succeeded.
inline bool reportFailure(Prompts& prompts, const Status& status,
                          const QString& defaultTitle = QStringLiteral("数据库错误"))
{
    if (status)
        return true;
    prompts.notice(status.failure().title.isEmpty() ? defaultTitle : status.failure().title, status.error());
    return false;
}

} // namespace quorvel
