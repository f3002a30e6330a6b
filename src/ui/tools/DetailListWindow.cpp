#include "ui/tools/DetailListWindow.h"

#include "ui/GridView.h"
#include "ui/models/DetailListModel.h"
#include "workspace/PredictionState.h"
#include "workspace/Workspace.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvel {

DetailListWindow::DetailListWindow(Workspace& workspace, const PredictionState& state, QWidget* parent)
    : QDialog(parent), m_workspace(workspace), m_state(state)
{
    setObjectName(QStringLiteral("frmXxlb"));
    setWindowTitle(QStringLiteral("详细结果列表"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_model = new DetailListModel(this);
    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setModel(m_model);
    for (int column = 0; column < DetailListModel::kColumnCount; ++column)
        m_grid->setColumnWidth(column, DetailListModel::columnWidthPixels(column));
    layout->addWidget(m_grid, 1);

    auto* buttons = new QHBoxLayout;
    m_exportButton = new QPushButton(QStringLiteral("导出数据(&E)"), this);
    m_exportButton->setObjectName(QStringLiteral("Command1"));
    m_exportButton->setAutoDefault(false);
    // The spreadsheet export is not part of this version yet.
    m_exportButton->setEnabled(false);
    buttons->addStretch(1);
    buttons->addWidget(m_exportButton);
    layout->addLayout(buttons);
    resize(840, 520);
}

void DetailListWindow::showList()
{
    const FormulaList& list = m_workspace.formulaList();
    std::vector<DetailListSource> sources;
    sources.reserve(std::size_t(list.count()));
    for (int listNumber = 1; listNumber <= list.count(); ++listNumber) {
        const FormulaListRow& row = list.row(listNumber);
        sources.push_back(
            {m_workspace.isSelected(listNumber), m_workspace.chineseDisplay() ? row.displayText : row.code,
             m_workspace.positionCaption(), row.kill ? QStringLiteral("杀") : QStringLiteral("生"),
             m_workspace.computedValue(listNumber)});
    }
    m_model->setList(detailList(sources, m_state.usedFormulas()));
    show();
    raise();
    activateWindow();
}

} // namespace quorvel
