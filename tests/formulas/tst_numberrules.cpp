#include "formulas/NumberRules.h"
#include "oracle/StatisticsPrinting.h"

#include <QTest>

#include <algorithm>
#include <vector>

using namespace quorvel;

class TestNumberRules : public QObject
{
    Q_OBJECT

private slots:
    void fold_data();
    void fold();
    void hitRule_data();
    void hitRule();
    void runs_data();
    void runs();
    void weights_data();
    void weights();
};

void TestNumberRules::fold_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("folded"); // -100: empty

    QTest::newRow("fold of 0 is 0") << 0.0 << 0;
    QTest::newRow("fold of 20 is 20") << 20.0 << 20;
    QTest::newRow("fold of 21 is 1") << 21.0 << 1;
    QTest::newRow("fold of 40 is 20") << 40.0 << 20;
    QTest::newRow("fold of -3 is -3") << -3.0 << -3;
    QTest::newRow("fold of -20 is -0") << -20.0 << 0;
    QTest::newRow("fold of 2.5 rounds to 2") << 2.5 << 2;
    QTest::newRow("fold of 3.5 rounds to 4") << 3.5 << 4;
    QTest::newRow("fold of an empty value is empty") << kEmptyValue << -100;
    QTest::newRow("fold of a value beyond whole numbers is empty") << 1e19 << -100;
}

void TestNumberRules::fold()
{
    QFETCH(double, value);
    QFETCH(int, folded);
    const std::optional<int> result = quorvel::fold(value);
    QCOMPARE(result.value_or(-100), folded);
}

void TestNumberRules::hitRule_data()
{
    QTest::addColumn<bool>("kill");
    QTest::addColumn<double>("value"); // computed from the previous draw
    QTest::addColumn<int>("drawn");    // number then drawn at the position
    QTest::addColumn<bool>("right");

    QTest::newRow("kill, value 40 claims 20, 20 drawn: wrong") << true << 40.0 << 20 << false;
    QTest::newRow("kill, value 40 claims 20, 7 drawn: right") << true << 40.0 << 7 << true;
    QTest::newRow("keep, value 40 claims 20, 20 drawn: right") << false << 40.0 << 20 << true;
    QTest::newRow("keep, value 21 claims 1, 1 drawn: right") << false << 21.0 << 1 << true;
    QTest::newRow("keep, value 0 never equals a number") << false << 0.0 << 20 << false;
    QTest::newRow("kill, value 0 is always right") << true << 0.0 << 20 << true;
    QTest::newRow("keep, value -20 folds to -20: wrong") << false << -20.0 << 20 << false;
    QTest::newRow("kill, value -3 folds to -3: right") << true << -3.0 << 17 << true;
    // The remainder keeps the dividend's sign: (-20 MOD 20) + 1 = 1, so -19, -39, ... claim 1.
    QTest::newRow("keep, value -19 folds to 1, 1 drawn: right") << false << -19.0 << 1 << true;
    QTest::newRow("kill, value -39 folds to 1, 1 drawn: wrong") << true << -39.0 << 1 << false;
    QTest::newRow("keep, value -18 folds to -18: wrong") << false << -18.0 << 2 << false;
    QTest::newRow("keep, 2.5 rounds to 2 (half to even)") << false << 2.5 << 2 << true;
    QTest::newRow("keep, 3.5 rounds to 4 (half to even)") << false << 3.5 << 4 << true;
    QTest::newRow("keep, 2.5 does not claim 3") << false << 2.5 << 3 << false;
    QTest::newRow("keep, 20.4 claims 20") << false << 20.4 << 20 << true;
    QTest::newRow("keep, -0.4 rounds to 0: wrong") << false << -0.4 << 20 << false;
    QTest::newRow("kill, empty value predicts nothing: miss") << true << kEmptyValue << 5 << false;
    QTest::newRow("keep, empty value predicts nothing: miss") << false << kEmptyValue << 5 << false;
    QTest::newRow("keep, value 2^31 + 20 folds to 8") << false << 2147483668.0 << 8 << true;
}

