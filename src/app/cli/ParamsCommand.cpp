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

struct ParamsOptions
{
    QStringList words; // ISSUE N1..N8
    std::optional<QStringList> previousWords;
    std::optional<int> drawsPerDay;
    EntryPath path = EntryPath::Manual;
};

const CommandForm<ParamsOptions>& form()
{
    static const CommandForm<ParamsOptions> declared =
        CommandForm<ParamsOptions>(QStringLiteral("params"))
            .takes(&ParamsOptions::words,
                   CommandOptions::exactly(1 + kPositionCount, QStringLiteral("ISSUE N1..N8"),
                                           QStringLiteral("params needs an issue and 8 numbers")))
        << OptionKinds::value(OptionSpec{QStringLiteral("--prev"), QStringLiteral("P1..P8"),
                                         QStringLiteral("the numbers of the draw before (default: none)"),
                                         kPositionCount},
                              &ParamsOptions::previousWords,
                              [](const QStringList& words) { return Result<QStringList>(words); })
        << CommandOptions::drawsPerDay(&ParamsOptions::drawsPerDay)
        << CommandOptions::entryPath(&ParamsOptions::path, QStringLiteral("manual"));
    return declared;
}

} // namespace

std::vector<const FormSpec*> ParamsCommand::forms()
{
    return {&form()};
}

int ParamsCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<ParamsOptions> options = form().parse(arguments);
    if (!options)
        return context.usage(options.error());
    const QStringList& words = options->words;

    const Result<qint32> issue = IssueNumber::parse(words.first());
    if (!issue)
        return context.fail(issue.error());
    const Result<DrawNumbers> numbers = readNumbers(words.mid(1));
    if (!numbers)
        return context.fail(numbers.error());
    std::optional<DrawNumbers> previous;
    if (options->previousWords) {
        const Result<DrawNumbers> read = readNumbers(*options->previousWords);
        if (!read)
            return context.fail(QStringLiteral("--prev: ") + read.error());
        previous = *read;
    }

    const ParameterValues values = computeDrawParameters(
        *numbers, *issue, previous, options->drawsPerDay.value_or(kDefaultDrawsPerDay), options->path);
    for (int i = 0; i < kTermCount; ++i)
        context.print(termTable()[std::size_t(i)].code + QLatin1Char('\t') +
                      QString::number(values[std::size_t(i)]));
    return ExitSuccess;
}

} // namespace quorvel::cli
