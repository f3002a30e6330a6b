#pragma once

#include "core/Result.h"
#include "verification/Prediction.h"

#include <array>
#include <optional>

namespace quorvel::cli {

class CliArguments;

// The options of the commands that run the prediction (predict, backtest).
namespace PredictionOptions {

// --method selected|best; empty when absent.
Result<std::optional<PredictionMethod>> method(CliArguments& arguments);
// --quota Q: a whole number that fits the quota box (16 bits).
Result<std::optional<int>> quota(CliArguments& arguments);
// --keys A,B,C: three of errcon (最大连错), truecon (最大连对), errlst (最后连错).
Result<std::optional<std::array<SortKey, 3>>> keys(CliArguments& arguments);

} // namespace PredictionOptions
} // namespace quorvel::cli
