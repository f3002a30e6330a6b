#include "verification/ChanceBaseline.h"

#include <QTest>

#include <cmath>
#include <vector>

using namespace quorvel;
namespace CB = ChanceBaseline;

namespace {

bool close(double actual, double expected, double relative)
{
    return std::abs(actual - expected) <= relative * std::abs(expected);
}

// Chances that every sequence of n outcomes gives, summed sequence by sequence: the exact
// distributions of the hit count and the longest hit and miss runs.
struct Enumeration
{
    std::vector<double> hits, longestHit, longestMiss; // by value 0..n

    Enumeration(int n, double p) : hits(n + 1), longestHit(n + 1), longestMiss(n + 1)
    {
        for (quint32 sequence = 0; sequence < (1u << n); ++sequence) {
            int hitCount = 0, hitRun = 0, missRun = 0, maxHit = 0, maxMiss = 0;
            for (int t = 0; t < n; ++t) {
                if (sequence >> t & 1) {
                    ++hitCount;
                    missRun = 0;
                    maxHit = std::max(maxHit, ++hitRun);
                } else {
                    hitRun = 0;
                    maxMiss = std::max(maxMiss, ++missRun);
                }
            }
            const double chance = std::pow(p, hitCount) * std::pow(1 - p, n - hitCount);
            hits[hitCount] += chance;
            longestHit[maxHit] += chance;
            longestMiss[maxMiss] += chance;
        }
    }

    // P(value >= k) of a distribution.
    static double atLeast(const std::vector<double>& distribution, int k)
    {
        double sum = 0;
        for (int v = std::max(k, 0); v < int(distribution.size()); ++v)
            sum += distribution[std::size_t(v)];
        return sum;
    }
};

} // namespace

class TestChanceBaseline : public QObject
{
    Q_OBJECT

private slots:
    void matchesEverySequence_data();
    void matchesEverySequence();
    void knownValues_data();
    void knownValues();
    void figuresOfARecord();
    void probabilityText_data();
    void probabilityText();
    void percentText_data();
    void percentText();
};

void TestChanceBaseline::matchesEverySequence_data()
{
    QTest::addColumn<bool>("kill");
    QTest::newRow("keep, every sequence of up to 16 outcomes") << false;
    QTest::newRow("kill, every sequence of up to 16 outcomes") << true;
}

void TestChanceBaseline::matchesEverySequence()
{
    QFETCH(bool, kill);
    const double p = CB::hitChance(kill);
    for (int n = 0; n <= 16; ++n) {
        const Enumeration exact(n, p);
        for (int k = 0; k <= n + 1; ++k) {
            const QByteArray where = QByteArray("n=") + QByteArray::number(n) + " k=" + QByteArray::number(k);
            // The enumeration's sums round too; 1e-12 is far inside what %.6g shows.
            QVERIFY2(close(CB::atLeastHits(n, p, k), Enumeration::atLeast(exact.hits, k), 1e-12), where);
            QVERIFY2(close(CB::longestRunAtLeast(n, p, k), Enumeration::atLeast(exact.longestHit, k), 1e-12),
                     where);
            QVERIFY2(
                close(CB::longestRunAtLeast(n, 1 - p, k), Enumeration::atLeast(exact.longestMiss, k), 1e-12),
                where);
        }
    }
}

