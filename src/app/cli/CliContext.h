#pragma once

#include "core/Database.h"
#include "core/Result.h"
#include "core/Settings.h"

#include <QString>

#include <memory>

namespace quorvel::cli {

enum ExitCode
{
    ExitSuccess = 0,
    ExitFailure = 1,
    ExitUsage = 2
};

// What every command shares: the data folder and settings store chosen on the command line,
// UTF-8 output on stdout and one-line messages on stderr.
class CliContext
{
public:
    CliContext(QString requestedDataFolder, QString settingsFile);

    QString dataFolder() const;
    std::unique_ptr<Settings> openSettings() const;
    Result<std::unique_ptr<Database>> openDatabase() const;
    Result<std::vector<Draw>> readHistory() const; // the stored draws, oldest first

    void print(const QString& line) const;      // one line on stdout
    void printError(const QString& line) const; // one line on stderr
    int fail(const QString& message) const;     // prints the message, returns ExitFailure
    int usage(const QString& message) const;    // prints the message and the usage, returns ExitUsage

    static QString usageText();

private:
    QString m_requestedDataFolder;
    QString m_settingsFile;
};

// A value for one tab-separated field: tabs and line breaks become blanks.
QString field(const QString& text);

} // namespace quorvel::cli
