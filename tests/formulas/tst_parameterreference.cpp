#include "core/DrawParameters.h"
#include "formulas/ParameterReference.h"

#include <QTest>

using namespace quorvel;

class TestParameterReference : public QObject
{
    Q_OBJECT

private slots:
    void valuesOfNewestDraw_data();
    void valuesOfNewestDraw();
    void layout();
};

void TestParameterReference::valuesOfNewestDraw_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");

    QTest::newRow("号码 of position 1") << 1 << 1 << "3";
    QTest::newRow("号码 of position 8") << 1 << 8 << "17";
    QTest::newRow("十段 of 3") << 6 << 1 << "2";
    QTest::newRow("2指数方 of 20") << 9 << 5 << "1048576";
    QTest::newRow("立方 of 20") << 10 << 5 << "8000";
    QTest::newRow("邻号和 of position 1") << 11 << 1 << "21";
    QTest::newRow("邻号差 of position 1") << 12 << 1 << "13";
    QTest::newRow("连顺号") << 13 << 9 << "1";
    QTest::newRow("前期号 of the online path") << 17 << 9 << "4";
    QTest::newRow("年份") << 22 << 9 << "2025";
    QTest::newRow("和数") << 23 << 9 << "85";
    QTest::newRow("奇数和") << 32 << 9 << "55";
    QTest::newRow("重上期个") << 37 << 9 << "4";
    QTest::newRow("总跨度") << 40 << 9 << "17";
    QTest::newRow("per-position row in 总位 is empty") << 1 << 9 << "";
    QTest::newRow("per-draw row in a position is empty") << 13 << 1 << "";
}

void TestParameterReference::valuesOfNewestDraw()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    const Draw newest = makeDraw({3, 4, 6, 15, 20, 11, 9, 17}, 25120705,
                                 DrawNumbers{4, 15, 8, 1, 19, 20, 11, 2}, 84, EntryPath::Online);
    QCOMPARE(ParameterReference::cells(newest)[std::size_t(row)][std::size_t(column)], text);
}

void TestParameterReference::layout()
{
    const ParameterReference::Grid empty = ParameterReference::cells(std::nullopt);
    QCOMPARE(empty[0][0], QString());
    QCOMPARE(empty[0][1], QStringLiteral("第一"));
    QCOMPARE(empty[0][8], QStringLiteral("第八"));
    QCOMPARE(empty[0][9], QStringLiteral("总位"));
    QCOMPARE(empty[1][0], QStringLiteral("号码"));
    QCOMPARE(empty[6][0], QStringLiteral("五段段数（4个数1段）"));
    QCOMPARE(empty[24][0], QStringLiteral("和数个位"));
    QCOMPARE(empty[35][0], QStringLiteral("合数合"));
    QCOMPARE(empty[39][0], QStringLiteral("最大跨度"));
    QCOMPARE(empty[40][0], QStringLiteral("总跨度"));

    // Every value cell of a draw is filled and names a parameter; 8 x 12 + 28 = 124 of them.
    const ParameterReference::Grid full = ParameterReference::cells(
        makeDraw({1, 2, 3, 4, 5, 6, 7, 8}, 25120701, std::nullopt, 84, EntryPath::Manual));
    QSet<QString> codes;
    for (int row = 1; row < ParameterReference::kRowCount; ++row) {
        for (int column = 1; column < ParameterReference::kColumnCount; ++column) {
            QVERIFY(empty[row][column].isEmpty());
            const QString code = ParameterReference::codeAt(row, column);
            QCOMPARE(full[row][column].isEmpty(), code.isEmpty());
            if (!code.isEmpty())
                codes.insert(code);
        }
    }
    QCOMPARE(codes.size(), 124);
    QCOMPARE(ParameterReference::codeAt(22, 9), QStringLiteral("L0K"));
    QCOMPARE(ParameterReference::codeAt(32, 9), QStringLiteral("L0M"));
    QCOMPARE(ParameterReference::columnWidthTwips(0), 2000);
    QCOMPARE(ParameterReference::columnWidthTwips(4), 600);
    QCOMPARE(ParameterReference::columnWidthTwips(9), 800);
}

QTEST_GUILESS_MAIN(TestParameterReference)
#include "tst_parameterreference.moc"
