#include "ui/tools/DetailListWindow.h"

#include "ui/GridView.h"
#include "ui/SpreadsheetExportRunner.h"
#include "ui/models/DetailListModel.h"
#include "workspace/DetailListContent.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvel {

DetailListWindow::DetailListWindow(Workspace& workspace, const PredictionState& state, Prompts& prompts,
                                   QWidget* parent)
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
    m_exportRunner = new SpreadsheetExportRunner(m_workspace, prompts, this);
    connect(m_exportButton, &QPushButton::clicked, this, [this] {
        if (!m_exportRunner->isRunning())
            m_exportRunner->start(SpreadsheetExport(m_workspace).detailList(m_list));
    });
    buttons->addStretch(1);
    buttons->addWidget(m_exportButton);
    layout->addLayout(buttons);
    resize(840, 520);
}

void DetailListWindow::showList()
{
    m_list = DetailListContent::of(m_workspace, m_state);
    m_model->setList(m_list);
    show();
    raise();
    activateWindow();
}

} // namespace quorvel
