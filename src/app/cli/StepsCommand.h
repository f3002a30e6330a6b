#pragma once

namespace quorvel::cli {

class CliArguments;
class CliContext;

// `steps --list-no N [--position P] [--kind K]`: the calculation steps of `frmGsbz` for formula N
// of a list: the header line, then `ISSUE NUMBERS TEXT VALUE` per draw, oldest first.
class StepsCommand
{
public:
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
