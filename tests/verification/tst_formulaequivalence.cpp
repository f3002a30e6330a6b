#include "core/DrawTable.h"
#include "formulas/CompiledFormula.h"
#include "oracle/SyntheticHistory.h"
#include "verification/FormulaEquivalence.h"

#include <QTest>

#include <memory>
#include <vector>

using namespace quorvel;

namespace {

// First numbers 1..5, then 6..20 over and over for more draws than the key covers: a value that
// crosses zero only on those first draws is told apart by the whole sequence alone.
std::shared_ptr<const DrawTable> history()
{
    std::vector<DrawNumbers> numbers;
    for (int number = 1; number <= 5; ++number)
        numbers.push_back(oracle::drawWith(1, number));
    for (int t = 0; t < EquivalenceIndex::kKeyDraws + 60; ++t)
        numbers.push_back(oracle::drawWith(1, 6 + t % 15));
    return std::make_shared<const DrawTable>(oracle::historyOf(numbers));
}

} // namespace

class TestFormulaEquivalence : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void classes_data();
    void classes();
    void stopsWhenTold();
    void noHistoryShowsNothingAlike();
};

void TestFormulaEquivalence::classes_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("same");
    QTest::newRow("terms in another order") << "L1A+L2A*2"
                                            << "2*L2A+L1A" << true;
    QTest::newRow("constants 20 apart, never below zero") << "L1A+1"
                                                          << "L1A+21" << true;
    QTest::newRow("constants 20 apart, below zero on the oldest draws") << "L1A-5"
                                                                        << "L1A+15" << false;
    QTest::newRow("divisions empty on the same draws") << "L1A*(L1A-10)/(L1A-10)"
                                                       << "L1A+(L1A-10)/(L1A-10)-1" << true;
    QTest::newRow("divisions empty on other draws") << "L1A*(L1A-10)/(L1A-10)"
                                                    << "L1A*(L1A-11)/(L1A-11)" << false;
    QTest::newRow("an empty value is no value") << "L1A*(L1A-10)/(L1A-10)"
                                                << "L1A" << false;
}

void TestFormulaEquivalence::classes()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, same);
    const Result<CompiledFormula> a = CompiledFormula::compile(first);
    const Result<CompiledFormula> b = CompiledFormula::compile(second);
    QVERIFY(a && b);
    // A code that does not compile between them takes a class of its own and keeps the numbering.
    const std::vector<const CompiledFormula*> formulas{&*a, nullptr, &*b};
    const std::vector<int> classes = equivalenceClasses(formulas, history());
    QCOMPARE(classes, (std::vector<int>{0, 1, same ? 0 : 2}));
}

void TestFormulaEquivalence::stopsWhenTold()
{
    const Result<CompiledFormula> formula = CompiledFormula::compile(QStringLiteral("L1A"));
    QVERIFY(formula);
    const std::vector<const CompiledFormula*> formulas(600, &*formula);
    std::vector<int> heard;
    const std::vector<int> classes = equivalenceClasses(formulas, history(), [&heard](int done) {
        heard.push_back(done);
        return done < 64;
    });
    QVERIFY(classes.empty());
    QCOMPARE(heard, (std::vector<int>{0, 64}));
}

void TestFormulaEquivalence::noHistoryShowsNothingAlike()
{
    const Result<CompiledFormula> first = CompiledFormula::compile(QStringLiteral("L1A"));
    const Result<CompiledFormula> second = CompiledFormula::compile(QStringLiteral("L2A"));
    const std::vector<const CompiledFormula*> formulas{&*first, &*second};
    QCOMPARE(equivalenceClasses(formulas, std::make_shared<const DrawTable>()), (std::vector<int>{0, 1}));
}

QTEST_GUILESS_MAIN(TestFormulaEquivalence)
#include "tst_formulaequivalence.moc"
