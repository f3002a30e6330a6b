#include "app/cli/SchemeCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "app/cli/SearchOptions.h"
#include "search/SearchSession.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>

namespace quorvel::cli {

namespace {

// --targets t1,...,t8: eight whole numbers, an empty one for a position that is skipped.
Result<std::array<std::optional<int>, kPositionCount>> targets(CliArguments& arguments)
{
    const Result<std::optional<QStringList>> option = arguments.takeOption(QStringLiteral("--targets"), 1);
    if (!option)
        return Failure{option.error()};
    const Failure refused{QStringLiteral(
        "scheme needs --targets t1,...,t8: eight whole numbers, empty for a skipped position")};
    if (!option->has_value())
        return refused;
    const QStringList values = (**option).first().split(QLatin1Char(','));
    if (values.size() != kPositionCount)
        return refused;
    std::array<std::optional<int>, kPositionCount> result{};
    for (int p = 0; p < kPositionCount; ++p) {
        const QString value = values[p].trimmed();
        if (value.isEmpty())
            continue;
        bool ok = false;
        result[std::size_t(p)] = value.toInt(&ok);
        if (!ok)
            return refused;
    }
    return result;
}

} // namespace

int SchemeCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::unique_ptr<Settings> settings = context.openSettings();
    const Result<std::array<std::optional<int>, kPositionCount>> planned = targets(arguments);
    if (!planned)
        return context.usage(planned.error());
    const Result<std::optional<QString>> mode =
        arguments.takeChoice(QStringLiteral("--mode"), {QStringLiteral("hold"), QStringLiteral("new")});
    if (!mode)
        return context.usage(mode.error());
    const Result<std::optional<bool>> kind = CommandOptions::kind(arguments);
    if (!kind)
        return context.usage(kind.error());
    const Result<std::optional<quint64>> seed = SearchOptions::seed(arguments);
    if (!seed)
        return context.usage(seed.error());
    const Result<std::optional<FoundStoreMode>> store = SearchOptions::store(arguments);
    if (!store)
        return context.usage(store.error());
    if (const Result<QStringList> words = CommandOptions::positional(arguments, QStringLiteral("scheme"), 0);
        !words)
        return context.usage(words.error());

    const bool kill = kind->value_or(false);
    WorkspaceStartOptions options;
    options.kill = kill;
    options.verifyAtStart = false;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(options);
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();
    SearchResultStore resultStore(workspace);
    const Result<std::array<int, kPositionCount>> counts = resultStore.tableCounts();
    if (!counts)
        return context.fail(counts.failure());

    SchemeRequest request;
    request.targets = *planned;
    request.mode = mode->value_or(QStringLiteral("new")) == QLatin1String("hold") ? SchemeCountMode::Hold
                                                                                  : SchemeCountMode::New;
    request.tableCounts = *counts;
    request.kill = kill;
    request.seed = *seed;
    if (store->has_value())
        request.autoStore =
            **store == FoundStoreMode::Append ? SchemeAutoStore::Append : SchemeAutoStore::Replace;
    SearchSession search(*settings, [&workspace] { return workspace.history(); });

    QElapsedTimer timer;
    timer.start();
    const SchemeOutcome outcome = search.runScheme(request);
    const qint64 elapsed = timer.nsecsElapsed();
    if (outcome.reason == SearchStopReason::OutOfMemory)
        return context.fail(searchStopNotice(outcome.reason));

    for (const FoundFormula& formula : outcome.found) {
        TabLine line;
        line << QStringLiteral("FOUND") << formula.position << formula.code << formula.displayText
             << formula.statistics.maxMisses << formula.statistics.maxHits << formula.statistics.lastMisses
             << formula.statistics.lastHits;
        context.print(line);
    }
    for (int p = 1; p <= kPositionCount; ++p) {
        const SchemePositionResult& result = outcome.positions[std::size_t(p - 1)];
        TabLine line;
        line << QStringLiteral("position") << p;
        if (result.skipped)
            line << QStringLiteral("skipped");
        else
            line << QStringLiteral("target") << result.target << QStringLiteral("found") << result.found
                 << QStringLiteral("tried") << qint64(result.tried);
        context.print(line);
    }
    TabLine total;
    total << QStringLiteral("tried") << qint64(outcome.tried) << QStringLiteral("found")
          << qint64(outcome.found.size());
    context.print(total);
    SearchOptions::printRate(context, outcome.tried, elapsed, std::clamp(QThread::idealThreadCount(), 1, 256),
                             search.lastSeed());

    if (!outcome.completed) {
        // A full found list stops the scheme before position 8; what it found is not stored.
        const QString notice = searchStopNotice(outcome.reason);
        if (store->has_value())
            return context.fail(notice + QStringLiteral("（没有保存）"));
        context.printError(notice);
        return ExitSuccess;
    }
    if (outcome.store == SchemeAutoStore::None)
        return ExitSuccess;
    const Result<FoundStoreOutcome> stored = resultStore.store(
        search.foundList(),
        outcome.store == SchemeAutoStore::Append ? FoundStoreMode::Append : FoundStoreMode::Replace,
        /*ask=*/false);
    if (!stored)
        return context.fail(stored.failure());
    if (!stored->refreshed)
        return context.fail(stored->refreshed.failure());
    return ExitSuccess;
}

} // namespace quorvel::cli
