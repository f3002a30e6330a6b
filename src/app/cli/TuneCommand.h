#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `tune [--position P] [--kind kill|keep] [--samples N] [--seed S] [--save]`: the acceptance bounds
// the tuning derives for a category from N random candidates (20 unless given), as the search
// window's TuneCurrent does, printed as the eight bounds b2 .. b9 on one TAB-separated line;
// `--save` stores them with the position's operand count as SaveCategory does. `tune score FILE
// [--position P] [--kind kill|keep]`: the same with the codes of FILE, in order, as the samples.
class TuneCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);

private:
    static int tune(const CliContext& context, CliArguments& arguments);
    static int score(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
