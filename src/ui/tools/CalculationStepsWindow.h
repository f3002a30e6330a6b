#pragma once

#include <QWidget>

#include <memory>

class QLabel;

namespace quorvel {

class CalculationStepsModel;
class DrawTable;
class GridView;
class Prompts;
class SpreadsheetExportRunner;
class Workspace;

// The calculation steps window `frmGsbz` "公式计算步骤", modeless: for one formula and every
// draw, oldest first, the draw's numbers, the formula with the draw's values written in, and its
// value (grid `MSFlexGrid1`).
class CalculationStepsWindow : public QWidget
{
    Q_OBJECT
public:
    CalculationStepsWindow(Workspace& workspace, Prompts& prompts, QWidget* parent = nullptr);

    // Fills the grid for a formula over the current history and shows the window.
    void showFormula(const QString& code, const QString& displayText);

private:
    void exportSteps(); // a click on the grid

    Workspace& m_workspace;
    SpreadsheetExportRunner* m_exportRunner = nullptr;
    // What the grid shows: the formula and the history it was worked out over.
    QString m_code;
    QString m_displayText;
    std::shared_ptr<const DrawTable> m_history;
    CalculationStepsModel* m_model = nullptr;
    GridView* m_grid = nullptr; // `MSFlexGrid1`
    QLabel* m_tip = nullptr;
};

} // namespace quorvel
