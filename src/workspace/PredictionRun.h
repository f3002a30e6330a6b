#pragma once

#include "core/Result.h"
#include "verification/Prediction.h"

namespace quorvel {

class Database;
class PredictionState;
class Settings;
class Workspace;

// How a run of the prediction ended.
struct PredictionOutcome
{
    // False when the best-formula method had no accepted sort settings: nothing was counted and
    // no ranking is to be shown.
    bool computed = false;
    // Writing the counts of the last page into `ErrarrLei`. The ranking is filled either way.
    Status handOver = success();
    // Storing the picks in the prediction ledger. The ranking is filled either way.
    Status ledger = success();
};

// `Command23` "计算公式(&C)": counts positions 1..p* (p* = the position of the formula list) for
// the current kind with the chosen method, keeps the counts in the prediction state, fills the
// ranking (`FormActivate`) and writes the counts of its last page into `ErrarrLei` in one
// transaction, and its picks go into the prediction ledger. The formula list is reloaded keeping
// its marks, and stays on position p*.
class PredictionRun
{
public:
    PredictionRun(Workspace& workspace, PredictionState& state);

    // The method chosen with `Option6` (settings key "JSFF").
    static PredictionMethod chosenMethod(const Settings& settings);
    // The formulas of one kind at positions 1..shownPosition as a prediction reads them, in list
    // order; with `withStatistics` their stored run statistics (the backtest verifies anew).
    using Tables = std::array<std::vector<PredictionFormula>, kPositionCount>;
    static Result<Tables> readTables(Database& database, int shownPosition, bool kill, bool withStatistics);

    // The formulas count through the list's selection marks, one set of list numbers shared by
    // every table; list numbers beyond the shown list count as selected.
    Result<PredictionOutcome> run(PredictionMethod method);
    // The same with the marks given.
    Result<PredictionOutcome> run(PredictionMethod method, const ListSelection& selection);

private:
    Workspace& m_workspace;
    PredictionState& m_state;
};

} // namespace quorvel
