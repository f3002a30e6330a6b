#include "core/Database.h"
#include "core/FormulaTables.h"
#include "support/TestSession.h"
#include "ui/GridView.h"
#include "ui/MainWindow.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QBrush>
#include <QCheckBox>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>

#include <memory>

using namespace quorvel;

class PredictionWindowsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void rankingWindowAfterSelectedMethod();
    void rankingWindowOfKillFormulas();
    void bestMethodRunsAfterSortSettings();
    void filtersAndLimitUpdate();
    void stepsWindowFromFormulaMenu();
    void perDrawDisplayAndFormulaPages();

private:
    // Stores constant formulas (a constant names itself) of one kind into a position's table.
    void storeConstants(int position, const QStringList& codes, bool kill = false);
    void openWindow(int position = 1);
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

void PredictionWindowsTest::init()
{
    m_session = std::make_unique<TestSession>();
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 60));
}

void PredictionWindowsTest::cleanup()
{
    m_window.reset();
    m_session.reset();
}

void PredictionWindowsTest::storeConstants(int position, const QStringList& codes, bool kill)
{
    std::vector<NewFormula> formulas;
    for (const QString& code : codes)
        formulas.push_back(NewFormula{code, QStringLiteral("公式") + code, kill, std::nullopt, std::nullopt});
    const Status stored = m_session->openDatabase()->formulas().append(position, formulas);
    QVERIFY2(stored.ok(), qPrintable(stored.error()));
}

