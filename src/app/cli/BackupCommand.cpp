#include "app/cli/BackupCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "core/BackupStore.h"
#include "core/Database.h"
#include "workspace/UndoHistory.h"

#include <QDir>

namespace quorvel::cli {

namespace {

const QString kNeedsYes = QStringLiteral("恢复备份没有确认，未做任何修改（加 --yes 确认）");

// The rows are restored exactly as kept: nothing is verified, before or after.
WorkspaceStartOptions quietStart()
{
    WorkspaceStartOptions options;
    options.verifyAtStart = false;
    return options;
}

} // namespace

int BackupCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> subcommand = arguments.takeCommandWord();
    if (subcommand == QLatin1String("list"))
        return list(context, arguments);
    if (subcommand == QLatin1String("restore"))
        return restore(context, arguments);
    return context.usage(QStringLiteral("backup needs list or restore"));
}

int BackupCommand::list(const CliContext& context, CliArguments& arguments)
{
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return context.usage(words.error());
    if (!words->isEmpty())
        return context.usage(QStringLiteral("backup list takes no positional arguments"));
    // Reading the kept states needs no database: they describe themselves.
    const BackupStore store(QDir(context.dataFolder()).filePath(QLatin1String(Database::kFileName)));
    const Result<std::vector<KeptState>> states = store.list();
    if (!states)
        return context.fail(states.failure());
    for (const KeptState& state : *states)
        context.print(TabLine() << state.id << BackupStore::timeText(state.time) << state.operation
                                << state.drawsBefore << state.formulasBefore << state.drawsAfter
                                << state.formulasAfter);
    return ExitSuccess;
}

int BackupCommand::restore(const CliContext& context, CliArguments& arguments)
{
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return context.usage(words.error());
    bool ok = false;
    const qint64 id = words->size() == 1 ? words->first().toLongLong(&ok) : 0;
    if (!ok || id <= 0)
        return context.usage(
            QStringLiteral("backup restore needs the ID of one kept state (see backup list)"));
    if (!context.options().yes)
        return context.fail(kNeedsYes);
    const Result<std::unique_ptr<CliSession>> session = context.startSession(quietStart());
    if (!session)
        return context.fail(session.failure());
    if (Status restored = UndoHistory((*session)->workspace())
                              .restore(id, UndoHistory::kRestoreCaption, UndoHistory::Refresh::None);
        !restored)
        return context.fail(restored.failure());
    context.print(QStringLiteral("restored %1").arg(id));
    return ExitSuccess;
}

int BackupCommand::undo(const CliContext& context, CliArguments& arguments)
{
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return context.usage(words.error());
    if (!words->isEmpty())
        return context.usage(QStringLiteral("undo takes no positional arguments"));
    const Result<std::unique_ptr<CliSession>> session = context.startSession(quietStart());
    if (!session)
        return context.fail(session.failure());
    UndoHistory undo((*session)->workspace());
    const Result<std::vector<KeptState>> states = undo.list();
    if (!states)
        return context.fail(states.failure());
    if (states->empty())
        return context.fail(UndoHistory::kNothingToUndo);
    if (!context.options().yes)
        return context.fail(kNeedsYes);
    const Result<qint64> restored = undo.undo(UndoHistory::Refresh::None);
    if (!restored)
        return context.fail(restored.failure());
    context.print(QStringLiteral("restored %1").arg(*restored));
    return ExitSuccess;
}

} // namespace quorvel::cli
