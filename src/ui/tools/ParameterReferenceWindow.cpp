#include "ui/tools/ParameterReferenceWindow.h"

#include "ui/GridView.h"
#include "ui/tools/ParameterReferenceModel.h"
#include "workspace/Desktop.h"
#include "workspace/Workspace.h"

#include <QHeaderView>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvel {

namespace {

constexpr int kTwipsPerPixel = 15;

} // namespace

ParameterReferenceWindow::ParameterReferenceWindow(Workspace& workspace, QWidget* parent)
    : QWidget(parent, Qt::Window), m_workspace(workspace)
{
    setObjectName(QStringLiteral("frmShuoming"));
    setWindowTitle(QStringLiteral("参数对照"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    m_model = new ParameterReferenceModel(this);
    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setModel(m_model);
    for (int column = 0; column < ParameterReference::kColumnCount; ++column)
        m_grid->setColumnWidth(column, ParameterReference::columnWidthTwips(column) / kTwipsPerPixel);
    m_grid->horizontalHeader()->setSectionsClickable(true);
    connect(m_grid, &QAbstractItemView::clicked, this, &ParameterReferenceWindow::copyCell);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &ParameterReferenceWindow::copyHeader);
    layout->addWidget(m_grid);

    // A draw entered while the window is open shows at once.
    connect(&m_workspace, &Workspace::historyChanged, this, [this] {
        if (isVisible())
            fill();
    });

    int width = 2 * layout->contentsMargins().left() + m_grid->frameWidth() * 2 + 24;
    for (int column = 0; column < ParameterReference::kColumnCount; ++column)
        width += m_grid->columnWidth(column);
    resize(width, 640);
}

void ParameterReferenceWindow::open()
{
    show();
    raise();
    activateWindow();
}

void ParameterReferenceWindow::showEvent(QShowEvent* event)
{
    fill();
    QWidget::showEvent(event);
}

void ParameterReferenceWindow::fill()
{
    const std::shared_ptr<const DrawTable> history = m_workspace.history();
    m_model->fill(history->isEmpty() ? std::nullopt
                                     : std::optional<Draw>(history->draw(history->drawCount() - 1)));
    // Every value shows whole: a column grows beyond its set width where a value needs it (the
    // powers of "2指数方" run to many digits).
    for (int column = 0; column < ParameterReference::kColumnCount; ++column) {
        m_grid->resizeColumnToContents(column);
        m_grid->setColumnWidth(column, std::max(ParameterReference::columnWidthTwips(column) / kTwipsPerPixel,
                                                m_grid->columnWidth(column)));
    }
}

void ParameterReferenceWindow::copyCell(const QModelIndex& index)
{
    if (index.isValid())
        m_workspace.desktop().setClipboardText(m_model->cellText(index.row() + 1, index.column()));
}

void ParameterReferenceWindow::copyHeader(int column)
{
    m_workspace.desktop().setClipboardText(m_model->cellText(0, column));
}

} // namespace quorvel
