#include "app/cli/CommandOptions.h"

#include "app/cli/CliArguments.h"
#include "core/LotteryType.h"
#include "core/TermTable.h"
#include "workspace/Workspace.h"

namespace quorvel::cli {
namespace CommandOptions {

Result<std::optional<int>> drawsPerDay(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--per-day"), 1);
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return std::optional<int>();
    bool ok = false;
    const int d = (**option).first().toInt(&ok);
    // The sequence number has two digits, so a day holds at most 99 draws.
    if (!ok || d < 1 || d > 99)
        return Failure{QStringLiteral("--per-day takes a whole number 1..99")};
    return std::optional<int>(d);
}

Result<int> downloadDeadline(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--deadline"), 1);
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return 120;
    bool ok = false;
    const int seconds = (**option).first().toInt(&ok);
    if (!ok || seconds < 1 || seconds > 3600)
        return Failure{QStringLiteral("--deadline takes whole seconds 1..3600")};
    return seconds;
}

Result<EntryPath> entryPath(CliArguments& arguments, EntryPath fallback)
{
    const Result<std::optional<QString>> choice =
        arguments.takeChoice(QStringLiteral("--path"), {QStringLiteral("manual"), QStringLiteral("online")});
    if (!choice)
        return Failure{choice.error()};
    if (!choice->has_value())
        return fallback;
    return **choice == QLatin1String("manual") ? EntryPath::Manual : EntryPath::Online;
}

Result<std::optional<bool>> kind(CliArguments& arguments)
{
    const Result<std::optional<QString>> choice =
        arguments.takeChoice(QStringLiteral("--kind"), {QStringLiteral("kill"), QStringLiteral("keep")});
    if (!choice)
        return Failure{choice.error()};
    if (!choice->has_value())
        return std::optional<bool>();
    return std::optional<bool>(**choice == QLatin1String("kill"));
}

Result<std::optional<int>> position(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--position"), 1);
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return std::optional<int>();
    bool ok = false;
    const int p = (**option).first().toInt(&ok);
    if (!ok || p < 1 || p > kPositionCount)
        return Failure{QStringLiteral("--position takes 1..8")};
    return std::optional<int>(p);
}

Result<std::optional<bool>> onOff(CliArguments& arguments, const QString& name)
{
    const Result<std::optional<QString>> choice =
        arguments.takeChoice(name, {QStringLiteral("on"), QStringLiteral("off")});
    if (!choice)
        return Failure{choice.error()};
    if (!choice->has_value())
        return std::optional<bool>();
    return std::optional<bool>(**choice == QLatin1String("on"));
}

Result<ListChoice> listChoice(CliArguments& arguments)
{
    const Result<std::optional<int>> chosenPosition = position(arguments);
    if (!chosenPosition)
        return chosenPosition.failure();
    const Result<std::optional<bool>> chosenKind = kind(arguments);
    if (!chosenKind)
        return chosenKind.failure();
    return ListChoice{chosenPosition->value_or(1), chosenKind->value_or(false)};
}

Result<int> listNumber(CliArguments& arguments, const QString& command)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--list-no"), 1);
    if (!option)
        return option.failure();
    bool ok = false;
    const int number = option->has_value() ? (**option).first().toInt(&ok) : 0;
    if (!ok || number < 1)
        return Failure{QStringLiteral("%1 needs --list-no N, a list number 1 and up").arg(command)};
    return number;
}

Result<FormulaListRow> formulaOnList(const Workspace& workspace, int listNumber)
{
    if (!workspace.formulaList().contains(listNumber))
        return Failure{QStringLiteral("%1%2公式没有序号 %3")
                           .arg(workspace.positionCaption(),
                                workspace.currentKindIsKill() ? QStringLiteral("杀") : QStringLiteral("生"))
                           .arg(listNumber)};
    return workspace.formulaList().row(listNumber);
}

Result<QStringList> positional(CliArguments& arguments, const QString& command, int count)
{
    Result<QStringList> words = arguments.positional();
    if (!words)
        return words.failure();
    if (count >= 0 && words->size() != count) {
        if (count == 0)
            return Failure{QStringLiteral("%1 takes no positional arguments").arg(command)};
        return Failure{QStringLiteral("%1 takes %2 positional arguments").arg(command).arg(count)};
    }
    return words;
}

QString kindName(bool kill)
{
    return kill ? QStringLiteral("kill") : QStringLiteral("keep");
}

} // namespace CommandOptions
} // namespace quorvel::cli
