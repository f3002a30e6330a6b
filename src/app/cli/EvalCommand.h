#pragma once

#include <QString>

namespace quorvel::cli {

class CliArguments;
class CliContext;

// `eval TEXT`: a display text or a bare code evaluated on every stored draw. First line
// CODE<TAB>POSITION<TAB>KIND, then ISSUE<TAB>VALUE<TAB>FOLDED per draw, oldest first.
class EvalCommand
{
public:
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
