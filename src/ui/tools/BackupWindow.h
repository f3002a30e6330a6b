#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace quorvel {

class Prompts;
class Workspace;

// "恢复备份…" `frmBeifen`: the kept states, newest first (time, operation, draws and formulas before
// and after it), the room they take against their budget, and a restore of the chosen one.
class BackupWindow : public QDialog
{
    Q_OBJECT
public:
    BackupWindow(Workspace& workspace, Prompts& prompts, QWidget* parent = nullptr);

    // Reads the kept states again.
    void reload();

private:
    void restoreSelected();

    Workspace& m_workspace;
    Prompts& m_prompts;
    QTableWidget* m_list = nullptr;         // `lstBeifen`
    QLabel* m_budget = nullptr;             // `lblBudget`
    QPushButton* m_restoreButton = nullptr; // `cmdRestore`
};

} // namespace quorvel
