#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `filter limit [--position P] [--kind K]` (`Command133`) and
// `filter range LO HI LO HI LO HI LO HI [--position P] [--kind K]` (`frmGSGuolv`, bounds of max
// misses, max hits, last misses, last hits): on a fully selected list after a verification pass,
// prints the list numbers still selected, one per line, then `remaining N`.
class FilterCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
