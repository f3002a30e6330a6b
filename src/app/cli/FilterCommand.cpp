#include "app/cli/FilterCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "workspace/FormulaFilters.h"

namespace quorvel::cli {

namespace {

struct FilterOptions : CommandOptions::ListChoice
{
    QStringList words; // the eight bounds of the range filter
};

const CommandForm<FilterOptions>& form(bool range)
{
    static const CommandForm<FilterOptions> limit =
        CommandOptions::withList(CommandForm<FilterOptions>(QStringLiteral("filter limit")));
    static const CommandForm<FilterOptions> ranges = CommandOptions::withList(
        CommandForm<FilterOptions>(QStringLiteral("filter range"))
            .takes(&FilterOptions::words,
                   CommandOptions::exactly(
                       8, QStringLiteral("LO HI LO HI LO HI LO HI"),
                       QStringLiteral("filter range needs eight bounds: LO HI of max misses, "
                                      "max hits, last misses and last hits"))));
    return range ? ranges : limit;
}

} // namespace

std::vector<const FormSpec*> FilterCommand::forms()
{
    return {&form(false), &form(true)};
}

int FilterCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> filter = arguments.takeCommandWord();
    if (filter != QLatin1String("limit") && filter != QLatin1String("range"))
        return context.usage(subcommandRefusal(forms()));
    const bool range = filter == QLatin1String("range");
    const Result<FilterOptions> list = form(range).parse(arguments);
    if (!list)
        return context.usage(list.error());
    const QStringList& words = list->words;

    WorkspaceStartOptions options;
    options.position = list->position;
    options.kill = list->kill;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(options);
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();

    FormulaFilters filters(workspace);
    int remaining = 0;
    if (range) {
        // As typed into the boxes: text that is not a number reads 0.
        std::array<QString, 8> bounds;
        for (std::size_t i = 0; i < bounds.size(); ++i)
            bounds[i] = words.at(qsizetype(i));
        remaining = filters.applyRangeFilter(bounds);
    } else {
        remaining = filters.applyLimitFilter();
    }
    for (int listNumber = 1; listNumber <= workspace.formulaList().count(); ++listNumber) {
        if (workspace.isSelected(listNumber))
            context.print(QString::number(listNumber));
    }
    context.print(QStringLiteral("remaining %1").arg(remaining));
    return ExitSuccess;
}

} // namespace quorvel::cli
