#pragma once

#include "app/cli/CliContext.h"
#include "app/cli/CommandForm.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quorvel::cli {

// One command of quorvel-cli: its name, one line on what it does, its forms with their declared
// options, and what runs it. The usage, the help, the manual page and the shell completion all
// come from these.
struct CliCommand
{
    QString name;
    QString summary;
    std::vector<const FormSpec*> (*forms)();
    int (*run)(const CliContext& context, CliArguments& arguments);
};

// Every command, in the order the usage lists them.
const std::vector<CliCommand>& commandTable();
const CliCommand* findCommand(const QString& name);
// The options every command takes, before or after it.
const CommandForm<GlobalOptions>& globalForm();
// The usage of the program: the global options, then every form of every command.
QString usageText();
// The global options as they stand in the usage.
QString globalOptionsUsage();
// What --help prints: how the program is called, the commands with their summaries and the
// global options with their help.
QString helpText();
// What COMMAND --help prints: the usage of each form of the command, its summary, and each of its
// options with its help, one a line.
QString commandHelp(const CliCommand& command);
// The options of a command's forms, each once, in the order they are first declared; an option
// whose help differs between forms once per help, naming its forms.
std::vector<OptionSpec> optionsOf(const CliCommand& command);

} // namespace quorvel::cli
