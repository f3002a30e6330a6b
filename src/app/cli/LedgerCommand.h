#pragma once

namespace quorvel::cli {

class CliArguments;
class CliContext;

// ledger: the prediction ledger, scored against the stored history, one `ENTRY` line per
// prediction (oldest first), then `SUMMARY` for keep and kill.
class LedgerCommand
{
public:
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
