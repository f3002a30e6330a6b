#include "oracle/SyntheticHistory.h"
#include "verification/Prediction.h"

#include <QTest>

using namespace quorvel;

Q_DECLARE_METATYPE(quorvel::PredictionMethod)

namespace {

// Formulas of one table in idx order, written "code", "code@maxMisses,maxHits,lastMisses,lastHits"
// for stored statistics, and with a leading "~" for a formula of the other kind.
std::vector<PredictionFormula> tableOf(const QStringList& formulas, bool kill)
{
    std::vector<PredictionFormula> table;
    int idx = 0;
    for (QString text : formulas) {
        PredictionFormula formula;
        formula.idx = ++idx;
        formula.kill = kill;
        if (text.startsWith(u'~')) {
            formula.kill = !kill;
            text.remove(0, 1);
        }
        const qsizetype at = text.indexOf(u'@');
        formula.code = text.left(at);
        if (at >= 0) {
            const QStringList s = text.mid(at + 1).split(u',');
            formula.statistics = RunStatistics{s[0].toInt(), s[1].toInt(), s[2].toInt(), s[3].toInt()};
        }
        table.push_back(formula);
    }
    return table;
}

// The constants from..to as codes.
QStringList constants(int from, int to)
{
    QStringList codes;
    for (int n = from; n <= to; ++n)
        codes << QString::number(n);
    return codes;
}

// Counts of one position written "number:count" or "from-to:count", blank-separated.
QString describe(const PositionCounts& counts)
{
    QStringList parts;
    for (int n = 1; n <= kHighestNumber; ++n) {
        if (counts.total[std::size_t(n)] != 0)
            parts << QStringLiteral("%1:%2").arg(n).arg(counts.total[std::size_t(n)]);
    }
    return parts.join(u' ');
}

QString expand(const QString& expected)
{
    QStringList parts;
    for (const QString& part : expected.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList numberAndCount = part.split(u':');
        const QStringList range = numberAndCount[0].split(u'-');
        for (int n = range.first().toInt(); n <= range.last().toInt(); ++n)
            parts << QStringLiteral("%1:%2").arg(n).arg(numberAndCount[1]);
    }
    return parts.join(u' ');
}

} // namespace

class TestPrediction : public QObject
{
    Q_OBJECT

private slots:
    void counts_data();
    void counts();
    void quotaFromText_data();
    void quotaFromText();
};

void TestPrediction::counts_data()
{
    QTest::addColumn<PredictionMethod>("method");
    QTest::addColumn<bool>("kill");
    QTest::addColumn<int>("quota");
    QTest::addColumn<QList<QStringList>>("tables"); // positions 1..p*
    QTest::addColumn<QList<int>>("unselected");
    QTest::addColumn<QStringList>("expected"); // counts per position
    QTest::addColumn<int>("usedOrVisited");    // used formulas, or formulas visited at p*

    const auto selected = PredictionMethod::SelectedFormulas;
    const auto best = PredictionMethod::BestFormulas;
    using Tables = QList<QStringList>;

    QTest::newRow("keep values 7, 7 and 27 count 3 at 7")
        << selected << false << 3 << Tables{{"7", "7", "27"}} << QList<int>{} << QStringList{"7:3"} << 3;
    QTest::newRow("values folding to 0 or below, empty values and bad codes count nothing")
        << selected << true << 3 << Tables{{"0", "-3", "20", "40", "1/0", "L1A+L9Z", "21"}} << QList<int>{}
        << QStringList{"1:1 20:2"} << 3;
    QTest::newRow("one set of list numbers for every table")
        << selected << true << 3 << Tables{{"5", "6"}, {"7", "8", "9"}} << QList<int>{2}
        << QStringList{"5:1", "7:1 9:1"} << 3;
    QTest::newRow("list numbers count only the formulas of the kind")
        << selected << true << 3 << Tables{{"3", "~4", "5", "6"}} << QList<int>{2} << QStringList{"3:1 6:1"}
        << 2;
    QTest::newRow("a position without formulas counts zeros")
        << selected << false << 3 << Tables{{"1"}, {}, {"3"}} << QList<int>{} << QStringList{"1:1", "", "3:1"}
        << 2;

    QTest::newRow("best, keep, Q 1: first number in 1..20, then one position 1 did not keep")
        << best << false << 1 << Tables{{"0", "7", "8"}, {"27", "7", "9", "10"}} << QList<int>{}
        << QStringList{"7:1", "7:2 9:1"} << 3;
    QTest::newRow("best, kill, Q 3: 17 kills, then the 3 survivors count as covered")
        << best << true << 3 << Tables{constants(1, 18), constants(1, 16)} << QList<int>{}
        << QStringList{"1-17:1", "1-14:1"} << 14;
    QTest::newRow("best, kill: a formula claiming nothing still recounts the taken numbers")
        << best << true << 10 << Tables{constants(1, 12), {"0", "5"}} << QList<int>{}
        << QStringList{"1-10:1", ""} << 1;
    QTest::newRow("best, an unselected formula is visited but changes nothing")
        << best << false << 1 << Tables{{"5", "6"}} << QList<int>{1} << QStringList{"6:1"} << 2;
    QTest::newRow("best, kill, Q 20 uses no formula")
        << best << true << 20 << Tables{{"1", "2"}} << QList<int>{} << QStringList{""} << 0;
    QTest::newRow("best, keep, Q 25 uses every formula")
        << best << false << 25 << Tables{{"1", "2", "1"}} << QList<int>{} << QStringList{"1:2 2:1"} << 3;
    QTest::newRow("best, last misses descending first, then max misses ascending")
        << best << false << 1 << Tables{{"1@0,0,2,0", "2@5,0,3,0", "3@4,0,3,0", "4"}} << QList<int>{}
        << QStringList{"3:1"} << 1;
    QTest::newRow("best, formulas tying on all three keys come in idx order")
        << best << false << 1 << Tables{{"2@1,1,4,0", "1@1,1,4,0"}} << QList<int>{} << QStringList{"2:1"}
        << 1;
    QTest::newRow("best, empty statistics sort after every last-misses value")
        << best << false << 1 << Tables{{"1", "2@9,9,0,0"}} << QList<int>{} << QStringList{"2:1"} << 1;
}

