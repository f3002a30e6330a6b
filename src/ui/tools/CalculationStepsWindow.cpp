#include "ui/tools/CalculationStepsWindow.h"

#include "ui/GridView.h"
#include "ui/WaitCursor.h"
#include "ui/models/CalculationStepsModel.h"
#include "verification/CalculationSteps.h"
#include "workspace/Workspace.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quorvel {

CalculationStepsWindow::CalculationStepsWindow(Workspace& workspace, QWidget* parent)
    : QWidget(parent, Qt::Window), m_workspace(workspace)
{
    setObjectName(QStringLiteral("frmGsbz"));
    setWindowTitle(QStringLiteral("公式计算步骤"));
    auto* layout = new QVBoxLayout(this);
    m_tip = new QLabel(QStringLiteral("双击该表可以导出到Excel"), this);
    m_tip->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(m_tip);
    m_model = new CalculationStepsModel(this);
    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setModel(m_model);
    m_grid->setToolTip(m_tip->text());
    for (int column = 0; column < CalculationStepsModel::kColumnCount; ++column)
        m_grid->setColumnWidth(column, CalculationStepsModel::columnWidthPixels(column));
    layout->addWidget(m_grid, 1);
    // Wide enough for the four columns at their design widths.
    resize(1220, 600);
}

void CalculationStepsWindow::showFormula(const QString& code, const QString& displayText)
{
    {
        WaitCursor wait;
        m_model->setRows(CalculationSteps::headers(displayText),
                         CalculationSteps(code).rows(*m_workspace.history()));
    }
    show();
    raise();
    activateWindow();
}

} // namespace quorvel
