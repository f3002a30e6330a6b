#pragma once

namespace quorvel::cli {

class CliArguments;
class CliContext;

// `formulas add TEXT... [--kind kill|keep]` (the window's typed entry, one text after the other)
// and `formulas list [--position P] [--kind kill|keep]`.
class FormulasCommand
{
public:
    static int run(const CliContext& context, CliArguments& arguments);

private:
    static int add(const CliContext& context, CliArguments& arguments);
    static int list(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
