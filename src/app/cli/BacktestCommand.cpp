#include "app/cli/BacktestCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/PredictOptions.h"
#include "history/DrawEntry.h"
#include "workspace/BacktestSession.h"
#include "workspace/PredictionState.h"

#include <limits>

namespace quorvel::cli {

namespace {

// The prediction's options but --unselect, and the newest M draws to predict.
struct BacktestOptions : PredictOptions
{
    int targets = 0;
};

const CommandForm<BacktestOptions>& form()
{
    static const CommandForm<BacktestOptions> declared = PredictOptions::declare(
        CommandForm<BacktestOptions>(QStringLiteral("backtest"))
            << OptionKinds::wholeNumber(
                   QStringLiteral("--draws"), QStringLiteral("M"), &BacktestOptions::targets, 1,
                   std::numeric_limits<int>::max(),
                   QStringLiteral("predict each of the newest M draws from the draws before it"),
                   QStringLiteral("--draws takes a whole number 1 and up"))
            << OptionGroup{{QStringLiteral("--draws")}, true, QStringLiteral("backtest needs --draws M")},
        /*takesUnselect=*/false);
    return declared;
}

QString numbersText(const std::vector<int>& numbers)
{
    QStringList words;
    for (const int n : numbers)
        words << QString::number(n);
    return words.join(QLatin1Char(' '));
}

} // namespace

std::vector<const FormSpec*> BacktestCommand::forms()
{
    return {&form()};
}

int BacktestCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<BacktestOptions> predict = form().parse(arguments);
    if (!predict)
        return context.usage(predict.error());
    const int targets = predict->targets;

    const Result<std::unique_ptr<CliSession>> session = context.startSession(predict->startOptions());
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();

    const Result<BacktestResult> result =
        BacktestSession(workspace).run({targets, predict->chosenMethod(workspace.settings()),
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
