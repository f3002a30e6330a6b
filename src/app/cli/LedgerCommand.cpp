#include "app/cli/LedgerCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "history/DrawEntry.h"
#include "verification/LedgerScoring.h"
#include "workspace/PredictionLedger.h"

namespace quorvel::cli {

namespace {

QString rateText(const PickTally& tally, double rate)
{
    return tally.trials > 0 ? ChanceBaseline::probabilityText(rate) : QString();
}

void printSummary(const CliContext& context, const PickTally& tally, bool kill)
{
    TabLine line;
    line << QStringLiteral("SUMMARY") << CommandOptions::kindName(kill) << tally.right << tally.trials
         << ChanceBaseline::probabilityText(ChanceBaseline::hitChance(kill))
         << ChanceBaseline::probabilityText(tally.pValue(kill));
    context.print(line);
}

} // namespace

int LedgerCommand::run(const CliContext& context, CliArguments& arguments)
{
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return context.usage(words.error());
    if (!words->isEmpty())
        return context.usage(QStringLiteral("ledger takes no arguments"));

    WorkspaceStartOptions options;
    options.verifyAtStart = false;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(options);
    if (!session)
        return context.fail(session.failure());
    const Result<std::vector<LedgerEntry>> entries = PredictionLedger((*session)->workspace()).entries();
    if (!entries)
        return context.fail(entries.failure());

    qint64 number = 0;
    for (const LedgerEntry& entry : *entries) {
        const LedgerRecord& record = entry.record;
        TabLine line;
        line << QStringLiteral("ENTRY") << ++number << DrawEntry::issueText(record.issue) << record.made
             << record.method << CommandOptions::kindName(record.kill) << record.quota
             << LedgerScoring::picksText(entry.picks);
        if (record.score)
            line << record.score->drawn << record.score->right << record.score->trials;
        else
            line << QString() << QString() << QString();
        line << rateText(entry.running, entry.running.rate())
             << rateText(entry.running, entry.running.chanceRate());
        context.print(line);
    }
    const LedgerSummary summary = PredictionLedger::summary(*entries);
    printSummary(context, summary.keep, false);
    printSummary(context, summary.kill, true);
    return ExitSuccess;
}

} // namespace quorvel::cli
