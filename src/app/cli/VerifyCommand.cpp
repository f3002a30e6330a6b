#include "app/cli/VerifyCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "verification/ChanceBaseline.h"
#include "workspace/Workspace.h"

namespace quorvel::cli {

namespace {

// The retrieval choices of the settings menu.
QStringList periodChoices()
{
    QStringList choices;
    for (int index = 0; index < Settings::kRetrievalPeriodsCount; ++index)
        choices << QString::number(Settings::retrievalPeriods(index));
    return choices;
}

struct VerifyOptions
{
    int position = 1;
    bool kill = false;
    std::optional<int> periodCount;
    std::optional<bool> exclude;
    std::optional<bool> weighted;
    bool chance = false;
};

const CommandForm<VerifyOptions>& form()
{
    const QString choices = periodChoices().join(QLatin1Char(','));
    static const CommandForm<VerifyOptions> declared =
        CommandForm<VerifyOptions>(QStringLiteral("verify"))
        << CommandOptions::position(&VerifyOptions::position) << CommandOptions::kind(&VerifyOptions::kill)
        << OptionKinds::value(
               OptionSpec{
                   QStringLiteral("--periods"), QStringLiteral("N"),
                   QStringLiteral("the draws verified, one of %1 (default: the stored JSQS)").arg(choices)},
               &VerifyOptions::periodCount,
               [choices](const QStringList& words) -> Result<int> {
                   if (!periodChoices().contains(words.first()))
                       return Failure{QStringLiteral("--periods takes one of %1").arg(choices)};
                   return words.first().toInt();
               })
        << OptionKinds::onOff(QStringLiteral("--exclude-current"), &VerifyOptions::exclude,
                              QStringLiteral("leave the current period out (default: the stored setting)"))
        << OptionKinds::onOff(QStringLiteral("--weighted"), &VerifyOptions::weighted,
                              QStringLiteral("weight the hit rates by period (default: the stored setting)"))
        << OptionKinds::flag(QStringLiteral("--chance"), &VerifyOptions::chance,
                             QStringLiteral("append the hits and the chances luck gives"));
    return declared;
}

} // namespace

std::vector<const FormSpec*> VerifyCommand::forms()
{
    return {&form()};
}

int VerifyCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<VerifyOptions> list = form().parse(arguments);
    if (!list)
        return context.usage(list.error());
    const std::optional<int>& periodCount = list->periodCount;
    const std::optional<bool>& exclude = list->exclude;
    const std::optional<bool>& weighted = list->weighted;
    const bool chance = list->chance;

    const std::unique_ptr<Settings> settings = context.openSettings();
    VerificationSettings verification{Settings::retrievalPeriods(settings->retrievalPeriodsIndex()),
                                      settings->excludeCurrentPeriod(), settings->weightedAccuracy()};
    verification.periods = periodCount.value_or(verification.periods);
    verification.excludeCurrentPeriod = exclude.value_or(verification.excludeCurrentPeriod);
    verification.weighted = weighted.value_or(verification.weighted);

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
        if (chance) {
            const ChanceBaseline::Figures figures =
                ChanceBaseline::figures(result.outcomes, result.hits, result.statistics.maxMisses,
                                        result.statistics.maxHits, workspace.currentKindIsKill());
            line << result.hits << ChanceBaseline::probabilityText(figures.hitsChance)
                 << ChanceBaseline::probabilityText(figures.maxMissChance)
                 << ChanceBaseline::probabilityText(figures.maxHitChance);
        }
        context.print(line);
    }
    if (!verified)
        return context.fail(verified.failure());
    if (workspace.isReadOnly())
        return context.fail(QStringLiteral("统计未保存：") + workspace.readOnlyReason());
    return ExitSuccess;
}

} // namespace quorvel::cli
