#include "ui/tools/CalculationStepsWindow.h"

#include "ui/GridView.h"
#include "ui/SpreadsheetExportRunner.h"
#include "ui/WaitCursor.h"
#include "ui/models/CalculationStepsModel.h"
#include "verification/CalculationSteps.h"
#include "workspace/Workspace.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quorvel {

CalculationStepsWindow::CalculationStepsWindow(Workspace& workspace, Prompts& prompts, QWidget* parent)
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
    m_exportRunner = new SpreadsheetExportRunner(m_workspace, prompts, this);
    // A click on a cell exports the grid; the second click of a double click is no new click.
    connect(m_grid, &QAbstractItemView::clicked, this, &CalculationStepsWindow::exportSteps);
    // Wide enough for the four columns at their design widths.
    resize(1220, 600);
}

void CalculationStepsWindow::showFormula(const QString& code, const QString& displayText)
{
    m_code = code;
    m_displayText = displayText;
    m_history = m_workspace.history();
    {
        WaitCursor wait;
        m_model->setRows(CalculationSteps::headers(displayText), CalculationSteps(code).rows(*m_history));
    }
    show();
    // The newest draw is the one the user wants to check first.
    m_grid->scrollToLastRow();
    raise();
    activateWindow();
}

void CalculationStepsWindow::exportSteps()
{
    if (!m_history || m_exportRunner->isRunning())
        return;
    m_exportRunner->start(SpreadsheetExport(m_workspace).calculationSteps(m_code, m_displayText, m_history));
}

} // namespace quorvel
