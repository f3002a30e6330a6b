#include "app/cli/XlsxCommand.h"

#include "app/cli/CliContext.h"
#include "app/cli/CommandOptions.h"
#include "app/cli/PredictOptions.h"
#include "app/cli/TrendCommand.h"
#include "workspace/DetailListContent.h"
#include "workspace/PredictionRun.h"
#include "workspace/PredictionState.h"
#include "workspace/SpreadsheetExport.h"

namespace quorvel::cli {

namespace {

// The list of --position P and --kind K, and what else a form declares.
struct ExportOptions
{
    int position = 1;
    bool kill = false;
    bool display = false;
    int listNumber = 0;

    WorkspaceStartOptions startOptions() const
    {
        WorkspaceStartOptions options;
        options.position = position;
        options.kill = kill;
        return options;
    }
};

using ExportForm = CommandForm<ExportOptions>;

const ExportForm& historyForm()
{
    static const ExportForm declared = CommandOptions::withList(
        ExportForm(QStringLiteral("xlsx history"))
        << OptionKinds::flag(QStringLiteral("--display"), &ExportOptions::display,
                             QStringLiteral("add the per-draw results of the list of P and K (asks first)")));
    return declared;
}

const ExportForm& formulasForm()
{
    static const ExportForm declared = CommandOptions::withList(ExportForm(QStringLiteral("xlsx formulas")));
    return declared;
}

const CommandForm<PredictOptions>& predictionForm(bool details)
{
    static const CommandForm<PredictOptions> ranking =
        PredictOptions::declare(CommandForm<PredictOptions>(QStringLiteral("xlsx ranking")));
    static const CommandForm<PredictOptions> detailList =
        PredictOptions::declare(CommandForm<PredictOptions>(QStringLiteral("xlsx details")));
    return details ? detailList : ranking;
}

const ExportForm& stepsForm()
{
    static const QString refusal = QStringLiteral("xlsx steps needs --list-no N, a list number 1 and up");
    static const ExportForm declared =
        CommandOptions::withList(ExportForm(QStringLiteral("xlsx steps"))
                                 << CommandOptions::listNumber(&ExportOptions::listNumber, refusal)
                                 << CommandOptions::listNumberRequired(refusal));
    return declared;
}

const CommandForm<TrendOptions>& trendForm()
{
    using TrendTables::TrendTab;
    static const CommandForm<TrendOptions> declared =
        CommandForm<TrendOptions>(QStringLiteral("xlsx trend"))
        << OptionKinds::choice(QStringLiteral("--tab"), &TrendOptions::tab,
                               std::vector<std::pair<QString, TrendTab>>{{QStringLiteral("chart"), TrendTab::Chart},
                                                                         {QStringLiteral("position"), TrendTab::Position},
                                                                         {QStringLiteral("omission"), TrendTab::Omission},
                                                                         {QStringLiteral("hotcold"), TrendTab::HotCold},
                                                                         {QStringLiteral("twosides"), TrendTab::TwoSides}},
                               QStringLiteral("the tab of the trend window to write (default: chart)"))
        << TrendCommand::scopeOption() << TrendCommand::rangeOption();
    return declared;
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

std::vector<const FormSpec*> XlsxCommand::forms()
{
    return {&historyForm(), &formulasForm(), &predictionForm(false), &predictionForm(true), &stepsForm(),
            &trendForm()};
}

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
    if (subcommand == QLatin1String("trend"))
        return trend(context, arguments);
    return context.usage(subcommandRefusal(forms()));
}

int XlsxCommand::history(const CliContext& context, CliArguments& arguments)
{
    const Result<ExportOptions> parsed = historyForm().parse(arguments);
    if (!parsed)
        return context.usage(parsed.error());
    const bool display = parsed->display;
    WorkspaceStartOptions options = parsed->startOptions();
    // The grid and its per-draw results are worked out from the history; no pass is needed.
    options.verifyAtStart = false;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(options);
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();
    // With the results the export asks first; without --yes the answer is Cancel.
    const std::optional<SpreadsheetJob> job = SpreadsheetExport(workspace).history(display);
    if (!job)
        return context.fail(QStringLiteral("导出没有确认，未写入 %1（加 --yes 确认）")
                                .arg(SpreadsheetExport::historyFileName()));
    return written(context, workspace, *job);
}

int XlsxCommand::formulas(const CliContext& context, CliArguments& arguments)
{
    // The list as the window shows it after its start: verified, with computed values.
    const Result<ExportOptions> options = formulasForm().parse(arguments);
    if (!options)
        return context.usage(options.error());
    const Result<std::unique_ptr<CliSession>> session = context.startSession(options->startOptions());
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();
    return written(context, workspace, SpreadsheetExport(workspace).formulaList());
}

int XlsxCommand::prediction(const CliContext& context, CliArguments& arguments, bool details)
{
    const Result<PredictOptions> predict = predictionForm(details).parse(arguments);
    if (!predict)
        return context.usage(predict.error());

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
    const Result<ExportOptions> parsed = stepsForm().parse(arguments);
    if (!parsed)
        return context.usage(parsed.error());
    const int listNumber = parsed->listNumber;
    WorkspaceStartOptions options = parsed->startOptions();
    options.verifyAtStart = false;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(options);
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();
    const Result<FormulaListRow> formula = CommandOptions::formulaOnList(workspace, listNumber);
    if (!formula)
        return context.fail(formula.failure());
    return written(context, workspace,
                   SpreadsheetExport(workspace).calculationSteps(formula->code, formula->displayText,
                                                                 workspace.history()));
}

int XlsxCommand::trend(const CliContext& context, CliArguments& arguments)
{
    Result<TrendOptions> parsed = trendForm().parse(arguments);
    if (!parsed)
        return context.usage(parsed.error());
    // The chart of one position needs its position: the window's chooser starts at the first.
    if (parsed->tab == TrendTables::TrendTab::Position && parsed->scope == 0)
        parsed->scope = 1;
    WorkspaceStartOptions options;
    options.verifyAtStart = false;
    const Result<std::unique_ptr<CliSession>> session = context.startSession(options);
    if (!session)
        return context.fail(session.failure());
    Workspace& workspace = (*session)->workspace();
    return written(context, workspace,
                   SpreadsheetExport(workspace).trend(parsed->tab, TrendScope{parsed->scope}, parsed->range));
}

} // namespace quorvel::cli
