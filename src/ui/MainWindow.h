#pragma once

#include <QMainWindow>

class QLabel;
class QMenu;
class QTimer;

namespace quorvel {

class CommandsPanel;
class FormulaPanel;
class HistoryPanel;
class Prompts;
class ToolWindows;
class Workspace;

// The main window `frmMain`: the history panel, the formula panel and the commands panel, a
// status bar with what is shown, and the owner of the tool windows. It shows the workspace's
// state and starts operations; it computes nothing itself.
//
// Every control and menu item carries its established name as its object name, so it can be
// found with findChild. Members of a control array are named `<name>_<index>` when the array
// counts from 0 (`Option2_0`, `Option6_1`, `mnuKL10_0`, `mnuQs_9`, `mnuYsXs_1`) and
// `<name><index>` for the two arrays that count from 1 (`optXing1`..`optXing8`,
// `txtIpt1`..`txtIpt8`).
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    MainWindow(Workspace& workspace, Prompts& prompts, QWidget* parent = nullptr);
    ~MainWindow() override;

    QMenu* setupMenu() const;
    QMenu* formulaMenu() const;
    QMenu* historyMenu() const;

    // Looks whether another program changed the database and, when it did, refreshes (the
    // workspace's refresh chain). Runs when the window is activated and once a second while the
    // window is idle; never while a dialog or a menu is open. A failure is shown once.
    void noticeOutsideChanges();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createStatusBar();
    void refreshStatusBar();
    void connectNotices();

    Workspace& m_workspace;
    Prompts& m_prompts;
    HistoryPanel* m_historyPanel = nullptr;
    FormulaPanel* m_formulaPanel = nullptr;
    CommandsPanel* m_commandsPanel = nullptr;
    std::unique_ptr<ToolWindows> m_toolWindows;
    QLabel* m_lotteryLabel = nullptr;
    QLabel* m_retrievalLabel = nullptr;
    QLabel* m_drawCountLabel = nullptr;
    QLabel* m_formulaCountLabel = nullptr;
    bool m_shownOnce = false;
    QTimer* m_outsideTimer = nullptr;
    bool m_noticing = false;
    QString m_outsideFailure;  // the last failure shown, not shown again while it stays the same
    QString m_settingsFailure; // a settings failure waiting to be shown
};

} // namespace quorvel
