#include "app/cli/SearchCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "app/cli/SearchOptions.h"
#include "search/SearchScoring.h"
#include "search/SearchSession.h"
#include "search/SearchSettings.h"

#include <limits>

namespace quorvel::cli {

namespace {

const QString kNotStored = QStringLiteral("搜索到的公式没有保存：更新公式要先确认（--yes）");

void printFound(const CliContext& context, const FoundFormula& formula)
{
    TabLine line;
    line << QStringLiteral("FOUND") << formula.code << formula.displayText << formula.statistics.maxMisses
         << formula.statistics.maxHits << formula.statistics.lastMisses << formula.statistics.lastHits;
    context.print(line);
}

} // namespace

int SearchCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> subcommand = arguments.takeCommandWord();
    if (!subcommand)
        return search(context, arguments);
    if (subcommand == QLatin1String("score"))
        return score(context, arguments);
    return context.usage(QStringLiteral("search takes options or score FILE"));
}

int SearchCommand::search(const CliContext& context, CliArguments& arguments)
{
    const std::unique_ptr<Settings> settings = context.openSettings();
    const Result<std::optional<int>> position = CommandOptions::position(arguments);
    if (!position)
        return context.usage(position.error());
    const Result<std::optional<bool>> kind = CommandOptions::kind(arguments);
    if (!kind)
        return context.usage(kind.error());
    const Result<std::optional<qint64>> operands = SearchOptions::wholeNumber(
        arguments, QStringLiteral("--operands"), CandidateGenerator::kMinimumOperands,
        CandidateGenerator::kMaximumOperands);
    if (!operands)
        return context.usage(operands.error());
    const Result<std::optional<QStringList>> constant = arguments.takeOption(QStringLiteral("--constant"), 1);
    if (!constant)
        return context.usage(constant.error());
    const Result<bool> randomConstant = arguments.takeFlag(QStringLiteral("--random-constant"));
    if (!randomConstant)
        return context.usage(randomConstant.error());
    if (constant->has_value() && *randomConstant)
        return context.usage(QStringLiteral("--constant and --random-constant exclude each other"));
    if (constant->has_value() && !SearchSettings::parsedNumber((**constant).first()))
        return context.usage(QStringLiteral("--constant takes a number"));
    const Result<std::optional<QString>> form =
        arguments.takeChoice(QStringLiteral("--form"), {QStringLiteral("prefix"), QStringLiteral("suffix")});
    if (!form)
        return context.usage(form.error());
    const Result<std::optional<AcceptanceBounds>> bounds = SearchOptions::bounds(arguments);
    if (!bounds)
        return context.usage(bounds.error());
    const Result<int> periods = SearchOptions::periods(arguments, *settings);
    if (!periods)
        return context.usage(periods.error());
    const Result<std::optional<quint64>> seed = SearchOptions::seed(arguments);
    if (!seed)
        return context.usage(seed.error());
    const Result<std::optional<qint64>> candidates = SearchOptions::wholeNumber(
        arguments, QStringLiteral("--candidates"), 0, std::numeric_limits<qint64>::max());
    if (!candidates)
        return context.usage(candidates.error());
    const Result<std::optional<qint64>> target =
        SearchOptions::wholeNumber(arguments, QStringLiteral("--target"), 1, std::numeric_limits<int>::max());
    if (!target)
        return context.usage(target.error());
    const Result<std::optional<qint64>> threads =
        SearchOptions::wholeNumber(arguments, QStringLiteral("--threads"), 1, 256);
    if (!threads)
        return context.usage(threads.error());
    const Result<std::optional<FoundStoreMode>> store = SearchOptions::store(arguments);
    if (!store)
        return context.usage(store.error());
    const Result<bool> luck = arguments.takeFlag(QStringLiteral("--luck"));
    if (!luck)
        return context.usage(luck.error());
    if (const Result<QStringList> words = CommandOptions::positional(arguments, QStringLiteral("search"), 0);
        !words)
        return context.usage(words.error());
    if (candidates->has_value() == target->has_value())
        return context.usage(QStringLiteral("search needs one of --candidates N and --target T"));

    SingleSearchRequest request;
    request.generation.position = position->value_or(1);
    request.generation.kill = kind->value_or(false);
    request.generation.operandCount =
        operands->has_value() ? int(**operands) : settings->operandCount(request.generation.position);
    if (!*randomConstant)
        request.generation.constant =
            CandidateGenerator::specifiedConstant(constant->has_value() ? (**constant).first() : QString());
    request.generation.shape = form->value_or(QStringLiteral("prefix")) == QLatin1String("suffix")
                                   ? FormulaText::Shape::Suffix
                                   : FormulaText::Shape::Prefix;
    request.bounds = bounds->value_or(
        SearchOptions::storedBounds(*settings, request.generation.position, request.generation.kill));
    request.seed = *seed;
    if (candidates->has_value())
        request.candidateLimit = quint64(**candidates);
    if (target->has_value())
        request.foundTarget = int(**target);
    request.threads = int(threads->value_or(0));

    // Storing needs the workspace; a search alone only the history.
    std::unique_ptr<CliSession> session;
    std::shared_ptr<const DrawTable> history;
    if (store->has_value()) {
        WorkspaceStartOptions options;
        options.position = request.generation.position;
        options.kill = request.generation.kill;
        options.verifyAtStart = false;
        Result<std::unique_ptr<CliSession>> started = context.startSession(options);
        if (!started)
            return context.fail(started.failure());
        session = std::move(*started);
        history = session->workspace().history();
    } else {
        Result<DrawTable> read = context.readHistory();
        if (!read)
            return context.fail(read.failure());
        history = std::make_shared<const DrawTable>(std::move(*read));
    }

    SearchSession search(*settings, [history] { return history; });
    search.setPeriods(*periods);
    const SearchOutcome outcome = search.runSearch(request);
    if (outcome.reason == SearchStopReason::OutOfMemory)
        return context.fail(searchStopNotice(outcome.reason));
    for (const FoundFormula& formula : search.foundList().entries())
        printFound(context, formula);
    TabLine counts;
    counts << QStringLiteral("tried") << qint64(outcome.tried) << QStringLiteral("found") << outcome.found;
    context.print(counts);
    if (*luck) {
        TabLine line;
        line << QStringLiteral("luck") << search.runLuckCount(outcome.tried);
        context.print(line);
    }
    SearchOptions::printRate(context, outcome.tried, outcome.elapsedNanoseconds, outcome.threads,
                             search.lastSeed());
    if (const QString notice = searchStopNotice(outcome.reason); !notice.isEmpty())
        context.printError(notice);

    if (!session)
        return ExitSuccess;
    const Result<FoundStoreOutcome> stored =
        SearchResultStore(session->workspace()).store(search.foundList(), **store, /*ask=*/true);
    if (!stored)
        return context.fail(stored.failure());
    if (stored->declined)
        return context.fail(kNotStored);
    if (!stored->refreshed)
        return context.fail(stored->refreshed.failure());
    return ExitSuccess;
}

