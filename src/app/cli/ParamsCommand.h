#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `params ISSUE N1..N8 [--prev P1..P8] [--per-day D] [--path manual|online]`: the 124 parameters
// of a draw, one "CODE<TAB>VALUE" line each in term-table order.
class ParamsCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
