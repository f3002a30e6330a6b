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
#include "app/cli/TrendCommand.h"
#include "app/cli/TuneCommand.h"
#include "app/cli/VerifyCommand.h"
#include "app/cli/XlsxCommand.h"

#include <QDate>

#include <algorithm>

namespace quorvel::cli {

namespace {

QString lines(const QString& title, const std::vector<std::pair<QString, QString>>& rows)
{
    qsizetype width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());
    QString text = title + QLatin1Char(':');
    for (const auto& [name, help] : rows)
        text += QStringLiteral("\n  ") + name.leftJustified(width + 2) + help;
    return text;
}

QString optionLines(const QString& title, const std::vector<OptionSpec>& options)
{
    std::vector<std::pair<QString, QString>> rows;
    for (const OptionSpec& option : options)
        rows.emplace_back(optionUsage(option), option.help);
    return lines(title, rows);
}

} // namespace

const std::vector<CliCommand>& commandTable()
{
    static const std::vector<CliCommand> table{
        {QStringLiteral("params"), QStringLiteral("The 124 draw parameters of one draw."),
         &ParamsCommand::forms, &ParamsCommand::run},
        {QStringLiteral("history"),
         QStringLiteral("Import, list, update online, delete, export and check the stored draws."),
         &HistoryCommand::forms, &HistoryCommand::run},
        {QStringLiteral("formulas"),
         QStringLiteral(
             "Add, list, import, export, download, clear and delete formulas; find those that say the same."),
         &FormulasCommand::forms, &FormulasCommand::run},
        {QStringLiteral("eval"),
         QStringLiteral("The code of a formula text and its value on every stored draw."),
         &EvalCommand::forms, &EvalCommand::run},
        {QStringLiteral("reference"), QStringLiteral("The parameter reference grid of the newest draw."),
         &ReferenceCommand::forms, &ReferenceCommand::run},
        {QStringLiteral("verify"),
         QStringLiteral("Verify the formula list against the history, as the window does."),
         &VerifyCommand::forms, &VerifyCommand::run},
        {QStringLiteral("predict"), QStringLiteral("The prediction of the next draw and its ranking."),
         &PredictCommand::forms, &PredictCommand::run},
        {QStringLiteral("steps"), QStringLiteral("The calculation steps of one formula, draw by draw."),
         &StepsCommand::forms, &StepsCommand::run},
        {QStringLiteral("filter"),
         QStringLiteral("The formulas still selected after the limit or range filter."),
         &FilterCommand::forms, &FilterCommand::run},
        {QStringLiteral("limits"), QStringLiteral("Raise the stored limit values of the formulas."),
         &LimitsCommand::forms, &LimitsCommand::run},
        {QStringLiteral("display"), QStringLiteral("The per-draw display of the history grid."),
         &DisplayCommand::forms, &DisplayCommand::run},
        {QStringLiteral("search"),
         QStringLiteral("Search for new formulas, score given codes as the search does, or measure their "
                        "chance against the search's candidates on shuffled draws."),
         &SearchCommand::forms, &SearchCommand::run},
        {QStringLiteral("scheme"), QStringLiteral("The automatic search scheme over the eight positions."),
         &SchemeCommand::forms, &SchemeCommand::run},
        {QStringLiteral("tune"), QStringLiteral("Derive the search bounds from random or given candidates."),
         &TuneCommand::forms, &TuneCommand::run},
        {QStringLiteral("xlsx"),
         QStringLiteral("Write the history, formula list, ranking, details or steps as a workbook."),
         &XlsxCommand::forms, &XlsxCommand::run},
        {QStringLiteral("backtest"),
         QStringLiteral("The walk-forward backtest of the prediction over the newest draws."),
         &BacktestCommand::forms, &BacktestCommand::run},
        {QStringLiteral("trend"),
         QStringLiteral("The trend chart, omission table, hot and cold numbers and two-sided streaks."),
         &TrendCommand::forms, &TrendCommand::run},
        {QStringLiteral("ledger"),
         QStringLiteral("The prediction ledger, scored against the stored draws, and deleting its entries."),
         &LedgerCommand::forms, &LedgerCommand::run},
        {QStringLiteral("backup"),
         QStringLiteral("List the states kept before destructive operations, and restore one."),
         &BackupCommand::forms, &BackupCommand::run},
        {QStringLiteral("undo"), QStringLiteral("Restore the state before the newest kept operation."),
         &BackupCommand::undoForms, &BackupCommand::undo},
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

const CommandForm<GlobalOptions>& globalForm()
{
    using namespace OptionKinds;
    static const CommandForm<GlobalOptions> declared =
        CommandForm<GlobalOptions>(QString())
        << text(QStringLiteral("--data-dir"), QStringLiteral("DIR"), &GlobalOptions::dataFolder,
                QStringLiteral(
                    "keep formula.db and the files the program writes in DIR (default: the per-user "
                    "data folder, or the program's own folder when it is writable and not installed)"))
        << text(QStringLiteral("--settings-file"), QStringLiteral("FILE"), &GlobalOptions::settingsFile,
                QStringLiteral("keep the settings in the ini file FILE instead of the user's settings store"))
        << flag(QStringLiteral("--yes"), &GlobalOptions::yes,
                QStringLiteral("answer every question of the operation with OK; without it, Cancel"))
        << value(OptionSpec{QStringLiteral("--today"), QStringLiteral("YYYY-MM-DD"),
                            QStringLiteral("take this date as today")},
                 &GlobalOptions::clock, [](const QStringList& words) -> Result<Clock> {
                     const QDate date = QDate::fromString(words.first(), QStringLiteral("yyyy-MM-dd"));
                     if (!date.isValid())
                         return Failure{QStringLiteral("--today takes a date YYYY-MM-DD")};
                     return Clock(date);
                 });
    return declared;
}

std::vector<OptionSpec> optionsOf(const CliCommand& command)
{
    // Each distinct (name, help) once, with the forms that declare it.
    std::vector<std::pair<OptionSpec, QStringList>> found;
    for (const FormSpec* form : command.forms()) {
        for (const OptionSpec& option : form->options) {
            const auto same = std::find_if(found.begin(), found.end(), [&](const auto& entry) {
                return entry.first.name == option.name && entry.first.help == option.help;
            });
            if (same == found.end())
                found.emplace_back(option, QStringList{form->words});
            else
                same->second << form->words;
        }
    }
    // An option whose help differs between forms names the forms each help is for.
    std::vector<OptionSpec> options;
    for (const auto& [option, forms] : found) {
        // A copy for the lambda: clang 14 cannot capture a structured binding.
        const QString& name = option.name;
        const auto named = std::count_if(found.begin(), found.end(),
                                         [&](const auto& entry) { return entry.first.name == name; });
        options.push_back(option);
        if (named > 1)
            options.back().help = forms.join(QStringLiteral(", ")) + QStringLiteral(": ") + option.help;
    }
    std::stable_sort(options.begin(), options.end(), [&](const OptionSpec& left, const OptionSpec& right) {
        const auto firstOf = [&](const QString& name) {
            return std::find_if(found.begin(), found.end(),
                                [&](const auto& entry) { return entry.first.name == name; }) -
                   found.begin();
        };
        return firstOf(left.name) < firstOf(right.name);
    });
    return options;
}

QString globalOptionsUsage()
{
    return globalForm().usage();
}

QString usageText()
{
    QStringList forms;
    for (const CliCommand& command : commandTable()) {
        for (const FormSpec* form : command.forms())
            forms << form->usage();
    }
    return QStringLiteral("quorvel-cli ") + globalOptionsUsage() + QLatin1Char(' ') +
           forms.join(QStringLiteral(" | "));
}

QString helpText()
{
    std::vector<std::pair<QString, QString>> commands;
    for (const CliCommand& command : commandTable())
        commands.emplace_back(command.name, command.summary);
    return QStringLiteral("usage: quorvel-cli ") + globalOptionsUsage() +
           QStringLiteral(
               " COMMAND ...\n       quorvel-cli COMMAND --help\n       quorvel-cli --help | --version\n\n") +
           lines(QStringLiteral("commands"), commands) + QStringLiteral("\n\n") +
           optionLines(QStringLiteral("global options"), globalForm().options);
}

QString commandHelp(const CliCommand& command)
{
    QString text;
    for (const FormSpec* form : command.forms()) {
        text += (text.isEmpty() ? QStringLiteral("usage: ") : QStringLiteral("\n       ")) +
                QStringLiteral("quorvel-cli ") + form->usage();
    }
    text += QStringLiteral("\n\n") + command.summary;
    const std::vector<OptionSpec> options = optionsOf(command);
    if (!options.empty())
        text += QStringLiteral("\n\n") + optionLines(QStringLiteral("options"), options);
    return text;
}

} // namespace quorvel::cli
