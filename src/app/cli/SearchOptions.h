#pragma once

#include "app/cli/CommandForm.h"
#include "core/Result.h"
#include "core/TermTable.h"
#include "formulas/FormulaText.h"
#include "search/AcceptanceBounds.h"
#include "search/SearchRun.h"
#include "search/SearchScheme.h"
#include "workspace/SearchResultStore.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace quorvel {
class Settings;
}

namespace quorvel::cli {

class CliContext;

// Options and output of the search commands (search, scheme, tune), declared and checked in one
// place.
namespace SearchOptions {

// The random candidates the tuning derives the bounds from.
constexpr int kDefaultSamples = 20;
constexpr int kMaximumSamples = 1000000;

// search [options]: every field empty when its option is absent.
struct Search
{
    std::optional<int> position;
    std::optional<bool> kind;
    std::optional<int> operands;
    std::optional<QString> constant;
    bool randomConstant = false;
    std::optional<FormulaText::Shape> form;
    std::optional<AcceptanceBounds> bounds;
    std::optional<int> periods;
    std::optional<quint64> seed;
    std::optional<qint64> candidates;
    std::optional<int> target;
    std::optional<int> threads;
    std::optional<FoundStoreMode> store;
    bool luck = false;
    std::optional<int> familywise; // K shuffles
};
const CommandForm<Search>& searchForm();

// search familywise FILE [options].
struct Familywise
{
    QStringList words; // FILE
    std::optional<int> position;
    std::optional<bool> kind;
    std::optional<int> periods;
    std::optional<qint64> candidates;
    std::optional<int> shuffles;
    std::optional<quint64> seed;
    std::optional<int> threads;
};
const CommandForm<Familywise>& familywiseForm();

// search score FILE and tune score FILE.
struct Score
{
    QStringList words; // FILE
    std::optional<int> position;
    std::optional<bool> kind;
    std::optional<int> periods;
    std::optional<AcceptanceBounds> bounds;
};
const CommandForm<Score>& searchScoreForm();
const CommandForm<Score>& tuneScoreForm();

// scheme --targets t1,...,t8 [options].
struct Scheme
{
    std::array<std::optional<int>, kPositionCount> planned{};
    std::optional<SchemeCountMode> mode;
    std::optional<bool> kind;
    std::optional<quint64> seed;
    std::optional<FoundStoreMode> store;
};
const CommandForm<Scheme>& schemeForm();

// tune [options].
struct Tune
{
    std::optional<int> position;
    std::optional<bool> kind;
    std::optional<int> samples;
    std::optional<quint64> seed;
    bool save = false;
};
const CommandForm<Tune>& tuneForm();

// The verification window N of --periods (0 = every draw), else the stored retrieval periods.
int periodsOr(const std::optional<int>& periods, const Settings& settings);
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
