#include "app/cli/HistoryCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "app/cli/HistoryMaintenanceCommand.h"
#include "core/Database.h"
#include "core/HistoryTable.h"
#include "core/LotteryType.h"
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
    if (subcommand == QLatin1String("update"))
        return HistoryMaintenanceCommand::update(context, arguments);
    if (subcommand == QLatin1String("delete"))
        return HistoryMaintenanceCommand::remove(context, arguments);
    if (subcommand == QLatin1String("export"))
        return HistoryMaintenanceCommand::exportText(context, arguments);
    if (subcommand == QLatin1String("missing"))
        return HistoryMaintenanceCommand::missing(context, arguments);
    return context.usage(QStringLiteral("history needs import, list, update, delete, export or missing"));
}

int HistoryCommand::import(const CliContext& context, CliArguments& arguments)
{
    const Result<std::optional<int>> drawsPerDay = CommandOptions::drawsPerDay(arguments);
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

    // D as given, else the one of the chosen lottery type, as the window uses it.
    // An issue dated after today is refused.
    HistoryTextImport::DaySequence days;
    days.today = context.options().clock.today();
    if (drawsPerDay->has_value()) {
        days.drawsPerDay = **drawsPerDay;
        days.typeName = QStringLiteral("--per-day 所设");
    } else {
        const int type = context.openSettings()->lotteryTypeIndex();
        days.drawsPerDay = drawsPerDayOf(type);
        days.typeName = isLotteryTypeIndex(type) ? lotteryTypes()[std::size_t(type)].caption
                                                 : QStringLiteral("未选择彩种时");
    }
    Result<std::unique_ptr<Database>> database = context.openDatabase();
    if (!database)
        return context.fail(database.error());
    const Result<HistoryTextImport::Summary> summary =
        HistoryTextImport::importFile(**database, words->first(), days, *path);
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

    const Result<DrawTable> history = context.readHistory();
    if (!history)
        return context.fail(history.failure());
    for (int t = 0; t < history->drawCount(); ++t) {
        QString line = DrawEntry::issueText(history->issues()[std::size_t(t)]);
        for (const int n : history->numbers(t))
            line += QStringLiteral(" %1").arg(n, 2, 10, QLatin1Char('0'));
        context.print(line);
    }
    return ExitSuccess;
}

} // namespace quorvel::cli
