#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;

// One command of quorvel-cli: its name, the usage of each of its forms, and what runs it.
struct CliCommand
{
    QString name;
    QStringList usage;
    int (*run)(const CliContext& context, CliArguments& arguments);
};

// Every command, in the order the usage lists them.
const std::vector<CliCommand>& commandTable();
const CliCommand* findCommand(const QString& name);
// The usage of the program, generated from the table.
QString usageText();

} // namespace quorvel::cli
