#include "app/cli/TuneCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/SearchOptions.h"
#include "formulas/CompiledFormula.h"
#include "search/SearchSession.h"

namespace quorvel::cli {

std::vector<const FormSpec*> TuneCommand::forms()
{
    return {&SearchOptions::tuneForm(), &SearchOptions::tuneScoreForm()};
}

int TuneCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> subcommand = arguments.takeCommandWord();
    if (!subcommand)
        return tune(context, arguments);
    if (subcommand == QLatin1String("score"))
        return score(context, arguments);
    return context.usage(subcommandRefusal(forms()));
}

int TuneCommand::tune(const CliContext& context, CliArguments& arguments)
{
    const std::unique_ptr<Settings> settings = context.openSettings();
    const Result<SearchOptions::Tune> options = SearchOptions::tuneForm().parse(arguments);
    if (!options)
        return context.usage(options.error());
    const auto& [position, kind, samples, seed, save] = *options;

    Result<DrawTable> history = context.readHistory();
    if (!history)
        return context.fail(history.failure());
    const std::shared_ptr<const DrawTable> table = std::make_shared<const DrawTable>(std::move(*history));
    SearchSession search(*settings, [table] { return table; });
    TuningRequest request;
    request.generation.position = position.value_or(1);
    request.generation.kill = kind.value_or(false);
    request.generation.operandCount = search.settings().operandCount(request.generation.position);
    request.generation.constant = 0;
    request.samples = int(samples.value_or(SearchOptions::kDefaultSamples));
    request.seed = seed;
    const TuningResult result = search.runTuning(request);
    context.print(SearchOptions::boundsLine(result.bounds));
    if (save)
        search.settings().saveCategory(result.position, result.kill, result.bounds, result.operandCount);
    return ExitSuccess;
}

int TuneCommand::score(const CliContext& context, CliArguments& arguments)
{
    const std::unique_ptr<Settings> settings = context.openSettings();
    const Result<SearchOptions::Score> options = SearchOptions::tuneScoreForm().parse(arguments);
    if (!options)
        return context.usage(options.error());
    const std::optional<int>& position = options->position;
    const std::optional<bool>& kind = options->kind;
    const QStringList& words = options->words;

    const Result<SearchOptions::CodeFile> file = SearchOptions::codeFile(words.first());
    if (!file)
        return context.fail(file.failure());
    for (int i = 0; i < file->codes.size(); ++i) {
        if (const Result<CompiledFormula> compiled = CompiledFormula::compile(file->codes[i]); !compiled)
            return context.fail(
                QStringLiteral("line %1: %2").arg(file->lineNumbers[std::size_t(i)]).arg(compiled.error()));
    }
    const Result<DrawTable> history = context.readHistory();
    if (!history)
        return context.fail(history.failure());
    const Result<TuningResult> result =
        ParameterTuning::tuneCodes(*history, file->codes, position.value_or(1), kind.value_or(false),
                                   SearchSession::storedPeriods(*settings));
    if (!result)
        return context.fail(result.failure());
    context.print(SearchOptions::boundsLine(result->bounds));
    return ExitSuccess;
}

} // namespace quorvel::cli
