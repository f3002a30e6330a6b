#include "app/cli/XlsxCommand.h"

#include "app/cli/CliArguments.h"
#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "app/cli/PredictOptions.h"
#include "workspace/DetailListContent.h"
#include "workspace/PredictionRun.h"
#include "workspace/PredictionState.h"
#include "workspace/SpreadsheetExport.h"

namespace quorvel::cli {

namespace {

// --position P and --kind K, and nothing else left.
Result<WorkspaceStartOptions> listOptions(CliArguments& arguments, const QString& subcommand)
{
    const Result<std::optional<int>> position = CommandOptions::position(arguments);
    if (!position)
        return position.failure();
    const Result<std::optional<bool>> kind = CommandOptions::kind(arguments);
    if (!kind)
        return kind.failure();
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return words.failure();
    if (!words->isEmpty())
        return Failure{QStringLiteral("xlsx %1 takes no positional arguments").arg(subcommand)};
    WorkspaceStartOptions options;
    options.position = position->value_or(1);
    options.kill = kind->value_or(false);
    return options;
}

int written(const CliContext& context, Workspace& workspace, const SpreadsheetJob& job)
{
    const Result<QString> path = SpreadsheetExport(workspace).run(job);
    if (!path)
        return context.fail(path.failure());
    context.print(*path);
    return ExitSuccess;
}

} // namespace

int XlsxCommand::run(const CliContext& context, CliArguments& arguments)
{
    const std::optional<QString> subcommand = arguments.takeCommandWord();
    if (subcommand == QLatin1String("history"))
        return history(context, arguments);
    if (subcommand == QLatin1String("formulas"))
        return formulas(context, arguments);
    if (subcommand == QLatin1String("ranking"))
        return prediction(context, arguments, false);
    if (subcommand == QLatin1String("details"))
        return prediction(context, arguments, true);
    if (subcommand == QLatin1String("steps"))
        return steps(context, arguments);
    return context.usage(QStringLiteral("xlsx needs history, formulas, ranking, details or steps"));
}

int XlsxCommand::history(const CliContext& context, CliArguments& arguments)
{
    const Result<bool> display = arguments.takeFlag(QStringLiteral("--display"));
    if (!display)
        return context.usage(display.error());
    Result<WorkspaceStartOptions> options = listOptions(arguments, QStringLiteral("history"));
    if (!options)
        return context.usage(options.error());
    // The grid and its per-draw results are worked out from the history; no pass is needed.
    options->verifyAtStart = false;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(*options);
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();
    // With the results the export asks first; without --yes the answer is Cancel.
    const std::optional<SpreadsheetJob> job = SpreadsheetExport(workspace).history(*display);
    if (!job)
        return context.fail(QStringLiteral("导出没有确认，未写入 %1（加 --yes 确认）")
                                .arg(SpreadsheetExport::historyFileName()));
    return written(context, workspace, *job);
}

int XlsxCommand::formulas(const CliContext& context, CliArguments& arguments)
{
    // The list as the window shows it after its start: verified, with computed values.
    const Result<WorkspaceStartOptions> options = listOptions(arguments, QStringLiteral("formulas"));
    if (!options)
        return context.usage(options.error());
    const Result<std::unique_ptr<CliSession>> session = context.startSession(*options);
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();
    return written(context, workspace, SpreadsheetExport(workspace).formulaList());
}

int XlsxCommand::prediction(const CliContext& context, CliArguments& arguments, bool details)
{
    const QString subcommand = details ? QStringLiteral("details") : QStringLiteral("ranking");
    const Result<PredictOptions> predict = PredictOptions::take(arguments);
    if (!predict)
        return context.usage(predict.error());
    const Result<QStringList> words = arguments.positional();
    if (!words)
        return context.usage(words.error());
    if (!words->isEmpty())
        return context.usage(QStringLiteral("xlsx %1 takes no positional arguments").arg(subcommand));

    const Result<std::unique_ptr<CliSession>> session = context.startSession(predict->startOptions());
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();
    // The list carries the marks the prediction counts, as the window's list would.
    const ListSelection selection = ListSelection::allExcept(predict->unselected);
    std::vector<char> marks;
    for (int listNumber = 1; listNumber <= workspace.formulaList().count(); ++listNumber)
        marks.push_back(selection.isSelected(listNumber) ? 1 : 0);
    workspace.setSelection(marks);

    PredictionState state;
    predict->acceptSortSettings(state);
    const Result<PredictionOutcome> outcome =
        PredictionRun(workspace, state).run(predict->chosenMethod(workspace.settings()), selection);
    if (!outcome)
        return context.fail(outcome.failure());
    if (!outcome->handOver)
        return context.fail(outcome->handOver.failure());
    SpreadsheetExport exporter(workspace);
    if (!details)
        return written(context, workspace, exporter.ranking(state));
    // The detail list shows the computed values of the selected formulas.
    workspace.XianshiLei();
    return written(context, workspace, exporter.detailList(DetailListContent::of(workspace, state)));
}

int XlsxCommand::steps(const CliContext& context, CliArguments& arguments)
{
    const Result<std::optional<QStringList>> listOption =
        arguments.takeOption(QStringLiteral("--list-no"), 1);
    if (!listOption)
        return context.usage(listOption.error());
    bool ok = false;
    const int listNumber = listOption->has_value() ? (**listOption).first().toInt(&ok) : 0;
    if (!ok || listNumber < 1)
        return context.usage(QStringLiteral("xlsx steps needs --list-no N, a list number 1 and up"));
    Result<WorkspaceStartOptions> options = listOptions(arguments, QStringLiteral("steps"));
    if (!options)
        return context.usage(options.error());
    options->verifyAtStart = false;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(*options);
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();
    if (!workspace.formulaList().contains(listNumber))
        return context.fail(
            QStringLiteral("%1%2公式没有序号 %3")
                .arg(workspace.positionCaption(), options->kill ? QStringLiteral("杀") : QStringLiteral("生"))
                .arg(listNumber));
    const FormulaListRow& formula = workspace.formulaList().row(listNumber);
    return written(context, workspace,
                   SpreadsheetExport(workspace).calculationSteps(formula.code, formula.displayText,
                                                                 workspace.history()));
}

} // namespace quorvel::cli
