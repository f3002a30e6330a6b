#include "core/DrawParameters.h"
#include "core/LotteryType.h"
#include "core/TermTable.h"
#include "formulas/CompiledFormula.h"
#include "formulas/NumberRules.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using namespace quorvel;

namespace {

// Three draws with hand-picked values: L1A = 7, 2, 5; L2A = 2, 0, 3; L3A = 3, 4, -7.
DrawTable smallTable()
{
    std::vector<Draw> draws(3);
    const int l1a[] = {7, 2, 5};
    const int l2a[] = {2, 0, 3};
    const int l3a[] = {3, 4, -7};
    for (int i = 0; i < 3; ++i) {
        draws[i].issue = 24010101 + i;
        draws[i].values[termIndexOfCode(u"L1A")] = l1a[i];
        draws[i].values[termIndexOfCode(u"L2A")] = l2a[i];
        draws[i].values[termIndexOfCode(u"L3A")] = l3a[i];
    }
    return DrawTable(draws);
}

// Every real history of the test data, each file's parameters computed from its own previous
// draw, one after another.
std::vector<Draw> realDraws()
{
    std::vector<Draw> draws;
    const QStringList files =
        QDir(QStringLiteral(QUORVEL_TEST_DATA)).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        QFile file(QStringLiteral(QUORVEL_TEST_DATA) + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        std::optional<DrawNumbers> previous;
        while (!file.atEnd()) {
            const QList<QByteArray> fields = file.readLine().simplified().split(' ');
            if (fields.size() != 1 + kPositionCount)
                continue;
            DrawNumbers numbers{};
            for (int p = 0; p < kPositionCount; ++p)
                numbers[p] = fields[p + 1].toInt();
            draws.push_back(
                makeDraw(numbers, fields[0].toInt(), previous, kDefaultDrawsPerDay, EntryPath::Manual));
            previous = numbers;
        }
    }
    return draws;
}

bool sameValue(double actual, double expected)
{
    if (std::isnan(expected))
        return std::isnan(actual);
    // A whole 0 must not come out as -0 (it would show as "-0").
    if (expected == 0)
        return actual == 0 && !std::signbit(actual);
    return std::fabs(actual - expected) <= 1e-12 * std::max(1.0, std::fabs(expected));
}

const double empty = kEmptyValue;

} // namespace

class TestCompiledFormula : public QObject
{
    Q_OBJECT

private slots:
    void compile_data();
    void compile();
    void evaluate_data();
    void evaluate();
    void termSum_data();
    void termSum();
    void fastPathMatchesGeneralPathOnRealDraws();
    void nestedExpressionOverManyBlocks();
};

void TestCompiledFormula::compile_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("nodeCount");

    QTest::newRow("search shape") << "L1A+L3B+L2K+7" << true << 7;
    QTest::newRow("negative constant is one node") << "L1A+L3B+-2" << true << 5;
    QTest::newRow("lower case codes and keyword") << "l1a mod 3+l0k" << true << 5;
    QTest::newRow("bracketed column codes") << "[L1A]+[l8q]" << true << 3;
    QTest::newRow("spaces everywhere") << " ( L1A +  2 ) * - L2B " << true << 6;
    QTest::newRow("unary plus and double minus") << "+L1A - -5" << true << 3;
    QTest::newRow("largest 64-bit constant") << "9223372036854775807" << true << 1;
    QTest::newRow("nested parentheses") << "((L1A+L2B)*(L3C-L4D))/(L5E MOD 7)" << true << 11;

    QTest::newRow("trailing operator") << "L1A+" << false << 0;
    QTest::newRow("unknown column code") << "L9Z" << false << 0;
    QTest::newRow("double operator") << "L1A**2" << false << 0;
    QTest::newRow("decimal constant") << "2.5" << false << 0;
    QTest::newRow("unclosed parenthesis") << "(L1A" << false << 0;
    QTest::newRow("extra closing parenthesis") << "L1A)" << false << 0;
    QTest::newRow("two operands without operator") << "L1A L2A" << false << 0;
    QTest::newRow("constant glued to a code") << "2L1A" << false << 0;
    QTest::newRow("empty code") << "" << false << 0;
    QTest::newRow("unclosed square bracket") << "[L1A+2" << false << 0;
    QTest::newRow("Chinese name left in the code") << "L1A+L2某某+5" << false << 0;
    QTest::newRow("equals sign") << "L1A+5=" << false << 0;
    QTest::newRow("constant beyond 64 bits") << "9223372036854775808" << false << 0;
    QTest::newRow("MOD without left operand") << "MOD 3" << false << 0;
    QTest::newRow("MOD without right operand") << "L1A MOD" << false << 0;
    QTest::newRow("nesting too deep")
        << QString(500, QLatin1Char('(')) + "1" + QString(500, QLatin1Char(')')) << false << 0;
}

