#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/LedgerTable.h"
#include "support/TestSession.h"
#include "ui/FormulaListModel.h"
#include "ui/GridView.h"
#include "ui/MainWindow.h"
#include "ui/models/BacktestDrawsModel.h"
#include "ui/tools/BacktestWindow.h"
#include "workspace/ManualDrawEntry.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <memory>

using namespace quorvel;

// The chance column, the backtest window and the ledger as the main window offers them.
class HonestNumbersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void chanceColumnSwitchedFromTheSettingsMenu();
    void sameOutputShownAndRepeatsUnselected();
    void backtestWindowRunsAndCharts();
    void ledgerScoredWhenTheDrawIsTyped();

private:
    void openWindow();
    template <typename T> T* child(const QString& name) const
    {
        return m_window ? m_window->findChild<T*>(name) : nullptr;
    }
    static void click(QAbstractButton* button)
    {
        QVERIFY(button);
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }

    std::unique_ptr<TestSession> m_session;
    std::unique_ptr<MainWindow> m_window;
};

void HonestNumbersTest::init()
{
    m_session = std::make_unique<TestSession>();
    m_session->settings().setLotteryTypeIndex(0); // 广东快乐十分, 84 draws a day
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 60));
    // Position 1 keeps 12 (a constant names itself) and a formula of the draws.
    std::vector<NewFormula> formulas{
        {QStringLiteral("12"), QStringLiteral("12"), false, std::nullopt, 1},
        {QStringLiteral("L1A+L2B+3"), QStringLiteral("第一码+第二大小+3"), false, std::nullopt, 2}};
    QVERIFY(m_session->openDatabase()->formulas().append(1, formulas));
}

void HonestNumbersTest::cleanup()
{
    m_window.reset();
    m_session.reset();
}

