#include "ui/SetupMenu.h"

#include "core/LotteryType.h"
#include "core/Settings.h"
#include "ui/ControlArrays.h"
#include "ui/FailureNotice.h"
#include "ui/WaitCursor.h"
#include "ui/tools/BackupWindow.h"
#include "workspace/OnlineFormulaUpdate.h"
#include "workspace/ResultsAddressSetting.h"
#include "workspace/SettingsMenu.h"
#include "workspace/UndoHistory.h"
#include "workspace/Workspace.h"

namespace quorvel {

namespace {

const char* const kRetrievalCaptions[Settings::kRetrievalPeriodsCount] = {
    "前所有期", "前100期", "前200期",  "前300期",  "前500期",
    "前600期",  "前800期", "前1000期", "前1500期", "前3000期"};

QAction* addItem(QMenu* menu, const QString& name, const QString& caption, bool checkable = true)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(checkable);
    return action;
}

} // namespace

SetupMenu::SetupMenu(Workspace& workspace, Prompts& prompts, QWidget* parent)
    : QMenu(QStringLiteral("设置"), parent), m_workspace(workspace), m_prompts(prompts)
{
    setObjectName(QStringLiteral("mnuSetup"));
    const QString resultCaptions[2] = {QStringLiteral("历史列表公式验算结果显示在下期(&N)"),
                                       QStringLiteral("历史列表公式验算结果显示在当期(&T)")};
    for (int index = 0; index < 2; ++index) {
        QAction* action = addItem(this, ControlArrays::name("mnuYsXs", index), resultCaptions[index]);
        m_resultDisplayActions[std::size_t(index)] = action;
        connect(action, &QAction::triggered, this,
                [this, index] { SettingsMenu(m_workspace).setResultsAtCurrentPeriod(index == 1); });
    }

    QMenu* retrieval = addMenu(QStringLiteral("检索期数设置(&Q)"));
    retrieval->setObjectName(QStringLiteral("mnuQsJs"));
    retrieval->menuAction()->setObjectName(QStringLiteral("mnuQsJs"));
    m_excludeCurrentAction =
        addItem(retrieval, QStringLiteral("mnuBuhan"), QStringLiteral("检索期数前溯不含当前期"));
    connect(m_excludeCurrentAction, &QAction::triggered, this,
            [this] { SettingsMenu(m_workspace).toggleExcludeCurrentPeriod(); });
    retrieval->addSeparator();
    for (int index = 0; index < Settings::kRetrievalPeriodsCount; ++index) {
        QAction* action = addItem(retrieval, ControlArrays::name("mnuQs", index),
                                  QString::fromUtf8(kRetrievalCaptions[index]));
        m_retrievalActions[std::size_t(index)] = action;
        connect(action, &QAction::triggered, this, [this, index] {
            WaitCursor wait;
            reportFailure(m_prompts, SettingsMenu(m_workspace).setRetrievalPeriodsIndex(index));
        });
    }

    m_weightedAction =
        addItem(this, QStringLiteral("mnuZqlJq"), QStringLiteral("正确率使用期数加权算法(&A)"));
    connect(m_weightedAction, &QAction::triggered, this,
            [this] { SettingsMenu(m_workspace).toggleWeightedAccuracy(); });

    // The column of what luck alone gives beside each formula's record, off until asked for.
    m_chanceColumnAction =
        addItem(this, QStringLiteral("mnuSjGl"), QStringLiteral("公式列表显示随机概率(&G)"));
    connect(m_chanceColumnAction, &QAction::triggered, this,
            [this](bool on) { m_workspace.settings().setChanceColumn(on); });

    QAction* historyDays =
        addItem(this, QStringLiteral("mnuSetDay"), QStringLiteral("历史号码更新检索天数设置(&D)"), false);
    connect(historyDays, &QAction::triggered, this, [this] { SettingsMenu(m_workspace).editHistoryDays(); });
    QAction* resultsAddress =
        addItem(this, QStringLiteral("mnuKjUrl"), QStringLiteral("开奖数据地址设置(&K)"), false);
    connect(resultsAddress, &QAction::triggered, this, [this] { ResultsAddressSetting(m_workspace).edit(); });

    QAction* formulaAddress =
        addItem(this, QStringLiteral("mnuGsUrl"), QStringLiteral("公式下载地址设置(&W)"), false);
    connect(formulaAddress, &QAction::triggered, this, [this] {
        reportFailure(m_prompts, OnlineFormulaUpdate::editAddress(m_workspace), OnlineFormulaUpdate::kTitle);
    });

    QMenu* lottery = addMenu(QStringLiteral("彩种选择"));
    lottery->setObjectName(QStringLiteral("mnuCaizhong"));
    lottery->menuAction()->setObjectName(QStringLiteral("mnuCaizhong"));
    for (int index = 0; index < kLotteryTypeCount; ++index) {
        QAction* action = addItem(lottery, ControlArrays::name("mnuKL10", index),
                                  lotteryTypes()[std::size_t(index)].caption);
        m_lotteryActions[std::size_t(index)] = action;
        connect(action, &QAction::triggered, this,
                [this, index] { SettingsMenu(m_workspace).pickLotteryType(index); });
    }

    QAction* restore = addItem(this, QStringLiteral("meuHfmr"), QStringLiteral("恢复默认设置(&R)"), false);
    connect(restore, &QAction::triggered, this,
            [this] { reportFailure(m_prompts, SettingsMenu(m_workspace).restoreDefaults()); });

    // The undo of the destructive operations. Ctrl+Z works in the whole window (the main window
    // adds the item); a text box with the focus takes Ctrl+Z for its own typing first.
    addSeparator();
    m_undoAction = addItem(this, QStringLiteral("mnuUndo"), QStringLiteral("撤销上次修改(&Z)"), false);
    m_undoAction->setShortcut(QKeySequence::Undo);
    connect(m_undoAction, &QAction::triggered, this, &SetupMenu::undoLastChange);
    QAction* backups = addItem(this, QStringLiteral("mnuBeifen"), QStringLiteral("恢复备份…"), false);
    connect(backups, &QAction::triggered, this, [this] {
        BackupWindow window(m_workspace, m_prompts, parentWidget());
        window.exec();
    });

    connect(&m_workspace.settings(), &Settings::changed, this, &SetupMenu::syncChecks);
    syncChecks();
}

