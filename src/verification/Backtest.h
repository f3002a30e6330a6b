#pragma once

#include "core/DrawTable.h"
#include "core/TermTable.h"
#include "verification/PickTally.h"
#include "verification/Prediction.h"

#include <QPromise>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace quorvel {

// What a walk-forward backtest replays: the prediction as the main window runs it, and the
// verification settings its best-formula method sorts by.
struct BacktestParams
{
    PredictionMethod method = PredictionMethod::SelectedFormulas;
    bool kill = false;
    int shownPosition = 1; // positions 1..p* are predicted
    // The formulas of each position (both kinds, any order); their stored statistics play no
    // part: the best-formula method sorts by statistics of the draws before each target.
    std::array<std::vector<PredictionFormula>, kPositionCount> tables;
    ListSelection selection = ListSelection::allExcept({});
    int quota = 3; // best-formula method: Q and the three sort keys
    std::array<SortKey, 3> keys{SortKey::LastMisses, SortKey::MaxMisses, SortKey::MaxHits};
    int periods = 300;                // verification window N (0 = all draws)
    bool excludeCurrentPeriod = true; // flag B
    int targets = 100;                // M: the newest M draws are predicted
    // Sort keys (formula, target) the best-formula method holds at a time; 0: about 32 MiB of
    // them. Targets are taken in chunks that fit.
    std::size_t keyBudget = 0;
};

// One position of one target draw: the numbers its ranking page picked, in rank order, the number
// then drawn there and how many picks were right.
struct BacktestPage
{
    std::vector<int> picks;
    int drawn = 0;
    int right = 0;
};

struct BacktestDraw
{
    qint32 issue = 0;
    std::vector<BacktestPage> pages; // element q - 1 for position q
};

struct BacktestResult
{
    bool kill = false;
    int shownPosition = 1;
    std::vector<BacktestDraw> draws;  // the targets, oldest first
    std::vector<PickTally> positions; // element q - 1 for position q
    PickTally overall;
};

// The walk-forward backtest: for each of the newest M draws, the prediction as it would have been
// made just before it, from the draws before it only (their verification window, their newest
// draw's values), scored against what was drawn. Formulas are evaluated once per run over the draws
// the targets need, and each target's window statistics come from an index of the formula's runs.
class Backtest
{
public:
    // The targets a history allows: M, at most every draw but the oldest (which no draw precedes).
    static int targetCount(int drawCount, int requested);

    static BacktestResult run(const DrawTable& table, const BacktestParams& params);
    // On a worker: progress counts formulas evaluated; pauses while the future is suspended; a
    // canceled run adds no result.
    static void run(QPromise<BacktestResult>& promise, std::shared_ptr<const DrawTable> table,
                    const BacktestParams& params);

private:
    static std::optional<BacktestResult> execute(const DrawTable& table, const BacktestParams& params,
                                                 QPromise<BacktestResult>* promise);
};

} // namespace quorvel
