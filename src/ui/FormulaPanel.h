#pragma once

#include "core/Job.h"
#include "workspace/FormulaListEquivalence.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

class QAction;
class QLineEdit;
class QMenu;
class QModelIndex;
class QPushButton;
class QTabBar;

namespace quorvel {

class FormulaListModel;
class GridView;
class OperationProgress;
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

    // The column "同输出" and the item that unselects repeats need the list's equivalence classes:
    // held ones while the list and history are as they were, otherwise worked out in the background.
    bool sameOutputShown() const;
    void refreshEquivalence();
    void equivalenceFinished();
    void unselectRepeats();

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

    FormulaListEquivalence m_equivalence;
    Job<std::vector<int>>* m_equivalenceJob = nullptr;
    std::shared_ptr<const FormulaListEquivalence::Input> m_equivalenceInput; // of the run going
    QPointer<OperationProgress> m_equivalenceProgress;
    bool m_unselectRepeatsWhenDone = false;
};

} // namespace quorvel
