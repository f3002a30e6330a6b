#include "app/cli/BackupCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
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

const CommandForm<NoOptions>& listForm()
{
    static const CommandForm<NoOptions> declared(QStringLiteral("backup list"));
    return declared;
}

struct RestoreOptions
{
    QStringList words; // ID
};

const CommandForm<RestoreOptions>& restoreForm()
{
    static const CommandForm<RestoreOptions> declared =
        CommandForm<RestoreOptions>(QStringLiteral("backup restore"))
            .takes(&RestoreOptions::words,
                   CommandOptions::exactly(
                       1, QStringLiteral("ID"),
                       QStringLiteral("backup restore needs the ID of one kept state (see backup list)")));
    return declared;
}

const CommandForm<NoOptions>& undoForm()
{
    static const CommandForm<NoOptions> declared(QStringLiteral("undo"));
    return declared;
}

} // namespace

std::vector<const FormSpec*> BackupCommand::forms()
{
    return {&listForm(), &restoreForm()};
}

std::vector<const FormSpec*> BackupCommand::undoForms()
{
    return {&undoForm()};
}

int BackupCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> subcommand = arguments.takeCommandWord();
    if (subcommand == QLatin1String("list"))
        return list(context, arguments);
    if (subcommand == QLatin1String("restore"))
        return restore(context, arguments);
    return context.usage(subcommandRefusal(forms()));
}

int BackupCommand::list(const CliContext& context, CliArguments& arguments)
{
    if (const Result<NoOptions> none = listForm().parse(arguments); !none)
        return context.usage(none.error());
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
    const Result<RestoreOptions> options = restoreForm().parse(arguments);
    if (!options)
        return context.usage(options.error());
    bool ok = false;
    const qint64 id = options->words.first().toLongLong(&ok);
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
    if (const Result<NoOptions> none = undoForm().parse(arguments); !none)
        return context.usage(none.error());
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
