#pragma once

#include "core/Result.h"
#include "verification/Prediction.h"
#include "workspace/Workspace.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace quorvel {
class PredictionState;
class Settings;
} // namespace quorvel

namespace quorvel::cli {

class CliArguments;

// The options of the prediction (`predict`, and the exports that run it first):
// [--position P] [--kind kill|keep] [--method selected|best] [--quota Q] [--keys A,B,C]
// [--unselect L1,L2,...].
struct PredictOptions
{
    std::optional<int> position;
    std::optional<bool> kill;
    std::optional<PredictionMethod> method;
    std::optional<int> quota;
    std::optional<std::array<SortKey, 3>> keys;
    std::vector<int> unselected;

    // Takes the options out of the arguments; fails with a usage message.
    static Result<PredictOptions> take(CliArguments& arguments);

    WorkspaceStartOptions startOptions() const; // on the list of the position and kind, no pass
    PredictionMethod chosenMethod(const Settings& settings) const; // --method, else "JSFF"
    // The sort settings of the best-formula method, as if accepted in `frmGsCsArr`.
    void acceptSortSettings(PredictionState& state) const;
};

} // namespace quorvel::cli
