#include "app/cli/SchemeCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/SearchOptions.h"
#include "search/SearchSession.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>

namespace quorvel::cli {

std::vector<const FormSpec*> SchemeCommand::forms()
{
    return {&SearchOptions::schemeForm()};
}

int SchemeCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::unique_ptr<Settings> settings = context.openSettings();
    const Result<SearchOptions::Scheme> parsed = SearchOptions::schemeForm().parse(arguments);
    if (!parsed)
        return context.usage(parsed.error());
    const auto& [planned, mode, kind, seed, store] = *parsed;

    const bool kill = kind.value_or(false);
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

    const Result<std::shared_ptr<const StoredCodes>> tables = resultStore.storedCodes();
    if (!tables)
        return context.fail(tables.failure());

    SchemeRequest request;
    request.stored = *tables;
    request.targets = planned;
    request.mode = mode.value_or(SchemeCountMode::New);
    request.tableCounts = *counts;
    request.kill = kill;
    request.seed = seed;
    if (store.has_value())
        request.autoStore = *store == FoundStoreMode::Append ? SchemeAutoStore::Append : SchemeAutoStore::Replace;
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
    TabLine repeats;
    repeats << QStringLiteral("repeats") << outcome.repeats;
    context.print(repeats);
    SearchOptions::printRate(context, outcome.tried, elapsed, std::clamp(QThread::idealThreadCount(), 1, 256),
                             search.lastSeed());

    if (!outcome.completed) {
        // A full found list stops the scheme before position 8; what it found is not stored.
        const QString notice = searchStopNotice(outcome.reason);
        if (store.has_value())
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
