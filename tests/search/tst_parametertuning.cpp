#include "oracle/StatisticsPrinting.h"
#include "oracle/SyntheticHistory.h"
#include "search/CandidateScorer.h"
#include "search/ParameterTuning.h"

#include <QFuture>
#include <QTest>

#include <random>

using namespace quorvel;

namespace {

using Samples = std::vector<RunStatistics>;

TuningEstimates estimatesOf(const Samples& samples)
{
    TuningEstimates estimates;
    for (const RunStatistics& sample : samples)
        estimates.add(sample);
    return estimates;
}

std::shared_ptr<const DrawTable> history()
{
    std::mt19937_64 random(20240617);
    return std::make_shared<const DrawTable>(oracle::randomHistory(500, random));
}

} // namespace

Q_DECLARE_METATYPE(TuningEstimates)

class TestParameterTuning : public QObject
{
    Q_OBJECT

private slots:
    void estimates_data();
    void estimates();
    void bounds_data();
    void bounds();
    void codesAreSamplesLikeCandidates();
    void tuneAllTunesEveryPositionOfTheKind();
};

void TestParameterTuning::estimates_data()
{
    QTest::addColumn<Samples>("samples");
    QTest::addColumn<TuningEstimates>("expected");

    // Samples are {longest misses, longest hits, last misses, last hits}.
    QTest::newRow("the first sample sets all four")
        << Samples{{3, 7, 2, 0}} << TuningEstimates{3, 7, 2, 0, true};
    QTest::newRow("a longer miss run moves the estimate halfway: 3 to 4 on 5")
        << Samples{{3, 7, 2, 0}, {5, 9, 1, 3}} << TuningEstimates{4, 7, 2, 0, true};
    QTest::newRow("a shorter miss run leaves it")
        << Samples{{3, 7, 2, 5}, {2, 7, 2, 5}} << TuningEstimates{3, 7, 2, 5, true};
    QTest::newRow("hit estimates only move down")
        << Samples{{3, 7, 2, 5}, {3, 2, 2, 0}, {3, 9, 2, 9}} << TuningEstimates{3, 4.5f, 2, 2.5f, true};
    QTest::newRow("each test on its own")
        << Samples{{1, 8, 1, 4}, {6, 1, 0, 0}, {4, 5, 9, 1}} << TuningEstimates{3.75f, 4.5f, 5, 1.5f, true};
    // 1, 1.5, 1.75, ...: in single precision the estimate reaches 2 after 24 halvings.
    Samples halving{{0, 0, 0, 0}};
    for (int i = 0; i < 30; ++i)
        halving.push_back({2, 0, 0, 0});
    QTest::newRow("single precision") << halving << TuningEstimates{2, 0, 0, 0, true};
}

void TestParameterTuning::estimates()
{
    QFETCH(Samples, samples);
    QFETCH(TuningEstimates, expected);
    const TuningEstimates estimates = estimatesOf(samples);
    // Exact comparison: the estimates are single-precision numbers.
    QVERIFY2(estimates == expected, qPrintable(QStringLiteral("%1 %2 %3 %4")
                                                   .arg(double(estimates.maxMisses), 0, 'g', 12)
                                                   .arg(double(estimates.maxHits), 0, 'g', 12)
                                                   .arg(double(estimates.lastMisses), 0, 'g', 12)
                                                   .arg(double(estimates.lastHits), 0, 'g', 12)));
}

void TestParameterTuning::bounds_data()
{
    QTest::addColumn<TuningEstimates>("estimates");
    QTest::addColumn<AcceptanceBounds>("bounds");

    const auto boundsOf = [](std::array<double, 8> values) {
        AcceptanceBounds bounds;
        bounds.values = values;
        return bounds;
    };
    QTest::newRow("halves round up") << TuningEstimates{3.5f, 4.5f, 6.5f, 0.5f, true}
                                     << boundsOf({4, 32767, 0, 5, 7, 32767, 0, 1});
    QTest::newRow("below a half rounds down")
        << TuningEstimates{3.49f, 1.2f, 2.4f, 0.25f, true} << boundsOf({3, 32767, 0, 1, 2, 32767, 0, 0});
    QTest::newRow("every sample ended on a hit: last misses still from 1")
        << TuningEstimates{2, 9, 0, 3, true} << boundsOf({2, 32767, 0, 9, 1, 32767, 0, 3});
    QTest::newRow("a last-miss estimate below 1 gives 1")
        << TuningEstimates{2, 9, 0.75f, 0, true} << boundsOf({2, 32767, 0, 9, 1, 32767, 0, 0});
}

