#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `scheme --targets t1,...,t8 [--mode hold|new] [--kind kill|keep] [--seed S]
// [--store append|replace]`: the automatic scheme over positions 1 to 8, as the search window runs
// it, with its automatic store at the end. An empty target skips its position. Bounds, operand
// counts and the verification window come from the settings store.
class SchemeCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
