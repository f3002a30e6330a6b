#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// backtest --draws M [--position P] [--kind K] [--method selected|best] [--quota Q] [--keys A,B,C]
// The walk-forward backtest of the prediction over the newest M draws, every formula selected, N
// and B from the settings: `ISSUE q PICKS DRAWN RIGHT` per target (oldest first) and position,
// then `SUMMARY q RIGHT TRIALS CHANCE P_VALUE` per position.
class BacktestCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