void HonestNumbersTest::openWindow()
{
    QVERIFY(m_session->start());
    m_window = std::make_unique<MainWindow>(m_session->workspace(), m_session->prompts());
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void HonestNumbersTest::chanceColumnSwitchedFromTheSettingsMenu()
{
    openWindow();
    auto* list = child<GridView>(QStringLiteral("MSFlexGrid2"));
    const int column = FormulaListModel::ChanceColumn;
    QCOMPARE(list->model()->headerData(column, Qt::Horizontal).toString(), QStringLiteral("随机概率"));
    QVERIFY(list->isColumnHidden(column));
    QVERIFY(list->model()->index(0, column).data().toString().endsWith(QLatin1Char('%')));

    auto* item = child<QAction>(QStringLiteral("mnuSjGl"));
    QVERIFY(item && !item->isChecked());
    item->trigger();
    QVERIFY(!list->isColumnHidden(column));
    QVERIFY(item->isChecked());
    QCOMPARE(m_session->storedSetting(QStringLiteral("SjGl")), QStringLiteral("True"));
    item->trigger();
    QVERIFY(list->isColumnHidden(column));
}

void HonestNumbersTest::sameOutputShownAndRepeatsUnselected()
{
    // Formula 3 says what formula 2 says: its terms in another order, its constant 20 higher.
    std::vector<NewFormula> repeat{
        {QStringLiteral("L2B+L1A+23"), QStringLiteral("第二大小+第一码+23"), false, std::nullopt, 3}};
    QVERIFY(m_session->openDatabase()->formulas().append(1, repeat));
    openWindow();
    auto* list = child<GridView>(QStringLiteral("MSFlexGrid2"));
    auto* model = qobject_cast<FormulaListModel*>(list->model());
    const int column = FormulaListModel::SameOutputColumn;
    QCOMPARE(model->headerData(column, Qt::Horizontal).toString(), QStringLiteral("同输出"));
    QVERIFY(list->isColumnHidden(column));
    child<QAction>(QStringLiteral("mnuSjGl"))->trigger();
    QVERIFY(!list->isColumnHidden(column));
    QTRY_COMPARE(model->index(2, column).data().toString(), QStringLiteral("2"));
    QVERIFY(model->index(0, column).data().toString().isEmpty());
    QVERIFY(model->index(1, column).data().toString().isEmpty());

    // Sorted the other way round, the later formula of the pair comes first.
    model->sortByColumn(FormulaListModel::LimitColumn);
    model->sortByColumn(FormulaListModel::LimitColumn);
    QCOMPARE(model->listNumberAt(0), 3);
    QCOMPARE(model->index(1, column).data().toString(), QStringLiteral("1"));
    QVERIFY(model->index(0, column).data().toString().isEmpty());

    Workspace& workspace = m_session->workspace();
    model->sortByColumn(FormulaListModel::LimitColumn);
    child<QAction>(QStringLiteral("mnuUnselectRepeats"))->trigger();
    QVERIFY(workspace.isSelected(1) && workspace.isSelected(2));
    QVERIFY(!workspace.isSelected(3));
}

void HonestNumbersTest::backtestWindowRunsAndCharts()
{
    openWindow();
    click(child<QPushButton>(QStringLiteral("cmdLsHc")));
    auto* backtest = child<BacktestWindow>(QStringLiteral("frmLsHc"));
    QVERIFY(backtest);
    QTRY_VERIFY(backtest->isVisible());
    QCOMPARE(backtest->windowTitle(), QStringLiteral("历史回测"));
    const QString warning = backtest->findChild<QLabel*>(QStringLiteral("lblHcQs"))->text();
    QVERIFY(warning.contains(QStringLiteral("前视偏差")) && warning.contains(QStringLiteral("预测记录")));

    auto* targets = backtest->findChild<QSpinBox*>(QStringLiteral("spnHcQs"));
    QCOMPARE(targets->value(), 100);
    // Enter in the count box starts the backtest, as the button does.
    targets->selectAll();
    QTest::keyClicks(targets, QStringLiteral("12"));
    QTest::keyClick(targets, Qt::Key_Return);
    QTRY_VERIFY(backtest->result().has_value());
    QVERIFY(backtest->findChild<QPushButton*>(QStringLiteral("cmdHcKs"))->isEnabled());

    // The selected-formula method on position 1: one pick a draw.
    auto* draws = backtest->findChild<GridView*>(QStringLiteral("grdHcMx"));
    QAbstractItemModelTester tester(draws->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(draws->model()->rowCount(), 12);
    QCOMPARE(draws->model()->index(11, 0).data().toString(), QStringLiteral("14102967"));
    const BacktestPage& last = backtest->result()->draws.back().pages.front();
    const QColor expected = pageHeld(last.picks, last.drawn) ? BacktestDrawsModel::heldColour()
                                                             : BacktestDrawsModel::failedColour();
    QCOMPARE(draws->model()
                 ->index(11, BacktestDrawsModel::RightColumn)
                 .data(Qt::BackgroundRole)
                 .value<QBrush>()
                 .color(),
             expected);
    auto* summary = backtest->findChild<GridView*>(QStringLiteral("grdHcHz"));
    QCOMPARE(summary->model()->rowCount(), 2); // position 1 and the total
    QCOMPARE(summary->model()->index(1, 1).data().toInt(), 12);
    auto* chart = backtest->findChild<QChartView*>(QStringLiteral("chtHcLj"));
    QVERIFY(chart);
    QCOMPARE(chart->chart()->series().size(), 2);
}

void HonestNumbersTest::ledgerScoredWhenTheDrawIsTyped()
{
    openWindow();
    click(child<QPushButton>(QStringLiteral("Command23")));
    Result<std::vector<LedgerRecord>> stored = m_session->openDatabase()->ledger().read();
    QVERIFY(stored && stored->size() == 1);
    QCOMPARE(stored->front().issue, 14102968);
    QVERIFY(!stored->front().score);

    // The draw stored through the window's workspace: the ledger is scored without its window.
    QVERIFY(ManualDrawEntry(m_session->workspace())
                .add(QStringLiteral("14102968"), {12, 20, 4, 5, 16, 11, 18, 19}));
    stored = m_session->openDatabase()->ledger().read();
    QVERIFY(stored && stored->front().score);
    QCOMPARE(stored->front().score->drawn, QStringLiteral("12 20 4 5 16 11 18 19"));

    click(child<QPushButton>(QStringLiteral("cmdYcJl")));
    auto* ledger = child<QWidget>(QStringLiteral("frmYcJl"));
    QVERIFY(ledger);
    QTRY_VERIFY(ledger->isVisible());
    auto* grid = ledger->findChild<GridView*>(QStringLiteral("grdYcJl"));
    QCOMPARE(grid->model()->rowCount(), 1);
    QCOMPARE(grid->model()->index(0, 8).data().toString(), QStringLiteral("12 20 4 5 16 11 18 19"));
    QVERIFY(ledger->findChild<QLabel*>(QStringLiteral("lblYcHz"))->text().contains(QStringLiteral("随机")));

    // The selected entry deleted after the question.
    grid->selectRow(0);
    m_session->prompts().queueQuestionAnswer(true);
    click(ledger->findChild<QPushButton*>(QStringLiteral("cmdYcSc")));
    QCOMPARE(m_session->prompts().last(ScriptedPrompts::Kind::Question).title,
             QStringLiteral("删除预测记录"));
    QCOMPARE(grid->model()->rowCount(), 0);
    QCOMPARE(m_session->openDatabase()->ledger().read()->size(), std::size_t(0));
}

QTEST_MAIN(HonestNumbersTest)
#include "tst_honestnumbers.moc"
