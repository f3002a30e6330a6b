#pragma once

#include "core/LedgerRecord.h"
#include "core/Result.h"
#include "verification/PickTally.h"

#include <vector>

namespace quorvel {

class PredictionState;
class Workspace;

// An entry of the ledger as the window and the companion show it: what was predicted, how it came
// out, and the running tally of every scored entry up to it.
struct LedgerEntry
{
    LedgerRecord record;
    std::vector<std::vector<int>> picks; // element q - 1: the picks of position q
    // Made under another lottery type than the one chosen: not scored against this history, its
    // stored score left as it is, counted in no total.
    bool otherLotteryType = false;
    bool tallied = false; // its score counts in the totals
    PickTally running;    // tallied entries up to this one, both kinds
};

// The ledger's totals per kind, each pick right by chance 1 time in 20.
struct LedgerSummary
{
    PickTally keep;
    PickTally kill;
};

// The prediction ledger: every run of "计算公式(&C)" leaves its picks with the issue they are for
// (the issue proposed next) and the lottery type chosen, and an entry is scored against that draw
// once it is stored, while its lottery type is the one chosen. Scores
// follow the stored history: a draw stored late (in any order) scores its entries then, and an
// entry whose draw is deleted waits again, so the ledger never holds a score of a draw that is
// not in the history.
class PredictionLedger
{
public:
    explicit PredictionLedger(Workspace& workspace);

    // Stores the picks of the last run kept in `state`. A file that cannot be written keeps
    // nothing (the window has said once that nothing can be saved).
    Status record(const PredictionState& state);
    // Scores every entry against the stored history and writes what changed. Nothing to do
    // without a database.
    Status score();
    // The entries, oldest first, scored against the history (in memory when the file cannot be
    // written), with the running tally.
    Result<std::vector<LedgerEntry>> entries();
    // Deletes the entries of these ids after a question whose default answer is Cancel; returns
    // how many were deleted (0 when the user cancels).
    Result<int> remove(const std::vector<qint64>& ids);

    static LedgerSummary summary(const std::vector<LedgerEntry>& entries);

private:
    Result<std::vector<LedgerEntry>> scored();

    Workspace& m_workspace;
};

} // namespace quorvel
