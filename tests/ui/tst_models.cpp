#include "core/Database.h"
#include "core/FormulaTables.h"
#include "support/TestSession.h"
#include "ui/FormulaListModel.h"
#include "ui/HistoryModel.h"
#include "verification/ChanceBaseline.h"
#include "workspace/FormulaEntry.h"
#include "workspace/ManualDrawEntry.h"
#include "workspace/SettingsMenu.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBrush>
#include <QFile>
#include <QFont>
#include <QPalette>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace quorvel;

class ModelsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void historyModelFollowsTheWorkspace();
    void formulaModelFollowsTheWorkspace();
    void sortedOrderKeepsTheKindAndReverses_data();
    void sortedOrderKeepsTheKindAndReverses();
    void otherColumnsKeepTheOrder_data();
    void otherColumnsKeepTheOrder();
    void unevaluableFormulaIsMarked();
    void chanceFiguresAndToolTips();

private:
    std::unique_ptr<TestSession> m_session;
};

void ModelsTest::init()
{
    m_session = std::make_unique<TestSession>();
}

void ModelsTest::cleanup()
{
    m_session.reset();
}

void ModelsTest::historyModelFollowsTheWorkspace()
{
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt")));
    QVERIFY(m_session->start());
    Workspace& workspace = m_session->workspace();
    HistoryModel model(workspace);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QFile file(QStringLiteral(QUORVEL_TEST_DATA "/gdklsf-168bet-funyule.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(model.rowCount(), int(lines.size()));
    for (int row : {0, 100, int(lines.size()) - 1}) {
        const QStringList fields = lines[row].simplified().split(QLatin1Char(' '));
        QCOMPARE(model.index(row, 0).data().toString(), fields[0]);
        for (int p = 1; p <= 8; ++p)
            QCOMPARE(model.index(row, p).data().toInt(), fields[p].toInt());
    }
    QCOMPARE(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("第三"));

    // Only the current position's column is bold blue; it follows the position choice.
    auto bold = [&model](int column) {
        return model.index(5, column).data(Qt::FontRole).value<QFont>().bold();
    };
    QVERIFY(bold(1));
    QVERIFY(!bold(0) && !bold(2));
    QVERIFY(workspace.selectPosition(6));
    QVERIFY(bold(6));
    QVERIFY(!bold(1));
    QCOMPARE(model.index(5, 6).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 0, 255));

    // A new draw comes in as the last row.
    const int before = model.rowCount();
    const QString next = workspace.issueText();
    QVERIFY(ManualDrawEntry(workspace).add(next, DrawNumbers{1, 2, 3, 4, 5, 6, 7, 8}));
    QCOMPARE(model.rowCount(), before + 1);
    QCOMPARE(model.index(before, 0).data().toString(), next);
    QCOMPARE(model.index(before, 8).data().toString(), QStringLiteral("8"));
}

void ModelsTest::formulaModelFollowsTheWorkspace()
{
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 150));
    QVERIFY(m_session->start());
    Workspace& workspace = m_session->workspace();
    FormulaListModel model(workspace);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    for (const char* text :
         {"第一码+第二大小+5=下期杀第一", "和数个位+连跳号+3=下期杀第一", "第八码+第四单双+11=下期杀第一",
          "第一码+7=下期生第一", "第三码*2-总跨度=下期杀第一"})
        QVERIFY(FormulaEntry(workspace).addTyped(QString::fromUtf8(text)));
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.columnCount(), int(FormulaListModel::ColumnCount));
    QCOMPARE(model.index(3, FormulaListModel::FormulaColumn).data().toString(),
             QStringLiteral("第三码*2-总跨度=下期杀第一"));
    QCOMPARE(model.index(3, FormulaListModel::IdxColumn).data().toInt(),
             workspace.formulaList().rows()[3].idx);

    workspace.toggleSelection(2);
    QCOMPARE(model.index(1, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
             QApplication::palette().color(QPalette::Button));
    QCOMPARE(model.index(0, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
             FormulaListModel::selectedColour());
    for (int column = FormulaListModel::LimitColumn; column <= FormulaListModel::LastHitsColumn; ++column)
        QVERIFY(model.sortByColumn(column));
    model.markSameComputedValue(0);
    QVERIFY(SettingsMenu(workspace).setRetrievalPeriodsIndex(1)); // a pass with the same rows
    QVERIFY(!model.isSortedOrder());
    QVERIFY(workspace.setChineseDisplay(false));
    QCOMPARE(model.index(0, FormulaListModel::FormulaColumn).data().toString(), QStringLiteral("L1A+L2B+5"));
    QVERIFY(workspace.selectPosition(2));
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(workspace.selectPosition(1));
    QCOMPARE(model.rowCount(), 4);
    QVERIFY(FormulaEntry(workspace).addTyped(QStringLiteral("第一码+9=下期杀第一")));
    QCOMPARE(model.rowCount(), 5);
}

void ModelsTest::sortedOrderKeepsTheKindAndReverses_data()
{
    QTest::addColumn<int>("column");
    QTest::newRow("极限值") << int(FormulaListModel::LimitColumn);
    QTest::newRow("最大连错") << int(FormulaListModel::MaxMissesColumn);
    QTest::newRow("最大连对") << int(FormulaListModel::MaxHitsColumn);
    QTest::newRow("最后连错") << int(FormulaListModel::LastMissesColumn);
    QTest::newRow("最后连对") << int(FormulaListModel::LastHitsColumn);
}

// The sort keeps to the shown kind: the other kind of the table stays out of it.
void ModelsTest::sortedOrderKeepsTheKindAndReverses()
{
    QFETCH(int, column);
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt")));
    QVERIFY(m_session->start());
    Workspace& workspace = m_session->workspace();
    for (const char* text :
         {"第一码+第二大小+5=下期杀第一", "和数个位+连跳号+3=下期杀第一", "第二码+13=下期杀第一"})
        QVERIFY(FormulaEntry(workspace).addTyped(QString::fromUtf8(text)));
    for (const char* text : {"第一码+7=下期生第一", "第八码+第四单双+11=下期生第一", "总跨度+2=下期生第一"})
        QVERIFY(FormulaEntry(workspace).addTyped(QString::fromUtf8(text)));
    QVERIFY(!workspace.currentKindIsKill());

    FormulaListModel model(workspace);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    workspace.toggleSelection(2);
    QCOMPARE(model.rowCount(), 3);
    QVERIFY(model.sortByColumn(column));
    QVERIFY(model.isSortedOrder());
    QCOMPARE(model.rowCount(), 3);

    const auto listOrder = [&model] {
        QList<int> numbers;
        for (int row = 0; row < model.rowCount(); ++row)
            numbers << model.listNumberAt(row);
        return numbers;
    };
    for (int row = 0; row < model.rowCount(); ++row) {
        auto cell = [&model, row](int c, int role = Qt::DisplayRole) {
            return model.index(row, c).data(role);
        };
        QCOMPARE(cell(FormulaListModel::NumberColumn).toString(), QString::number(row + 1));
        if (row > 0) {
            const QString previous = model.index(row - 1, column).data().toString();
            const QString current = cell(column).toString();
            QVERIFY2(previous.isEmpty() || (!current.isEmpty() && previous.toInt() <= current.toInt()),
                     qPrintable(QStringLiteral("row %1: %2 after %3").arg(row).arg(current, previous)));
        }
        const int listNumber = model.listNumberAt(row);
        QVERIFY(listNumber != 0);
        QCOMPARE(cell(FormulaListModel::FormulaColumn).toString(), workspace.formulaList().row(listNumber).displayText);
        QCOMPARE(cell(FormulaListModel::KindColumn).toString(), QStringLiteral("生"));
        QCOMPARE(cell(FormulaListModel::ComputedColumn).toString(), workspace.computedValue(listNumber));
        QCOMPARE(cell(FormulaListModel::NumberColumn, Qt::BackgroundRole).value<QBrush>().color(),
                 listNumber == 2 ? QApplication::palette().color(QPalette::Button)
                                 : FormulaListModel::selectedColour());
    }

    // A second double click on the column reverses the order, a third restores it.
    const QList<int> ascending = listOrder();
    QVERIFY(model.sortByColumn(column));
    QList<int> reversed = ascending;
    std::reverse(reversed.begin(), reversed.end());
    QCOMPARE(listOrder(), reversed);
    QVERIFY(model.sortByColumn(column));
    QCOMPARE(listOrder(), ascending);

    // The next pass shows the list order again.
    QVERIFY(workspace.Yansuan());
    QVERIFY(!model.isSortedOrder());
    QCOMPARE(model.rowCount(), 3);
}

void ModelsTest::otherColumnsKeepTheOrder_data()
{
    QTest::addColumn<int>("column");
    for (int column = FormulaListModel::NumberColumn; column <= FormulaListModel::ComputedColumn; ++column)
        QTest::newRow(qPrintable(QStringLiteral("column %1").arg(column))) << column;
}

void ModelsTest::otherColumnsKeepTheOrder()
{
    QFETCH(int, column);
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 50));
    QVERIFY(m_session->start());
    Workspace& workspace = m_session->workspace();
    for (const char* text : {"第一码+9=下期生第一", "第一码+7=下期生第一", "第一码+3=下期杀第一"})
        QVERIFY(FormulaEntry(workspace).addTyped(QString::fromUtf8(text)));
    FormulaListModel model(workspace);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QVERIFY(!model.sortByColumn(column));
    QVERIFY(!model.isSortedOrder());
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, FormulaListModel::FormulaColumn).data().toString(),
             QStringLiteral("第一码+3=下期杀第一"));
}

