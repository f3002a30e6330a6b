#include "search/FoundListExport.h"

#include <QTest>

using namespace quorvel;

class TestFoundListExport : public QObject
{
    Q_OBJECT

private slots:
    void separators_data();
    void separators();
};

void TestFoundListExport::separators_data()
{
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<QList<int>>("separators"); // the counts the separators carry, in order

    QTest::newRow("empty list: one separator carrying 0") << 0 << QList<int>{0};
    QTest::newRow("49 lines: only the final one") << 49 << QList<int>{49};
    QTest::newRow("100 lines: after 50 and 100, and the final one") << 100 << QList<int>{50, 100, 100};
    QTest::newRow("101 lines") << 101 << QList<int>{50, 100, 101};
}

void TestFoundListExport::separators()
{
    QFETCH(int, lineCount);
    QFETCH(QList<int>, separators);

    QStringList list;
    for (int i = 1; i <= lineCount; ++i)
        list << QStringLiteral("[第一杀]第一码+%1").arg(i);
    const QStringList lines = FoundListExport::lines(list);

    QCOMPARE(lines.at(0), QStringLiteral("本组公式由《Quorvel》软件搜索而来"));
    QVERIFY(lines.at(3).isEmpty());
    QCOMPARE(lines.size(), 4 + lineCount + separators.size());
    // After the header, formula lines in order with a separator after every 50th.
    int formula = 0;
    QList<int> carried;
    for (qsizetype i = 4; i < lines.size(); ++i) {
        if (lines.at(i).startsWith(QString(12, QChar(0x2014)))) {
            carried << lines.at(i).mid(12).section(QChar(0x2014), 0, 0).toInt();
            QCOMPARE(lines.at(i), FoundListExport::separator(carried.back()));
            QVERIFY(lines.at(i).contains(QString::number(carried.back()) + QString(14, QChar(0x2014))));
        } else {
            QCOMPARE(lines.at(i), list.at(formula++));
        }
    }
    QCOMPARE(carried, separators);
    QCOMPARE(FoundListExport::fileName(QStringLiteral("24061208")),
             QStringLiteral("24061208期快乐十分公式.txt"));
}

QTEST_GUILESS_MAIN(TestFoundListExport)
#include "tst_foundlistexport.moc"
