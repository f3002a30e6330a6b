#pragma once

namespace quorvel::cli {

class CliArguments;
class CliContext;

// `limits update [--position P]` (`cmdUpdLim`, needs --yes): raises every formula's limit value
// to its stored max misses where that is higher, both kinds of the position's table, and prints
// `raised N`.
class LimitsCommand
{
public:
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
