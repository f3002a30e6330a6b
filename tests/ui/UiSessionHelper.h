#pragma once

#include "core/Settings.h"
#include "workspace/ScriptedPromptsHelper.h"
#include "workspace/Workspace.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace quorvel {

// What a window or model test starts from: a fresh temporary data folder, a settings ini file
// inside it, scripted prompts and a workspace over them. Draws can be stored before start.
class UiSession
{
public:
    UiSession();
    ~UiSession();

    QString dataFolder() const { return m_folder.path(); }
    QString settingsPath() const;

    // Stores the `count` oldest draws of a file of the test data folder (all when negative),
    // through the online path with D draws per day. Call before start().
    bool seedHistory(const QString& fileName, int count = -1, int drawsPerDay = 84);
    bool start();

    // The stored text of an `IniSetting` key as a second reader of the ini file sees it.
    QString storedSetting(const QString& key);

    Settings& settings() { return *m_settings; }
    ScriptedPrompts& prompts() { return m_prompts; }
    Workspace& workspace() { return *m_workspace; }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<Settings> m_settings;
    ScriptedPrompts m_prompts;
    std::unique_ptr<Workspace> m_workspace;
};

} // namespace quorvel
