#pragma once

#include "app/cli/CliPrompts.h"
#include "core/Clock.h"
#include "core/DrawTable.h"
#include "core/Result.h"
#include "core/Settings.h"
#include "workspace/Workspace.h"

#include <QString>

#include <memory>
#include <string>

namespace quorvel {
class Database;
}

namespace quorvel::cli {

enum ExitCode
{
    ExitSuccess = 0,
    ExitFailure = 1,
    ExitUsage = 2
};

// The options every command shares, as given before the command.
struct GlobalOptions
{
    QString dataFolder;   // --data-dir
    QString settingsFile; // --settings-file
    bool yes = false;     // --yes: every question of the operation is answered OK
    Clock clock;          // --today
};

// A workspace as a command works with it, with the settings, prompts and desktop it runs on.
class CliContext;
class TabLine;

class CliSession
{
public:
    explicit CliSession(const CliContext& context);
    Status start(const WorkspaceStartOptions& options);

    Settings& settings() { return *m_settings; }
    CliPrompts& prompts() { return m_prompts; }
    Workspace& workspace() { return *m_workspace; }

private:
    std::unique_ptr<Settings> m_settings;
    CliPrompts m_prompts;
    CliDesktop m_desktop;
    std::unique_ptr<Workspace> m_workspace;
    QString m_dataFolder;
};

// What every command shares: the global options, UTF-8 output on stdout and one-line messages
// on stderr.
class CliContext
{
public:
    explicit CliContext(GlobalOptions options);

    const GlobalOptions& options() const { return m_options; }
    QString dataFolder() const;
    std::unique_ptr<Settings> openSettings() const;
    Result<std::unique_ptr<Database>> openDatabase() const;
    Result<DrawTable> readHistory() const; // the stored draws, oldest first
    // A workspace started on the data folder; the failure of its start is the command's failure.
    Result<std::unique_ptr<CliSession>> startSession(const WorkspaceStartOptions& options) const;
    // A workspace started on the list of a position and kind, without the pass of the start.
    Result<std::unique_ptr<CliSession>> startOnList(int position, bool kill) const;

    void print(const QString& line) const; // one line on stdout
    void print(const TabLine& line) const;
    void printError(const QString& line) const; // one line on stderr, whatever line breaks it holds
    int fail(const QString& message) const;     // prints the message, returns ExitFailure
    int fail(const Failure& failure) const { return fail(failure.message); }
    int usage(const QString& message) const; // prints the message and the usage, returns ExitUsage

private:
    GlobalOptions m_options;
};

// A value for one tab-separated field: tabs and line breaks become blanks.
QString field(const QString& text);

// One output line of TAB-separated fields, built as UTF-8 bytes: commands that print a line per
// formula or draw print tens of thousands of them.
class TabLine
{
public:
    TabLine& operator<<(qint64 number);
    TabLine& operator<<(const QString& text); // passed through field()
    const std::string& bytes() const { return m_bytes; }

private:
    void separate();
    std::string m_bytes;
    bool m_empty = true;
};

} // namespace quorvel::cli