void TestPrediction::counts()
{
    QFETCH(PredictionMethod, method);
    QFETCH(bool, kill);
    QFETCH(int, quota);
    QFETCH(QList<QStringList>, tables);
    QFETCH(QList<int>, unselected);
    QFETCH(QStringList, expected);
    QFETCH(int, usedOrVisited);

    std::mt19937_64 random(1);
    const DrawTable history(oracle::randomHistory(3, random));
    PredictionParams params;
    params.method = method;
    params.kill = kill;
    params.quota = quota;
    params.shownPosition = int(tables.size());
    // A table above the shown position is never read.
    params.tables[std::size_t(tables.size())] = tableOf({"5"}, kill);
    for (qsizetype q = 0; q < tables.size(); ++q)
        params.tables[std::size_t(q)] = tableOf(tables[q], kill);
    params.selection = ListSelection::allExcept({unselected.begin(), unselected.end()});

    const PredictionResult result = Prediction(history).run(params);
    QCOMPARE(int(result.positions.size()), int(tables.size()));
    QCOMPARE(result.quota, method == PredictionMethod::SelectedFormulas ? 1 : quota);
    for (qsizetype q = 0; q < tables.size(); ++q) {
        const PositionCounts& counts = result.positions[std::size_t(q)];
        QCOMPARE(describe(counts), expand(expected[q]));
        QVERIFY(kill ? counts.kill == counts.total : counts.keep == counts.total);
        QVERIFY(std::all_of((kill ? counts.keep : counts.kill).begin(),
                            (kill ? counts.keep : counts.kill).end(), [](int c) { return c == 0; }));
    }
    QCOMPARE(method == PredictionMethod::SelectedFormulas ? result.usedFormulas
                                                          : result.visitedAtLastPosition,
             usedOrVisited);
}

void TestPrediction::quotaFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("quota"); // -1: refused
    QTest::newRow("3") << "3" << 3;
    QTest::newRow("blanks around 20") << " 20 " << 20;
    QTest::newRow("1 is the smallest") << "1" << 1;
    QTest::newRow("not a number is refused") << "abc" << -1;
    QTest::newRow("a fraction is refused") << " 2.5 " << -1;
    QTest::newRow("0 is refused") << "0" << -1;
    QTest::newRow("21 is refused") << "21" << -1;
    QTest::newRow("empty is refused") << "" << -1;
}

void TestPrediction::quotaFromText()
{
    QFETCH(QString, text);
    QFETCH(int, quota);
    QCOMPARE(Prediction::quotaFromText(text).value_or(-1), quota);
}

QTEST_GUILESS_MAIN(TestPrediction)
#include "tst_prediction.moc"
