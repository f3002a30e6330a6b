#pragma once

#include "core/Clock.h"
#include "core/Settings.h"
#include "support/ScriptedPrompts.h"
#include "workspace/Workspace.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace quorvel {

class Database;

// What a workspace, window or command-line test starts from: a fresh temporary data folder, a
// settings file of its own, scripted prompts (also the desktop) and a fixed date, and a workspace
// over them. Draws can be stored before the start.
class TestSession
{
public:
    // The date the sessions of the tests take as today.
    static QDate defaultToday() { return QDate(2026, 12, 9); }

    TestSession();
    ~TestSession();

    QString dataFolder() const;
    QString settingsPath() const;
    void setToday(const QDate& today) { m_clock = Clock(today); }

    // Stores the `count` oldest draws of a file of the test data folder (all when negative),
    // through the online path with D draws per day.
    bool seedHistory(const QString& fileName, int count = -1, int drawsPerDay = 84);
    // A connection of its own to the session's database, as another program would open it.
    std::unique_ptr<Database> openDatabase() const;

    // Starts a new workspace on the folder (a restart when one runs: the settings are read afresh).
    Status start(const WorkspaceStartOptions& options = {});
    // start(), warning when it fails; for tests that go on to look at what was started.
    Workspace& open(const WorkspaceStartOptions& options = {});

    // The stored text of an `IniSetting` key as a second reader of the ini file sees it.
    QString storedSetting(const QString& key);

    Settings& settings() { return *m_settings; }
    ScriptedPrompts& prompts() { return m_prompts; }
    Workspace& workspace() { return *m_workspace; }

private:
    QTemporaryDir m_folder;
    Clock m_clock{defaultToday()};
    std::unique_ptr<Settings> m_settings;
    ScriptedPrompts m_prompts;
    std::unique_ptr<Workspace> m_workspace;
};

} // namespace quorvel
