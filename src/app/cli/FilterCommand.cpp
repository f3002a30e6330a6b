#include "app/cli/FilterCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "workspace/FormulaFilters.h"

namespace quorvel::cli {

int FilterCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> filter = arguments.takeCommandWord();
    if (filter != QLatin1String("limit") && filter != QLatin1String("range"))
        return context.usage(QStringLiteral("filter needs limit or range"));
    const Result<CommandOptions::ListChoice> list = CommandOptions::listChoice(arguments);
    if (!list)
        return context.usage(list.error());
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return context.usage(words.error());
    const bool range = filter == QLatin1String("range");
    if (range && words->size() != 8)
        return context.usage(QStringLiteral("filter range needs eight bounds: LO HI of max misses, max hits, "
                                            "last misses and last hits"));
    if (!range && !words->isEmpty())
        return context.usage(QStringLiteral("filter limit takes no positional arguments"));

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
            bounds[i] = words->at(qsizetype(i));
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
