#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;

// One command of quorvel-cli: its name, one line on what it does, the usage of each of its forms,
// and what runs it. The help text, the manual page and the shell completion come from these.
struct CliCommand
{
    QString name;
    QString summary;
    QStringList usage;
    int (*run)(const CliContext& context, CliArguments& arguments);
};

// Every command, in the order the usage lists them.
const std::vector<CliCommand>& commandTable();
const CliCommand* findCommand(const QString& name);
// The usage of the program, generated from the table.
QString usageText();
// The global options every command takes, as they stand in the usage.
QString globalOptionsUsage();
// What --help prints: the global options, then every form of every command, one a line.
QString helpText();

} // namespace quorvel::cli
