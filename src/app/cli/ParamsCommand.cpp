#include "app/cli/ParamsCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "core/DrawParameters.h"
#include "core/IssueNumber.h"
#include "core/LotteryType.h"
#include "core/TermTable.h"

namespace quorvel::cli {

namespace {

// Eight numbers as typed; checked like the number boxes of the window.
Result<DrawNumbers> readNumbers(const QStringList& words)
{
    DrawNumbers numbers{};
    for (int p = 1; p <= kPositionCount; ++p) {
        bool ok = false;
        numbers[std::size_t(p - 1)] = words[p - 1].toInt(&ok);
        if (!ok)
            return Failure{QStringLiteral("第%1个号码“%2”不是整数").arg(p).arg(words[p - 1])};
    }
    if (const Status valid = validateDrawNumbers(numbers); !valid)
        return Failure{valid.error()};
    return numbers;
}

} // namespace

int ParamsCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<std::optional<QStringList>> previousWords =
        arguments.takeOption(QStringLiteral("--prev"), kPositionCount);
    if (!previousWords)
        return context.usage(previousWords.error());
    const Result<std::optional<int>> drawsPerDay = CommandOptions::drawsPerDay(arguments);
    if (!drawsPerDay)
        return context.usage(drawsPerDay.error());
    const Result<EntryPath> path = CommandOptions::entryPath(arguments, EntryPath::Manual);
    if (!path)
        return context.usage(path.error());
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return context.usage(words.error());
    if (words->size() != 1 + kPositionCount)
        return context.usage(QStringLiteral("params needs an issue and 8 numbers"));

    const Result<qint32> issue = IssueNumber::parse(words->first());
    if (!issue)
        return context.fail(issue.error());
    const Result<DrawNumbers> numbers = readNumbers(words->mid(1));
    if (!numbers)
        return context.fail(numbers.error());
    std::optional<DrawNumbers> previous;
    if (previousWords->has_value()) {
        const Result<DrawNumbers> read = readNumbers(**previousWords);
        if (!read)
            return context.fail(QStringLiteral("--prev: ") + read.error());
        previous = *read;
    }

    const ParameterValues values =
        computeDrawParameters(*numbers, *issue, previous, drawsPerDay->value_or(kDefaultDrawsPerDay), *path);
    for (int i = 0; i < kTermCount; ++i)
        context.print(termTable()[std::size_t(i)].code + QLatin1Char('\t') +
                      QString::number(values[std::size_t(i)]));
    return ExitSuccess;
}

} // namespace quorvel::cli
