#pragma once

#include <QWidget>

#include <array>

class QPushButton;
class QRadioButton;

namespace quorvel {

class Desktop;
class Prompts;
class SetupMenu;
class ToolWindows;
class Workspace;

// The command side of the main window: position, kind and prediction method options, and the
// buttons of the formula and program commands, with the settings menu of `Command9`.
class CommandsPanel : public QWidget
{
    Q_OBJECT
public:
    CommandsPanel(Workspace& workspace, Prompts& prompts, ToolWindows& toolWindows,
                  QWidget* parent = nullptr);

    SetupMenu* setupMenu() const { return m_setupMenu; }

private:
    QWidget* createPositionFrame();
    QWidget* createKindFrame();
    QWidget* createMethodFrame();
    QPushButton* button(const char* name, const char* caption, bool built);
    void syncOptions();
    void choosePosition(int position);
    void chooseKind(bool kill);
    void openManual(const char* section);
    void openSearchWindow();

    Workspace& m_workspace;
    Prompts& m_prompts;
    ToolWindows& m_toolWindows;
    std::array<QRadioButton*, 8> m_positionOptions{}; // `optXing1`..`optXing8`
    std::array<QRadioButton*, 2> m_kindOptions{};     // `Option2_0` kill, `Option2_1` keep
    std::array<QRadioButton*, 2> m_methodOptions{};   // `Option6_0` best formulas, `Option6_1` selected
    QPushButton* m_searchButton = nullptr;            // `Command22`
    QPushButton* m_settingsButton = nullptr;          // `Command9`
    QPushButton* m_manualButton = nullptr;            // `Command18`
    QPushButton* m_slidesButton = nullptr;            // `Command139`
    QPushButton* m_videoButton = nullptr;             // `Command6`
    SetupMenu* m_setupMenu = nullptr;                 // `mnuSetup`
};

} // namespace quorvel
