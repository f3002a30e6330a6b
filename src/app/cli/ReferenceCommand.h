#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `reference`: the parameter reference grid of the newest draw, 41 lines of ten TAB-separated
// cells (row 0 the headers, column 0 the labels; empty cells empty).
class ReferenceCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
