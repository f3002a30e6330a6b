#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

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
};

} // namespace quorvel::cli
