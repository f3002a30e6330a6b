#include "workspace/ManualDrawEntry.h"

#include "core/Database.h"
#include "core/HistoryTable.h"
#include "core/Settings.h"
#include "history/DrawEntry.h"
#include "workspace/Workspace.h"

namespace quorvel {

ManualDrawEntry::ManualDrawEntry(Workspace& workspace) : m_workspace(workspace) {}

Result<Status> ManualDrawEntry::add(const QString& issueText, const DrawNumbers& numbers)
{
    return m_workspace.withStorage([&](Database& database) -> Result<Status> {
        const Result<Draw> draw = DrawEntry::prepareManualDraw(issueText, numbers, *m_workspace.history(),
                                                               m_workspace.settings().lotteryTypeIndex(),
                                                               m_workspace.clock().today());
        if (!draw)
            return Failure{draw.error(), QStringLiteral("号码输入有误")};
        if (Status stored = database.history().insert({*draw}); !stored)
            return stored.failure();
        return m_workspace.apply(WorkspaceChange::historyAppended({*draw}).withIssueProposed());
    });
}

} // namespace quorvel
