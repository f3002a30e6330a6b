#include "app/cli/FormulaLibraryCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "workspace/FormulaExport.h"
#include "workspace/FormulaFileImport.h"
#include "workspace/FormulaMaintenance.h"
#include "workspace/OnlineFormulaUpdate.h"

#include <QEventLoop>

namespace quorvel::cli {

namespace {

// The list the command works on: --position and --kind, position 1 and keep when absent.
Result<WorkspaceStartOptions> listOptions(CliArguments& arguments)
{
    const Result<std::optional<int>> position = CommandOptions::position(arguments);
    if (!position)
        return position.failure();
    const Result<std::optional<bool>> kind = CommandOptions::kind(arguments);
    if (!kind)
        return kind.failure();
    WorkspaceStartOptions options;
    options.position = position->value_or(1);
    options.kill = kind->value_or(false);
    return options;
}

Status noPositionals(CliArguments& arguments, const QString& form)
{
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return words.failure();
    if (!words->isEmpty())
        return Failure{QStringLiteral("formulas %1 takes no further arguments").arg(form)};
    return success();
}

} // namespace

bool FormulaLibraryCommand::handles(const QString& subcommand)
{
    static const QStringList names{QStringLiteral("import"), QStringLiteral("export"),
                                   QStringLiteral("update"), QStringLiteral("clear"),
                                   QStringLiteral("delete")};
    return names.contains(subcommand);
}

int FormulaLibraryCommand::run(const QString& subcommand, const CliContext& context, CliArguments& arguments)
{
    if (subcommand == QLatin1String("import"))
        return importFile(context, arguments);
    if (subcommand == QLatin1String("export"))
        return exportFile(context, arguments);
    if (subcommand == QLatin1String("update"))
        return update(context, arguments);
    if (subcommand == QLatin1String("clear"))
        return clear(context, arguments);
    return deleteFormula(context, arguments);
}

int FormulaLibraryCommand::importFile(const CliContext& context, CliArguments& arguments)
{
    const Result<WorkspaceStartOptions> options = listOptions(arguments);
    if (!options)
        return context.usage(options.error());
    const Result<QStringList> files = arguments.positional();
    if (!files)
        return context.usage(files.error());
    if (files->size() != 1)
        return context.usage(QStringLiteral("formulas import needs one FILE"));

    const Result<std::unique_ptr<CliSession>> session = context.startSession(*options);
    if (!session)
        return context.fail(session.failure());
    const Result<FormulaImportOutcome> outcome =
        FormulaFileImport((*session)->workspace()).importFile(files->first());
    if (!outcome)
        return context.fail(outcome.failure());
    context.print(
        QStringLiteral("imported %1, unrecognised %2").arg(outcome->imported).arg(outcome->unrecognised));
    context.print(outcome->unrecognisedFile);
    return ExitSuccess;
}

int FormulaLibraryCommand::exportFile(const CliContext& context, CliArguments& arguments)
{
    const Result<bool> all = arguments.takeFlag(QStringLiteral("--all"));
    if (!all)
        return context.usage(all.error());
    const Result<bool> shown = arguments.takeFlag(QStringLiteral("--shown"));
    if (!shown)
        return context.usage(shown.error());
    const Result<WorkspaceStartOptions> options = listOptions(arguments);
    if (!options)
        return context.usage(options.error());
    if (Status none = noPositionals(arguments, QStringLiteral("export")); !none)
        return context.usage(none.error());
    if (*all == *shown)
        return context.usage(QStringLiteral("formulas export needs one of --all and --shown"));

    const Result<std::unique_ptr<CliSession>> session = context.startSession(*options);
    if (!session)
        return context.fail(session.failure());
    FormulaExport exporter((*session)->workspace());
    const Result<QString> path = *all ? exporter.exportAll() : exporter.exportShown();
    if (!path)
        return context.fail(path.failure());
    context.print(*path);
    return ExitSuccess;
}

int FormulaLibraryCommand::update(const CliContext& context, CliArguments& arguments)
{
    const Result<std::optional<QStringList>> url = arguments.takeOption(QStringLiteral("--url"), 1);
    if (!url)
        return context.usage(url.error());
    const Result<std::optional<QStringList>> timeout = arguments.takeOption(QStringLiteral("--timeout"), 1);
    if (!timeout)
        return context.usage(timeout.error());
    const Result<int> deadline = CommandOptions::downloadDeadline(arguments);
    if (!deadline)
        return context.usage(deadline.error());
    if (Status none = noPositionals(arguments, QStringLiteral("update")); !none)
        return context.usage(none.error());
    int seconds = 0;
    if (*timeout) {
        bool ok = false;
        seconds = (**timeout).first().toInt(&ok);
        if (!ok || seconds < 1 || seconds > 3600)
            return context.usage(QStringLiteral("--timeout takes whole seconds 1..3600"));
    }

    // The update starts, as in a fresh window, on position 1, keep.
    const Result<std::unique_ptr<CliSession>> session = context.startSession(WorkspaceStartOptions{});
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();
    if (!*url && workspace.settings().formulaDownloadUrl().isEmpty())
        return context.fail(QStringLiteral("%1: 没有公式下载地址（设置 GsUrl，或用 --url 给出）")
                                .arg(OnlineFormulaUpdate::kTitle));

    OnlineFormulaUpdate update(workspace);
    update.setDeadline(std::chrono::seconds(*deadline));
    if (seconds > 0)
        update.setIdleTimeout(std::chrono::seconds(seconds));
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&update, &OnlineFormulaUpdate::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    const Result<bool> started =
        update.start(*url ? std::optional<QUrl>(QUrl((**url).first())) : std::nullopt);
    if (!started)
        return context.fail(started.failure().title + QStringLiteral(": ") + started.error());
    if (!*started)
        return context.fail(QStringLiteral("公式在线更新没有确认，未下载（加 --yes 确认）"));
    if (!finished)
        loop.exec();

    const Result<OnlineFormulaUpdateOutcome>& outcome = *update.outcome();
    if (!outcome)
        return context.fail(outcome.failure().title + QStringLiteral(": ") + outcome.error());
    context.print(QStringLiteral("downloaded %1 bytes, imported %2")
                      .arg(outcome->downloadedBytes)
                      .arg(outcome->imported));
    context.print(outcome->savedFile);
    return ExitSuccess;
}

int FormulaLibraryCommand::clear(const CliContext& context, CliArguments& arguments)
{
    if (Status none = noPositionals(arguments, QStringLiteral("clear")); !none)
        return context.usage(none.error());
    // The question is answered Cancel without --yes, which the operation does not report.
    if (!context.options().yes)
        return context.fail(QStringLiteral("清空所有公式没有确认，未删除（加 --yes 确认）"));
    const Result<std::unique_ptr<CliSession>> session = context.startSession(WorkspaceStartOptions{});
    if (!session)
        return context.fail(session.failure());
    if (Status cleared = FormulaMaintenance((*session)->workspace()).clearAll(); !cleared)
        return context.fail(cleared.failure());
    return ExitSuccess;
}

int FormulaLibraryCommand::deleteFormula(const CliContext& context, CliArguments& arguments)
{
    const Result<std::optional<QStringList>> listNumberOption =
        arguments.takeOption(QStringLiteral("--list-no"), 1);
    if (!listNumberOption)
        return context.usage(listNumberOption.error());
    const Result<WorkspaceStartOptions> options = listOptions(arguments);
    if (!options)
        return context.usage(options.error());
    if (Status none = noPositionals(arguments, QStringLiteral("delete")); !none)
        return context.usage(none.error());
    bool ok = false;
    const int listNumber = *listNumberOption ? (**listNumberOption).first().toInt(&ok) : 0;
    if (!ok || listNumber < 1)
        return context.usage(QStringLiteral("formulas delete needs --list-no N (N from 1)"));

    const Result<std::unique_ptr<CliSession>> session = context.startSession(*options);
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();
    if (!workspace.formulaList().contains(listNumber))
        return context.fail(QStringLiteral("no formula %1 in the list of position %2, %3 (%4 formulas)")
                                .arg(listNumber)
                                .arg(options->position)
                                .arg(CommandOptions::kindName(options->kill))
                                .arg(workspace.formulaList().count()));
    if (Status deleted = FormulaMaintenance(workspace).deleteFormula(listNumber); !deleted)
        return context.fail(deleted.failure());
    return ExitSuccess;
}

} // namespace quorvel::cli
