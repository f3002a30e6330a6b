#include "ui/MainWindow.h"

#include "core/BusyWait.h"
#include "core/LotteryType.h"
#include "core/Settings.h"
#include "ui/CommandsPanel.h"
#include "ui/FailureNotice.h"
#include "ui/FormulaPanel.h"
#include "ui/GridView.h"
#include "ui/HistoryPanel.h"
#include "ui/SetupMenu.h"
#include "ui/ToolWindows.h"
#include "workspace/Workspace.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include <utility>

namespace quorvel {

MainWindow::MainWindow(Workspace& workspace, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_workspace(workspace), m_prompts(prompts),
      m_toolWindows(std::make_unique<ToolWindows>())
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quorvel"));

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(8);
    m_historyPanel = new HistoryPanel(m_workspace, m_prompts, central);
    m_formulaPanel = new FormulaPanel(m_workspace, m_prompts, *m_toolWindows, central);
    m_commandsPanel = new CommandsPanel(m_workspace, m_prompts, *m_toolWindows, central);
    layout->addWidget(m_historyPanel);
    layout->addWidget(m_formulaPanel, 1);
    layout->addWidget(m_commandsPanel);
    setCentralWidget(central);
    createStatusBar();
    // Ctrl+Z of "撤销上次修改" wherever the focus is in the window, not only in the open menu.
    addAction(m_commandsPanel->setupMenu()->undoAction());
    connectNotices();

    resize(1366, 740);
    restoreGeometry(m_workspace.settings().mainWindowGeometry());

    m_outsideTimer = new QTimer(this);
    m_outsideTimer->setObjectName(QStringLiteral("outsideChangesTimer"));
    m_outsideTimer->setInterval(1000);
    connect(m_outsideTimer, &QTimer::timeout, this, &MainWindow::noticeOutsideChanges);
    m_outsideTimer->start();
}

void MainWindow::connectNotices()
{
    // A warning after a successful operation, and a setting that could not be saved, are said once
    // the operation has returned to the event loop; several settings failing in one operation
    // (restoring the defaults) make one notice.
    connect(
        &m_workspace, &Workspace::warning, this,
        [this](const QString& title, const QString& message) { m_prompts.notice(title, message); },
        Qt::QueuedConnection);
    connect(&m_workspace.settings(), &Settings::writeFailed, this, [this](const QString& message) {
        if (!m_settingsFailure.isEmpty())
            return;
        m_settingsFailure = message;
        QTimer::singleShot(0, this, [this] {
            const QString failure = std::exchange(m_settingsFailure, QString());
            m_prompts.notice(QStringLiteral("设置未保存"), failure);
        });
    });
}

void MainWindow::noticeOutsideChanges()
{
    if (m_noticing || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return;
    m_noticing = true;
    const Result<bool> noticed = m_workspace.noticeOutsideChanges();
    m_noticing = false;
    if (noticed) {
        m_outsideFailure.clear();
        return;
    }
    // A file another program holds for long (a compaction) is looked at again a second later.
    if (noticed.error() == m_outsideFailure || noticed.error().contains(BusyWait::kBusyText))
        return;
    m_outsideFailure = noticed.error();
    reportFailure(m_prompts, noticed.failure());
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, this, &MainWindow::noticeOutsideChanges);
}

MainWindow::~MainWindow() = default;

QMenu* MainWindow::setupMenu() const
{
    return m_commandsPanel->setupMenu();
}

QMenu* MainWindow::formulaMenu() const
{
    return m_formulaPanel->formulaMenu();
}

QMenu* MainWindow::historyMenu() const
{
    return m_historyPanel->historyMenu();
}

void MainWindow::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    const auto label = [bar](const char* name) {
        auto* l = new QLabel(bar);
        l->setObjectName(QLatin1String(name));
        bar->addWidget(l);
        return l;
    };
    m_lotteryLabel = label("statusLottery");
    m_retrievalLabel = label("statusRetrieval");
    m_drawCountLabel = label("statusDraws");
    m_formulaCountLabel = label("statusFormulas");
    connect(&m_workspace, &Workspace::historyChanged, this, &MainWindow::refreshStatusBar);
    connect(&m_workspace, &Workspace::formulaListChanged, this, &MainWindow::refreshStatusBar);
    connect(&m_workspace.settings(), &Settings::changed, this, &MainWindow::refreshStatusBar);
    refreshStatusBar();
}

void MainWindow::refreshStatusBar()
{
    const int lottery = m_workspace.settings().lotteryTypeIndex();
    m_lotteryLabel->setText(isLotteryTypeIndex(lottery) ? lotteryTypes()[std::size_t(lottery)].caption
                                                        : QStringLiteral("未选择彩种"));
    const VerificationSettings verification = m_workspace.verificationSettings();
    m_retrievalLabel->setText(
        verification.periods == 0
            ? QStringLiteral("检索：前所有期")
            : QStringLiteral("检索：前%1期%2")
                  .arg(verification.periods)
                  .arg(verification.excludeCurrentPeriod ? QString() : QStringLiteral("（含当前期）")));
    m_drawCountLabel->setText(QStringLiteral("历史：%1期").arg(m_workspace.history()->drawCount()));
    m_formulaCountLabel->setText(QStringLiteral("%1%2公式：%3个")
                                     .arg(m_workspace.positionCaption(), m_workspace.currentKindIsKill()
                                                                             ? QStringLiteral("杀")
                                                                             : QStringLiteral("生"))
                                     .arg(m_workspace.formulaList().count()));
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // Typing a draw starts at once; the grids know their height only once shown, so the newest
    // rows are brought into view then.
    m_historyPanel->focusFirstNumberBox();
    QTimer::singleShot(0, this, [this] {
        m_historyPanel->grid()->scrollNewestIntoView();
        m_formulaPanel->grid()->scrollNewestIntoView();
    });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    m_workspace.settings().setMainWindowGeometry(saveGeometry());
    QMainWindow::closeEvent(event);
}

} // namespace quorvel