void SetupMenu::undoLastChange()
{
    UndoHistory undo(m_workspace);
    // The newest kept state is the one restored: its operation is named afterwards.
    const Result<std::vector<KeptState>> kept = undo.list();
    if (!kept || kept->empty()) {
        reportFailure(m_prompts, kept ? Status(Failure{UndoHistory::kNothingToUndo}) : Status(kept.failure()),
                      UndoHistory::kUndoCaption);
        return;
    }
    const KeptState newest = kept->front();
    Status restored = success();
    {
        WaitCursor wait;
        restored = undo.restore(newest.id, UndoHistory::kUndoCaption);
    }
    if (!reportFailure(m_prompts, restored, UndoHistory::kUndoCaption))
        return;
    m_prompts.notice(UndoHistory::kUndoCaption, QStringLiteral("已撤销“%1”（%2），备份编号 %3")
                                                    .arg(newest.operation, BackupStore::timeText(newest.time))
                                                    .arg(newest.id));
}

void SetupMenu::syncChecks()
{
    const Settings& settings = m_workspace.settings();
    const bool atCurrent = settings.resultsAtCurrentPeriod();
    m_resultDisplayActions[0]->setChecked(!atCurrent);
    m_resultDisplayActions[1]->setChecked(atCurrent);
    const int retrieval = settings.retrievalPeriodsIndex();
    for (int index = 0; index < Settings::kRetrievalPeriodsCount; ++index)
        m_retrievalActions[std::size_t(index)]->setChecked(index == retrieval);
    const VerificationSettings verification = m_workspace.verificationSettings();
    m_excludeCurrentAction->setChecked(verification.excludeCurrentPeriod);
    m_weightedAction->setChecked(verification.weighted);
    m_chanceColumnAction->setChecked(settings.chanceColumn());
    const int lottery = settings.lotteryTypeIndex();
    for (int index = 0; index < kLotteryTypeCount; ++index)
        m_lotteryActions[std::size_t(index)]->setChecked(index == lottery);
}

} // namespace quorvel
