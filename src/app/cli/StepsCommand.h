#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `steps --list-no N [--position P] [--kind K]`: the calculation steps of `frmGsbz` for formula N
// of a list: the header line, then `ISSUE NUMBERS TEXT VALUE` per draw, oldest first.
class StepsCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
