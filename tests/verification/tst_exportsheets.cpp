#include "oracle/SyntheticHistory.h"
#include "verification/ExportSheets.h"

#include <QTest>

using namespace quorvel;

Q_DECLARE_METATYPE(quorvel::DisplayMode)

namespace {

// Three draws: position 1 draws 9, 3, 1 and position 2 draws 3, 5, 7.
std::shared_ptr<const DrawTable> threeDraws()
{
    return std::make_shared<const DrawTable>(oracle::historyOf(
        {{9, 3, 1, 2, 4, 5, 6, 7}, {3, 5, 1, 2, 4, 6, 7, 8}, {1, 7, 2, 3, 4, 5, 6, 8}}, 5010101));
}

// A row's cells separated by "|": a number as it is, a text after "'", an empty cell as nothing,
// then "[b]" for the right fill, "[g]" for the wrong fill, "[RRGGBB]" for any other.
QString describe(const SheetGrid& grid, int row)
{
    std::vector<WorkbookCell> cells;
    grid.row(row, cells);
    QStringList texts;
    for (const WorkbookCell& cell : cells) {
        QString text;
        if (const double* number = std::get_if<double>(&cell.value))
            text = QString::number(*number);
        else if (const QString* written = std::get_if<QString>(&cell.value))
            text = u'\'' + *written;
        if (cell.fill)
            text += *cell.fill == kSheetRightFill ? QStringLiteral("[b]")
                    : *cell.fill == kSheetWrongFill
                        ? QStringLiteral("[g]")
                        : QStringLiteral("[%1]").arg(uint(*cell.fill), 6, 16, QChar(u'0'));
        texts << text;
    }
    return texts.join(u'|');
}

QStringList describeAll(const SheetGrid& grid)
{
    QStringList rows;
    for (int row = 0; row < grid.rowCount; ++row)
        rows << describe(grid, row);
    return rows;
}

HistorySheetResults keepResults(DisplayMode mode)
{
    return {1,
            mode,
            {{QStringLiteral("L2A"), false, QStringLiteral("第二码")}, {QStringLiteral("L9Z"), true, "坏"}}};
}

} // namespace

class TestExportSheets : public QObject
{
    Q_OBJECT

private slots:
    void historyWithoutResults();
    void historyWithResults_data();
    void historyWithResults();
    void historyHeadersAndEmptyHistory();
    void rankingByTotalThenNumber();
    void detailListKeepsItsEmptyRows();
    void calculationSteps();
};

void TestExportSheets::historyWithoutResults()
{
    const QStringList rows = describeAll(ExportSheets::history(threeDraws(), std::nullopt));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0], QStringLiteral("'期号|'第一|'第二|'第三|'第四|'第五|'第六|'第七|'第八"));
    // An issue with a leading zero keeps it as text; no fills anywhere.
    QCOMPARE(rows[1], QStringLiteral("'05010101|9|3|1|2|4|5|6|7"));
    QCOMPARE(rows[3], QStringLiteral("'05010103|1|7|2|3|4|5|6|8"));
}

void TestExportSheets::historyWithResults_data()
{
    QTest::addColumn<DisplayMode>("mode");
    QTest::addColumn<QStringList>("formulaCells"); // columns 10 and 11 of rows 1..4

    // Keep formula L2A names 3, 5, 7 against 9, 3, 1 drawn; L9Z does not evaluate.
    QTest::newRow("next draw: the emptied white cell gets the display text, no fill")
        << DisplayMode::NextDraw << QStringList{"'1公式|'2公式", "'第二码|'坏", "3[b]|", "5[g]|"};
    QTest::newRow("same draw: the display text keeps the cell's fill, the newest row has none")
        << DisplayMode::SameDraw << QStringList{"'1公式|'2公式", "'第二码[b]|'坏", "5[g]|", "7|"};
}

void TestExportSheets::historyWithResults()
{
    QFETCH(DisplayMode, mode);
    QFETCH(QStringList, formulaCells);
    const SheetGrid grid = ExportSheets::history(threeDraws(), keepResults(mode));
    QCOMPARE(grid.rowCount, 4);
    for (int row = 0; row < grid.rowCount; ++row)
        QCOMPARE(describe(grid, row).section(u'|', 9), formulaCells[row]);
    QCOMPARE(describe(grid, 2).section(u'|', 0, 8), QStringLiteral("'05010102|3|5|1|2|4|6|7|8"));
}

