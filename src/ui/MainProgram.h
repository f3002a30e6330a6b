#pragma once

#include "core/Result.h"
#include "core/Settings.h"
#include "ui/BusyNotice.h"
#include "ui/DesktopServices.h"
#include "ui/DialogPrompts.h"
#include "ui/MainWindow.h"
#include "workspace/Workspace.h"

#include <QString>

#include <memory>

namespace quorvel {

// What the window program holds while it runs: the settings, the prompts, the workspace started on
// the data folder and the main window over it. The window program's main shows it; tools that
// drive the real window (the pictures of the README) make the same one.
class MainProgram
{
public:
    struct Options
    {
        QString dataDir;      // as given on the command line; empty for the default folder
        QString settingsFile; // an ini file instead of the user's settings store when not empty
        bool unattended = false; // no person waits at the screen: no dialog waits for an answer
    };

    explicit MainProgram(const Options& options);

    MainWindow& window() { return *m_window; }
    Prompts& prompts() { return m_prompts; }
    Workspace& workspace() { return *m_workspace; }

private:
    // Says what start-up found (what failed, a read-only file, draws left out) once the window's
    // event loop runs, so the notices appear over the shown window.
    void reportStartOnceShown(const Status& started);

    std::unique_ptr<Settings> m_settings;
    DialogPrompts m_prompts;
    DesktopServices m_desktop;
    std::unique_ptr<Workspace> m_workspace;
    // A database another program holds is waited for with the wait cursor and, after a second,
    // a notice; before the window is there, in a small window of its own.
    BusyNotice m_busyNotice;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace quorvel
