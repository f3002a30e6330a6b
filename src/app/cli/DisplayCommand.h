#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `display [--position P] [--kind K] [--mode next|same]`: the per-draw verification display of the
// history grid, one line per draw, oldest first: the issue, then `VALUE:COLOUR` per formula in
// list order (b blue, g green, w white, - none).
class DisplayCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
