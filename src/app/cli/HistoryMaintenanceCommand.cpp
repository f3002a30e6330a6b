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

#include <functional>

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

// A positive whole number.
std::optional<qint32> positive(const QString& text)
{
    const std::optional<qint32> value = HistoryDeletion::wholeNumber(text);
    if (!value || *value == 0 || text.trimmed() != text)
        return std::nullopt;
    return value;
}

// A positive whole number, or `refusal`.
std::function<Result<qint32>(const QStringList&)> positiveOr(const QString& refusal)
{
    return [refusal](const QStringList& words) -> Result<qint32> {
        const std::optional<qint32> value = positive(words.first());
        if (!value)
            return Failure{refusal};
        return *value;
    };
}

struct UpdateOptions
{
    std::optional<QString> url;
    int deadline = 120;
};

const CommandForm<UpdateOptions>& updateForm()
{
    static const CommandForm<UpdateOptions> declared =
        CommandForm<UpdateOptions>(QStringLiteral("history update"))
        << OptionKinds::value(
               OptionSpec{QStringLiteral("--url"), QStringLiteral("BASE"),
                          QStringLiteral(
                              "the base address of the results page, type code included (default: KjUrl)")},
               &UpdateOptions::url,
               [](const QStringList& words) -> Result<QString> {
                   const QString& base = words.first();
                   if (!base.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) &&
                       !base.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
                       return Failure{
                           QStringLiteral("--url takes a base address starting with http:// or https://")};
                   return base;
               })
        << CommandOptions::downloadDeadline(&UpdateOptions::deadline);
    return declared;
}

struct DeleteOptions
{
    bool last = false;
    bool all = false;
    std::optional<qint32> newest;
    std::optional<qint32> after;
};

const CommandForm<DeleteOptions>& deleteForm()
{
    static const CommandForm<DeleteOptions> declared =
        CommandForm<DeleteOptions>(QStringLiteral("history delete"))
        << OptionKinds::flag(QStringLiteral("--last"), &DeleteOptions::last,
                             QStringLiteral("delete the newest draw"))
        << OptionKinds::value(
               OptionSpec{QStringLiteral("--newest"), QStringLiteral("N"),
                          QStringLiteral("delete the N newest draws")},
               &DeleteOptions::newest,
               positiveOr(QStringLiteral("--newest takes a whole number of draws, at least 1")))
        << OptionKinds::value(
               OptionSpec{QStringLiteral("--after"), QStringLiteral("ISSUE"),
                          QStringLiteral("delete the draws after ISSUE, keeping it and every older one")},
               &DeleteOptions::after,
               positiveOr(QStringLiteral("--after takes the issue of the newest draw to keep")))
        << OptionKinds::flag(QStringLiteral("--all"), &DeleteOptions::all,
                             QStringLiteral("delete every draw"))
        << OptionGroup{
               {QStringLiteral("--last"), QStringLiteral("--newest"), QStringLiteral("--after"),
                QStringLiteral("--all")},
               true,
               QStringLiteral("history delete needs one of --last, --newest N, --after ISSUE, --all")};
    return declared;
}

const CommandForm<NoOptions>& exportForm()
{
    static const CommandForm<NoOptions> declared(QStringLiteral("history export"));
    return declared;
}

const CommandForm<NoOptions>& missingForm()
{
    static const CommandForm<NoOptions> declared(QStringLiteral("history missing"));
    return declared;
}

} // namespace

std::vector<const FormSpec*> HistoryMaintenanceCommand::forms()
{
    return {&updateForm(), &deleteForm(), &exportForm(), &missingForm()};
}

int HistoryMaintenanceCommand::update(const CliContext& context, CliArguments& arguments)
{
    const Result<UpdateOptions> options = updateForm().parse(arguments);
    if (!options)
        return context.usage(options.error());
    const std::optional<QString>& base = options->url;
    const int deadline = options->deadline;

    const Result<std::unique_ptr<CliSession>> session = context.startSession(quietStart());
    if (!session)
        return context.fail(session.failure());
    // Nobody answers the input box here: the address comes from --url or the settings.
    Settings& settings = (*session)->settings();
    if (!base && !lotteryTypeCode(settings.lotteryTypeIndex()).isEmpty() &&
        settings.resultsHost().trimmed().isEmpty())
        return context.fail(QStringLiteral("尚未设置开奖数据地址：用 --url BASE 给出，或在设置中填写 KjUrl"));
    OnlineHistoryUpdate update((*session)->workspace());
    update.setDeadline(std::chrono::seconds(deadline));
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
    const Result<DeleteOptions> options = deleteForm().parse(arguments);
    if (!options)
        return context.usage(options.error());

    const Result<std::unique_ptr<CliSession>> session = context.startSession(quietStart());
    if (!session)
        return context.fail(session.failure());
    HistoryDeletion deletion((*session)->workspace());
    const Result<DeletionOutcome> outcome = options->last     ? deletion.deleteNewestDraw()
                                            : options->all    ? deletion.deleteAll()
                                            : options->newest ? deletion.deleteNewest(*options->newest)
                                                              : deletion.deleteAfter(*options->after);
    if (!outcome)
        return context.fail(outcome.failure());
    context.print(QStringLiteral("deleted %1").arg(outcome->deleted));
    if (!outcome->refreshed)
        return context.fail(outcome->refreshed.failure());
    return ExitSuccess;
}

int HistoryMaintenanceCommand::exportText(const CliContext& context, CliArguments& arguments)
{
    if (const Result<NoOptions> none = exportForm().parse(arguments); !none)
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
    if (const Result<NoOptions> none = missingForm().parse(arguments); !none)
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
