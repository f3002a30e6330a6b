#include "app/cli/HistoryMaintenanceCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "core/Database.h"
#include "core/HistoryTable.h"
#include "core/LotteryType.h"
#include "history/DrawEntry.h"
#include "history/MissingIssues.h"
#include "workspace/HistoryDeletion.h"
#include "workspace/HistoryExport.h"
#include "workspace/OnlineHistoryUpdate.h"

#include <QEventLoop>

namespace quorvel::cli {

namespace {

// A workspace that has read the history and proposed the next issue; the operations verify
// themselves where the window does.
WorkspaceStartOptions quietStart()
{
    WorkspaceStartOptions options;
    options.verifyAtStart = false;
    return options;
}

Result<bool> noArguments(CliArguments& arguments, const QString& what)
{
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return words.failure();
    if (!words->isEmpty())
        return Failure{what + QStringLiteral(" takes no positional arguments")};
    return true;
}

// A positive whole number.
std::optional<qint32> positive(const QString& text)
{
    const std::optional<qint32> value = HistoryDeletion::wholeNumber(text);
    if (!value || *value == 0 || text.trimmed() != text)
        return std::nullopt;
    return value;
}

} // namespace

int HistoryMaintenanceCommand::update(const CliContext& context, CliArguments& arguments)
{
    const Result<std::optional<QStringList>> url = arguments.takeOption(QStringLiteral("--url"), 1);
    if (!url)
        return context.usage(url.error());
    const Result<int> deadline = CommandOptions::downloadDeadline(arguments);
    if (!deadline)
        return context.usage(deadline.error());
    if (const Result<bool> none = noArguments(arguments, QStringLiteral("history update")); !none)
        return context.usage(none.error());
    std::optional<QString> base;
    if (*url) {
        base = (**url).first();
        if (!base->startsWith(QLatin1String("http://"), Qt::CaseInsensitive) &&
            !base->startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
            return context.usage(
                QStringLiteral("--url takes a base address starting with http:// or https://"));
    }

    const Result<std::unique_ptr<CliSession>> session = context.startSession(quietStart());
    if (!session)
        return context.fail(session.failure());
    // Nobody answers the input box here: the address comes from --url or the settings.
    Settings& settings = (*session)->settings();
    if (!base && !lotteryTypeCode(settings.lotteryTypeIndex()).isEmpty() &&
        settings.resultsHost().trimmed().isEmpty())
        return context.fail(QStringLiteral("尚未设置开奖数据地址：用 --url BASE 给出，或在设置中填写 KjUrl"));
    OnlineHistoryUpdate update((*session)->workspace());
    update.setDeadline(std::chrono::seconds(*deadline));
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&update, &OnlineHistoryUpdate::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    const Result<bool> started = update.start(base);
    if (!started)
        return context.fail(started.failure());
    if (!*started)
        return context.fail(QStringLiteral("在线更新没有确认，未发送请求（加 --yes 确认）"));
    if (!finished)
        loop.exec();

    const Result<OnlineUpdateOutcome>& outcome = update.outcome();
    if (!outcome)
        return context.fail(outcome.failure());
    context.print(QStringLiteral("requested %1, stored %2").arg(outcome->requested).arg(outcome->stored));
    if (!outcome->refreshed)
        return context.fail(outcome->refreshed.failure());
    return ExitSuccess;
}

int HistoryMaintenanceCommand::remove(const CliContext& context, CliArguments& arguments)
{
    const Result<bool> last = arguments.takeFlag(QStringLiteral("--last"));
    if (!last)
        return context.usage(last.error());
    const Result<bool> all = arguments.takeFlag(QStringLiteral("--all"));
    if (!all)
        return context.usage(all.error());
    const Result<std::optional<QStringList>> newest = arguments.takeOption(QStringLiteral("--newest"), 1);
    if (!newest)
        return context.usage(newest.error());
    const Result<std::optional<QStringList>> after = arguments.takeOption(QStringLiteral("--after"), 1);
    if (!after)
        return context.usage(after.error());
    if (const Result<bool> none = noArguments(arguments, QStringLiteral("history delete")); !none)
        return context.usage(none.error());
    if (int(*last) + int(*all) + int(newest->has_value()) + int(after->has_value()) != 1)
        return context.usage(
            QStringLiteral("history delete needs one of --last, --newest N, --after ISSUE, --all"));
    std::optional<qint32> number;
    if (*newest) {
        number = positive((**newest).first());
        if (!number)
            return context.usage(QStringLiteral("--newest takes a whole number of draws, at least 1"));
    }
    if (*after) {
        number = positive((**after).first());
        if (!number)
            return context.usage(QStringLiteral("--after takes the issue of the newest draw to keep"));
    }

    const Result<std::unique_ptr<CliSession>> session = context.startSession(quietStart());
    if (!session)
        return context.fail(session.failure());
    HistoryDeletion deletion((*session)->workspace());
    const Result<DeletionOutcome> outcome = *last     ? deletion.deleteNewestDraw()
                                            : *all    ? deletion.deleteAll()
                                            : *newest ? deletion.deleteNewest(*number)
                                                      : deletion.deleteAfter(*number);
    if (!outcome)
        return context.fail(outcome.failure());
    context.print(QStringLiteral("deleted %1").arg(outcome->deleted));
    if (!outcome->refreshed)
        return context.fail(outcome->refreshed.failure());
    return ExitSuccess;
}

int HistoryMaintenanceCommand::exportText(const CliContext& context, CliArguments& arguments)
{
    if (const Result<bool> none = noArguments(arguments, QStringLiteral("history export")); !none)
        return context.usage(none.error());
    const Result<std::unique_ptr<CliSession>> session = context.startSession(quietStart());
    if (!session)
        return context.fail(session.failure());
    const Result<QString> path = HistoryExport((*session)->workspace()).writeText();
    if (!path)
        return context.fail(path.failure());
    context.print(QStringLiteral("exported %1").arg((*session)->workspace().history()->drawCount()));
    context.print(*path);
    return ExitSuccess;
}

int HistoryMaintenanceCommand::missing(const CliContext& context, CliArguments& arguments)
{
    if (const Result<bool> none = noArguments(arguments, QStringLiteral("history missing")); !none)
        return context.usage(none.error());
    Result<std::unique_ptr<Database>> database = context.openDatabase();
    if (!database)
        return context.fail(database.error());
    const Result<std::vector<qint32>> issues = (*database)->history().issues();
    if (!issues)
        return context.fail(issues.error());
    const std::vector<qint32> missing =
        MissingIssues::find(*issues, drawsPerDayOf(context.openSettings()->lotteryTypeIndex()));
    for (const qint32 issue : missing)
        context.print(DrawEntry::issueText(issue));
    context.print(QStringLiteral("missing %1").arg(missing.size()));
    return ExitSuccess;
}

} // namespace quorvel::cli
