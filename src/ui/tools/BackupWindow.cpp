#include "ui/tools/BackupWindow.h"

#include "core/BackupStore.h"
#include "ui/FailureNotice.h"
#include "ui/WaitCursor.h"
#include "workspace/Prompts.h"
#include "workspace/UndoHistory.h"
#include "workspace/Workspace.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quorvel {

namespace {

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / double(1 << 20), 'f', 1) + QStringLiteral(" MB");
}

} // namespace

BackupWindow::BackupWindow(Workspace& workspace, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_workspace(workspace), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmBeifen"));
    setWindowTitle(UndoHistory::kRestoreCaption);
    m_list = new QTableWidget(0, 7, this);
    m_list->setObjectName(QStringLiteral("lstBeifen"));
    m_list->setHorizontalHeaderLabels({QStringLiteral("编号"), QStringLiteral("时间"), QStringLiteral("操作"),
                                       QStringLiteral("操作前历史"), QStringLiteral("操作前公式"),
                                       QStringLiteral("操作后历史"), QStringLiteral("操作后公式")});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_budget = new QLabel(this);
    m_budget->setObjectName(QStringLiteral("lblBudget"));
    m_restoreButton = new QPushButton(QStringLiteral("恢复所选备份(&R)"), this);
    m_restoreButton->setObjectName(QStringLiteral("cmdRestore"));
    auto* closeButton = new QPushButton(QStringLiteral("关闭"), this);
    closeButton->setObjectName(QStringLiteral("cmdClose"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_budget, 1);
    buttons->addWidget(m_restoreButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(760, 420);

    connect(m_restoreButton, &QPushButton::clicked, this, &BackupWindow::restoreSelected);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &QTableWidget::itemSelectionChanged, this,
            [this] { m_restoreButton->setEnabled(!m_list->selectedItems().isEmpty()); });
    reload();
}

void BackupWindow::reload()
{
    const Result<std::vector<KeptState>> states = UndoHistory(m_workspace).list();
    m_list->setRowCount(0);
    if (!states) {
        reportFailure(m_prompts, Status(states.failure()), UndoHistory::kRestoreCaption);
        m_restoreButton->setEnabled(false);
        return;
    }
    qint64 bytes = 0;
    m_list->setRowCount(int(states->size()));
    for (int row = 0; row < int(states->size()); ++row) {
        const KeptState& state = (*states)[std::size_t(row)];
        bytes += state.bytes;
        const QStringList cells{QString::number(state.id),
                                BackupStore::timeText(state.time),
                                state.operation,
                                QString::number(state.drawsBefore),
                                QString::number(state.formulasBefore),
                                QString::number(state.drawsAfter),
                                QString::number(state.formulasAfter)};
        for (int column = 0; column < cells.size(); ++column)
            m_list->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    m_list->resizeColumnsToContents();
    m_budget->setText(QStringLiteral("备份 %1 个，占用 %2（上限 %3）")
                          .arg(states->size())
                          .arg(megabytes(bytes), megabytes(UndoHistory(m_workspace).budgetBytes())));
    if (!states->empty())
        m_list->selectRow(0);
    m_restoreButton->setEnabled(!states->empty());
}

void BackupWindow::restoreSelected()
{
    const QList<QTableWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    const qint64 id = m_list->item(selected.first()->row(), 0)->text().toLongLong();
    Status restored = success();
    {
        WaitCursor wait;
        restored = UndoHistory(m_workspace).restore(id);
    }
    reportFailure(m_prompts, restored, UndoHistory::kRestoreCaption);
    reload();
}

} // namespace quorvel