void TestExportSheets::historyHeadersAndEmptyHistory()
{
    // More draws than one slice of the sheet, and formula columns past 99.
    std::mt19937_64 random(11);
    const auto table = std::make_shared<const DrawTable>(oracle::randomHistory(600, random));
    HistorySheetResults results{2, DisplayMode::NextDraw, {}};
    for (int k = 1; k <= 101; ++k)
        results.formulas.push_back(
            {QStringLiteral("L1A+%1").arg(k), k % 2 == 0, QStringLiteral("f%1").arg(k)});
    const SheetGrid grid = ExportSheets::history(table, results);
    QCOMPARE(grid.rowCount, 601);
    std::vector<WorkbookCell> header;
    grid.row(0, header);
    QCOMPARE(header.size(), std::size_t(110));
    QCOMPARE(std::get<QString>(header[107].value), QStringLiteral("99公式"));
    QCOMPARE(std::get<QString>(header[109].value), QStringLiteral("101式"));
    const HistoryDisplay display(table, 2, DisplayMode::NextDraw, {{QStringLiteral("L1A+101"), false}});
    for (int row : {2, 513, 514, 600}) {
        std::vector<WorkbookCell> cells;
        grid.row(row, cells);
        const DisplayCell shown = display.cell(1, row - 1);
        QCOMPARE(std::get<double>(cells[109].value), double(*shown.number));
        QCOMPARE(cells[109].fill, std::optional<quint32>(shown.colour == CellColour::Blue ? kSheetRightFill
                                                                                          : kSheetWrongFill));
    }

    // Without draws the display texts still take the oldest draw's row.
    const QStringList empty = describeAll(
        ExportSheets::history(std::make_shared<const DrawTable>(), keepResults(DisplayMode::NextDraw)));
    QCOMPARE(empty.size(), 2);
    QCOMPARE(empty[1], QStringLiteral("|||||||||'第二码|'坏"));
    QCOMPARE(ExportSheets::history(std::make_shared<const DrawTable>(), std::nullopt).rowCount, 1);
}

void TestExportSheets::rankingByTotalThenNumber()
{
    std::vector<RankingTableRow> rows;
    for (int n = 1; n <= 20; ++n)
        rows.push_back({n, n == 12 || n == 4 ? 5 : n == 7 ? 9 : 0, 0, 0});
    const QStringList sheet = describeAll(ExportSheets::ranking(rows));
    QCOMPARE(sheet.size(), 21);
    QCOMPARE(sheet[0], QStringLiteral("'排序序号|'号码|'杀留Err值（公式错误值）"));
    QCOMPARE(sheet[1], QStringLiteral("1|7|9"));
    QCOMPARE(sheet[2], QStringLiteral("2|4|5"));
    QCOMPARE(sheet[3], QStringLiteral("3|12|5"));
    QCOMPARE(sheet[4], QStringLiteral("4|1|0"));
    QCOMPARE(sheet[20], QStringLiteral("20|20|0"));
    QCOMPARE(describeAll(ExportSheets::ranking({})).size(), 1);
}

void TestExportSheets::detailListKeepsItsEmptyRows()
{
    DetailList list;
    list.rowCount = 3;
    list.rows.push_back(
        {1, QStringLiteral("[第一生]第一码+3"), QStringLiteral("第一"), QStringLiteral("生"), "7"});
    list.rows.push_back(
        {2, QStringLiteral("L1A+3"), QStringLiteral("第一"), QStringLiteral("生"), QString()});
    QCOMPARE(describeAll(ExportSheets::detailList(list)),
             (QStringList{"'序号|'公式|'类型|'生杀|'结果", "1|'[第一生]第一码+3|'第一|'生|7",
                          "2|'L1A+3|'第一|'生|", ""}));
}

void TestExportSheets::calculationSteps()
{
    const QStringList rows = describeAll(
        ExportSheets::calculationSteps(QStringLiteral("L1A+L2A+7"), "第一码+第二码+7", threeDraws()));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0], QStringLiteral("'期号|'当期号码|'第一码+第二码+7|'计算值(算下期)"));
    QCOMPARE(rows[1], QStringLiteral("'05010101|'09 03 01 02 04 05 06 07|'9+3+7|19"));
    QCOMPARE(rows[3], QStringLiteral("'05010103|'01 07 02 03 04 05 06 08|'1+7+7|15"));
}

QTEST_GUILESS_MAIN(TestExportSheets)
#include "tst_exportsheets.moc"
