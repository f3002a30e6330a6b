#pragma once

#include "app/cli/CommandForm.h"
#include "core/DrawParameters.h"
#include "core/Result.h"
#include "core/TermTable.h"

#include <QString>

#include <limits>
#include <optional>

namespace quorvel {
class Workspace;
struct FormulaListRow;
} // namespace quorvel

namespace quorvel::cli {

// Options several commands share, declared in one place.
namespace CommandOptions {

using namespace OptionKinds;

// --position P: 1..8.
template <typename O, typename F>
Option<O> position(F O::*field, QString help = QStringLiteral("the position 1..8 (default 1)"))
{
    return wholeNumber(QStringLiteral("--position"), QStringLiteral("P"), field, 1, kPositionCount,
                       std::move(help), QStringLiteral("--position takes 1..8"));
}
// --kind kill|keep: true for kill.
template <typename O, typename F>
Option<O> kind(F O::*field, QString help = QStringLiteral("the kill or the keep formulas (default keep)"))
{
    return choice(QStringLiteral("--kind"), field,
                  std::vector<std::pair<QString, bool>>{{QStringLiteral("kill"), true},
                                                        {QStringLiteral("keep"), false}},
                  std::move(help));
}
// --per-day D: the sequence number has two digits, so a day holds at most 99 draws.
template <typename O, typename F> Option<O> drawsPerDay(F O::*field)
{
    return wholeNumber(QStringLiteral("--per-day"), QStringLiteral("D"), field, 1, 99,
                       QStringLiteral("draws a day, 1..99 (default: that of the chosen lottery type)"),
                       QStringLiteral("--per-day takes a whole number 1..99"));
}
// --deadline S: the seconds a download may take in all.
template <typename O, typename F> Option<O> downloadDeadline(F O::*field)
{
    return wholeNumber(QStringLiteral("--deadline"), QStringLiteral("S"), field, 1, 3600,
                       QStringLiteral("the seconds the whole download may take, 1..3600 (default 120)"),
                       QStringLiteral("--deadline takes whole seconds 1..3600"));
}
// --path manual|online: how the draw was entered, which some parameters depend on.
template <typename O, typename F> Option<O> entryPath(F O::*field, const QString& fallback)
{
    return choice(QStringLiteral("--path"), field,
                  std::vector<std::pair<QString, EntryPath>>{{QStringLiteral("manual"), EntryPath::Manual},
                                                             {QStringLiteral("online"), EntryPath::Online}},
                  QStringLiteral("how the draws were entered (default %1)").arg(fallback));
}
// --list-no N: a list number 1 and up; `refusal` when it is missing or not one.
template <typename O, typename F> Option<O> listNumber(F O::*field, const QString& refusal)
{
    return wholeNumber(QStringLiteral("--list-no"), QStringLiteral("N"), field, 1,
                       std::numeric_limits<int>::max(), QStringLiteral("the list number of the formula"),
                       refusal);
}
// --position P and --kind kill|keep: the formula list a form works on, the window's first list
// (position 1, keep) when they are absent; `Options` has the fields `position` and `kill`.
template <typename Options> CommandForm<Options> withList(CommandForm<Options> form)
{
    // Cast, since a field of a base struct has the base's member type.
    form << position(static_cast<int Options::*>(&Options::position))
         << kind(static_cast<bool Options::*>(&Options::kill));
    return form;
}
struct ListChoice
{
    int position = 1;
    bool kill = false;
};

// The group that makes --list-no required.
OptionGroup listNumberRequired(const QString& refusal);

// The words a form takes besides its options: exactly `count` of them, named `usage`.
PositionalSpec exactly(int count, const QString& usage, const QString& refusal = QString());
// None at all, with the usual refusal.
PositionalSpec none();

QString kindName(bool kill); // "kill" or "keep"

// Formula N of the workspace's list, or the failure that names the list.
Result<FormulaListRow> formulaOnList(const Workspace& workspace, int listNumber);

} // namespace CommandOptions
} // namespace quorvel::cli
