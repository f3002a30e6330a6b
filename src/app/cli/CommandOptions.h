#pragma once

#include "core/DrawParameters.h"
#include "core/Result.h"

#include <QString>

#include <optional>

namespace quorvel {
class Workspace;
struct FormulaListRow;
} // namespace quorvel

namespace quorvel::cli {

class CliArguments;

// Options several commands share, read and checked in one place.
namespace CommandOptions {

// --per-day D: a whole number 1..99; empty when absent.
Result<std::optional<int>> drawsPerDay(CliArguments& arguments);
// --deadline S: the seconds a download may take in all, a whole number 1..3600; 120 when absent.
Result<int> downloadDeadline(CliArguments& arguments);
// --path manual|online.
Result<EntryPath> entryPath(CliArguments& arguments, EntryPath fallback);
// --kind kill|keep: true for kill; empty when absent.
Result<std::optional<bool>> kind(CliArguments& arguments);
// --position P: 1..8; empty when absent.
Result<std::optional<int>> position(CliArguments& arguments);
// --name on|off; empty when absent.
Result<std::optional<bool>> onOff(CliArguments& arguments, const QString& name);

QString kindName(bool kill); // "kill" or "keep"

// --position P and --kind kill|keep: the formula list a command works on, the window's first list
// (position 1, keep) when they are absent.
struct ListChoice
{
    int position = 1;
    bool kill = false;
};
Result<ListChoice> listChoice(CliArguments& arguments);

// --list-no N: a list number 1 and up, which `command` needs.
Result<int> listNumber(CliArguments& arguments, const QString& command);
// Formula N of the workspace's list, or the failure that names the list.
Result<FormulaListRow> formulaOnList(const Workspace& workspace, int listNumber);

// The words left once every option is taken; `count` of them (-1: any number), else a usage
// failure naming the command.
Result<QStringList> positional(CliArguments& arguments, const QString& command, int count);

} // namespace CommandOptions
} // namespace quorvel::cli
