#include "app/cli/LedgerCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "history/DrawEntry.h"
#include "verification/LedgerScoring.h"
#include "workspace/PredictionLedger.h"

#include <algorithm>

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
         << ChanceBaseline::probabilityText(kPickChance) << ChanceBaseline::probabilityText(tally.pValue());
    context.print(line);
}

Result<std::unique_ptr<CliSession>> ledgerSession(const CliContext& context)
{
    WorkspaceStartOptions options;
    options.verifyAtStart = false;
    return context.startSession(options);
}

struct DeleteOptions
{
    QStringList numbers;
};

const CommandForm<NoOptions>& ledgerForm()
{
    static const CommandForm<NoOptions> declared =
        CommandForm<NoOptions>(QStringLiteral("ledger"))
            .takes(PositionalSpec{{}, 0, 0, QStringLiteral("ledger takes no arguments but delete NO...")});
    return declared;
}

const CommandForm<DeleteOptions>& deleteForm()
{
    static const CommandForm<DeleteOptions> declared =
        CommandForm<DeleteOptions>(QStringLiteral("ledger delete"))
            .takes(&DeleteOptions::numbers,
                   PositionalSpec{QStringLiteral("NO..."), 1, -1,
                                  QStringLiteral("ledger delete needs the ENTRY numbers to delete")});
    return declared;
}

} // namespace

std::vector<const FormSpec*> LedgerCommand::forms()
{
    return {&ledgerForm(), &deleteForm()};
}

int LedgerCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> subcommand = arguments.takeCommandWord();
    if (subcommand == QLatin1String("delete")) {
        const Result<DeleteOptions> chosen = deleteForm().parse(arguments);
        if (!chosen)
            return context.usage(chosen.error());
        return deleteEntries(context, chosen->numbers);
    }
    if (subcommand)
        return context.usage(ledgerForm().positional.refusal);
    if (const Result<NoOptions> none = ledgerForm().parse(arguments); !none)
        return context.usage(none.error());

    const Result<std::unique_ptr<CliSession>> session = ledgerSession(context);
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
             << record.lotteryType.value_or(QString()) << record.method
             << CommandOptions::kindName(record.kill) << record.quota
             << LedgerScoring::picksText(entry.picks);
        if (record.score && !entry.otherLotteryType)
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

int LedgerCommand::deleteEntries(const CliContext& context, const QStringList& numbers)
{
    std::vector<qint64> chosen;
    for (const QString& word : numbers) {
        bool ok = false;
        const qint64 number = word.toLongLong(&ok);
        if (!ok || number < 1)
            return context.usage(QStringLiteral("ledger delete: %1 is no ENTRY number").arg(word));
        chosen.push_back(number);
    }
    // The question is answered Cancel without --yes, which the operation does not report.
    if (!context.options().yes)
        return context.fail(QStringLiteral("删除预测记录没有确认，未删除（加 --yes 确认）"));
    const Result<std::unique_ptr<CliSession>> session = ledgerSession(context);
    if (!session)
        return context.fail(session.failure());
    PredictionLedger ledger((*session)->workspace());
    const Result<std::vector<LedgerEntry>> entries = ledger.entries();
    if (!entries)
        return context.fail(entries.failure());
    std::vector<qint64> ids;
    for (const qint64 number : chosen) {
        if (number > qint64(entries->size()))
            return context.fail(QStringLiteral("预测记录中没有第 %1 条，未删除").arg(number));
        const qint64 id = (*entries)[std::size_t(number - 1)].record.id;
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    const Result<int> removed = ledger.remove(ids);
    if (!removed)
        return context.fail(removed.failure());
    context.print(QStringLiteral("deleted %1").arg(*removed));
    return ExitSuccess;
}

} // namespace quorvel::cli
