#pragma once

#include <QString>

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// The formula library's commands of `formulas`: `import FILE`, `export (--all|--shown)`,
// `update [--url URL] [--timeout S]`, `clear` and `delete --list-no N`, each on the list of
// `--position P` and `--kind kill|keep` (position 1, keep when absent), as the window runs them.
// A file written into the data folder has its full path as the last line of stdout.
class FormulaLibraryCommand
{
public:
    // Whether `subcommand` is one of these.
    static bool handles(const QString& subcommand);
    static std::vector<const FormSpec*> forms();
    static int run(const QString& subcommand, const CliContext& context, CliArguments& arguments);

private:
    static int importFile(const CliContext& context, CliArguments& arguments);
    static int exportFile(const CliContext& context, CliArguments& arguments);
    static int update(const CliContext& context, CliArguments& arguments);
    static int clear(const CliContext& context, CliArguments& arguments);
    static int deleteFormula(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
