#include "app/cli/CommandTable.h"

#include "app/cli/BacktestCommand.h"
#include "app/cli/BackupCommand.h"
#include "app/cli/DisplayCommand.h"
#include "app/cli/EvalCommand.h"
#include "app/cli/FilterCommand.h"
#include "app/cli/FormulasCommand.h"
#include "app/cli/HistoryCommand.h"
#include "app/cli/LedgerCommand.h"
#include "app/cli/LimitsCommand.h"
#include "app/cli/ParamsCommand.h"
#include "app/cli/PredictCommand.h"
#include "app/cli/ReferenceCommand.h"
#include "app/cli/SchemeCommand.h"
#include "app/cli/SearchCommand.h"
#include "app/cli/StepsCommand.h"
#include "app/cli/TuneCommand.h"
#include "app/cli/VerifyCommand.h"
#include "app/cli/XlsxCommand.h"

namespace quorvel::cli {

const std::vector<CliCommand>& commandTable()
{
    static const std::vector<CliCommand> table{
        {QStringLiteral("params"),
         QStringLiteral("The 124 draw parameters of one draw."),
         {QStringLiteral("params ISSUE N1..N8 [--prev P1..P8] [--per-day D] [--path manual|online]")},
         &ParamsCommand::run},
        {QStringLiteral("history"),
         QStringLiteral("Import, list, update online, delete, export and check the stored draws."),
         {QStringLiteral("history import FILE [--per-day D] [--path manual|online]"),
          QStringLiteral("history list"), QStringLiteral("history update [--url BASE] [--deadline S]"),
          QStringLiteral("history delete (--last | --newest N | --after ISSUE | --all)"),
          QStringLiteral("history export"), QStringLiteral("history missing")},
         &HistoryCommand::run},
        {QStringLiteral("formulas"),
         QStringLiteral("Add, list, import, export, download, clear and delete formulas."),
         {QStringLiteral("formulas add TEXT... [--kind kill|keep]"),
          QStringLiteral("formulas list [--position P] [--kind kill|keep]"),
          QStringLiteral("formulas import FILE [--position P] [--kind kill|keep]"),
          QStringLiteral("formulas export (--all|--shown) [--position P] [--kind kill|keep]"),
          QStringLiteral("formulas update [--url URL] [--timeout S] [--deadline S]"), QStringLiteral("formulas clear"),
          QStringLiteral("formulas delete --list-no N [--position P] [--kind kill|keep]")},
         &FormulasCommand::run},
        {QStringLiteral("eval"),
         QStringLiteral("The code of a formula text and its value on every stored draw."), {QStringLiteral("eval TEXT")}, &EvalCommand::run},
        {QStringLiteral("reference"),
         QStringLiteral("The parameter reference grid of the newest draw."), {QStringLiteral("reference")}, &ReferenceCommand::run},
        {QStringLiteral("verify"),
         QStringLiteral("Verify the formula list against the history, as the window does."),
         {QStringLiteral("verify [--position P] [--kind kill|keep] [--periods N] [--exclude-current on|off] "
                         "[--weighted on|off] [--chance]")},
         &VerifyCommand::run},
        {QStringLiteral("predict"),
         QStringLiteral("The prediction of the next draw and its ranking."),
         {QStringLiteral("predict [--position P] [--kind kill|keep] [--method selected|best] [--quota Q] "
                         "[--keys A,B,C] [--unselect L1,L2,...]")},
         &PredictCommand::run},
        {QStringLiteral("steps"),
         QStringLiteral("The calculation steps of one formula, draw by draw."),
         {QStringLiteral("steps --list-no N [--position P] [--kind kill|keep]")},
         &StepsCommand::run},
        {QStringLiteral("filter"),
         QStringLiteral("The formulas still selected after the limit or range filter."),
         {QStringLiteral("filter limit [--position P] [--kind kill|keep]"),
          QStringLiteral("filter range LO HI LO HI LO HI LO HI [--position P] [--kind kill|keep]")},
         &FilterCommand::run},
        {QStringLiteral("limits"),
         QStringLiteral("Raise the stored limit values of the formulas."), {QStringLiteral("limits update [--position P]")}, &LimitsCommand::run},
        {QStringLiteral("display"),
         QStringLiteral("The per-draw display of the history grid."),
         {QStringLiteral("display [--position P] [--kind kill|keep] [--mode next|same]")},
         &DisplayCommand::run},
        {QStringLiteral("search"),
         QStringLiteral("Search for new formulas, or score given codes as the search does."),
         {QStringLiteral(
              "search [--position P] [--kind kill|keep] [--operands N] [--constant C | --random-constant] "
              "[--form prefix|suffix] [--bounds b2,b3,b4,b5,b6,b7,b8,b9] [--periods N] [--seed S] "
              "(--candidates N | --target T) [--threads T] [--store append|replace] [--luck]"),
          QStringLiteral("search score FILE [--position P] [--kind kill|keep] [--periods N] "
                         "[--bounds b2,b3,b4,b5,b6,b7,b8,b9]")},
         &SearchCommand::run},
        {QStringLiteral("scheme"),
         QStringLiteral("The automatic search scheme over the eight positions."),
         {QStringLiteral("scheme --targets t1,...,t8 [--mode hold|new] [--kind kill|keep] [--seed S] "
                         "[--store append|replace]")},
         &SchemeCommand::run},
        {QStringLiteral("tune"),
         QStringLiteral("Derive the search bounds from random or given candidates."),
         {QStringLiteral("tune [--position P] [--kind kill|keep] [--samples N] [--seed S] [--save]"),
          QStringLiteral("tune score FILE [--position P] [--kind kill|keep]")},
         &TuneCommand::run},
        {QStringLiteral("xlsx"),
         QStringLiteral("Write the history, formula list, ranking, details or steps as a workbook."),
         {QStringLiteral("xlsx history [--display] [--position P] [--kind kill|keep]"),
          QStringLiteral("xlsx formulas [--position P] [--kind kill|keep]"),
          QStringLiteral("xlsx ranking [predict options]"), QStringLiteral("xlsx details [predict options]"),
          QStringLiteral("xlsx steps --list-no N [--position P] [--kind kill|keep]")},
         &XlsxCommand::run},
        {QStringLiteral("backtest"),
         QStringLiteral("The walk-forward backtest of the prediction over the newest draws."),
         {QStringLiteral("backtest --draws M [--position P] [--kind kill|keep] [--method selected|best] "
                         "[--quota Q] [--keys A,B,C]")},
         &BacktestCommand::run},
        {QStringLiteral("ledger"),
         QStringLiteral("The prediction ledger, scored against the stored draws, and deleting its entries."),
         {QStringLiteral("ledger"), QStringLiteral("ledger delete NO...")},
         &LedgerCommand::run},
        {QStringLiteral("backup"),
         QStringLiteral("List the states kept before destructive operations, and restore one."),
         {QStringLiteral("backup list"), QStringLiteral("backup restore ID")},
         &BackupCommand::run},
        {QStringLiteral("undo"), QStringLiteral("Restore the state before the newest kept operation."),
         {QStringLiteral("undo")}, &BackupCommand::undo},
    };
    return table;
}

const CliCommand* findCommand(const QString& name)
{
    for (const CliCommand& command : commandTable()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

QString globalOptionsUsage()
{
    return QStringLiteral("[--data-dir DIR] [--settings-file FILE] [--yes] [--today YYYY-MM-DD]");
}

QString usageText()
{
    QStringList forms;
    for (const CliCommand& command : commandTable())
        forms << command.usage;
    return QStringLiteral("quorvel-cli ") + globalOptionsUsage() + QLatin1Char(' ') +
           forms.join(QStringLiteral(" | "));
}

QString helpText()
{
    QString text = QStringLiteral("usage: quorvel-cli ") + globalOptionsUsage() +
                   QStringLiteral(" COMMAND ...\n       quorvel-cli --help | --version\n\ncommands:");
    for (const CliCommand& command : commandTable()) {
        for (const QString& form : command.usage)
            text += QStringLiteral("\n  ") + form;
    }
    return text;
}

} // namespace quorvel::cli
