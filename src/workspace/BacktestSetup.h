#pragma once

#include "core/Result.h"
#include "verification/Backtest.h"

namespace quorvel {

struct BestFormulaSettings;
class Workspace;

// What the backtest of the main window's prediction replays: the formulas of positions 1..p* (the
// position of the formula list) of the current kind, the verification window N and flag B of the
// settings (the weighting W plays no part), and the method, marks and sort settings given.
class BacktestSetup
{
public:
    explicit BacktestSetup(Workspace& workspace);

    Result<BacktestParams> params(int targets, PredictionMethod method, const ListSelection& selection,
                                  const BestFormulaSettings& best) const;

private:
    Workspace& m_workspace;
};

} // namespace quorvel
