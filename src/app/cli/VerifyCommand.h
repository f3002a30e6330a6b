#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `verify [--position P] [--kind kill|keep] [--periods N] [--exclude-current on|off]
// [--weighted on|off] [--chance]`: the window's verification pass over one list, every formula
// selected, with the write-back. Options not given come from the settings store. With --chance
// each line ends with the window's hits and what luck gives: HITS P_HITS P_MAXMISS P_MAXHIT.
class VerifyCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
