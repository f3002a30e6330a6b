#pragma once

#include "app/cli/CommandForm.h"
#include "verification/TrendTables.h"

#include <vector>

namespace quorvel::cli {

class CliContext;

// The choices of a trend view, as the window's choosers make them.
struct TrendOptions
{
    static constexpr int kDefaultRange = 100;

    int scope = 0;             // 0: every position
    int range = kDefaultRange; // 0: every draw
    TrendTables::TrendTab tab = TrendTables::TrendTab::Chart;
};

// trend chart|omission|hotcold|twosides: the figures of the trend window, TAB-separated.
// - chart: per draw of the range, oldest first, ISSUE and 20 cells (`*` for a hit, else the
//   omission), with the scope of every position SUM SPAN ODD:EVEN BIG:SMALL REPEAT; then HITS,
//   AVGMISS, MAXMISS, MAXRUN and CURRENT of the numbers 1..20.
// - omission: per number n HITS EXPECTED DEVIATION CURRENT PREVIOUS MAXMISS AVGMISS RATIO CHANCE.
// - hotcold: per number n H10 H20 H50 hot|warm|cold.
// - twosides: per position and attribute q ATTR VALUE STREAK LONGEST CHANCE, then the four
//   dragon-tiger pairs.
// The range is the newest 100 draws unless --range says otherwise, the scope every position.
class TrendCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);

    // --scope all|1..8 and --range R|all, which `xlsx trend` takes too.
    static Option<TrendOptions> scopeOption();
    static Option<TrendOptions> rangeOption();
};

} // namespace quorvel::cli
