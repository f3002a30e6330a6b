#include "formulas/CompiledFormula.h"
#include "oracle/SyntheticHistory.h"
#include "verification/HistoryDisplay.h"

#include <QTest>

#include <random>

using namespace quorvel;

Q_DECLARE_METATYPE(quorvel::DisplayMode)

namespace {

// Three draws: position 1 draws 9, 3, 1 and position 2 draws 3, 5, 7.
std::shared_ptr<const DrawTable> threeDraws()
{
    return std::make_shared<const DrawTable>(
        oracle::historyOf({{9, 3, 1, 2, 4, 5, 6, 7}, {3, 5, 1, 2, 4, 6, 7, 8}, {1, 7, 2, 3, 4, 5, 6, 8}}));
}

// Cells written VALUE:COLOUR with b blue, g green, w white and - none.
QString describe(const DisplayColumn& column)
{
    QStringList cells;
    for (int t = 0; t < column.drawCount(); ++t) {
        const DisplayCell cell = column.cell(t);
        cells << HistoryDisplay::cellText(cell) + u':' + QChar("-bgw"[int(cell.colour)]);
    }
    return cells.join(u' ');
}

} // namespace

class TestHistoryDisplay : public QObject
{
    Q_OBJECT

private slots:
    void cells_data();
    void cells();
    void columnsAreKeptWithinBounds();
    void slicesGiveTheWholeColumn_data();
    void slicesGiveTheWholeColumn();
    void scrollAndHeaders();
};

void TestHistoryDisplay::cells_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("kill");
    QTest::addColumn<DisplayMode>("mode");
    QTest::addColumn<QString>("cells");

    const DisplayMode next = DisplayMode::NextDraw;
    const DisplayMode same = DisplayMode::SameDraw;
    QTest::newRow("next draw, keep 3, 5, 7 against 9, 3, 1") << "L2A" << false << next << ":w 3:b 5:g";
    QTest::newRow("same draw, keep 3, 5, 7 against 9, 3, 1") << "L2A" << false << same << "3:b 5:g 7:-";
    QTest::newRow("next draw, kill: right where the number was not drawn")
        << "L2A" << true << next << ":w 3:g 5:b";
    QTest::newRow("values 23, 25, 27 show folded") << "L2A+20" << false << same << "3:b 5:g 7:-";
    QTest::newRow("folds of 0 or less are shown, kill right") << "L2A-10" << true << next << ":w -7:b -5:b";
    QTest::newRow("next draw, an empty value is a miss") << "1/0" << false << next << ":w :g :g";
    QTest::newRow("same draw, an empty value is a miss") << "1/0" << true << same << ":g :g :-";
    QTest::newRow("a code that does not evaluate shows nothing") << "L1A+L9Z" << true << next << ":w :- :-";
}

void TestHistoryDisplay::cells()
{
    QFETCH(QString, code);
    QFETCH(bool, kill);
    QFETCH(DisplayMode, mode);
    QFETCH(QString, cells);
    const HistoryDisplay display(threeDraws(), 1, mode, {{QStringLiteral("L3A"), false}, {code, kill}});
    QCOMPARE(describe(*display.column(2)), cells);
    QCOMPARE(display.cell(2, 1).number, display.column(2)->cell(1).number);
}

void TestHistoryDisplay::columnsAreKeptWithinBounds()
{
    const HistoryDisplay display(
        threeDraws(), 1, DisplayMode::NextDraw,
        {{QStringLiteral("L1A"), false}, {QStringLiteral("L2A"), false}, {QStringLiteral("L3A"), false}}, 2);
    const std::shared_ptr<const DisplayColumn> first = display.column(1);
    QCOMPARE(display.column(1), first);
    display.column(2);
    display.column(3); // the first column is dropped, not the second
    QVERIFY(display.column(1) != first);
    QCOMPARE(describe(*display.column(1)), describe(*first));
    QCOMPARE(display.column(4)->drawCount(), 0);
}

void TestHistoryDisplay::slicesGiveTheWholeColumn_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<DisplayMode>("mode");

    QTest::newRow("term sum, next draw") << "L1A+L3B+L2K+7" << DisplayMode::NextDraw;
    QTest::newRow("term sum, same draw") << "L1A+L3B+L2K+7" << DisplayMode::SameDraw;
    QTest::newRow("general expression, next draw") << "L1A*3-L2B/2" << DisplayMode::NextDraw;
    QTest::newRow("general expression, same draw") << "L1A*3-L2B/2" << DisplayMode::SameDraw;
    QTest::newRow("empty values") << "L1A/(L2A-L2A)" << DisplayMode::SameDraw;
}

void TestHistoryDisplay::slicesGiveTheWholeColumn()
{
    // Slices of any length, starting anywhere, hold the cells of the whole column.
    QFETCH(QString, code);
    QFETCH(DisplayMode, mode);
    std::mt19937_64 random(7);
    const DrawTable table(oracle::randomHistory(70, random));
    const DisplayColumn whole = HistoryDisplay::computeColumn(table, 3, mode, {code, true});
    const Result<CompiledFormula> compiled = CompiledFormula::compile(code);
    QVERIFY(compiled.ok());
    for (const auto& [first, count] :
         {std::pair{0, 70}, {0, 1}, {1, 1}, {0, 32}, {32, 32}, {64, 6}, {69, 1}}) {
        std::vector<DisplayCell> slice(static_cast<std::size_t>(count));
        HistoryDisplay::computeCells(table, 3, mode, &*compiled, true, first, slice);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(slice[std::size_t(i)].number, whole.cell(first + i).number);
            QCOMPARE(slice[std::size_t(i)].colour, whole.cell(first + i).colour);
        }
    }
}

void TestHistoryDisplay::scrollAndHeaders()
{
    QCOMPARE(HistoryDisplay::scrollMaximum(0), 1);
    QCOMPARE(HistoryDisplay::scrollMaximum(500), 1);
    QCOMPARE(HistoryDisplay::scrollMaximum(501), 501);
    QCOMPARE(HistoryDisplay::scrollMaximum(5000), 4501);
    QCOMPARE(HistoryDisplay::formulaHeader(99), QStringLiteral("99公式"));
    QCOMPARE(HistoryDisplay::formulaHeader(100), QStringLiteral("100式"));
}

QTEST_GUILESS_MAIN(TestHistoryDisplay)
#include "tst_historydisplay.moc"
