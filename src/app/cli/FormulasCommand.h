#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `formulas add TEXT... [--kind kill|keep]` (the window's typed entry, one text after the other)
// `formulas list [--position P] [--kind kill|keep]` and `formulas equivalent [--position P]
// [--kind kill|keep]` (each formula of one list with the first of the list that says the same).
class FormulasCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);

private:
    static int add(const CliContext& context, CliArguments& arguments);
    static int list(const CliContext& context, CliArguments& arguments);
    static int equivalent(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
