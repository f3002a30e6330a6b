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

// What every form takes: the list it works on, position 1 and keep when absent, and what else it
// declares.
struct LibraryOptions
{
    QStringList files;
    int position = 1;
    bool kill = false;
    bool all = false;
    bool shown = false;
    std::optional<QString> url;
    int timeout = 0; // 0: the default idle timeout
    int deadline = 120;
    int listNumber = 0;

    WorkspaceStartOptions startOptions() const
    {
        WorkspaceStartOptions options;
        options.position = position;
        options.kill = kill;
        return options;
    }
};

using LibraryForm = CommandForm<LibraryOptions>;

PositionalSpec noneFor(const QString& form)
{
    return PositionalSpec{{}, 0, 0, QStringLiteral("formulas %1 takes no further arguments").arg(form)};
}

const LibraryForm& importForm()
{
    static const LibraryForm declared = CommandOptions::withList(
        LibraryForm(QStringLiteral("formulas import"))
            .takes(&LibraryOptions::files,
                   CommandOptions::exactly(1, QStringLiteral("FILE"),
                                           QStringLiteral("formulas import needs one FILE"))));
    return declared;
}

const LibraryForm& exportForm()
{
    static const LibraryForm declared = CommandOptions::withList(
        LibraryForm(QStringLiteral("formulas export")).takes(noneFor(QStringLiteral("export")))
        << OptionKinds::flag(QStringLiteral("--all"), &LibraryOptions::all,
                             QStringLiteral("export the formulas of every list"))
        << OptionKinds::flag(QStringLiteral("--shown"), &LibraryOptions::shown,
                             QStringLiteral("export the formulas of the list of P and K"))
        << OptionGroup{{QStringLiteral("--all"), QStringLiteral("--shown")},
                       true,
                       QStringLiteral("formulas export needs one of --all and --shown")});
    return declared;
}

const LibraryForm& updateForm()
{
    static const LibraryForm declared =
        LibraryForm(QStringLiteral("formulas update")).takes(noneFor(QStringLiteral("update")))
        << OptionKinds::text(QStringLiteral("--url"), QStringLiteral("URL"), &LibraryOptions::url,
                             QStringLiteral("the address of the formula file, for this run (default: GsUrl)"))
        << OptionKinds::wholeNumber(
               QStringLiteral("--timeout"), QStringLiteral("S"), &LibraryOptions::timeout, 1, 3600,
               QStringLiteral("the seconds without data before giving up, 1..3600 (default 30)"),
               QStringLiteral("--timeout takes whole seconds 1..3600"))
        << CommandOptions::downloadDeadline(&LibraryOptions::deadline);
    return declared;
}

const LibraryForm& clearForm()
{
    static const LibraryForm declared =
        LibraryForm(QStringLiteral("formulas clear")).takes(noneFor(QStringLiteral("clear")));
    return declared;
}

const LibraryForm& deleteForm()
{
    static const QString refusal = QStringLiteral("formulas delete needs --list-no N (N from 1)");
    static const LibraryForm declared = CommandOptions::withList(
        LibraryForm(QStringLiteral("formulas delete")).takes(noneFor(QStringLiteral("delete")))
        << CommandOptions::listNumber(&LibraryOptions::listNumber, refusal)
        << CommandOptions::listNumberRequired(refusal));
    return declared;
}

} // namespace

std::vector<const FormSpec*> FormulaLibraryCommand::forms()
{
    return {&importForm(), &exportForm(), &updateForm(), &clearForm(), &deleteForm()};
}

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
    const Result<LibraryOptions> options = importForm().parse(arguments);
    if (!options)
        return context.usage(options.error());

    const Result<std::unique_ptr<CliSession>> session = context.startSession(options->startOptions());
    if (!session)
        return context.fail(session.failure());
    const Result<FormulaImportOutcome> outcome =
        FormulaFileImport((*session)->workspace()).importFile(options->files.first());
    if (!outcome)
        return context.fail(outcome.failure());
    context.print(
        QStringLiteral("imported %1, unrecognised %2").arg(outcome->imported).arg(outcome->unrecognised));
    context.print(outcome->unrecognisedFile);
    return ExitSuccess;
}

int FormulaLibraryCommand::exportFile(const CliContext& context, CliArguments& arguments)
{
    const Result<LibraryOptions> options = exportForm().parse(arguments);
    if (!options)
        return context.usage(options.error());

    const Result<std::unique_ptr<CliSession>> session = context.startSession(options->startOptions());
    if (!session)
        return context.fail(session.failure());
    FormulaExport exporter((*session)->workspace());
    const Result<QString> path = options->all ? exporter.exportAll() : exporter.exportShown();
    if (!path)
        return context.fail(path.failure());
    context.print(*path);
    return ExitSuccess;
}

int FormulaLibraryCommand::update(const CliContext& context, CliArguments& arguments)
{
    const Result<LibraryOptions> options = updateForm().parse(arguments);
    if (!options)
        return context.usage(options.error());
    const std::optional<QString>& url = options->url;
    const int seconds = options->timeout;

    // The update starts, as in a fresh window, on position 1, keep.
    const Result<std::unique_ptr<CliSession>> session = context.startSession(WorkspaceStartOptions{});
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();
    if (!url && workspace.settings().formulaDownloadUrl().isEmpty())
        return context.fail(QStringLiteral("%1: 没有公式下载地址（设置 GsUrl，或用 --url 给出）")
                                .arg(OnlineFormulaUpdate::kTitle));

    OnlineFormulaUpdate update(workspace);
    update.setDeadline(std::chrono::seconds(options->deadline));
    if (seconds > 0)
        update.setIdleTimeout(std::chrono::seconds(seconds));
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&update, &OnlineFormulaUpdate::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    const Result<bool> started = update.start(url ? std::optional<QUrl>(QUrl(*url)) : std::nullopt);
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
    if (const Result<LibraryOptions> none = clearForm().parse(arguments); !none)
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
    const Result<LibraryOptions> options = deleteForm().parse(arguments);
    if (!options)
        return context.usage(options.error());
    const int listNumber = options->listNumber;

    const Result<std::unique_ptr<CliSession>> session = context.startSession(options->startOptions());
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
