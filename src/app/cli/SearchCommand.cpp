#include "app/cli/SearchCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/SearchOptions.h"
#include "core/Database.h"
#include "search/SearchScoring.h"
#include "search/SearchSession.h"
#include "search/SearchSettings.h"

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

// The formulas a found one must not say again: those of the tables, unless a Replace empties them.
Result<std::shared_ptr<const StoredCodes>> storedCodes(const CliContext& context, CliSession* session,
                                                       const std::optional<FoundStoreMode>& store)
{
    if (store == FoundStoreMode::Replace)
        return std::shared_ptr<const StoredCodes>();
    if (session)
        return SearchResultStore(session->workspace()).storedCodes();
    const Result<std::unique_ptr<Database>> database = context.openDatabase();
    if (!database)
        return database.failure();
    return SearchResultStore::storedCodes(**database);
}

} // namespace

std::vector<const FormSpec*> SearchCommand::forms()
{
    return {&SearchOptions::searchForm(), &SearchOptions::searchScoreForm()};
}

int SearchCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> subcommand = arguments.takeCommandWord();
    if (!subcommand)
        return search(context, arguments);
    if (subcommand == QLatin1String("score"))
        return score(context, arguments);
    return context.usage(subcommandRefusal(forms()));
}

int SearchCommand::search(const CliContext& context, CliArguments& arguments)
{
    const std::unique_ptr<Settings> settings = context.openSettings();
    const Result<SearchOptions::Search> parsed = SearchOptions::searchForm().parse(arguments);
    if (!parsed)
        return context.usage(parsed.error());
    const auto& [position, kind, operands, constant, randomConstant, form, bounds, periods, seed, candidates,
                 target, threads, store, luck] = *parsed;

    SingleSearchRequest request;
    request.generation.position = position.value_or(1);
    request.generation.kill = kind.value_or(false);
    request.generation.operandCount =
        operands.has_value() ? *operands : settings->operandCount(request.generation.position);
    if (!randomConstant)
        request.generation.constant = CandidateGenerator::specifiedConstant(constant.value_or(QString()));
    request.generation.shape = form.value_or(FormulaText::Shape::Prefix);
    request.bounds = bounds.value_or(
        SearchOptions::storedBounds(*settings, request.generation.position, request.generation.kill));
    request.seed = seed;
    if (candidates.has_value())
        request.candidateLimit = quint64(*candidates);
    if (target.has_value())
        request.foundTarget = *target;
    request.threads = threads.value_or(0);

    // Storing needs the workspace; a search alone only the history.
    std::unique_ptr<CliSession> session;
    std::shared_ptr<const DrawTable> history;
    if (store.has_value()) {
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
    const Result<std::shared_ptr<const StoredCodes>> tables = storedCodes(context, session.get(), store);
    if (!tables)
        return context.fail(tables.failure());
    request.stored = *tables;

    SearchSession search(*settings, [history] { return history; });
    if (periods)
        search.setPeriods(*periods);
    const SearchOutcome outcome = search.runSearch(request);
    if (outcome.reason == SearchStopReason::OutOfMemory)
        return context.fail(searchStopNotice(outcome.reason));
    for (const FoundFormula& formula : search.foundList().entries())
        printFound(context, formula);
    TabLine counts;
    counts << QStringLiteral("tried") << qint64(outcome.tried) << QStringLiteral("found") << outcome.found;
    context.print(counts);
    TabLine repeats;
    repeats << QStringLiteral("repeats") << outcome.repeats;
    context.print(repeats);
    if (luck) {
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
        SearchResultStore(session->workspace()).store(search.foundList(), *store, /*ask=*/true);
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
    const Result<SearchOptions::Score> parsed = SearchOptions::searchScoreForm().parse(arguments);
    if (!parsed)
        return context.usage(parsed.error());
    const auto& [words, position, kind, periods, bounds] = *parsed;

    const int p = position.value_or(1);
    const bool kill = kind.value_or(false);
    const Result<SearchOptions::CodeFile> file = SearchOptions::codeFile(words.first());
    if (!file)
        return context.fail(file.failure());
    const Result<DrawTable> history = context.readHistory();
    if (!history)
        return context.fail(history.failure());
    const std::vector<Result<ScoredCode>> scored = SearchScoring::scoreCodes(
        *history, file->codes, p, kill, SearchOptions::periodsOr(periods, *settings),
        bounds.value_or(SearchOptions::storedBounds(*settings, p, kill)));
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
