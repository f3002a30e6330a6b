#pragma once

namespace quorvel::cli {

class CliArguments;
class CliContext;

// `reference`: the parameter reference grid of the newest draw, 41 lines of ten TAB-separated
// cells (row 0 the headers, column 0 the labels; empty cells empty).
class ReferenceCommand
{
public:
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
