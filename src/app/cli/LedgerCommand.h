#pragma once

#include <QStringList>

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// ledger: the prediction ledger, scored against the stored history, one `ENTRY` line per
// prediction (oldest first), then `SUMMARY` for keep and kill. `ledger delete NO...` deletes the
// entries of those ENTRY numbers (needs --yes) and prints `deleted N`.
class LedgerCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);

private:
    static int deleteEntries(const CliContext& context, const QStringList& numbers);
};

} // namespace quorvel::cli
