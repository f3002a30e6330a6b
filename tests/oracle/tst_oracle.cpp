#include "oracle/Oracle.h"
#include "oracle/StatisticsPrinting.h"
#include "oracle/SyntheticHistory.h"

#include <QTest>

using namespace quorvel;

class TestOracle : public QObject
{
    Q_OBJECT

private slots:
    void rewrite_data();
    void rewrite();
    void modulo_data();
    void modulo();
    void statementsOnATinyHistory();
};

void TestOracle::rewrite_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("statement");

    QTest::newRow("term sum, constants become reals") << "L1A+L2B+3"
                                                      << "L1A + L2B + 3.0";
    QTest::newRow("negative constant after plus") << "L1A+L3B+-2"
                                                  << "L1A + L3B + - 2.0";
    QTest::newRow("double minus is not a comment") << "L1A--3"
                                                   << "L1A - - 3.0";
    QTest::newRow("division of constants divides as reals") << "7/2"
                                                            << "7.0 / 2.0";
    QTest::newRow("MOD binds looser than *") << "L1A*L2A MOD 7"
                                             << "MOD(L1A * L2A, 7.0)";
    QTest::newRow("MOD binds looser than / on its right") << "L1A MOD L2A/2"
                                                          << "MOD(L1A, L2A / 2.0)";
    QTest::newRow("MOD binds tighter than + and -") << "L1A+L2A MOD 7-1"
                                                    << "L1A + MOD(L2A, 7.0) - 1.0";
    QTest::newRow("chained MOD from the left") << "L1A mod 7 Mod 3"
                                               << "MOD(MOD(L1A, 7.0), 3.0)";
    QTest::newRow("unary minus before MOD operand") << "-L1A MOD 7"
                                                    << "MOD(- L1A, 7.0)";
    QTest::newRow("parentheses kept") << "(L1A+L2A) MOD (L3A-1)"
                                      << "MOD((L1A + L2A), (L3A - 1.0))";
    QTest::newRow("bracketed names of the hit rule") << "((([PreCanshu] - 1) MOD 20) + 1)"
                                                     << "((MOD(([PreCanshu] - 1.0), 20.0)) + 1.0)";
    QTest::newRow("not of the grammar stays as it is") << "L1A+L2某某+5"
                                                       << "L1A+L2某某+5";
    QTest::newRow("dangling operator stays as it is") << "L1A+"
                                                      << "L1A+";
}

void TestOracle::rewrite()
{
    QFETCH(QString, code);
    QFETCH(QString, statement);
    QCOMPARE(oracle::sqliteExpression(code), statement);
}

void TestOracle::modulo_data()
{
    QTest::addColumn<std::optional<double>>("dividend");
    QTest::addColumn<std::optional<double>>("divisor");
    QTest::addColumn<std::optional<double>>("remainder");

    using Number = std::optional<double>;
    QTest::newRow("39 MOD 20 is 19") << Number(39) << Number(20) << Number(19);
    QTest::newRow("sign of the dividend: -21 MOD 20 is -1") << Number(-21) << Number(20) << Number(-1);
    QTest::newRow("sign of the dividend: 21 MOD -20 is 1") << Number(21) << Number(-20) << Number(1);
    QTest::newRow("-20 MOD 20 is 0") << Number(-20) << Number(20) << Number(0);
    QTest::newRow("operands rounded half to even: 2.5 MOD 2 is 0") << Number(2.5) << Number(2) << Number(0);
    QTest::newRow("operands rounded half to even: 3.5 MOD 3 is 1") << Number(3.5) << Number(3) << Number(1);
    QTest::newRow("divisor rounding to 0 gives empty") << Number(7) << Number(0.4) << Number();
    QTest::newRow("divisor 0 gives empty") << Number(7) << Number(0) << Number();
    QTest::newRow("empty dividend gives empty") << Number() << Number(3) << Number();
    QTest::newRow("empty divisor gives empty") << Number(3) << Number() << Number();
}

void TestOracle::modulo()
{
    QFETCH(std::optional<double>, dividend);
    QFETCH(std::optional<double>, divisor);
    QFETCH(std::optional<double>, remainder);
    QCOMPARE(oracle::modulo(dividend, divisor), remainder);
}

void TestOracle::statementsOnATinyHistory()
{
    // Numbers at position 1: 3, 20, 7, 20, 20, 3. L1A+L1H+20 is 40 everywhere and claims 20.
    std::vector<DrawNumbers> numbers;
    for (const int first : {3, 20, 7, 20, 20, 3}) {
        DrawNumbers drawn{first, 0, 0, 0, 0, 0, 0, 0};
        int next = 1;
        for (int p = 1; p < kPositionCount; ++p) {
            if (next == first)
                ++next;
            drawn[std::size_t(p)] = next++;
        }
        numbers.push_back(drawn);
    }
    oracle::Oracle reference(oracle::historyOf(numbers));
    QCOMPARE(reference.drawCount(), 6);

    const FormulaVerdict kill = reference.verify(QStringLiteral("L1A+L1H+20"), 1, true, {0, true, true});
    QVERIFY(kill.evaluable);
    QCOMPARE(kill.statistics, (RunStatistics{2, 1, 0, 1})); // miss, hit, miss, miss, hit
    QCOMPARE(kill.hitWeight, qint64(4 + 25));
    QCOMPARE(kill.totalWeight, qint64(55));
    QCOMPARE(kill.computedValue, std::optional<int>(20));
    const oracle::Oracle::Columns columns = reference.columns();
    QCOMPARE(columns.canshu[5], std::optional<double>(40));
    QCOMPARE(columns.preCanshu[1], std::optional<qint64>(40));
    QCOMPARE(columns.gscs, (std::vector<bool>{false, false, true, false, false, true}));

    // The window of N = 2 with B off holds the newest three draws.
    QCOMPARE(reference.recount({2, false, false}).statistics, (RunStatistics{2, 1, 0, 1}));
    QCOMPARE(reference.recount({2, true, false}).statistics, (RunStatistics{1, 1, 0, 1}));

    // The search's variant writes the folded number and counts N + 1 outcomes.
    QCOMPARE(reference.verifyCandidate(QStringLiteral("L1A+L1H+20"), 1, false, 1),
             (RunStatistics{1, 1, 1, 0}));
    QCOMPARE(reference.columns().preCanshu[1], std::optional<qint64>(20));
    QCOMPARE(reference.columns().gsgl, (std::vector<bool>{false, true, false, true, true, false}));

    QVERIFY(!reference.verify(QStringLiteral("L1A+L9Z"), 1, true, {0, true, true}).evaluable);
    QVERIFY(!reference.verifyCandidate(QStringLiteral("L1A+L9Z"), 1, true, 0));
}

QTEST_GUILESS_MAIN(TestOracle)
#include "tst_oracle.moc"
