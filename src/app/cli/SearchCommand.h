#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `search ... (--candidates N | --target T) ...`: a single search of one category, as the search
// window runs it, printing every accepted candidate in FoundList order and the counts (the rate
// and threads on stderr), optionally storing what it found; `search score FILE ...`: the codes of
// a file scored with the search's own counting. Options not given come from the settings store.
class SearchCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);

private:
    static int search(const CliContext& context, CliArguments& arguments);
    static int score(const CliContext& context, CliArguments& arguments);
    static int familywise(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