void TestCompiledFormula::compile()
{
    QFETCH(QString, code);
    QFETCH(bool, valid);
    QFETCH(int, nodeCount);

    const Result<CompiledFormula> formula = CompiledFormula::compile(code);
    QCOMPARE(formula.ok(), valid);
    if (valid) {
        QCOMPARE(formula->nodeCount(), nodeCount);
    } else {
        QVERIFY2(formula.error().startsWith(QStringLiteral("无法识别的公式代码: ")),
                 qPrintable(formula.error()));
        QVERIFY(formula.error().size() > QStringLiteral("无法识别的公式代码: ").size() + code.size());
    }
}

void TestCompiledFormula::evaluate_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QList<double>>("values");

    // a = L1A = 7, 2, 5; b = L2A = 2, 0, 3; c = L3A = 3, 4, -7
    QTest::newRow("real division 7/2 is 3.5") << "7/2" << QList<double>{3.5, 3.5, 3.5};
    QTest::newRow("division by a column that is 0 is empty")
        << "L1A/L2A" << QList<double>{3.5, empty, 5.0 / 3};
    QTest::newRow("empty value propagates") << "L1A/L2A*2+1" << QList<double>{8, empty, 10.0 / 3 + 1};
    QTest::newRow("MOD by a column that is 0 is empty") << "L1A MOD L2A" << QList<double>{1, empty, 2};
    QTest::newRow("MOD keeps the dividend's sign") << "L3A MOD 3" << QList<double>{0, 1, -1};
    QTest::newRow("-7 MOD 3 is -1") << "-7 MOD 3" << QList<double>{-1, -1, -1};
    QTest::newRow("7 MOD -3 is 1") << "7 MOD -3" << QList<double>{1, 1, 1};
    QTest::newRow("MOD rounds 2.5 down to even") << "5/2 MOD 3" << QList<double>{2, 2, 2};
    QTest::newRow("MOD rounds 3.5 up to even") << "7/2 MOD 3" << QList<double>{1, 1, 1};
    QTest::newRow("MOD rounds its divisor") << "8 MOD (5/2)" << QList<double>{0, 0, 0};
    QTest::newRow("MOD binds tighter than + and -") << "L1A + L2A * L3A MOD 4 - 1" << QList<double>{8, 1, 3};
    QTest::newRow("MOD binds looser than *") << "2 * 5 MOD 3" << QList<double>{1, 1, 1};
    QTest::newRow("MOD binds looser than /") << "9 / 3 MOD 2" << QList<double>{1, 1, 1};
    QTest::newRow("MOD is left-associative") << "17 MOD 7 MOD 2" << QList<double>{1, 1, 1};
    QTest::newRow("subtraction is left-associative") << "10 - 3 - 2" << QList<double>{5, 5, 5};
    QTest::newRow("division is left-associative") << "L1A / 2 / 2" << QList<double>{1.75, 0.5, 1.25};
    QTest::newRow("* before +") << "1 + L1A * L2A" << QList<double>{15, 1, 16};
    QTest::newRow("parentheses first") << "(L1A + L2A) * L3A" << QList<double>{27, 8, -56};
    QTest::newRow("unary minus on a column") << "-L1A + 10" << QList<double>{3, 8, 5};
    QTest::newRow("unary minus on a parenthesis") << "-(L1A - L3A)" << QList<double>{-4, 2, -12};
    QTest::newRow("product with a negated zero is 0") << "L1A * -L2A" << QList<double>{-14, 0, -15};
    QTest::newRow("bracketed and lower case codes") << "[l1a]+l2a" << QList<double>{9, 2, 8};
    QTest::newRow("term sum with negative constant") << "L1A+L3A+-2" << QList<double>{8, 4, -4};
    QTest::newRow("right-nested operands use deeper stack levels")
        << "L1A - (L2A - (L3A - (1 - L1A)))" << QList<double>{14, 7, -1};
}