void TestNumberRules::hitRule()
{
    QFETCH(bool, kill);
    QFETCH(double, value);
    QFETCH(int, drawn);
    QFETCH(bool, right);

    QCOMPARE(isHit(value, drawn, kill), right);
    // Word at a time, as the verification and the search judge them: the value in every one of
    // 61 outcomes (past the four-at-once part), the next outcome a drawn number it cannot match.
    std::vector<double> values(61, value);
    std::vector<qint32> numbers(61, drawn);
    values.push_back(value);
    numbers.push_back(drawn == 1 ? 2 : 1);
    const quint64 expected =
        (right ? (quint64(1) << 61) - 1 : 0) | (quint64(isHit(value, numbers[61], kill)) << 61);
    QCOMPARE(hitBits(values.data(), numbers.data(), 62, kill), expected);
    if (!isEmptyValue(value) && value == roundHalfEven(value)) {
        const std::vector<qint64> wholes(values.begin(), values.end());
        const bool narrow = std::fabs(value) < 2147483000.0;
        QCOMPARE(hitBits(wholes.data(), numbers.data(), 62, narrow, kill), expected);
        QCOMPARE(hitBits(wholes.data(), numbers.data(), 62, false, kill), expected);
    }
}

void TestNumberRules::runs_data()
{
    QTest::addColumn<QString>("outcomes");
    QTest::addColumn<RunStatistics>("expected"); // max misses, max hits, last misses, last hits

    QTest::newRow("h h m m m h m m: 3, 2, 2, 0") << "hhmmmhmm" << RunStatistics{3, 2, 2, 0};
    QTest::newRow("right on all of 300 draws") << QString(300, u'h') << RunStatistics{0, 300, 0, 300};
    QTest::newRow("wrong on all of 300 draws") << QString(300, u'm') << RunStatistics{300, 0, 300, 0};
    QTest::newRow("ends on a hit after the longest miss run") << "mmmhh" << RunStatistics{3, 2, 0, 2};
    QTest::newRow("single miss") << "m" << RunStatistics{1, 0, 1, 0};
    QTest::newRow("empty window") << "" << RunStatistics{0, 0, 0, 0};
    QTest::newRow("runs across words: 70 hits, 60 misses, 1 hit")
        << QString(70, u'h') + QString(60, u'm') + u'h' << RunStatistics{60, 70, 0, 1};
}

void TestNumberRules::runs()
{
    QFETCH(QString, outcomes);
    QFETCH(RunStatistics, expected);

    // One outcome at a time, and packed 64 to a word with bits beyond the length set.
    RunTally single;
    RunTally packed;
    for (qsizetype base = 0; base < outcomes.size(); base += 64) {
        const int length = int(std::min<qsizetype>(64, outcomes.size() - base));
        quint64 word = ~quint64(0);
        for (int j = 0; j < length; ++j) {
            const bool hit = outcomes[base + j] == u'h';
            single.add(hit);
            if (!hit)
                word &= ~(quint64(1) << j);
        }
        packed.addWord(word, length);
    }
    for (const RunTally* tally : {&single, &packed}) {
        QCOMPARE(tally->statistics(), expected);
        QCOMPARE(tally->hits(), int(outcomes.count(u'h')));
        QCOMPARE(tally->outcomes(), int(outcomes.size()));
    }
}

void TestNumberRules::weights_data()
{
    QTest::addColumn<QString>("outcomes");
    QTest::addColumn<bool>("squares");
    QTest::addColumn<qint64>("hitWeight");
    QTest::addColumn<qint64>("totalWeight");

    QTest::newRow("W on, hits on the 2nd and 3rd of 3: 13 of 14")
        << "mhh" << true << qint64(13) << qint64(14);
    QTest::newRow("W off, hits on the 2nd and 3rd of 3: 2 of 3") << "mhh" << false << qint64(2) << qint64(3);
    QTest::newRow("W on, hit on the 1st only: 1 of 14") << "hmm" << true << qint64(1) << qint64(14);
    // The sum of j*j up to 3000 is 9004500500, beyond 32 bits.
    QTest::newRow("W on, 3000 hits: sums beyond 32 bits")
        << QString(3000, u'h') << true << qint64(9004500500) << qint64(9004500500);
}

void TestNumberRules::weights()
{
    QFETCH(QString, outcomes);
    QFETCH(bool, squares);
    QFETCH(qint64, hitWeight);
    QFETCH(qint64, totalWeight);

    RunTally tally(squares);
    for (const QChar outcome : outcomes)
        tally.add(outcome == u'h');
    QCOMPARE(tally.hitWeight(), hitWeight);
    QCOMPARE(tally.totalWeight(), totalWeight);
}

QTEST_GUILESS_MAIN(TestNumberRules)
#include "tst_numberrules.moc"
