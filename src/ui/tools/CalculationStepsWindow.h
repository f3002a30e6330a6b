#pragma once

#include <QWidget>

class QLabel;

namespace quorvel {

class CalculationStepsModel;
class GridView;
class Workspace;

// The calculation steps window `frmGsbz` "公式计算步骤", modeless: for one formula and every
// draw, oldest first, the draw's numbers, the formula with the draw's values written in, and its
// value (grid `MSFlexGrid1`).
class CalculationStepsWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CalculationStepsWindow(Workspace& workspace, QWidget* parent = nullptr);

    // Fills the grid for a formula over the current history and shows the window.
    void showFormula(const QString& code, const QString& displayText);

private:
    Workspace& m_workspace;
    CalculationStepsModel* m_model = nullptr;
    GridView* m_grid = nullptr; // `MSFlexGrid1`
    QLabel* m_tip = nullptr;
};

} // namespace quorvel