void TestCompiledFormula::evaluate()
{
    QFETCH(QString, code);
    QFETCH(QList<double>, values);

    const DrawTable table = smallTable();
    const Result<CompiledFormula> formula = CompiledFormula::compile(code);
    QVERIFY2(formula.ok(), qPrintable(formula.error()));
    const std::vector<double> all = formula->evaluate(table);
    QCOMPARE(int(all.size()), table.drawCount());
    for (int draw = 0; draw < table.drawCount(); ++draw) {
        QVERIFY2(sameValue(all[draw], values[draw]),
                 qPrintable(
                     QStringLiteral("draw %1: %2, expected %3").arg(draw).arg(all[draw]).arg(values[draw])));
        QVERIFY(sameValue(formula->valueAt(table, draw), values[draw]));
    }
    // A window that starts after the first draw sees the same values.
    double tail[2];
    formula->evaluate(table, 1, tail);
    QVERIFY(sameValue(tail[0], values[1]));
    QVERIFY(sameValue(tail[1], values[2]));
}

void TestCompiledFormula::termSum_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("isTermSum");
    QTest::addColumn<QStringList>("terms");
    QTest::addColumn<qint64>("constant");

    QTest::newRow("search shape with constant")
        << "L1A+L2B+7" << true << QStringList{"L1A", "L2B"} << qint64(7);
    QTest::newRow("search shape with negative constant")
        << "L1A+L3B+-2" << true << QStringList{"L1A", "L3B"} << qint64(-2);
    QTest::newRow("repeated term") << "L1A+l1a+L2K" << true << QStringList{"L1A", "L1A", "L2K"} << qint64(0);
    QTest::newRow("single term") << "L8Q" << true << QStringList{"L8Q"} << qint64(0);
    QTest::newRow("constant with leading zeros")
        << "L1A+L2B+007" << true << QStringList{"L1A", "L2B"} << qint64(7);
    QTest::newRow("blank inside the sum") << "L1A + L2B+3" << true << QStringList{"L1A", "L2B"} << qint64(3);
    QTest::newRow("constants anywhere") << "7+L1A-3+(L2B)" << true << QStringList{"L1A", "L2B"} << qint64(4);
    QTest::newRow("product is not a sum") << "L1A*2+1" << false << QStringList{} << qint64(0);
    QTest::newRow("subtracted term is not a sum") << "L1A-L2B" << false << QStringList{} << qint64(0);
    QTest::newRow("negated term is not a sum") << "-L1A+5" << false << QStringList{} << qint64(0);
    QTest::newRow("constant alone is not a sum") << "5" << false << QStringList{} << qint64(0);
    QTest::newRow("MOD is not a sum") << "L1A+L2B MOD 3" << false << QStringList{} << qint64(0);
    QTest::newRow("constant too large to stay exact")
        << "L1A+9007199254740993" << false << QStringList{} << qint64(0);
}

void TestCompiledFormula::termSum()
{
    QFETCH(QString, code);
    QFETCH(bool, isTermSum);
    QFETCH(QStringList, terms);
    QFETCH(qint64, constant);

    const Result<CompiledFormula> formula = CompiledFormula::compile(code);
    QVERIFY2(formula.ok(), qPrintable(formula.error()));
    QCOMPARE(formula->isTermSum(), isTermSum);
    if (!isTermSum)
        return;
    std::vector<int> expected;
    for (const QString& term : terms)
        expected.push_back(termIndexOfCode(term));
    QCOMPARE(formula->sumTerms(), expected);
    QCOMPARE(formula->sumConstant(), constant);
}

