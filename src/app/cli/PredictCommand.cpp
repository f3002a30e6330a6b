#include "app/cli/PredictCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/PredictOptions.h"
#include "workspace/PredictionRun.h"
#include "workspace/PredictionState.h"

namespace quorvel::cli {

namespace {

QString pickText(PickMark pick)
{
    switch (pick) {
    case PickMark::Picked:
        return QStringLiteral("picked");
    case PickMark::Grey:
        return QStringLiteral("grey");
    case PickMark::None:
        break;
    }
    return QString();
}

QString joined(std::initializer_list<QString> fields)
{
    return QStringList(fields).join(QLatin1Char('\t'));
}

const CommandForm<PredictOptions>& form()
{
    static const CommandForm<PredictOptions> declared =
        PredictOptions::declare(CommandForm<PredictOptions>(QStringLiteral("predict")));
    return declared;
}

} // namespace

std::vector<const FormSpec*> PredictCommand::forms()
{
    return {&form()};
}

int PredictCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<PredictOptions> predict = form().parse(arguments);
    if (!predict)
        return context.usage(predict.error());

    const Result<std::unique_ptr<CliSession>> session = context.startSession(predict->startOptions());
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();

    PredictionState state;
    predict->acceptSortSettings(state);
    const Result<PredictionOutcome> outcome =
        PredictionRun(workspace, state)
            .run(predict->chosenMethod(workspace.settings()), ListSelection::allExcept(predict->unselected));
    if (!outcome)
        return context.fail(outcome.failure());

    const auto number = [](int n) { return QString::number(n); };
    for (int q = 1; q <= state.shownPosition(); ++q) {
        const PositionCounts& counts = state.counts(q);
        for (int n = 1; n <= kHighestNumber; ++n) {
            const std::size_t i = std::size_t(n);
            context.print(joined({QStringLiteral("COUNT"), number(q), number(n), number(counts.total[i]),
                                  number(counts.kill[i]), number(counts.keep[i])}));
        }
    }
    const std::vector<RankingPage>& pages = state.ranking().pages();
    for (const RankingPage& page : pages) {
        for (const RankedNumber& row : page.rows)
            context.print(joined({QStringLiteral("RANK"), number(page.position), number(row.rank),
                                  number(row.number), number(row.total), number(row.kill), number(row.keep),
                                  row.label(), pickText(row.pick)}));
    }
    for (const RankingPage& page : pages) {
        for (const DistributionRow& row : page.distribution) {
            QStringList numbers;
            for (const int n : row.numbers)
                numbers << number(n);
            context.print(joined({QStringLiteral("DIST"), number(page.position), number(row.count),
                                  number(row.howMany), numbers.join(QLatin1Char(' '))}));
        }
    }
    context.print(QStringLiteral("SUMMARY\t") + state.ranking().summary());
    if (!outcome->handOver)
        return context.fail(outcome->handOver.failure());
    return ExitSuccess;
}

} // namespace quorvel::cli
