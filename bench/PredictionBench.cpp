#include "PredictionBench.h"

#include "core/DrawTable.h"
#include "oracle/Oracle.h"
#include "oracle/PredictionOracle.h"
#include "search/CandidateGenerator.h"
#include "verification/Prediction.h"

#include <QElapsedTimer>

#include <cstdio>
#include <random>

namespace quorvel::bench {

namespace {

constexpr quint64 kSeed = 20240604;
constexpr int kRepeats = 3;
// The oracle's selected-formula run takes minutes over every formula; it runs on the first
// formulas of each table and its time is scaled to the full tables (every formula costs the same
// statements). The best-formula run stops early and runs in full.
constexpr int kOracleSampleFormulasPerPosition = 25;

using Tables = std::array<std::vector<PredictionFormula>, kPositionCount>;

// Kill formulas of 8 random terms plus a constant, as the search makes them, with stored
// statistics small enough for the sort keys to tie often.
Tables benchTables()
{
    CandidateGenerator generator(kSeed);
    std::mt19937_64 random(kSeed);
    Tables tables;
    for (int q = 1; q <= kPositionCount; ++q) {
        GenerationSettings settings;
        settings.position = q;
        settings.kill = true;
        for (int i = 1; i <= kPredictionFormulasPerPosition; ++i) {
            PredictionFormula formula;
            formula.idx = i;
            formula.kill = true;
            formula.code = CandidateGenerator::code(generator.generate(settings));
            formula.statistics = RunStatistics{int(random() % 12), int(random() % 12), int(random() % 12), 0};
            tables[std::size_t(q - 1)].push_back(formula);
        }
    }
    return tables;
}

PredictionParams paramsFor(const Tables& tables, PredictionMethod method)
{
    PredictionParams params;
    params.method = method;
    params.kill = true;
    params.shownPosition = kPositionCount;
    params.tables = tables;
    params.selection = ListSelection::allExcept({});
    return params;
}

double milliseconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

void printPredictionFigures(const std::vector<Draw>& draws)
{
    const Tables tables = benchTables();
    const PredictionParams selected = paramsFor(tables, PredictionMethod::SelectedFormulas);
    const PredictionParams best = paramsFor(tables, PredictionMethod::BestFormulas);
    const DrawTable table(draws);

    double engine = 0;
    qint64 sink = 0;
    for (int r = 0; r < kRepeats; ++r) {
        QElapsedTimer timer;
        timer.start();
        const Prediction prediction(table);
        sink += prediction.run(selected).usedFormulas;
        sink += prediction.run(best).visitedAtLastPosition;
        const double elapsed = milliseconds(timer);
        engine = r == 0 ? elapsed : std::min(engine, elapsed);
    }

    oracle::Oracle history(draws);
    Tables sample;
    for (std::size_t q = 0; q < tables.size(); ++q)
        sample[q].assign(tables[q].begin(), tables[q].begin() + kOracleSampleFormulasPerPosition);
    double oracle = 0;
    {
        oracle::PredictionOracle reference(history, sample);
        QElapsedTimer timer;
        timer.start();
        sink += reference.run(selected).usedFormulas;
        oracle +=
            milliseconds(timer) * double(kPredictionFormulasPerPosition) / kOracleSampleFormulasPerPosition;
    }
    {
        oracle::PredictionOracle reference(history, tables);
        QElapsedTimer timer;
        timer.start();
        sink += reference.run(best).visitedAtLastPosition;
        oracle += milliseconds(timer);
    }

    std::printf("predict: formulas=%d engine_ms=%.1f oracle_ms=%.0f ratio=%.0f\n",
                kPositionCount * kPredictionFormulasPerPosition, engine, oracle,
                oracle / std::max(engine, 1e-6));
    if (sink == 42)
        std::printf("\n"); // keeps the results alive
}

} // namespace quorvel::bench
