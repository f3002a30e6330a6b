#include "workspace/BacktestSetup.h"

#include "core/Database.h"
#include "core/FormulaTables.h"
#include "workspace/PredictionState.h"
#include "workspace/Workspace.h"

namespace quorvel {

BacktestSetup::BacktestSetup(Workspace& workspace) : m_workspace(workspace) {}

Result<BacktestParams> BacktestSetup::params(int targets, PredictionMethod method,
                                             const ListSelection& selection,
                                             const BestFormulaSettings& best) const
{
    return m_workspace.withStorage([&](Database& database) -> Result<BacktestParams> {
        BacktestParams params;
        params.method = method;
        params.kill = m_workspace.currentKindIsKill();
        params.shownPosition = m_workspace.currentPosition();
        params.selection = selection;
        params.quota = best.quota;
        params.keys = best.keys;
        const VerificationSettings verification = m_workspace.verificationSettings();
        params.periods = verification.periods;
        params.excludeCurrentPeriod = verification.excludeCurrentPeriod;
        params.targets = targets;
        for (int q = 1; q <= params.shownPosition; ++q) {
            const Result<std::vector<FormulaRecord>> records = database.formulas().read(q, params.kill);
            if (!records)
                return records.failure();
            std::vector<PredictionFormula>& table = params.tables[std::size_t(q - 1)];
            table.reserve(records->size());
            for (const FormulaRecord& record : *records)
                table.push_back(
                    {record.idx.value_or(0), record.code, record.kill, std::nullopt, record.displayText});
        }
        return params;
    });
}

} // namespace quorvel
