#pragma once

#include <QString>

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `eval TEXT`: a display text or a bare code evaluated on every stored draw. First line
// CODE<TAB>POSITION<TAB>KIND, then ISSUE<TAB>VALUE<TAB>FOLDED per draw, oldest first.
class EvalCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