void TestChanceBaseline::knownValues_data()
{
    QTest::addColumn<bool>("run"); // longest run, else hit count
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("kill");
    QTest::addColumn<int>("k");
    QTest::addColumn<double>("expected");

    // Computed with exact rational arithmetic (hit counts) and a 60-digit decimal recursion
    // over run states (runs).
    QTest::newRow("1 keep hit in 20") << false << 20 << false << 1 << 0.64151407759145773;
    QTest::newRow("3 keep hits in 20") << false << 20 << false << 3 << 0.075483673788496339;
    QTest::newRow("15 keep hits in 300") << false << 300 << false << 15 << 0.53698340925492316;
    QTest::newRow("30 keep hits in 300") << false << 300 << false << 30 << 0.00028179403230916861;
    QTest::newRow("290 kill hits in 300") << false << 300 << true << 290 << 0.11230139347749712;
    QTest::newRow("every kill hit of 300") << false << 300 << true << 300 << 2.0753033477680852e-07;
    QTest::newRow("200 keep hits in 3000") << false << 3000 << false << 200 << 3.6231730002262353e-05;
    QTest::newRow("2800 kill hits in 3000") << false << 3000 << true << 2800 << 0.99997378135276582;
    QTest::newRow("keep run of 3 in 300") << true << 300 << false << 3 << 0.034788842359458824;
    QTest::newRow("keep run of 12 in 300") << true << 300 << false << 12 << 6.7041015624997946e-14;
    QTest::newRow("kill run of 60 in 300") << true << 300 << true << 60 << 0.49946975616543543;
    QTest::newRow("kill run of 150 in 300") << true << 300 << true << 150 << 0.0038722172831111138;
    QTest::newRow("kill run of 100 in 3000") << true << 3000 << true << 100 << 0.58969853510162507;
    QTest::newRow("keep run of 4 in 3000") << true << 3000 << false << 4 << 0.017638070738372504;
    QTest::newRow("kill run over all 3000") << true << 3000 << true << 3000 << 1.4818896559820873e-67;
}

void TestChanceBaseline::knownValues()
{
    QFETCH(bool, run);
    QFETCH(int, n);
    QFETCH(bool, kill);
    QFETCH(int, k);
    QFETCH(double, expected);
    const double p = CB::hitChance(kill);
    const double actual = run ? CB::longestRunAtLeast(n, p, k) : CB::atLeastHits(n, p, k);
    QVERIFY2(close(actual, expected, 1e-12), qPrintable(QString::number(actual, 'g', 17)));
}

void TestChanceBaseline::figuresOfARecord()
{
    // Three keep misses: a miss run of 3 is what luck gives with 0.95^3; no hits, chance 1.
    const CB::Figures keep = CB::figures(3, 0, 3, 0, false);
    QCOMPARE(keep.hitRate, 0.0);
    QCOMPARE(keep.hitsChance, 1.0);
    QCOMPARE(keep.maxHitChance, 1.0);
    QVERIFY(close(keep.maxMissChance, 0.857375, 1e-14));
    const CB::Figures kill = CB::figures(3, 3, 0, 3, true);
    QCOMPARE(kill.hitRate, 1.0);
    QVERIFY(close(kill.hitsChance, 0.857375, 1e-14));
    QVERIFY(close(kill.maxHitChance, 0.857375, 1e-14));
    QCOMPARE(kill.maxMissChance, 1.0);
    QCOMPARE(CB::figures(0, 0, 0, 0, true).hitRate, 0.0);
}

void TestChanceBaseline::probabilityText_data()
{
    QTest::addColumn<double>("probability");
    QTest::addColumn<QString>("text");
    QTest::newRow("certainty") << 1.0 << "1";
    QTest::newRow("impossible") << 0.0 << "0";
    QTest::newRow("short fraction") << 0.05 << "0.05";
    QTest::newRow("six significant digits") << 0.64151407759145773 << "0.641514";
    QTest::newRow("small value in exponent form") << 2.0753033477680852e-07 << "2.0753e-07";
    QTest::newRow("1e-5 is written with an exponent") << 0.00001 << "1e-05";
    QTest::newRow("1e-4 is not") << 0.0001 << "0.0001";
}

void TestChanceBaseline::probabilityText()
{
    QFETCH(double, probability);
    QFETCH(QString, text);
    QCOMPARE(CB::probabilityText(probability), text);
}

void TestChanceBaseline::percentText_data()
{
    QTest::addColumn<double>("probability");
    QTest::addColumn<QString>("text");
    QTest::newRow("certainty") << 1.0 << "100%";
    QTest::newRow("impossible") << 0.0 << "0%";
    QTest::newRow("two digits of a half") << 0.5 << "50%";
    QTest::newRow("rounding up a decade: 9.96% is 10%") << 0.0996 << "10%";
    QTest::newRow("small fraction keeps two digits") << 0.00034788842359458824 << "0.035%";
    QTest::newRow("below 0.001% in exponent form") << 6.7041015624997946e-14 << "6.7e-12%";
}

void TestChanceBaseline::percentText()
{
    QFETCH(double, probability);
    QFETCH(QString, text);
    QCOMPARE(CB::percentText(probability), text);
}

QTEST_GUILESS_MAIN(TestChanceBaseline)
#include "tst_chancebaseline.moc"