void TestParameterTuning::bounds()
{
    QFETCH(TuningEstimates, estimates);
    QFETCH(AcceptanceBounds, bounds);
    QCOMPARE(estimates.bounds().values, bounds.values);
}

void TestParameterTuning::codesAreSamplesLikeCandidates()
{
    // TuneCurrent samples exactly `samples` candidates; `tune score` with the codes of the same
    // candidates, in order, comes to the same estimates.
    TuningParameters parameters;
    parameters.history = history();
    parameters.generation.position = 5;
    parameters.generation.kill = true;
    parameters.generation.operandCount = 6;
    parameters.samples = 20;
    parameters.seed = 4;
    const TuningResult tuned = ParameterTuning::tune(parameters);
    QCOMPARE(tuned.samples, 20);

    QStringList codes;
    CandidateGenerator generator(parameters.seed);
    Samples samples;
    const CandidateScorer scorer(*parameters.history, parameters.periods);
    ScoreBuffers buffers;
    for (int i = 0; i < parameters.samples; ++i) {
        const Candidate candidate = generator.generate(parameters.generation);
        codes << CandidateGenerator::code(candidate);
        samples.push_back(scorer.score(candidate, 5, true, buffers).statistics());
    }
    QCOMPARE(tuned.estimates, estimatesOf(samples));
    const Result<TuningResult> scored = ParameterTuning::tuneCodes(*parameters.history, codes, 5, true, 300);
    QVERIFY(scored.ok());
    QCOMPARE(scored->estimates, tuned.estimates);
    QCOMPARE(scored->bounds.values, tuned.bounds.values);

    codes << QStringLiteral("L1A+");
    QVERIFY(!ParameterTuning::tuneCodes(*parameters.history, codes, 5, true, 300).ok());

    // On a worker with a promise: the same result, progress up to the sample count.
    QPromise<TuningResult> promise;
    QFuture<TuningResult> future = promise.future();
    promise.start();
    ParameterTuning::tune(promise, parameters);
    promise.finish();
    QCOMPARE(future.resultCount(), 1);
    QCOMPARE(future.result().estimates, tuned.estimates);
    QCOMPARE(future.progressValue(), 20);
}

void TestParameterTuning::tuneAllTunesEveryPositionOfTheKind()
{
    TuningParameters parameters;
    parameters.history = history();
    parameters.generation.kill = false;
    parameters.samples = 30;
    parameters.seed = 11;
    const std::array<int, kPositionCount> operands{2, 3, 4, 5, 6, 7, 8, 24};
    const std::array<TuningResult, kPositionCount> results = ParameterTuning::tuneAll(parameters, operands);

    QPromise<TuningResult> promise;
    QFuture<TuningResult> future = promise.future();
    promise.start();
    ParameterTuning::tuneAll(promise, parameters, operands);
    promise.finish();
    QCOMPARE(future.resultCount(), kPositionCount);
    QCOMPARE(future.progressMaximum(), 30 * kPositionCount);

    for (int p = 1; p <= kPositionCount; ++p) {
        const TuningResult& result = results[std::size_t(p - 1)];
        QCOMPARE(result.position, p);
        QVERIFY(!result.kill);
        QCOMPARE(result.operandCount, operands[std::size_t(p - 1)]);
        QCOMPARE(result.samples, 30);
        QVERIFY(result.bounds.bound(6) >= 1);
        QCOMPARE(future.resultAt(p - 1).estimates, result.estimates);
    }
}

QTEST_GUILESS_MAIN(TestParameterTuning)
#include "tst_parametertuning.moc"
