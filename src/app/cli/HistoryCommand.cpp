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

namespace {

struct ImportOptions
{
    QStringList words; // FILE
    std::optional<int> drawsPerDay;
    EntryPath path = EntryPath::Online;
};

const CommandForm<ImportOptions>& importForm()
{
    static const CommandForm<ImportOptions> declared =
        CommandForm<ImportOptions>(QStringLiteral("history import"))
            .takes(&ImportOptions::words,
                   CommandOptions::exactly(1, QStringLiteral("FILE"),
                                           QStringLiteral("history import needs one file")))
        << CommandOptions::drawsPerDay(&ImportOptions::drawsPerDay)
        << CommandOptions::entryPath(&ImportOptions::path, QStringLiteral("online"));
    return declared;
}

const CommandForm<NoOptions>& listForm()
{
    static const CommandForm<NoOptions> declared =
        CommandForm<NoOptions>(QStringLiteral("history list"))
            .takes(PositionalSpec{{}, 0, 0, QStringLiteral("history list takes no arguments")});
    return declared;
}

} // namespace

std::vector<const FormSpec*> HistoryCommand::forms()
{
    std::vector<const FormSpec*> all{&importForm(), &listForm()};
    for (const FormSpec* form : HistoryMaintenanceCommand::forms())
        all.push_back(form);
    return all;
}

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
    return context.usage(subcommandRefusal(forms()));
}

int HistoryCommand::import(const CliContext& context, CliArguments& arguments)
{
    const Result<ImportOptions> options = importForm().parse(arguments);
    if (!options)
        return context.usage(options.error());
    const std::optional<int>& drawsPerDay = options->drawsPerDay;

    // D as given, else the one of the chosen lottery type, as the window uses it.
    // An issue dated after today is refused.
    HistoryTextImport::DaySequence days;
    days.today = context.options().clock.today();
    if (drawsPerDay.has_value()) {
        days.drawsPerDay = *drawsPerDay;
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
        HistoryTextImport::importFile(**database, options->words.first(), days, options->path);
    if (!summary)
        return context.fail(summary.error());
    context.print(QStringLiteral("imported %1, skipped %2").arg(summary->imported).arg(summary->skipped));
    return ExitSuccess;
}

int HistoryCommand::list(const CliContext& context, CliArguments& arguments)
{
    if (const Result<NoOptions> none = listForm().parse(arguments); !none)
        return context.usage(none.error());

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
