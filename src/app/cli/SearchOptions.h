#pragma once

#include "core/Result.h"
#include "search/AcceptanceBounds.h"
#include "search/SearchRun.h"
#include "workspace/SearchResultStore.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quorvel {
class Settings;
}

namespace quorvel::cli {

class CliArguments;
class CliContext;

// Options and output of the search commands (search, scheme, tune), read and checked in one place.
namespace SearchOptions {

// --name N with N a whole number in [minimum, maximum]; empty when absent.
Result<std::optional<qint64>> wholeNumber(CliArguments& arguments, const QString& name, qint64 minimum,
                                          qint64 maximum);
// --periods N: the verification window N (0 = every draw); the stored retrieval periods when absent.
Result<int> periods(CliArguments& arguments, const Settings& settings);
// --seed S: a whole number 0..2^64-1; empty when absent (a seed from the clock).
Result<std::optional<quint64>> seed(CliArguments& arguments);
// --bounds b2,b3,b4,b5,b6,b7,b8,b9: eight decimal numbers, no lower bound above its upper one;
// empty when absent.
Result<std::optional<AcceptanceBounds>> bounds(CliArguments& arguments);
// The bounds stored for a category (CategoryBounds), an inverted pair read as its defaults.
AcceptanceBounds storedBounds(const Settings& settings, int position, bool kill);
// --store append|replace; empty when absent.
Result<std::optional<FoundStoreMode>> store(CliArguments& arguments);
// The codes of a code file, one a line, trimmed; blank lines are left out.
struct CodeFile
{
    QStringList codes;
    std::vector<int> lineNumbers; // 1-based line of each code in the file
};
Result<CodeFile> codeFile(const QString& path);

// The eight bounds b2 .. b9 as one TAB-separated line.
QString boundsLine(const AcceptanceBounds& bounds);
// The rate and threads of a run, on stderr.
void printRate(const CliContext& context, quint64 tried, qint64 elapsedNanoseconds, int threads,
               quint64 seed);

} // namespace SearchOptions
} // namespace quorvel::cli
