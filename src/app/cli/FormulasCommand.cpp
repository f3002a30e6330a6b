#include "app/cli/FormulasCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "app/cli/FormulaLibraryCommand.h"
#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/TermTable.h"
#include "workspace/FormulaEntry.h"
#include "workspace/FormulaListEquivalence.h"

namespace quorvel::cli {

namespace {

QString optionalNumber(const std::optional<int>& value)
{
    return value ? QString::number(*value) : QString();
}

struct AddOptions
{
    QStringList texts;
    std::optional<bool> kind;
};

const CommandForm<AddOptions>& addForm()
{
    static const CommandForm<AddOptions> declared =
        CommandForm<AddOptions>(QStringLiteral("formulas add"))
            .takes(&AddOptions::texts,
                   PositionalSpec{QStringLiteral("TEXT..."), 1, -1,
                                  QStringLiteral("formulas add needs at least one formula text")})
        << CommandOptions::kind(&AddOptions::kind,
                                QStringLiteral("the kind of a text that does not name it (default keep)"));
    return declared;
}

struct ListOptions
{
    std::optional<int> position;
    std::optional<bool> kind;
};

const CommandForm<ListOptions>& listForm()
{
    static const CommandForm<ListOptions> declared =
        CommandForm<ListOptions>(QStringLiteral("formulas list"))
        << CommandOptions::position(&ListOptions::position,
                                    QStringLiteral("the position 1..8 (default: all eight)"))
        << CommandOptions::kind(&ListOptions::kind,
                                QStringLiteral("the kill or the keep formulas (default: both)"));
    return declared;
}

struct EquivalentOptions : CommandOptions::ListChoice
{
};

const CommandForm<EquivalentOptions>& equivalentForm()
{
    static const CommandForm<EquivalentOptions> declared =
        CommandOptions::withList(CommandForm<EquivalentOptions>(QStringLiteral("formulas equivalent")));
    return declared;
}

} // namespace

std::vector<const FormSpec*> FormulasCommand::forms()
{
    std::vector<const FormSpec*> all{&addForm(), &listForm(), &equivalentForm()};
    for (const FormSpec* form : FormulaLibraryCommand::forms())
        all.push_back(form);
    return all;
}

int FormulasCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> subcommand = arguments.takeCommandWord();
    if (subcommand == QLatin1String("add"))
        return add(context, arguments);
    if (subcommand == QLatin1String("list"))
        return list(context, arguments);
    if (subcommand == QLatin1String("equivalent"))
        return equivalent(context, arguments);
    if (subcommand && FormulaLibraryCommand::handles(*subcommand))
        return FormulaLibraryCommand::run(*subcommand, context, arguments);
    return context.usage(subcommandRefusal(forms()));
}

int FormulasCommand::add(const CliContext& context, CliArguments& arguments)
{
    const Result<AddOptions> parsed = addForm().parse(arguments);
    if (!parsed)
        return context.usage(parsed.error());
    const std::optional<bool>& kind = parsed->kind;
    const QStringList& texts = parsed->texts;

    const bool kill = kind.value_or(false);
    WorkspaceStartOptions options;
    options.kill = kill;
    options.verifyAtStart = false;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(options);
    if (!session)
        return context.fail(session.failure());
    // All texts in one transaction, with one refresh at the end.
    const Result<TypedFormulaOutcome> outcome = FormulaEntry((*session)->workspace()).addTyped(texts, kind);
    if (!outcome)
        return context.fail(outcome.failure());
    for (const TypedFormulaRefusal& refusal : outcome->refused)
        context.printError(field(refusal.text) + QStringLiteral(": ") + refusal.failure.message);
    return outcome->refused.empty() ? ExitSuccess : ExitFailure;
}

int FormulasCommand::list(const CliContext& context, CliArguments& arguments)
{
    const Result<ListOptions> options = listForm().parse(arguments);
    if (!options)
        return context.usage(options.error());
    const std::optional<int>& position = options->position;
    const std::optional<bool>& kind = options->kind;

    Result<std::unique_ptr<Database>> database = context.openDatabase();
    if (!database)
        return context.fail(database.error());
    const int first = position.value_or(1);
    const int last = position.value_or(kPositionCount);
    for (int p = first; p <= last; ++p) {
        const Result<std::vector<FormulaRecord>> records = (*database)->formulas().read(p);
        if (!records)
            return context.fail(records.error());
        for (const FormulaRecord& record : *records) {
            if (kind.has_value() && record.kill != *kind)
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

int FormulasCommand::equivalent(const CliContext& context, CliArguments& arguments)
{
    const Result<EquivalentOptions> options = equivalentForm().parse(arguments);
    if (!options)
        return context.usage(options.error());

    WorkspaceStartOptions start;
    start.position = options->position;
    start.kill = options->kill;
    start.verifyAtStart = false;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(start);
    if (!session)
        return context.fail(session.failure());
    const std::vector<int> classes =
        FormulaListEquivalence::classesOf(FormulaListEquivalence::inputOf((*session)->workspace()));
    int classCount = 0;
    for (std::size_t i = 0; i < classes.size(); ++i) {
        const int listNumber = int(i) + 1;
        if (classes[i] == listNumber)
            ++classCount;
        TabLine line;
        line << listNumber << classes[i];
        context.print(line);
    }
    TabLine counts;
    counts << QStringLiteral("classes") << classCount << QStringLiteral("formulas") << qint64(classes.size());
    context.print(counts);
    return ExitSuccess;
}

} // namespace quorvel::cli
