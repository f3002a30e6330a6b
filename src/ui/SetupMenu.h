#pragma once

#include <QMenu>

#include <array>

class QAction;

namespace quorvel {

class Prompts;
class Workspace;

// The settings menu `mnuSetup` "设置" that `Command9` pops up: result display, retrieval periods,
// weighting, the chance column, history days, lottery type, restore defaults, and the undo of
// destructive operations ("撤销上次修改", "恢复备份…"). Its check marks
// follow the settings.
class SetupMenu : public QMenu
{
    Q_OBJECT
public:
    SetupMenu(Workspace& workspace, Prompts& prompts, QWidget* parent = nullptr);

    // "撤销上次修改(&Z)" `mnuUndo`, with Ctrl+Z: the main window adds it to itself as well.
    QAction* undoAction() const { return m_undoAction; }

private:
    void syncChecks();
    void undoLastChange();

    Workspace& m_workspace;
    Prompts& m_prompts;
    std::array<QAction*, 2> m_resultDisplayActions{}; // `mnuYsXs_0`, `mnuYsXs_1`
    std::array<QAction*, 10> m_retrievalActions{};    // `mnuQs_0`..`mnuQs_9`
    std::array<QAction*, 8> m_lotteryActions{};       // `mnuKL10_0`..`mnuKL10_7`
    QAction* m_excludeCurrentAction = nullptr;        // `mnuBuhan`
    QAction* m_weightedAction = nullptr;              // `mnuZqlJq`
    QAction* m_chanceColumnAction = nullptr;          // `mnuSjGl`: the list's column "随机概率"
    QAction* m_undoAction = nullptr;                  // `mnuUndo`
};

} // namespace quorvel
