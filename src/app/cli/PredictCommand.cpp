#include "app/cli/PredictCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "workspace/PredictionRun.h"
#include "workspace/PredictionState.h"

namespace quorvel::cli {

namespace {

const QStringList kKeyNames{QStringLiteral("errcon"), QStringLiteral("truecon"), QStringLiteral("errlst")};
constexpr SortKey kKeys[3] = {SortKey::MaxMisses, SortKey::MaxHits, SortKey::LastMisses};

// --keys A,B,C: three of errcon (最大连错), truecon (最大连对), errlst (最后连错).
Result<std::optional<std::array<SortKey, 3>>> keys(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--keys"), 1);
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return std::optional<std::array<SortKey, 3>>();
    const QStringList names = (**option).first().split(QLatin1Char(','));
    const Failure refused{
        QStringLiteral("--keys takes three of %1, separated by commas").arg(kKeyNames.join(u','))};
    if (names.size() != 3)
        return refused;
    std::array<SortKey, 3> chosen{};
    for (int i = 0; i < 3; ++i) {
        const qsizetype at = kKeyNames.indexOf(names[i].trimmed());
        if (at < 0)
            return refused;
        chosen[std::size_t(i)] = kKeys[at];
    }
    return std::optional<std::array<SortKey, 3>>(chosen);
}

// --quota Q: a whole number that fits the quota box (16 bits).
Result<std::optional<int>> quota(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--quota"), 1);
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return std::optional<int>();
    bool ok = false;
    const int q = (**option).first().toInt(&ok);
    if (!ok || q < -32768 || q > 32767)
        return Failure{QStringLiteral("--quota takes a whole number -32768..32767")};
    return std::optional<int>(q);
}

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
    const Result<CommandOptions::ListChoice> list = CommandOptions::listChoice(arguments);
    if (!list)
        return context.usage(list.error());
    const Result<std::optional<QString>> method = arguments.takeChoice(
        QStringLiteral("--method"), {QStringLiteral("selected"), QStringLiteral("best")});
    if (!method)
        return context.usage(method.error());
    const Result<std::optional<int>> quotaOption = quota(arguments);
    if (!quotaOption)
        return context.usage(quotaOption.error());
    const Result<std::optional<std::array<SortKey, 3>>> keyOption = keys(arguments);
    if (!keyOption)
        return context.usage(keyOption.error());
    const Result<std::vector<int>> unselect = unselected(arguments);
    if (!unselect)
        return context.usage(unselect.error());
    if (const Result<QStringList> words = CommandOptions::positional(arguments, QStringLiteral("predict"), 0);
        !words)
        return context.usage(words.error());

    const Result<std::unique_ptr<CliSession>> session = context.startOnList(list->position, list->kill);
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();

    const PredictionMethod chosen =
        method->has_value() ? (**method == QLatin1String("best") ? PredictionMethod::BestFormulas
                                                                 : PredictionMethod::SelectedFormulas)
                            : PredictionRun::chosenMethod(workspace.settings());
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
    return ExitSuccess;
}

} // namespace quorvel::cli
