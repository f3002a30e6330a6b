#include "ui/tools/LedgerWindow.h"

#include "ui/FailureNotice.h"
#include "ui/GridView.h"
#include "ui/models/LedgerModel.h"
#include "workspace/PredictionLedger.h"
#include "workspace/Workspace.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

namespace quorvel {

namespace {

// "留码：正确 3/40（7.50%），随机 5.00%，随机达到此数的概率 32%".
QString tallyText(const QString& kind, const PickTally& tally, bool kill)
{
    if (tally.trials == 0)
        return QStringLiteral("%1：尚无开奖").arg(kind);
    return QStringLiteral("%1：正确 %2/%3（%4%），随机 %5%，随机达到此数的概率 %6")
        .arg(kind)
        .arg(tally.right)
        .arg(tally.trials)
        .arg(100 * tally.rate(), 0, 'f', 2)
        .arg(100 * ChanceBaseline::hitChance(kill), 0, 'f', 2)
        .arg(ChanceBaseline::percentText(tally.pValue(kill)));
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
        QStringLiteral("每次“计算公式(C)”的选号按其所预测的期号记入这里，该期开奖号码存入后即判定对错。"
                       "这些预测做出时还没有看到那一期，所以这里的正确率是检验公式的干净尺度。"),
        this);
    about->setObjectName(QStringLiteral("lblYcSm"));
    about->setWordWrap(true);
    layout->addWidget(about);

    m_model = new LedgerModel(this);
    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("grdYcJl"));
    m_grid->setModel(m_model);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_grid, 1);
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
    m_summary->setText(tallyText(QStringLiteral("留码"), summary.keep, false) + QStringLiteral("；") +
                       tallyText(QStringLiteral("杀码"), summary.kill, true));
    m_grid->scrollNewestIntoView();
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
