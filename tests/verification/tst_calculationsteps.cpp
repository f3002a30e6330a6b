#include "core/TermTable.h"
#include "oracle/SyntheticHistory.h"
#include "verification/CalculationSteps.h"

#include <QTest>

using namespace quorvel;

namespace {

// One draw whose parameters are 0 except those written "CODE=value", blank-separated.
DrawTable drawWith(const QString& values)
{
    Draw draw;
    draw.issue = 24010101;
    for (const QString& assignment : values.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList codeAndValue = assignment.split(u'=');
        draw.values[std::size_t(termIndexOfCode(codeAndValue[0]))] = codeAndValue[1].toInt();
    }
    return DrawTable({draw});
}

} // namespace

class TestCalculationSteps : public QObject
{
    Q_OBJECT

private slots:
    void row_data();
    void row();
    void drawColumns();
};

void TestCalculationSteps::row_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("values");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");
    QTest::addColumn<qint64>("termSum");

    const QString l1a4 = QStringLiteral("L1A=4 L3B=2 L2K=1 L3A=1");
    QTest::newRow("column terms and a number") << "L1A+L3B+L2K+7" << l1a4 << "4+2+1+7"
                                               << "14" << qint64(14);
    QTest::newRow("remainder term") << "L1A+(L5M MOD 5)+3"
                                    << "L1A=9 L5M=37"
                                    << "9+2+3"
                                    << "14" << qint64(14);
    QTest::newRow("the last term as written") << "L1A+L3B" << l1a4 << "4+L3B"
                                              << "6" << qint64(6);
    QTest::newRow("terms are classified after trimming") << "L1A+ (L5M MOD 5) +3"
                                                         << "L1A=9 L5M=37"
                                                         << "9+2+3"
                                                         << "14" << qint64(14);
    QTest::newRow("a negative number before the last term") << "L1A+-3+L3B" << l1a4 << "4+-3+L3B"
                                                            << "3" << qint64(3);
    QTest::newRow("a product before the last term stands as written") << "L1A*2+L3B" << l1a4 << "L1A*2+L3B"
                                                                      << "10" << qint64(2);
    QTest::newRow("a code without + is one last term") << "L1A*2-L3A" << l1a4 << "L1A*2-L3A"
                                                       << "7" << qint64(0);
    QTest::newRow("a leading minus stands as written") << "-L1A+L3B" << l1a4 << "-L1A+L3B"
                                                       << "-2" << qint64(2);
    QTest::newRow("a remainder written otherwise stands as written") << "L1A+(L5M mod 5)+3"
                                                                     << "L1A=9 L5M=37"
                                                                     << "9+(L5M mod 5)+3"
                                                                     << "14" << qint64(12);
    QTest::newRow("2指数方 terms beyond 16 bits") << "L1I+L2I+L3I"
                                                  << "L1I=1048576 L2I=524288 L3I=262144"
                                                  << "1048576+524288+L3I"
                                                  << "1835008" << qint64(1835008);
    QTest::newRow("a fraction written with up to 6 decimals") << "L1A/3" << l1a4 << "L1A/3"
                                                              << "1.333333" << qint64(0);
    QTest::newRow("a division by zero has no value") << "L1A+L3B/L3C" << l1a4 << "4+L3B/L3C"
                                                     << "" << qint64(4);
}

void TestCalculationSteps::row()
{
    QFETCH(QString, code);
    QFETCH(QString, values);
    QFETCH(QString, text);
    QFETCH(QString, value);
    QFETCH(qint64, termSum);
    const std::vector<CalculationStepRow> rows = CalculationSteps(code).rows(drawWith(values));
    QCOMPARE(int(rows.size()), 1);
    QCOMPARE(rows.front().text, text);
    QCOMPARE(rows.front().value, value);
    QCOMPARE(rows.front().termSum, termSum);
}

void TestCalculationSteps::drawColumns()
{
    const DrawTable table(
        oracle::historyOf({{3, 15, 7, 20, 1, 9, 12, 18}, {1, 2, 3, 4, 5, 6, 7, 8}}, 24010209));
    const std::vector<CalculationStepRow> rows = CalculationSteps(QStringLiteral("L1A+L2A")).rows(table);
    QCOMPARE(int(rows.size()), 2);
    QCOMPARE(rows[0].issue, QStringLiteral("24010209"));
    QCOMPARE(rows[0].numbers, QStringLiteral("03 15 07 20 01 09 12 18"));
    QCOMPARE(rows[1].text, QStringLiteral("1+L2A"));
    QCOMPARE(CalculationSteps::headers(QStringLiteral("第一码+第二码")),
             (QStringList{"期号", "当期号码", "第一码+第二码", "计算值(算下期)"}));
}

QTEST_GUILESS_MAIN(TestCalculationSteps)
#include "tst_calculationsteps.moc"
