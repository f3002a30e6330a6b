#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `limits update [--position P]` (`cmdUpdLim`, needs --yes): raises every formula's limit value
// to its stored max misses where that is higher, both kinds of the position's table, and prints
// `raised N`.
class LimitsCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
