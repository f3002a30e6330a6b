#include "app/cli/BacktestCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "app/cli/PredictOptions.h"
#include "history/DrawEntry.h"
#include "workspace/BacktestSession.h"
#include "workspace/PredictionState.h"

namespace quorvel::cli {

namespace {

// --draws M: a whole number 1 and up; required.
Result<int> drawCount(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--draws"), 1);
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return Failure{QStringLiteral("backtest needs --draws M")};
    bool ok = false;
    const int count = (**option).first().toInt(&ok);
    if (!ok || count < 1)
        return Failure{QStringLiteral("--draws takes a whole number 1 and up")};
    return count;
}

QString numbersText(const std::vector<int>& numbers)
{
    QStringList words;
    for (const int n : numbers)
        words << QString::number(n);
    return words.join(QLatin1Char(' '));
}

} // namespace

int BacktestCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<int> targets = drawCount(arguments);
    if (!targets)
        return context.usage(targets.error());
    const Result<PredictOptions> predict = PredictOptions::take(arguments, /*takesUnselect=*/false);
    if (!predict)
        return context.usage(predict.error());
    if (const Result<QStringList> words =
            CommandOptions::positional(arguments, QStringLiteral("backtest"), 0);
        !words)
        return context.usage(words.error());

    const Result<std::unique_ptr<CliSession>> session = context.startSession(predict->startOptions());
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();

    const Result<BacktestResult> result =
        BacktestSession(workspace).run({*targets, predict->chosenMethod(workspace.settings()),
                                        ListSelection::allExcept({}), predict->sortSettings()});
    if (!result)
        return context.fail(result.failure());

    for (const BacktestDraw& draw : result->draws) {
        for (std::size_t q = 0; q < draw.pages.size(); ++q) {
            const BacktestPage& page = draw.pages[q];
            TabLine line;
            line << DrawEntry::issueText(draw.issue) << qint64(q + 1) << numbersText(page.picks) << page.drawn
                 << page.right;
            context.print(line);
        }
    }
    for (std::size_t q = 0; q < result->positions.size(); ++q) {
        const PickTally& tally = result->positions[q];
        TabLine line;
        line << QStringLiteral("SUMMARY") << qint64(q + 1) << tally.right << tally.trials
             << ChanceBaseline::probabilityText(kPickChance)
             << ChanceBaseline::probabilityText(tally.pValue());
        context.print(line);
    }
    return ExitSuccess;
}

} // namespace quorvel::cli
