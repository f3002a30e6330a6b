#include "app/cli/HistoryCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "history/DrawEntry.h"
#include "history/HistoryTextImport.h"

namespace quorvel::cli {

int HistoryCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> subcommand = arguments.takeCommandWord();
    if (subcommand == QLatin1String("import"))
        return import(context, arguments);
    if (subcommand == QLatin1String("list"))
        return list(context, arguments);
    return context.usage(QStringLiteral("history needs import or list"));
}

int HistoryCommand::import(const CliContext& context, CliArguments& arguments)
{
    const Result<int> drawsPerDay = CommandOptions::drawsPerDay(arguments);
    if (!drawsPerDay)
        return context.usage(drawsPerDay.error());
    const Result<EntryPath> path = CommandOptions::entryPath(arguments, EntryPath::Online);
    if (!path)
        return context.usage(path.error());
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return context.usage(words.error());
    if (words->size() != 1)
        return context.usage(QStringLiteral("history import needs one file"));

    Result<std::unique_ptr<Database>> database = context.openDatabase();
    if (!database)
        return context.fail(database.error());
    const Result<HistoryTextImport::Summary> summary =
        HistoryTextImport::importFile(**database, words->first(), *drawsPerDay, *path);
    if (!summary)
        return context.fail(summary.error());
    context.print(QStringLiteral("imported %1, skipped %2").arg(summary->imported).arg(summary->skipped));
    return ExitSuccess;
}

int HistoryCommand::list(const CliContext& context, CliArguments& arguments)
{
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return context.usage(words.error());
    if (!words->isEmpty())
        return context.usage(QStringLiteral("history list takes no arguments"));

    const Result<std::vector<Draw>> draws = context.readHistory();
    if (!draws)
        return context.fail(draws.error());
    for (const Draw& draw : *draws) {
        QString line = DrawEntry::issueText(draw.issue);
        for (const int n : draw.numbers())
            line += QStringLiteral(" %1").arg(n, 2, 10, QLatin1Char('0'));
        context.print(line);
    }
    return ExitSuccess;
}

} // namespace quorvel::cli
