#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `history import FILE [--per-day D] [--path manual|online]` and `history list`; the maintenance
// subcommands run in HistoryMaintenanceCommand.
class HistoryCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);

private:
    static int import(const CliContext& context, CliArguments& arguments);
    static int list(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