void TestCompiledFormula::fastPathMatchesGeneralPathOnRealDraws()
{
    const std::vector<Draw> draws = realDraws();
    QVERIFY(draws.size() > 1500); // spans several blocks and sum tiles
    const DrawTable table(draws);

    const quint32 seed = 20240611;
    QRandomGenerator random(seed);
    for (int round = 0; round < 200; ++round) {
        const int termCount = random.bounded(2, 25);
        const qint64 constant = random.bounded(-20, 20);
        QStringList codes;
        std::vector<int> terms;
        for (int t = 0; t < termCount; ++t) {
            terms.push_back(random.bounded(kTermCount));
            codes << termTable()[terms.back()].code;
        }
        const QString sum = codes.join(QLatin1Char('+')) + QLatin1Char('+') + QString::number(constant);
        const auto fast = CompiledFormula::compile(sum);
        // Multiplying by 1 keeps the value but leaves the fast path.
        const auto general = CompiledFormula::compile(QLatin1Char('(') + sum + QStringLiteral(")*1"));
        QVERIFY(fast.ok() && general.ok());
        QVERIFY(fast->isTermSum());
        QVERIFY(!general->isTermSum());

        const std::vector<double> fastValues = fast->evaluate(table);
        const std::vector<double> generalValues = general->evaluate(table);
        for (int draw = 0; draw < table.drawCount(); ++draw) {
            qint64 expected = constant;
            for (const int term : terms)
                expected += draws[draw].values[term];
            if (fastValues[draw] != double(expected) || generalValues[draw] != double(expected))
                QFAIL(qPrintable(QStringLiteral("seed %1, %2, draw %3: fast %4, general %5, expected %6")
                                     .arg(seed)
                                     .arg(sum)
                                     .arg(draw)
                                     .arg(fastValues[draw])
                                     .arg(generalValues[draw])
                                     .arg(expected)));
        }

        // A window away from the first draw, and the whole-number sums directly.
        const int first = random.bounded(1, 300);
        const int count = table.drawCount() - first - random.bounded(1, 300);
        std::vector<double> window(count);
        fast->evaluate(table, first, window);
        std::vector<qint64> sums(count);
        sumTermColumns(table, terms, constant, first, count, sums.data());
        for (int i = 0; i < count; ++i) {
            if (window[i] != fastValues[first + i] || double(sums[i]) != fastValues[first + i])
                QFAIL(qPrintable(QStringLiteral("seed %1, %2, window from %3, row %4")
                                     .arg(seed)
                                     .arg(sum)
                                     .arg(first)
                                     .arg(i)));
        }
    }
}

void TestCompiledFormula::nestedExpressionOverManyBlocks()
{
    // Several stack levels, all operators and empty values, over a history of many blocks.
    const std::vector<Draw> draws = realDraws();
    const DrawTable table(draws);
    const auto formula = CompiledFormula::compile(u"(L1A + L2B * (L3C - L4D)) / (L5E - L6E) MOD 7 - -L7N");
    QVERIFY2(formula.ok(), qPrintable(formula.error()));
    const std::vector<double> values = formula->evaluate(table);

    const auto value = [](const Draw& draw, const char16_t* code) {
        return double(draw.values[termIndexOfCode(code)]);
    };
    int emptyCount = 0;
    for (int i = 0; i < table.drawCount(); ++i) {
        const Draw& d = draws[i];
        const double divisor = value(d, u"L5E") - value(d, u"L6E");
        double expected = kEmptyValue;
        if (divisor != 0) {
            const double quotient =
                (value(d, u"L1A") + value(d, u"L2B") * (value(d, u"L3C") - value(d, u"L4D"))) / divisor;
            expected = std::fmod(std::nearbyint(quotient), 7.0) + value(d, u"L7N");
        } else {
            ++emptyCount;
        }
        QVERIFY2(sameValue(values[i], expected), qPrintable(QStringLiteral("draw %1").arg(i)));
    }
    QVERIFY(emptyCount > 0); // the data exercises division by zero
}

QTEST_GUILESS_MAIN(TestCompiledFormula)
#include "tst_compiledformula.moc"
