#include "formulas/FormulaTextExport.h"

#include <QTest>

using namespace quorvel;
using Row = FormulaTextExport::Row;

namespace {

const QString kDashes12(12, QChar(0x2014));
const QString kDashes14(14, QChar(0x2014));

using Separators = QList<QPair<int, int>>; // (line index, count) of every separator

std::vector<Row> rowsOfLength(int count, int length)
{
    std::vector<Row> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({QString(length, QLatin1Char('x')), i});
    return rows;
}

// Full-width blanks standing between the display text and "连准：".
qsizetype fillerOf(const QString& line, const QString& displayText)
{
    Q_ASSERT(line.startsWith(displayText));
    qsizetype n = 0;
    while (line.at(displayText.size() + n) == QChar(0x3000))
        ++n;
    return n;
}

// Indexes and counts of the separator lines.
Separators separators(const QStringList& lines)
{
    Separators found;
    for (int i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(kDashes12))
            continue;
        const qsizetype end = lines[i].indexOf(kDashes14, 12);
        found.append({i, lines[i].mid(12, end - 12).toInt()});
    }
    return found;
}

} // namespace

class TestFormulaTextExport : public QObject
{
    Q_OBJECT

private slots:
    void headerAndEmptyList();
    void separators_data();
    void separators();
    void shownListFiller();
    void allPositionsFillerAndCount();
};

void TestFormulaTextExport::headerAndEmptyList()
{
    QCOMPARE(FormulaTextExport::fileName(QStringLiteral("25120801")),
             QStringLiteral("25120801期Pellmor.txt"));
    const QStringList shown = FormulaTextExport::shownList({});
    QCOMPARE(shown, FormulaTextExport::allPositions({}));
    QCOMPARE(shown.size(), 5);
    QCOMPARE(shown[0], QStringLiteral("本组公式由《Zorvane》软件搜索而来"));
    for (const int i : {1, 2}) {
        QVERIFY(shown[i].startsWith(QString(10, QLatin1Char(' '))));
        QVERIFY(!shown[i].at(10).isSpace());
        QVERIFY(shown[i].contains(QStringLiteral("Quorvel")));
    }
    QCOMPARE(shown[3], QString());
    QVERIFY(shown[4].startsWith(kDashes12 + QStringLiteral("0") + kDashes14));
    QVERIFY(shown[4].contains(QStringLiteral("Quorvel")));
    // No header or separator line may read as a formula when the file is imported again.
    for (const QString& line : shown)
        QVERIFY(!line.contains(QStringLiteral("下期")) && !line.contains(QLatin1Char('[')));
}

void TestFormulaTextExport::separators_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<Separators>("expected");

    QTest::newRow("49 formulas: the final separator only") << 49 << Separators{{53, 49}};
    QTest::newRow("50 formulas: after the 50th and at the end") << 50 << Separators{{54, 50}, {55, 50}};
    QTest::newRow("51 formulas") << 51 << Separators{{54, 50}, {56, 51}};
    QTest::newRow("100 formulas") << 100 << Separators{{54, 50}, {105, 100}, {106, 100}};
}

void TestFormulaTextExport::separators()
{
    QFETCH(int, count);
    QFETCH(Separators, expected);

    const QStringList shown = FormulaTextExport::shownList(rowsOfLength(count, 6));
    QCOMPARE(::separators(shown), expected);
    QCOMPARE(shown.size(), 4 + count + expected.size());

    // All positions count across the positions: split the same formulas over positions 2 and 7.
    std::array<std::vector<Row>, kPositionCount> byPosition;
    byPosition[1] = rowsOfLength(count / 3, 6);
    byPosition[6] = rowsOfLength(count - count / 3, 6);
    QCOMPARE(::separators(FormulaTextExport::allPositions(byPosition)), expected);
}

void TestFormulaTextExport::shownListFiller()
{
    // First row 6 long: the target is 16 and every text ends one character past it.
    std::vector<Row> rows{{QStringLiteral("[第一杀]5"), 0},
                          {QStringLiteral("L1A+L2A+3+4+5+6"), 3},
                          {QStringLiteral("第一码+第二码+第三码+5=下期杀第一"), 12},
                          {QStringLiteral("1234567890123456"), 1}};
    QCOMPARE(rows[0].displayText.size(), 6);
    std::vector<Row> block = rows;
    block.resize(50, {QStringLiteral("x"), 0});
    block[49] = {QString(20, QLatin1Char('y')), 0}; // the 50th row sets the next target: 30
    block.push_back({QString(28, QLatin1Char('z')), 7});
    block.push_back({QString(31, QLatin1Char('w')), 0});

    const QStringList lines = FormulaTextExport::shownList(block);
    QCOMPARE(lines[4],
             QStringLiteral("[第一杀]5") + QString(11, QChar(0x3000)) + QStringLiteral("连准：0期"));
    QCOMPARE(fillerOf(lines[5], rows[1].displayText), 2); // 15 long -> 17
    QCOMPARE(fillerOf(lines[6], rows[2].displayText), 0); // longer than the target
    QCOMPARE(fillerOf(lines[7], rows[3].displayText), 1); // as long as the target -> 17
    QCOMPARE(fillerOf(lines[53], block[49].displayText), 0);
    QCOMPARE(fillerOf(lines[55], block[50].displayText), 3); // target taken again: 30 -> 31
    QCOMPARE(fillerOf(lines[56], block[51].displayText), 0);
    QVERIFY(lines[55].endsWith(QStringLiteral("连准：7期")));
}

void TestFormulaTextExport::allPositionsFillerAndCount()
{
    std::array<std::vector<Row>, kPositionCount> byPosition;
    byPosition[0] = {{QStringLiteral("第一码+5=下期杀第一"), 4}};
    byPosition[7] = {{QString(40, QLatin1Char('x')), 0}, {QStringLiteral("y"), 21}};
    const QStringList lines = FormulaTextExport::allPositions(byPosition);
    QCOMPARE(lines.size(), 4 + 3 + 1);
    QCOMPARE(lines[4], QStringLiteral("第一码+5=下期杀第一") + QString(11, QChar(0x3000)) +
                           QStringLiteral("连准：4期"));
    QCOMPARE(fillerOf(lines[5], byPosition[7][0].displayText), 11);
    QCOMPARE(lines[6], QStringLiteral("y") + QString(11, QChar(0x3000)) + QStringLiteral("连准：21期"));
    QVERIFY(lines[7].startsWith(kDashes12 + QStringLiteral("3") + kDashes14));
}

QTEST_GUILESS_MAIN(TestFormulaTextExport)
#include "tst_formulatextexport.moc"
