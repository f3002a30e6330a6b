#include "workspace/PredictionRun.h"

#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/RankingTable.h"
#include "core/Settings.h"
#include "workspace/PredictionLedger.h"
#include "workspace/PredictionState.h"
#include "workspace/Workspace.h"

namespace quorvel {

PredictionRun::PredictionRun(Workspace& workspace, PredictionState& state)
    : m_workspace(workspace), m_state(state)
{
}

PredictionMethod PredictionRun::chosenMethod(const Settings& settings)
{
    return settings.computeSelectedFormulas() ? PredictionMethod::SelectedFormulas
                                              : PredictionMethod::BestFormulas;
}

Result<PredictionRun::Tables> PredictionRun::readTables(Database& database, int shownPosition, bool kill,
                                                        bool withStatistics)
{
    Tables tables;
    for (int q = 1; q <= shownPosition; ++q) {
        const Result<std::vector<FormulaRecord>> records = database.formulas().read(q, kill);
        if (!records)
            return records.failure();
        std::vector<PredictionFormula>& table = tables[std::size_t(q - 1)];
        table.reserve(records->size());
        for (const FormulaRecord& record : *records)
            table.push_back({record.idx.value_or(0), record.code, record.kill,
                             withStatistics ? record.statistics : std::nullopt, record.displayText});
    }
    return tables;
}

Result<PredictionOutcome> PredictionRun::run(PredictionMethod method)
{
    return run(method, ListSelection{m_workspace.formulaList().selectionMarks(), true});
}

Result<PredictionOutcome> PredictionRun::run(PredictionMethod method, const ListSelection& selection)
{
    return m_workspace.withStorage([&](Database& database) -> Result<PredictionOutcome> {
        PredictionParams params;
        params.method = method;
        params.kill = m_workspace.currentKindIsKill();
        params.shownPosition = m_workspace.currentPosition();
        params.selection = selection;
        if (method == PredictionMethod::BestFormulas) {
            const std::optional<BestFormulaSettings>& settings = m_state.bestFormulaSettings();
            if (!settings)
                return PredictionOutcome{};
            params.quota = settings->quota;
            params.keys = settings->keys;
        }
        Result<Tables> tables =
            readTables(database, params.shownPosition, params.kill, /*withStatistics=*/true);
        if (!tables)
            return tables.failure();
        params.tables = std::move(*tables);

        const std::shared_ptr<const DrawTable> history = m_workspace.history();
        m_state.store(Prediction(*history).run(params), method, params.shownPosition);

        PredictionOutcome outcome;
        outcome.computed = true;
        // The hand-over table is scratch: a file that cannot be written keeps the ranking in memory,
        // and the window has said once that nothing can be saved.
        if (!database.isReadOnly()) {
            std::vector<RankingRow> rows;
            for (const RankingTableRow& row : m_state.ranking().rankingTableRows())
                rows.push_back({row.num, row.eTrrCount, row.errCount, row.trrCount});
            outcome.handOver = database.ranking().replace(rows);
        }
        outcome.ledger = PredictionLedger(m_workspace).record(m_state);
        // The list shows position p* again, with its marks.
        if (Status filled = m_workspace.apply(WorkspaceChange::listSwitched()); !filled)
            return filled.failure();
        return outcome;
    });
}

} // namespace quorvel
