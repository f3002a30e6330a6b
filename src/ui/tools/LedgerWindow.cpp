#include "ui/tools/LedgerWindow.h"

#include "ui/FailureNotice.h"
#include "ui/GridView.h"
#include "ui/models/LedgerModel.h"
#include "workspace/PredictionLedger.h"
#include "workspace/Workspace.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvel {

namespace {

// "留码：正确 3/40（7.50%），随机 5.00%，随机达到此数的概率 32%".
QString tallyText(const QString& kind, const PickTally& tally)
{
    if (tally.trials == 0)
        return QStringLiteral("%1：尚无开奖").arg(kind);
    return QStringLiteral("%1：正确 %2/%3（%4%），随机 %5%，随机达到此数的概率 %6")
        .arg(kind)
        .arg(tally.right)
        .arg(tally.trials)
        .arg(100 * tally.rate(), 0, 'f', 2)
        .arg(100 * kPickChance, 0, 'f', 2)
        .arg(ChanceBaseline::percentText(tally.pValue()));
}

} // namespace

LedgerWindow::LedgerWindow(Workspace& workspace, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), m_workspace(workspace), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmYcJl"));
    setWindowTitle(QStringLiteral("预测记录"));
    resize(1000, 520);
    auto* layout = new QVBoxLayout(this);
    auto* about = new QLabel(
        QStringLiteral(
            "每次“计算公式(C)”的选号按其所预测的期号记入这里，该期开奖号码存入后即判定对错。"
            "这些预测做出时还没有看到那一期，所以这里的正确率是检验公式的干净尺度。"
            "选号是公式认为会开出的号码（杀码公式取被杀最少的号码），选号等于该位开出的号码即为正确，"
            "随机选号正确的机会是二十分之一。记录只在记下它的彩种选定时判定，否则显示“其他彩种”。"
            "旧版本记下的杀码记录选的是被杀的号码，未开出即为正确，不计入合计。"),
        this);
    about->setObjectName(QStringLiteral("lblYcSm"));
    about->setWordWrap(true);
    layout->addWidget(about);

    m_model = new LedgerModel(this);
    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("grdYcJl"));
    m_grid->setModel(m_model);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(m_grid, 1);
    auto* buttons = new QHBoxLayout;
    m_deleteButton = new QPushButton(QStringLiteral("删除选中记录(&D)"), this);
    m_deleteButton->setObjectName(QStringLiteral("cmdYcSc"));
    m_deleteButton->setAutoDefault(false);
    connect(m_deleteButton, &QPushButton::clicked, this, &LedgerWindow::deleteSelected);
    buttons->addWidget(m_deleteButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblYcHz"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);

    connect(&m_workspace, &Workspace::historyChanged, this, [this] {
        if (isVisible())
            refresh();
    });
}

void LedgerWindow::open()
{
    refresh();
    show();
    raise();
    activateWindow();
}

void LedgerWindow::refresh(bool report)
{
    Result<std::vector<LedgerEntry>> entries = PredictionLedger(m_workspace).entries();
    if (!entries) {
        if (report)
            reportFailure(m_prompts, Status(entries.failure()));
        return;
    }
    const LedgerSummary summary = PredictionLedger::summary(*entries);
    m_model->setEntries(std::move(*entries));
    m_summary->setText(tallyText(QStringLiteral("留码"), summary.keep) + QStringLiteral("；") +
                       tallyText(QStringLiteral("杀码"), summary.kill));
    m_grid->scrollNewestIntoView();
}

void LedgerWindow::deleteSelected()
{
    QList<int> rows;
    for (const QModelIndex& index : m_grid->selectionModel()->selectedRows())
        rows << index.row();
    const std::vector<qint64> ids = m_model->ids(rows);
    if (ids.empty())
        return;
    const Result<int> removed = PredictionLedger(m_workspace).remove(ids);
    if (!removed)
        reportFailure(m_prompts, Status(removed.failure()));
    refresh();
}

void LedgerWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // A prediction made meanwhile in the main window is there when the user comes back; a
    // failure was said when it happened (a notice here would take the activation and come back).
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refresh(false);
}

} // namespace quorvel