int SearchCommand::score(const CliContext& context, CliArguments& arguments)
{
    const std::unique_ptr<Settings> settings = context.openSettings();
    const Result<std::optional<int>> position = CommandOptions::position(arguments);
    if (!position)
        return context.usage(position.error());
    const Result<std::optional<bool>> kind = CommandOptions::kind(arguments);
    if (!kind)
        return context.usage(kind.error());
    const Result<int> periods = SearchOptions::periods(arguments, *settings);
    if (!periods)
        return context.usage(periods.error());
    const Result<std::optional<AcceptanceBounds>> bounds = SearchOptions::bounds(arguments);
    if (!bounds)
        return context.usage(bounds.error());
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return context.usage(words.error());
    if (words->size() != 1)
        return context.usage(QStringLiteral("search score needs one FILE"));

    const int p = position->value_or(1);
    const bool kill = kind->value_or(false);
    const Result<SearchOptions::CodeFile> file = SearchOptions::codeFile(words->first());
    if (!file)
        return context.fail(file.failure());
    const Result<DrawTable> history = context.readHistory();
    if (!history)
        return context.fail(history.failure());
    const std::vector<Result<ScoredCode>> scored =
        SearchScoring::scoreCodes(*history, file->codes, p, kill, *periods,
                                  bounds->value_or(SearchOptions::storedBounds(*settings, p, kill)));
    // A file with a code that is not one of the grammar is refused before anything is printed.
    for (std::size_t i = 0; i < scored.size(); ++i) {
        if (!scored[i])
            return context.fail(
                QStringLiteral("line %1: %2").arg(file->lineNumbers[i]).arg(scored[i].error()));
    }
    for (const Result<ScoredCode>& result : scored) {
        TabLine line;
        line << result->code << result->statistics.maxMisses << result->statistics.maxHits
             << result->statistics.lastMisses << result->statistics.lastHits << (result->accepted ? 1 : 0);
        context.print(line);
    }
    return ExitSuccess;
}

} // namespace quorvel::cli
