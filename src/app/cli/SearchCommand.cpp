#include "app/cli/SearchCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/SearchOptions.h"
#include "core/Database.h"
#include "search/FamilywiseChance.h"
#include "search/SearchScoring.h"
#include "search/SearchSession.h"
#include "search/SearchSettings.h"
#include "verification/ChanceBaseline.h"

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

// One line per code: `prefix` (if any), the code, its chance score on the history and its
// family-wise chance against `null`.
void printFamilywise(const CliContext& context, const QString& prefix, const QString& code, double score,
                     const FamilywiseNull& null)
{
    TabLine line;
    if (!prefix.isEmpty())
        line << prefix;
    line << code << ChanceBaseline::probabilityText(score)
         << ChanceBaseline::probabilityText(null.chanceOf(score));
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
    return {&SearchOptions::searchForm(), &SearchOptions::searchScoreForm(),
            &SearchOptions::familywiseForm()};
}

int SearchCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> subcommand = arguments.takeCommandWord();
    if (!subcommand)
        return search(context, arguments);
    if (subcommand == QLatin1String("score"))
        return score(context, arguments);
    if (subcommand == QLatin1String("familywise"))
        return familywise(context, arguments);
    return context.usage(subcommandRefusal(forms()));
}

int SearchCommand::search(const CliContext& context, CliArguments& arguments)
{
    const std::unique_ptr<Settings> settings = context.openSettings();
    const Result<SearchOptions::Search> parsed = SearchOptions::searchForm().parse(arguments);
    if (!parsed)
        return context.usage(parsed.error());
    const auto& [position, kind, operands, constant, randomConstant, form, bounds, periods, seed, candidates,
                 target, threads, store, luck, familywise] = *parsed;

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
    if (familywise) {
        const FamilywiseParameters parameters = search.familywiseParameters(outcome.tried, *familywise);
        const std::optional<FamilywiseNull> null = FamilywiseChance::nullOf(parameters);
        const std::vector<FoundFormula>& found = search.foundList().entries();
        const std::vector<double> scores = FamilywiseChance::scoresOf(found, parameters);
        for (std::size_t i = 0; i < found.size(); ++i)
            printFamilywise(context, QStringLiteral("FAMILYWISE"), found[i].code, scores[i], *null);
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

int SearchCommand::familywise(const CliContext& context, CliArguments& arguments)
{
    const std::unique_ptr<Settings> settings = context.openSettings();
    const Result<SearchOptions::Familywise> parsed = SearchOptions::familywiseForm().parse(arguments);
    if (!parsed)
        return context.usage(parsed.error());
    const auto& [words, position, kind, periods, candidates, shuffles, seed, threads] = *parsed;

    const Result<SearchOptions::CodeFile> file = SearchOptions::codeFile(words.first());
    if (!file)
        return context.fail(file.failure());
    std::vector<CompiledFormula> formulas;
    for (int i = 0; i < file->codes.size(); ++i) {
        Result<CompiledFormula> compiled = CompiledFormula::compile(file->codes[i]);
        if (!compiled)
            return context.fail(
                QStringLiteral("line %1: %2").arg(file->lineNumbers[std::size_t(i)]).arg(compiled.error()));
        formulas.push_back(std::move(*compiled));
    }
    Result<DrawTable> read = context.readHistory();
    if (!read)
        return context.fail(read.failure());

    // The candidates are those a search with the same seed and the same defaults would try.
    FamilywiseParameters parameters;
    parameters.history = std::make_shared<const DrawTable>(std::move(*read));
    parameters.generation.position = position.value_or(1);
    parameters.generation.kill = kind.value_or(false);
    parameters.generation.operandCount = settings->operandCount(parameters.generation.position);
    parameters.generation.constant = 0;
    parameters.periods = SearchOptions::periodsOr(periods, *settings);
    parameters.excludeCurrentPeriod = settings->excludeCurrentPeriod();
    parameters.seed = seed.value_or(CandidateGenerator::clockSeed());
    parameters.candidates = quint64(*candidates);
    parameters.shuffles = *shuffles;
    parameters.threads = threads.value_or(0);
    const std::optional<FamilywiseNull> null = FamilywiseChance::nullOf(parameters);

    ChanceScorer scorer(*parameters.history, parameters.periods, parameters.excludeCurrentPeriod);
    for (int i = 0; i < file->codes.size(); ++i) {
        const double score = scorer.score(formulas[std::size_t(i)], parameters.generation.position,
                                          parameters.generation.kill);
        printFamilywise(context, QString(), file->codes[i], score, *null);
    }
    TabLine summary;
    summary << QStringLiteral("null") << parameters.shuffles
            << ChanceBaseline::probabilityText(null->minimum())
            << ChanceBaseline::probabilityText(null->median())
            << ChanceBaseline::probabilityText(null->maximum());
    context.print(summary);
    context.printError(QStringLiteral("seed %1").arg(parameters.seed));
    return ExitSuccess;
}

} // namespace quorvel::cli
