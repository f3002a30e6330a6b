#pragma once

#include "verification/Ranking.h"

#include <QDialog>

class QPushButton;

namespace quorvel {

class DetailListModel;
class GridView;
class PredictionState;
class Prompts;
class SpreadsheetExportRunner;
class Workspace;

// The detail list `frmXxlb` "详细结果列表", modal: the selected formulas of the formula list with
// their computed values, in a grid sized for the formulas the last selected-formula run used.
class DetailListWindow : public QDialog
{
    Q_OBJECT
public:
    DetailListWindow(Workspace& workspace, const PredictionState& state, Prompts& prompts,
                     QWidget* parent = nullptr);

    // Fills the grid from the formula list as it is now and shows the window modally.
    void showList();

private:
    Workspace& m_workspace;
    const PredictionState& m_state;
    SpreadsheetExportRunner* m_exportRunner = nullptr;
    DetailListModel* m_model = nullptr;
    DetailList m_list;                     // what the grid shows
    GridView* m_grid = nullptr;            // `MSFlexGrid1`
    QPushButton* m_exportButton = nullptr; // `Command1`
};

} // namespace quorvel
