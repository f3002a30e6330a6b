#pragma once

#include <QWidget>

#include <array>

class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollBar;

namespace quorvel {

class GridView;
class HistoryMaintenance;
class HistoryModel;
class NumberEntryBox;
class Prompts;
class SpreadsheetExportRunner;
class Workspace;

// The history side of the main window: the history grid `MSFlexGrid1` with its menu `mnuLsgl`,
// the boxes of manual draw entry (`Text1`, `txtIpt1`..`txtIpt8`), the history buttons and the
// per-draw display controls.
class HistoryPanel : public QWidget
{
    Q_OBJECT
public:
    HistoryPanel(Workspace& workspace, Prompts& prompts, QWidget* parent = nullptr);

    GridView* grid() const { return m_grid; }
    QMenu* historyMenu() const { return m_historyMenu; }
    // The first number box, where typing a draw starts.
    void focusFirstNumberBox();
    void focusIssueBox();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A draw line pasted into the issue box or the first number box fills all nine boxes and is
    // stored as a typed draw; text of several fields that is no draw line is refused. False when
    // the text is one field, which the box pastes as usual.
    bool pasteDraw(const QString& text);
    QWidget* createEntryBox();
    void createMenu();
    void numberCompleted(int position);
    void storeDraw();
    void clearNumberBoxes();
    // The per-draw verification display: `Check1` and the formula pages of `HScroll1`.
    void connectResultsDisplay();
    void showResults(bool shown);
    void jumpToFormulaPage(int value);
    void fitColumns();
    void exportSpreadsheet(); // `cmdDcexl`, `mnuDcls`

    Workspace& m_workspace;
    Prompts& m_prompts;
    HistoryModel* m_model = nullptr;
    GridView* m_grid = nullptr;                     // `MSFlexGrid1`
    QLineEdit* m_issueBox = nullptr;                // `Text1`
    std::array<NumberEntryBox*, 8> m_numberBoxes{}; // `txtIpt1`..`txtIpt8`
    QPushButton* m_onlineUpdateButton = nullptr;    // `Command21`
    QPushButton* m_deleteNewestButton = nullptr;    // `Command3`
    QPushButton* m_textExportButton = nullptr;      // `cmdLsdcTxt`
    QPushButton* m_spreadsheetButton = nullptr;     // `cmdDcexl`
    QCheckBox* m_resultsCheck = nullptr;            // `Check1`
    QScrollBar* m_formulaScroll = nullptr;          // `HScroll1`
    QMenu* m_historyMenu = nullptr;                 // `mnuLsgl`
    QAction* m_deleteAllAction = nullptr;           // `mnuDlAll`
    QAction* m_deleteAfterAction = nullptr;         // `mnuDlzd`
    QAction* m_deleteNewestAction = nullptr;        // `mnuEszhzd`
    HistoryMaintenance* m_maintenance = nullptr;
    QAction* m_spreadsheetAction = nullptr; // `mnuDcls`
    SpreadsheetExportRunner* m_exportRunner = nullptr;
};

} // namespace quorvel