void ModelsTest::unevaluableFormulaIsMarked()
{
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 40));
    QVERIFY(m_session->start());
    Workspace& workspace = m_session->workspace();
    // A code the engine cannot evaluate can only come from the table itself (an older import).
    QVERIFY(m_session->openDatabase()->formulas().append(
        1, {NewFormula{QStringLiteral("L1A+L2某某+5"), QStringLiteral("第一码+第二某某+5=下期生第一"), false,
                       std::nullopt, 1},
            NewFormula{QStringLiteral("L1A+5"), QStringLiteral("第一码+5=下期生第一"), false, std::nullopt,
                       2}}));
    QVERIFY(workspace.AddGongshi());
    QVERIFY(workspace.Yansuan());
    FormulaListModel model(workspace);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(model.rowCount(), 2);
    QVERIFY(model.index(0, FormulaListModel::FormulaColumn).data(Qt::FontRole).value<QFont>().italic());
    QCOMPARE(model.index(0, FormulaListModel::FormulaColumn).data(Qt::ForegroundRole).value<QBrush>().color(),
             QColor(Qt::gray));
    QCOMPARE(model.index(0, FormulaListModel::MaxHitsColumn).data(Qt::ToolTipRole).toString(),
             QStringLiteral("公式无法计算"));
    QVERIFY(model.index(0, FormulaListModel::ComputedColumn).data().toString().isEmpty());
    QCOMPARE(model.index(0, FormulaListModel::MaxHitsColumn).data().toString(), QStringLiteral("0"));

    QVERIFY(!model.index(1, FormulaListModel::FormulaColumn).data(Qt::FontRole).value<QFont>().italic());
    QVERIFY(!model.index(1, FormulaListModel::ComputedColumn).data().toString().isEmpty());
}

