#include "BacktestBench.h"

#include "search/CandidateGenerator.h"
#include "verification/Backtest.h"

#include <QElapsedTimer>

#include <cstdio>

namespace quorvel::bench {

namespace {

constexpr quint64 kSeed = 20240605;
constexpr int kFormulasPerPosition = 5000;
constexpr int kTargets = 300;
constexpr int kRepeats = 3;

} // namespace

void printBacktestFigures(const std::vector<Draw>& draws)
{
    BacktestParams params;
    params.method = PredictionMethod::BestFormulas;
    params.kill = true;
    params.shownPosition = kPositionCount;
    params.targets = kTargets;
    params.periods = 300;
    CandidateGenerator generator(kSeed);
    for (int q = 1; q <= kPositionCount; ++q) {
        GenerationSettings settings;
        settings.position = q;
        settings.kill = true;
        for (int i = 1; i <= kFormulasPerPosition; ++i)
            params.tables[std::size_t(q - 1)].push_back(
                {i, CandidateGenerator::code(generator.generate(settings)), true, std::nullopt, QString()});
    }
    const DrawTable table(draws);

    double best = 0;
    int trials = 0;
    for (int r = 0; r < kRepeats; ++r) {
        QElapsedTimer timer;
        timer.start();
        trials += Backtest::run(table, params).overall.trials;
        const double elapsed = double(timer.nsecsElapsed()) / 1e6;
        best = r == 0 ? elapsed : std::min(best, elapsed);
    }
    std::printf("backtest: draws=%d ms=%.0f\n", kTargets, best);
    if (trials == 42)
        std::printf("\n"); // keeps the results alive
}

} // namespace quorvel::bench
