#pragma once

namespace quorvel::cli {

class CliArguments;
class CliContext;

// `display [--position P] [--kind K] [--mode next|same]`: the per-draw verification display of the
// history grid, one line per draw, oldest first: the issue, then `VALUE:COLOUR` per formula in
// list order (b blue, g green, w white, - none).
class DisplayCommand
{
public:
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
