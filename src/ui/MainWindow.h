#pragma once

#include <QWidget>

#include <array>

class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabBar;

namespace quorvel {

class FormulaListModel;
class GridView;
class HistoryModel;
class NumberEntryBox;
class Prompts;
class Workspace;

// The main window `frmMain`: the history grid, the formula list, the boxes for a new draw and a
// new formula, and the buttons and pop-up menus that start every operation. It shows the
// workspace's state and calls its operations; it computes nothing itself.
//
// Every control and menu item carries its established name as its object name, so it can be
// found with findChild. Members of a control array are named `<name>_<index>` when the array
// counts from 0 (`Option2_0`, `Option6_1`, `mnuKL10_0`, `mnuQs_9`, `mnuYsXs_1`) and
// `<name><index>` for the two arrays that count from 1 (`optXing1`..`optXing8`,
// `txtIpt1`..`txtIpt8`).
//
// Controls whose operations this version does not offer yet are present and disabled.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    MainWindow(Workspace& workspace, Prompts& prompts, QWidget* parent = nullptr);
    ~MainWindow() override;

    QMenu* setupMenu() const { return m_setupMenu; }
    QMenu* formulaMenu() const { return m_formulaMenu; }
    QMenu* historyMenu() const { return m_historyMenu; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* createHistorySide();
    QWidget* createFormulaSide();
    QWidget* createCommandSide();
    void createMenus();
    QPushButton* addButton(const char* name, const QString& caption, bool built);

    // Puts option buttons, check marks, tabs and the issue box in step with the workspace.
    void syncFromWorkspace();

    void choosePosition(int position);
    void chooseKind(bool kill);
    void chooseMethod(bool computeSelected);
    void chooseDisplay(int tab);
    void formulaClicked(const QModelIndex& index);
    void formulaDoubleClicked(const QModelIndex& index);
    void addTypedFormula();
    void numberCompleted(int position);
    void storeDraw();
    void clearNumberBoxes();
    void openManual(const char* section);

    Workspace& m_workspace;
    Prompts& m_prompts;

    HistoryModel* m_historyModel = nullptr;
    FormulaListModel* m_formulaModel = nullptr;
    GridView* m_historyGrid = nullptr;                // `MSFlexGrid1`
    GridView* m_formulaGrid = nullptr;                // `MSFlexGrid2`
    QTabBar* m_displayTabs = nullptr;                 // `TabStrip1`
    std::array<QRadioButton*, 8> m_positionOptions{}; // `optXing1`..`optXing8`
    std::array<QRadioButton*, 2> m_kindOptions{};     // `Option2_0` kill, `Option2_1` keep
    std::array<QRadioButton*, 2> m_methodOptions{};   // `Option6_0` best formulas, `Option6_1` selected
    std::array<NumberEntryBox*, 8> m_numberBoxes{};   // `txtIpt1`..`txtIpt8`
    QLineEdit* m_issueBox = nullptr;                  // `Text1`
    QLineEdit* m_formulaBox = nullptr;                // `Text2`
    QCheckBox* m_resultsCheck = nullptr;              // `Check1`
    QScrollBar* m_formulaScroll = nullptr;            // `HScroll1`

    QMenu* m_formulaMenu = nullptr;                   // `mnuMang`
    QMenu* m_setupMenu = nullptr;                     // `mnuSetup`
    QMenu* m_historyMenu = nullptr;                   // `mnuLsgl`
    std::array<QAction*, 2> m_resultDisplayActions{}; // `mnuYsXs_0`, `mnuYsXs_1`
    std::array<QAction*, 10> m_retrievalActions{};    // `mnuQs_0`..`mnuQs_9`
    std::array<QAction*, 8> m_lotteryActions{};       // `mnuKL10_0`..`mnuKL10_7`
    QAction* m_excludeCurrentAction = nullptr;        // `mnuBuhan`
    QAction* m_weightedAction = nullptr;              // `mnuZqlJq`

    bool m_shownOnce = false;
};

} // namespace quorvel
