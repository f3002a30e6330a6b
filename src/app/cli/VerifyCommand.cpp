#include "app/cli/VerifyCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "workspace/Workspace.h"

namespace quorvel::cli {

namespace {

// --periods N, N one of the retrieval choices of the settings menu.
Result<std::optional<int>> periods(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--periods"), 1);
    if (!option)
        return Failure{option.error()};
    if (!option->has_value())
        return std::optional<int>();
    QStringList choices;
    for (int index = 0; index < Settings::kRetrievalPeriodsCount; ++index) {
        const int n = Settings::retrievalPeriods(index);
        if ((**option).first() == QString::number(n))
            return std::optional<int>(n);
        choices << QString::number(n);
    }
    return Failure{QStringLiteral("--periods takes one of %1").arg(choices.join(QLatin1Char(',')))};
}

} // namespace

int VerifyCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<CommandOptions::ListChoice> list = CommandOptions::listChoice(arguments);
    if (!list)
        return context.usage(list.error());
    const Result<std::optional<int>> periodCount = periods(arguments);
    if (!periodCount)
        return context.usage(periodCount.error());
    const Result<std::optional<bool>> exclude =
        CommandOptions::onOff(arguments, QStringLiteral("--exclude-current"));
    if (!exclude)
        return context.usage(exclude.error());
    const Result<std::optional<bool>> weighted =
        CommandOptions::onOff(arguments, QStringLiteral("--weighted"));
    if (!weighted)
        return context.usage(weighted.error());
    if (const Result<QStringList> words = CommandOptions::positional(arguments, QStringLiteral("verify"), 0);
        !words)
        return context.usage(words.error());

    const std::unique_ptr<Settings> settings = context.openSettings();
    VerificationSettings verification{Settings::retrievalPeriods(settings->retrievalPeriodsIndex()),
                                      settings->excludeCurrentPeriod(), settings->weightedAccuracy()};
    if (periodCount->has_value())
        verification.periods = **periodCount;
    if (exclude->has_value())
        verification.excludeCurrentPeriod = **exclude;
    if (weighted->has_value())
        verification.weighted = **weighted;

    WorkspaceStartOptions options;
    options.position = list->position;
    options.kill = list->kill;
    options.verification = verification;
    options.verifyAtStart = false;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(options);
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();

    // A full fill has selected every formula, so each gets its computed value. The results are
    // printed even when they could not be written back.
    const Status verified = workspace.Yansuan();
    const std::vector<FormulaListRow>& rows = workspace.formulaList().rows();
    const std::vector<FormulaListResult>& results = workspace.formulaList().results();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int listNumber = int(i + 1);
        const FormulaListResult& result = results[i];
        TabLine line;
        line << listNumber << rows[i].idx << workspace.computedValue(listNumber)
             << result.statistics.maxMisses << result.statistics.maxHits << result.statistics.lastMisses
             << result.statistics.lastHits << result.hitWeight << result.totalWeight << rows[i].code;
        context.print(line);
    }
    if (!verified)
        return context.fail(verified.failure());
    if (workspace.isReadOnly())
        return context.fail(QStringLiteral("统计未保存：") + workspace.readOnlyReason());
    return ExitSuccess;
}

} // namespace quorvel::cli
