#include "app/cli/FormulasCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "app/cli/FormulaLibraryCommand.h"
#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/TermTable.h"
#include "workspace/FormulaEntry.h"

namespace quorvel::cli {

namespace {

QString optionalNumber(const std::optional<int>& value)
{
    return value ? QString::number(*value) : QString();
}

} // namespace

int FormulasCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> subcommand = arguments.takeCommandWord();
    if (subcommand == QLatin1String("add"))
        return add(context, arguments);
    if (subcommand == QLatin1String("list"))
        return list(context, arguments);
    if (subcommand && FormulaLibraryCommand::handles(*subcommand))
        return FormulaLibraryCommand::run(*subcommand, context, arguments);
    return context.usage(QStringLiteral("formulas needs add, list, import, export, update, clear or delete"));
}

int FormulasCommand::add(const CliContext& context, CliArguments& arguments)
{
    const Result<std::optional<bool>> kind = CommandOptions::kind(arguments);
    if (!kind)
        return context.usage(kind.error());
    const Result<QStringList> texts = arguments.positional();
    if (!texts)
        return context.usage(texts.error());
    if (texts->isEmpty())
        return context.usage(QStringLiteral("formulas add needs at least one formula text"));

    const bool kill = kind->value_or(false);
    WorkspaceStartOptions options;
    options.kill = kill;
    options.verifyAtStart = false;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(options);
    if (!session)
        return context.fail(session.failure());
    // All texts in one transaction, with one refresh at the end.
    const Result<TypedFormulaOutcome> outcome =
        FormulaEntry((*session)->workspace())
            .addTyped(*texts, kind->has_value() ? *kind : std::optional<bool>());
    if (!outcome)
        return context.fail(outcome.failure());
    for (const TypedFormulaRefusal& refusal : outcome->refused)
        context.printError(field(refusal.text) + QStringLiteral(": ") + refusal.failure.message);
    return outcome->refused.empty() ? ExitSuccess : ExitFailure;
}

int FormulasCommand::list(const CliContext& context, CliArguments& arguments)
{
    const Result<std::optional<int>> position = CommandOptions::position(arguments);
    if (!position)
        return context.usage(position.error());
    const Result<std::optional<bool>> kind = CommandOptions::kind(arguments);
    if (!kind)
        return context.usage(kind.error());
    if (const Result<QStringList> words =
            CommandOptions::positional(arguments, QStringLiteral("formulas list"), 0);
        !words)
        return context.usage(words.error());

    Result<std::unique_ptr<Database>> database = context.openDatabase();
    if (!database)
        return context.fail(database.error());
    const int first = position->value_or(1);
    const int last = position->value_or(kPositionCount);
    for (int p = first; p <= last; ++p) {
        const Result<std::vector<FormulaRecord>> records = (*database)->formulas().read(p);
        if (!records)
            return context.fail(records.error());
        for (const FormulaRecord& record : *records) {
            if (kind->has_value() && record.kill != **kind)
                continue;
            QStringList fields{
                QString::number(p), optionalNumber(record.idx), CommandOptions::kindName(record.kill),
                field(record.code), field(record.displayText),  optionalNumber(record.limit)};
            if (record.statistics) {
                fields << QString::number(record.statistics->maxMisses)
                       << QString::number(record.statistics->maxHits)
                       << QString::number(record.statistics->lastMisses)
                       << QString::number(record.statistics->lastHits);
            } else {
                fields << QString() << QString() << QString() << QString();
            }
            context.print(fields.join(QLatin1Char('\t')));
        }
    }
    return ExitSuccess;
}

} // namespace quorvel::cli
