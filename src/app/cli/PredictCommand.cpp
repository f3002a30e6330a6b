#include "app/cli/PredictCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "app/cli/PredictionOptions.h"
#include "workspace/PredictionRun.h"
#include "workspace/PredictionState.h"

namespace quorvel::cli {

namespace {

// --unselect L1,L2,...: list numbers 1 and up.
Result<std::vector<int>> unselected(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--unselect"), 1);
    if (!option)
        return Failure{option.error()};
    std::vector<int> numbers;
    if (!option->has_value())
        return numbers;
    for (const QString& word : (**option).first().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int listNumber = word.trimmed().toInt(&ok);
        if (!ok || listNumber < 1)
            return Failure{QStringLiteral("--unselect takes list numbers 1 and up, separated by commas")};
        numbers.push_back(listNumber);
    }
    return numbers;
}

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

} // namespace

int PredictCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<std::optional<int>> position = CommandOptions::position(arguments);
    if (!position)
        return context.usage(position.error());
    const Result<std::optional<bool>> kind = CommandOptions::kind(arguments);
    if (!kind)
        return context.usage(kind.error());
    const Result<std::optional<PredictionMethod>> method = PredictionOptions::method(arguments);
    if (!method)
        return context.usage(method.error());
    const Result<std::optional<int>> quotaOption = PredictionOptions::quota(arguments);
    if (!quotaOption)
        return context.usage(quotaOption.error());
    const Result<std::optional<std::array<SortKey, 3>>> keyOption = PredictionOptions::keys(arguments);
    if (!keyOption)
        return context.usage(keyOption.error());
    const Result<std::vector<int>> unselect = unselected(arguments);
    if (!unselect)
        return context.usage(unselect.error());
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return context.usage(words.error());
    if (!words->isEmpty())
        return context.usage(QStringLiteral("predict takes no positional arguments"));

    WorkspaceStartOptions options;
    options.position = position->value_or(1);
    options.kill = kind->value_or(false);
    options.verifyAtStart = false;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(options);
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();

    const PredictionMethod chosen = method->value_or(PredictionRun::chosenMethod(workspace.settings()));
    PredictionState state;
    BestFormulaSettings best;
    best.quota = quotaOption->value_or(best.quota);
    best.keys = keyOption->value_or(best.keys);
    state.acceptBestFormulaSettings(best);
    const Result<PredictionOutcome> outcome =
        PredictionRun(workspace, state).run(chosen, ListSelection::allExcept(*unselect));
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
    if (!outcome->ledger)
        return context.fail(outcome->ledger.failure());
    return ExitSuccess;
}

} // namespace quorvel::cli
