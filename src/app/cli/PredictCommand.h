#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// predict [--position P] [--kind K] [--method selected|best] [--quota Q] [--keys A,B,C]
//         [--unselect L1,L2,...]
// The prediction of `Command23` over positions 1..P and the ranking it fills: COUNT, RANK, DIST
// and SUMMARY lines.
class PredictCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
