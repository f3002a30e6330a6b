#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `history update [--url BASE] [--deadline S]`, `history delete (--last | --newest N | --after ISSUE |
// --all)`, `history export` and `history missing`: the window's history maintenance from the command line.
class HistoryMaintenanceCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int update(const CliContext& context, CliArguments& arguments);
    static int remove(const CliContext& context, CliArguments& arguments);
    static int exportText(const CliContext& context, CliArguments& arguments);
    static int missing(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
