#pragma once

#include <QWidget>

class QAction;
class QLineEdit;
class QMenu;
class QModelIndex;
class QPushButton;
class QTabBar;

namespace quorvel {

class FormulaListModel;
class GridView;
class Prompts;
class SpreadsheetExportRunner;
class ToolWindows;
class Workspace;

// The formula side of the main window: the display tabs `TabStrip1`, the formula list
// `MSFlexGrid2` with its menu `mnuMang`, and typed entry (`Text2`, `Command1`).
class FormulaPanel : public QWidget
{
    Q_OBJECT
public:
    FormulaPanel(Workspace& workspace, Prompts& prompts, ToolWindows& toolWindows, QWidget* parent = nullptr);

    GridView* grid() const { return m_grid; }
    QMenu* formulaMenu() const { return m_formulaMenu; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenu();
    void connectDeletions();
    void chooseDisplay(int tab);
    void cellClicked(const QModelIndex& index);
    void cellDoubleClicked(const QModelIndex& index);
    void addTypedFormula();
    void showCalculationSteps(); // `mnuCulate`, for the formula the menu was opened on

    Workspace& m_workspace;
    Prompts& m_prompts;
    FormulaListModel* m_model = nullptr;
    QTabBar* m_displayTabs = nullptr;   // `TabStrip1`
    GridView* m_grid = nullptr;         // `MSFlexGrid2`
    QLineEdit* m_formulaBox = nullptr;  // `Text2`
    QPushButton* m_addButton = nullptr; // `Command1`
    QMenu* m_formulaMenu = nullptr;     // `mnuMang`
    ToolWindows& m_toolWindows;

    QAction* m_deleteThisAction = nullptr; // `mnuDelGS`
    SpreadsheetExportRunner* m_exportRunner = nullptr;
};

} // namespace quorvel
