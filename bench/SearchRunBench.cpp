#include "SearchRunBench.h"

#include "search/FamilywiseChance.h"
#include "search/FoundList.h"
#include "search/ParameterTuning.h"
#include "search/SearchEngine.h"
#include "search/SearchRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

namespace quorvel::bench {

namespace {

constexpr int kPeriods = 300;
constexpr int kOperands = 8;
constexpr quint64 kSeed = 20240604;
constexpr quint64 kCandidates = 4000000;
constexpr int kRepeats = 12;
constexpr int kLatencyMilliseconds = 3000;
constexpr int kTickMilliseconds = 5;
constexpr int kTuningSamples = 1000;

AcceptanceBounds defaultBounds(bool kill)
{
    AcceptanceBounds bounds;
    if (kill)
        bounds.values = {2, 32768, 0, 64, 2, 32768, 0, 0};
    else
        bounds.values = {96, 32768, 0, 2, 96, 32768, 0, 0};
    return bounds;
}

SearchParameters parameters(const std::shared_ptr<const DrawTable>& history, bool kill, int threads)
{
    SearchParameters parameters;
    parameters.history = history;
    parameters.generation.position = 1;
    parameters.generation.kill = kill;
    parameters.generation.operandCount = kOperands;
    parameters.bounds = defaultBounds(kill);
    parameters.periods = kPeriods;
    parameters.seed = kSeed;
    parameters.candidateLimit = kCandidates;
    parameters.threads = threads;
    return parameters;
}

// Candidates per second of one run that fills a FoundList as the window would.
double searchRate(const std::shared_ptr<const DrawTable>& history, bool kill, int threads)
{
    std::vector<FoundFormula> found;
    QElapsedTimer timer;
    timer.start();
    const SearchOutcome outcome = SearchRun::runToEnd(parameters(history, kill, threads), found);
    FoundList list;
    list.append(found);
    return double(outcome.tried) / (double(timer.nsecsElapsed()) / 1e9);
}

// Best rates of a few runs for each thread count; the runs alternate so that a change of the
// machine's load touches every count alike.
std::vector<double> bestRates(const std::shared_ptr<const DrawTable>& history, bool kill,
                              const std::vector<int>& threadCounts)
{
    std::vector<double> best(threadCounts.size(), 0.0);
    for (int r = 0; r < kRepeats; ++r) {
        for (std::size_t t = 0; t < threadCounts.size(); ++t)
            best[t] = std::max(best[t], searchRate(history, kill, threadCounts[t]));
    }
    return best;
}

// Delays of timer events on this thread while a search runs on every core, in milliseconds.
double latencyP99(const std::shared_ptr<const DrawTable>& history)
{
    SearchEngine engine;
    SearchParameters search = parameters(history, false, 0);
    search.candidateLimit.reset();
    // The window's share of the work: taking the found formulas into its list.
    FoundList list;
    QObject::connect(&engine, &SearchEngine::formulasFound, [&list](const FoundBatch& batch) {
        for (const FoundFormula& formula : batch)
            list.append(formula);
    });
    search.foundListRoom = std::numeric_limits<int>::max(); // runs for the whole measurement
    engine.start(search);

    std::vector<double> delays;
    QElapsedTimer clock;
    clock.start();
    qint64 expected = clock.nsecsElapsed() + qint64(kTickMilliseconds) * 1000000;
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(kTickMilliseconds);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        delays.push_back(std::max<double>(0, double(now - expected) / 1e6));
        expected = now + qint64(kTickMilliseconds) * 1000000;
        if (now > qint64(kLatencyMilliseconds) * 1000000)
            loop.quit();
    });
    tick.start();
    loop.exec();
    engine.stop();
    engine.waitForThreads();
    std::sort(delays.begin(), delays.end());
    return delays.empty() ? 0 : delays[std::min(delays.size() - 1, delays.size() * 99 / 100)];
}

// TuneAll of one kind: 8 positions of kTuningSamples samples, each with its full statistics.
double tuneAllMilliseconds(const std::shared_ptr<const DrawTable>& history)
{
    TuningParameters parameters;
    parameters.history = history;
    parameters.generation.kill = true;
    parameters.periods = kPeriods;
    parameters.samples = kTuningSamples;
    parameters.seed = kSeed;
    std::array<int, kPositionCount> operands;
    operands.fill(kOperands);
    QElapsedTimer timer;
    timer.start();
    const std::array<TuningResult, kPositionCount> results = ParameterTuning::tuneAll(parameters, operands);
    const double milliseconds = double(timer.nsecsElapsed()) / 1e6;
    return results.back().samples == kTuningSamples ? milliseconds : -1;
}

// The family-wise step of a search that tried kFamilywiseCandidates: every candidate fully scored on
// each of kShuffles shuffled histories, on two threads.
constexpr quint64 kFamilywiseCandidates = 1000000;
constexpr int kShuffles = 20;
constexpr int kFamilywiseThreads = 2;

void printFamilywiseFigures(const std::shared_ptr<const DrawTable>& history, double floorRate)
{
    FamilywiseParameters familywise;
    familywise.history = history;
    familywise.generation.operandCount = kOperands;
    familywise.periods = kPeriods;
    familywise.seed = kSeed;
    familywise.candidates = kFamilywiseCandidates;
    familywise.shuffles = kShuffles;
    familywise.threads = kFamilywiseThreads;
    QElapsedTimer timer;
    timer.start();
    const std::optional<FamilywiseNull> null = FamilywiseChance::nullOf(familywise);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const double fullRate = double(kFamilywiseCandidates) * kShuffles / seconds / kFamilywiseThreads;
    std::printf("familywise: candidates=%llu shuffles=%d threads=%d ms=%.0f full_cps=%.0f floor_ratio=%.2f\n",
                static_cast<unsigned long long>(kFamilywiseCandidates), kShuffles, kFamilywiseThreads,
                seconds * 1000, null ? fullRate : 0.0, fullRate / floorRate);
}

} // namespace

void printSearchRunFigures(const DrawTable& table, double floorRate)
{
    const auto history = std::make_shared<const DrawTable>(table);
    const std::vector<double> keepRates = bestRates(history, false, {1, 2});
    const double keep = keepRates[0];
    const double keepTwo = keepRates[1];
    std::printf("search-run: kind=keep threads=1 cps=%.0f floor_ratio=%.2f\n", keep, keep / floorRate);
    const double kill = bestRates(history, true, {1})[0];
    std::printf("search-run: kind=kill threads=1 cps=%.0f floor_ratio=%.2f\n", kill, kill / floorRate);
    std::printf("search-run: kind=keep threads=2 cps=%.0f scaling=%.2f\n", keepTwo, keepTwo / keep);
    std::printf("search-latency: p99_ms=%.1f\n", latencyP99(history));
    std::printf("tune-all: samples=%d ms=%.0f\n", kTuningSamples, tuneAllMilliseconds(history));
    printFamilywiseFigures(history, floorRate);
}

} // namespace quorvel::bench