void PredictionWindowsTest::openWindow(int position)
{
    WorkspaceStartOptions options;
    options.position = position;
    QVERIFY(m_session->start(options));
    m_window = std::make_unique<MainWindow>(m_session->workspace(), m_session->prompts());
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void PredictionWindowsTest::rankingWindowAfterSelectedMethod()
{
    storeConstants(1, {QStringLiteral("7"), QStringLiteral("7"), QStringLiteral("12")});
    storeConstants(2, {QStringLiteral("7"), QStringLiteral("15")});
    openWindow(2);

    click(child<QPushButton>(QStringLiteral("Command23")));
    auto* ranking = child<QWidget>(QStringLiteral("frmErrarrLei"));
    QVERIFY(ranking);
    QTRY_VERIFY(ranking->isVisible());
    QCOMPARE(ranking->windowTitle(), QStringLiteral("杀留值排序(鼠标双击列表反向排序)"));
    auto* tabs = ranking->findChild<QTabBar*>(QStringLiteral("TabStrip1"));
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(1), QStringLiteral("第2"));

    auto* page1 = ranking->findChild<GridView*>(QStringLiteral("MSFlexGrid1_1"));
    auto* page2 = ranking->findChild<GridView*>(QStringLiteral("MSFlexGrid1_2"));
    QAbstractItemModelTester tester(page2->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(page1->model()->rowCount(), 20);
    QCOMPARE(page1->model()->index(0, 1).data().toInt(), 7);
    QCOMPARE(page1->model()->index(0, 2).data().toInt(), 2);
    QCOMPARE(page1->model()->index(19, 5).data().toString(), QStringLiteral("滤杀"));
    // Page 2 ranks 7 first, but page 1 picked it: grey, and 15 is picked.
    QCOMPARE(page2->model()->index(0, 1).data().toInt(), 7);
    QCOMPARE(page2->model()->index(0, 1).data(Qt::BackgroundRole).value<QBrush>().color(),
             QColor(128, 128, 128));
    auto* summary = ranking->findChild<QLineEdit*>(QStringLiteral("Text1"));
    QCOMPARE(summary->text(), QStringLiteral("7 15 "));
    auto* distribution = ranking->findChild<GridView*>(QStringLiteral("MSFlexGrid3_1"));
    QAbstractItemModelTester distributionTester(distribution->model(),
                                                QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(distribution->model()->rowCount(), 3);
    QCOMPARE(distribution->model()->index(2, 2).data().toString().split(u' ', Qt::SkipEmptyParts).size(), 18);
    QVERIFY(ranking->findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled());

    // A click on column 1 of page 1 orders it by number, in the page's direction.
    tabs->setCurrentIndex(0);
    QTest::mouseClick(page1->viewport(), Qt::LeftButton, {},
                      page1->visualRect(page1->model()->index(3, 1)).center());
    QCOMPARE(page1->model()->headerData(2, Qt::Horizontal).toString(),
             QStringLiteral("杀留Err值（公式错误值）"));
    const int first = page1->model()->index(0, 1).data().toInt();
    QVERIFY(first == 1 || first == 20);

    auto* detailButton = ranking->findChild<QPushButton*>(QStringLiteral("Command2"));
    QVERIFY(detailButton->isVisible());
    click(detailButton);
    auto* detail = child<QDialog>(QStringLiteral("frmXxlb"));
    QTRY_VERIFY(detail && detail->isVisible());
    QVERIFY(detail->isModal());
    QAbstractItemModel* rows = detail->findChild<GridView*>(QStringLiteral("MSFlexGrid1"))->model();
    QAbstractItemModelTester detailTester(rows, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // The five formulas used, of both positions, position then list order.
    QCOMPARE(rows->rowCount(), 5);
    QCOMPARE(rows->index(2, 1).data().toString(), QStringLiteral("公式12"));
    QCOMPARE(rows->index(2, 2).data().toString(), QStringLiteral("第一"));
    QCOMPARE(rows->index(4, 1).data().toString(), QStringLiteral("公式15"));
    QCOMPARE(rows->index(4, 2).data().toString(), QStringLiteral("第二"));
    QCOMPARE(rows->index(4, 4).data().toString(), QStringLiteral("15"));
    detail->close();
}

void PredictionWindowsTest::rankingWindowOfKillFormulas()
{
    storeConstants(1, {QStringLiteral("1"), QStringLiteral("7"), QStringLiteral("7")}, true);
    WorkspaceStartOptions options;
    options.kill = true;
    QVERIFY(m_session->start(options));
    m_window = std::make_unique<MainWindow>(m_session->workspace(), m_session->prompts());
    m_window->show();

    click(child<QPushButton>(QStringLiteral("Command23")));
    auto* ranking = child<QWidget>(QStringLiteral("frmErrarrLei"));
    QTRY_VERIFY(ranking && ranking->isVisible());
    // The least-killed number first, picked and kept; the most-killed last, green "滤杀".
    const QAbstractItemModel* page = ranking->findChild<GridView*>(QStringLiteral("MSFlexGrid1_1"))->model();
    QCOMPARE(page->index(0, 1).data().toInt(), 2);
    QCOMPARE(page->index(0, 5).data().toString(), QStringLiteral("保留"));
    QCOMPARE(page->index(19, 1).data().toInt(), 7);
    QCOMPARE(page->index(19, 5).data().toString(), QStringLiteral("滤杀"));
    QCOMPARE(page->index(19, 5).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 255, 0));
    QCOMPARE(ranking->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("2 "));
    const QAbstractItemModel* distribution =
        ranking->findChild<GridView*>(QStringLiteral("MSFlexGrid3_1"))->model();
    QCOMPARE(distribution->index(0, 0).data().toInt(), 0);
}

void PredictionWindowsTest::bestMethodRunsAfterSortSettings()
{
    storeConstants(1, {QStringLiteral("4"), QStringLiteral("9"), QStringLiteral("11"), QStringLiteral("13")});
    openWindow();
    click(child<QRadioButton>(QStringLiteral("Option6_0")));

    // Closed with its close box the first time: nothing is computed, no ranking opens.
    click(child<QPushButton>(QStringLiteral("Command23")));
    auto* sort = child<QDialog>(QStringLiteral("frmGsCsArr"));
    QTRY_VERIFY(sort && sort->isVisible());
    QVERIFY(sort->findChild<QRadioButton*>(QStringLiteral("Option1_3"))->isChecked());
    QVERIFY(sort->findChild<QRadioButton*>(QStringLiteral("Option2_1"))->isChecked());
    QVERIFY(sort->findChild<QRadioButton*>(QStringLiteral("Option3_2"))->isChecked());
    QCOMPARE(sort->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("3"));
    sort->close();
    QVERIFY(!child<QWidget>(QStringLiteral("frmErrarrLei")));

    // A quota that does not fit is refused; one that does is taken.
    click(child<QPushButton>(QStringLiteral("Command23")));
    QTRY_VERIFY(sort->isVisible());
    auto* quota = sort->findChild<QLineEdit*>(QStringLiteral("Text1"));
    quota->setText(QStringLiteral("abc"));
    click(sort->findChild<QPushButton*>(QStringLiteral("Command1")));
    QVERIFY(sort->isVisible());
    QCOMPARE(m_session->prompts().notices().size(), 1);
    QVERIFY(!child<QWidget>(QStringLiteral("frmErrarrLei")));
    quota->setText(QStringLiteral("2"));
    click(sort->findChild<QPushButton*>(QStringLiteral("Command1")));
    QVERIFY(!sort->isVisible());
    auto* ranking = child<QWidget>(QStringLiteral("frmErrarrLei"));
    QTRY_VERIFY(ranking && ranking->isVisible());
    QVERIFY(!ranking->findChild<QPushButton*>(QStringLiteral("Command2"))->isVisible());
    // Two picks for the page; the summary takes the first.
    const QAbstractItemModel* page = ranking->findChild<GridView*>(QStringLiteral("MSFlexGrid1_1"))->model();
    QCOMPARE(page->index(0, 2).data().toInt() + page->index(1, 2).data().toInt(), 2);
    QCOMPARE(page->index(2, 2).data().toInt(), 0);
}

void PredictionWindowsTest::filtersAndLimitUpdate()
{
    storeConstants(1, {QStringLiteral("L1A+3"), QStringLiteral("L2A+7"), QStringLiteral("L3B+1")});
    openWindow();

    click(child<QPushButton>(QStringLiteral("Command133")));
    QCOMPARE(m_session->prompts().notices().last().title, QStringLiteral("公式过滤结果"));
    QCOMPARE(m_session->prompts().notices().last().message, QStringLiteral("过滤后公式剩余3条"));

    click(child<QPushButton>(QStringLiteral("Command7")));
    auto* filter = child<QDialog>(QStringLiteral("frmGSGuolv"));
    QTRY_VERIFY(filter && filter->isVisible());
    auto* lowestMaxMisses = filter->findChild<QLineEdit*>(QStringLiteral("Text1_2"));
    auto* highestMaxMisses = filter->findChild<QLineEdit*>(QStringLiteral("Text1_3"));
    QVERIFY(lowestMaxMisses->text().toInt() <= highestMaxMisses->text().toInt());
    lowestMaxMisses->setFocus();
    QTRY_COMPARE(lowestMaxMisses->selectedText(), lowestMaxMisses->text());
    // Not a number: reads 0, so no formula stays.
    highestMaxMisses->setText(QStringLiteral("x"));
    click(filter->findChild<QPushButton*>(QStringLiteral("Command1")));
    QVERIFY(!filter->isVisible());
    QCOMPARE(m_session->prompts().notices().last().message, QStringLiteral("过滤后公式剩余0条"));
    QVERIFY(!m_session->workspace().isSelected(1));

    m_session->prompts().queueQuestionAnswer(false);
    click(child<QPushButton>(QStringLiteral("cmdUpdLim")));
    QCOMPARE(m_session->prompts().last(ScriptedPrompts::Kind::Question).title, QStringLiteral("更新极限值"));
    m_session->prompts().queueQuestionAnswer(true);
    click(child<QPushButton>(QStringLiteral("cmdUpdLim")));
    // The list is filled again (every formula selected) with the raised limits.
    QVERIFY(m_session->workspace().isSelected(1));
    QCOMPARE(m_session->workspace().formulaList().row(1).limit,
             std::optional<int>(m_session->workspace().formulaList().results()[0].statistics.maxMisses));
    QCOMPARE(m_session->prompts().unexpectedCalls(), 0);
}

void PredictionWindowsTest::stepsWindowFromFormulaMenu()
{
    storeConstants(1, {QStringLiteral("L1A+L3B+7")});
    openWindow();
    auto* formulas = child<GridView>(QStringLiteral("MSFlexGrid2"));
    formulas->setCurrentIndex(formulas->model()->index(0, 1));
    QAction* steps = child<QAction>(QStringLiteral("mnuCulate"));
    QVERIFY(steps->isEnabled());
    steps->trigger();

    auto* window = child<QWidget>(QStringLiteral("frmGsbz"));
    QTRY_VERIFY(window && window->isVisible());
    QAbstractItemModel* grid = window->findChild<GridView*>(QStringLiteral("MSFlexGrid1"))->model();
    QAbstractItemModelTester tester(grid, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(grid->rowCount(), 60);
    QCOMPARE(grid->headerData(2, Qt::Horizontal).toString(), QStringLiteral("公式L1A+L3B+7"));
    QCOMPARE(grid->index(0, 0).data().toString(), QStringLiteral("14102884"));
    QCOMPARE(grid->index(0, 1).data().toString(), QStringLiteral("10 06 09 12 01 18 02 04"));
    QVERIFY(grid->index(0, 2).data().toString().startsWith(QStringLiteral("10+")));
    QCOMPARE(grid->index(0, 3).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, int(Qt::AlignRight));
    // It opens on the newest draw.
    auto* view = window->findChild<GridView*>(QStringLiteral("MSFlexGrid1"));
    QTRY_VERIFY(view->viewport()->rect().intersects(view->visualRect(grid->index(59, 0))));
}

void PredictionWindowsTest::perDrawDisplayAndFormulaPages()
{
    QStringList codes;
    for (int k = 1; k <= 501; ++k)
        codes << QStringLiteral("3");
    storeConstants(1, codes);
    openWindow();
    auto* check = child<QCheckBox>(QStringLiteral("Check1"));
    auto* pages = child<QScrollBar>(QStringLiteral("HScroll1"));
    auto* history = child<GridView>(QStringLiteral("MSFlexGrid1"));
    QVERIFY(!pages->isEnabled());
    QCOMPARE(history->columnWidth(0), 100);

    click(check);
    QVERIFY(pages->isEnabled());
    QCOMPARE(pages->maximum(), 501);
    QAbstractItemModel* model = history->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model->columnCount(), 9 + 501);
    QCOMPARE(model->headerData(9, Qt::Horizontal).toString(), QStringLiteral("1公式"));
    QCOMPARE(model->headerData(509, Qt::Horizontal).toString(), QStringLiteral("501式"));
    QCOMPARE(history->columnWidth(0), 100);
    QCOMPARE(history->columnWidth(1), 40);
    QCOMPARE(history->columnWidth(9), 50);
    // Next-draw mode: the oldest row is emptied and white; a draw whose first number is 3 is a hit.
    QVERIFY(model->index(0, 9).data().toString().isEmpty());
    QCOMPARE(model->index(0, 9).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::white));
    for (int draw = 1; draw < 60; ++draw) {
        QCOMPARE(model->index(draw, 10).data().toString(), QStringLiteral("3"));
        const bool hit = model->index(draw, 1).data().toInt() == 3;
        QCOMPARE(model->index(draw, 10).data(Qt::BackgroundRole).value<QBrush>().color(),
                 hit ? QColor(0, 0, 255) : QColor(0, 255, 0));
    }

    // A page of 500 formulas further: formula 501 is the first column in view, as far as the
    // grid can scroll.
    pages->setValue(700);
    QCOMPARE(pages->value(), 501);
    QCOMPARE(history->horizontalScrollBar()->value(), qMin(history->horizontalHeader()->sectionPosition(509),
                                                           history->horizontalScrollBar()->maximum()));
    QVERIFY(history->columnViewportPosition(509) >= 0);
    // The issues stay in view at the left edge, on the rows the grid shows.
    QTableView* issues = history->frozenColumnView();
    QTRY_VERIFY(issues && issues->isVisible());
    QCOMPARE(issues->x(), history->frameWidth());
    QCOMPARE(issues->width(), history->columnWidth(0) + 1);
    QCOMPARE(issues->rowAt(issues->viewport()->height() / 2), history->rowAt(history->viewport()->height() / 2));
    QVERIFY(issues->isColumnHidden(1) && !issues->isColumnHidden(0));
    pages->setValue(1);
    QCOMPARE(history->horizontalScrollBar()->value(), 0);
    QVERIFY(!issues->isVisible());

    // Same-draw mode: the oldest row shows its number, the newest has no colour.
    child<QAction>(QStringLiteral("mnuYsXs_1"))->trigger();
    QCOMPARE(model->index(0, 9).data().toString(), QStringLiteral("3"));
    QVERIFY(!model->index(59, 9).data(Qt::BackgroundRole).isValid());

    click(check);
    QCOMPARE(model->columnCount(), 9);
    QCOMPARE(history->columnWidth(0), 100);
    QVERIFY(!pages->isEnabled());
}

QTEST_MAIN(PredictionWindowsTest)
#include "tst_predictionwindows.moc"
