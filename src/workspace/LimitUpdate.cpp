#include "workspace/LimitUpdate.h"

#include "core/Database.h"
#include "core/FormulaTables.h"
#include "verification/LimitValues.h"
#include "workspace/Prompts.h"
#include "workspace/Workspace.h"

namespace quorvel {

LimitUpdate::LimitUpdate(Workspace& workspace) : m_workspace(workspace) {}

bool LimitUpdate::confirm()
{
    return m_workspace.prompts().question(LimitValues::questionTitle(), LimitValues::questionText());
}

Result<int> LimitUpdate::apply()
{
    return m_workspace.withStorage([&](Database& database) -> Result<int> {
        const int position = m_workspace.currentPosition();
        const Result<std::vector<FormulaRecord>> table = database.formulas().read(position);
        if (!table)
            return table.failure();
        const std::vector<LimitChange> changes = LimitValues::raisedLimits(*table);
        if (Status written = database.formulas().setLimits(position, changes); !written)
            return written.failure();
        if (Status refreshed = m_workspace.apply(WorkspaceChange::formulasChanged()); !refreshed)
            return refreshed.failure();
        return int(changes.size());
    });
}

} // namespace quorvel