void ModelsTest::chanceFiguresAndToolTips()
{
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 4));
    QVERIFY(m_session->start());
    Workspace& workspace = m_session->workspace();
    QVERIFY(FormulaEntry(workspace).addTyped(QStringLiteral("第一码+5=下期杀第一")));
    FormulaListModel model(workspace);

    const FormulaListResult& result = workspace.formulaList().results().front();
    QCOMPARE(result.outcomes, 3); // three window draws: weights 1, 4, 9
    const ChanceBaseline::Figures figures = ChanceBaseline::figures(
        3, result.hits, result.statistics.maxMisses, result.statistics.maxHits, true);
    QCOMPARE(model.headerData(FormulaListModel::ChanceColumn, Qt::Horizontal).toString(), QStringLiteral("随机概率"));
    QCOMPARE(model.index(0, FormulaListModel::ChanceColumn).data().toString(),
             ChanceBaseline::percentText(ChanceBaseline::listChance(figures)));
    const QString chanceTip = model.index(0, FormulaListModel::ChanceColumn).data(Qt::ToolTipRole).toString();
    const QString weighted =
        QString::number(100.0 * double(result.hitWeight) / double(result.totalWeight), 'f', 2);
    QVERIFY2(chanceTip.contains(QStringLiteral("验证的3期中对了%1期").arg(result.hits)), qPrintable(chanceTip));
    QVERIFY2(chanceTip.contains(QStringLiteral("加权正确率") + weighted + QLatin1Char('%')), qPrintable(chanceTip));
    const QString missTip = model.index(0, FormulaListModel::MaxMissesColumn).data(Qt::ToolTipRole).toString();
    QVERIFY2(missTip.contains(ChanceBaseline::percentText(figures.maxMissChance)), qPrintable(missTip));
    QVERIFY(!model.index(0, FormulaListModel::LimitColumn).data(Qt::ToolTipRole).toString().isEmpty());
    // The formula column's tooltip is the whole text, however narrow the column.
    QCOMPARE(model.index(0, FormulaListModel::FormulaColumn).data(Qt::ToolTipRole).toString(),
             QStringLiteral("第一码+5=下期杀第一"));

    // An empty history gives no window to speak of.
    TestSession empty;
    QVERIFY(empty.start());
    QVERIFY(FormulaEntry(empty.workspace()).addTyped(QStringLiteral("第一码+5=下期杀第一")));
    FormulaListModel emptyModel(empty.workspace());
    QCOMPARE(emptyModel.index(0, FormulaListModel::LastHitsColumn).data(Qt::ToolTipRole).toString(),
             QStringLiteral("没有可验证的历史期数"));
    QVERIFY(emptyModel.index(0, FormulaListModel::ChanceColumn).data().toString().isEmpty());
}

QTEST_MAIN(ModelsTest)
#include "tst_models.moc"
