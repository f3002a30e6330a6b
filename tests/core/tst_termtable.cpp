#include "core/TermTable.h"

#include <QSet>
#include <QTest>

using namespace quorvel;

class TestTermTable : public QObject
{
    Q_OBJECT

private slots:
    void termsFollowTheRule_data();
    void termsFollowTheRule();
    void codesAreDistinctColumnNames();
    void codeLookup_data();
    void codeLookup();
    void positionNames_data();
    void positionNames();
};

void TestTermTable::termsFollowTheRule_data()
{
    QTest::addColumn<int>("index"); // 1-based, as the search numbers its operands
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");

    QTest::newRow("first term is the number of position 1") << 1 << "L1A"
                                                            << "第一码";
    QTest::newRow("position 8 number") << 8 << "L8A"
                                       << "第八码";
    QTest::newRow("size family starts at 9") << 9 << "L1B"
                                             << "第一大小";
    QTest::newRow("remainder of 5") << 28 << "L4D"
                                    << "第四5余";
    QTest::newRow("complement") << 57 << "L1H"
                                << "第一互补数";
    QTest::newRow("last of A..I") << 72 << "L8I"
                                  << "第八2指数方";
    QTest::newRow("cube family after I") << 73 << "L1J"
                                         << "第一立方";
    QTest::newRow("last cube") << 80 << "L8J"
                               << "第八立方";
    QTest::newRow("K family starts") << 81 << "L1K"
                                     << "连顺号";
    QTest::newRow("day sequence") << 87 << "L7K"
                                  << "本期号";
    QTest::newRow("K family ends with digit 0") << 90 << "L0K"
                                                << "年份";
    QTest::newRow("M family starts") << 91 << "L1M"
                                     << "和数";
    QTest::newRow("units of the sum") << 92 << "L2M"
                                      << "和数个位";
    QTest::newRow("M family ends with digit 0") << 100 << "L0M"
                                                << "奇数和";
    QTest::newRow("N family starts") << 101 << "L1N"
                                     << "合数个";
    QTest::newRow("N family ends") << 108 << "L8N"
                                   << "总跨度";
    QTest::newRow("neighbour sums") << 109 << "L1P"
                                    << "第一邻号和";
    QTest::newRow("last neighbour sum") << 116 << "L8P"
                                        << "第八邻号和";
    QTest::newRow("neighbour differences") << 117 << "L1Q"
                                           << "第一邻号差";
    QTest::newRow("last term") << 124 << "L8Q"
                               << "第八邻号差";
}

void TestTermTable::termsFollowTheRule()
{
    QFETCH(int, index);
    QFETCH(QString, code);
    QFETCH(QString, name);
    const Term& term = termTable()[index - 1];
    QCOMPARE(term.code, code);
    QCOMPARE(term.name, name);
    QCOMPARE(termIndexOfCode(code), index - 1);
}

void TestTermTable::codesAreDistinctColumnNames()
{
    QSet<QString> codes;
    QSet<QString> names;
    for (const Term& term : termTable()) {
        QCOMPARE(term.code.size(), 3);
        QCOMPARE(term.code.at(0), QLatin1Char('L'));
        QVERIFY2(term.code.at(1).isDigit(), qPrintable(term.code));
        QVERIFY2(term.code.at(2).isUpper(), qPrintable(term.code));
        QVERIFY2(!term.name.isEmpty(), qPrintable(term.code));
        codes.insert(term.code);
        names.insert(term.name);
    }
    QCOMPARE(codes.size(), kTermCount);
    QCOMPARE(names.size(), kTermCount);
    for (int p = 1; p <= kPositionCount; ++p)
        QCOMPARE(termTable()[numberTermIndex(p)].code, QStringLiteral("L%1A").arg(p));
}

void TestTermTable::codeLookup_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("index");

    QTest::newRow("lower case") << "l3k" << 82;
    QTest::newRow("mixed case") << "L0m" << 99;
    QTest::newRow("unknown letter") << "L1Z" << -1;
    QTest::newRow("per-draw digit beyond the family") << "L9N" << -1;
    QTest::newRow("position 9 does not exist") << "L9A" << -1;
    QTest::newRow("surrounding text is not a code") << "L1A+" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestTermTable::codeLookup()
{
    QFETCH(QString, code);
    QFETCH(int, index);
    QCOMPARE(termIndexOfCode(code), index);
}

void TestTermTable::positionNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("position");

    QTest::newRow("first") << "第一" << 1;
    QTest::newRow("eighth") << "第八" << 8;
    QTest::newRow("spaces around the name") << " 第三 " << 3;
    QTest::newRow("ninth is no position") << "第九" << 0;
    QTest::newRow("name with a suffix") << "第一码" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestTermTable::positionNames()
{
    QFETCH(QString, name);
    QFETCH(int, position);
    QCOMPARE(positionOfName(name), position);
    if (position > 0)
        QCOMPARE(positionName(position), name.trimmed());
}

QTEST_GUILESS_MAIN(TestTermTable)
#include "tst_termtable.moc"
