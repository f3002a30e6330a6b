// quorvel-bench: times the engine against the oracle (the statements run literally on SQLite)
// and against a floor (a plain loop that only adds a formula's columns) on a deterministic
// synthetic history, and prints the rates and their ratios.

#include "BacktestBench.h"
#include "DisplayBench.h"
#include "PredictionBench.h"
#include "ProgramBench.h"
#include "SearchRunBench.h"
#include "UndoBench.h"
#include "XlsxBench.h"
#include "core/DrawTable.h"
#include "formulas/CompiledFormula.h"
#include "formulas/NumberRules.h"
#include "oracle/Oracle.h"
#include "oracle/SyntheticHistory.h"
#include "search/AcceptanceBounds.h"
#include "search/CandidateGenerator.h"
#include "search/CandidateScorer.h"
#include "verification/Verifier.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>
#include <optional>
#include <random>
#include <vector>

using namespace quorvel;

namespace {

constexpr int kDrawCount = 3000;
constexpr quint64 kHistorySeed = 20240601;
constexpr quint64 kFormulaSeed = 20240602;
constexpr int kOperandCount = 8;
constexpr int kWindowPeriods = 300;
constexpr int kEngineVerifyFormulas = 20000;
constexpr int kSearchCandidates = 200000;
constexpr int kRepeats = 3; // the best of a few runs, against noise on a shared machine

// Keeps results alive so that the compiler cannot drop the timed work.
volatile qint64 g_sink = 0;

// Best rate of `repeats` runs of `work`, which handles `units` units per run.
double bestRate(int units, int repeats, const std::function<void()>& work)
{
    double best = 0;
    for (int r = 0; r < repeats; ++r) {
        QElapsedTimer timer;
        timer.start();
        work();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        best = std::max(best, units / std::max(seconds, 1e-9));
    }
    return best;
}

std::vector<Draw> syntheticHistory()
{
    std::mt19937_64 random(kHistorySeed);
    return oracle::randomHistory(kDrawCount, random);
}

GenerationSettings benchSettings(int index)
{
    GenerationSettings settings;
    settings.position = index % kPositionCount + 1;
    settings.kill = index % 2 == 0;
    settings.operandCount = kOperandCount;
    return settings;
}

// Codes of 8 random terms plus a random constant, as the search makes them.
std::vector<QString> benchFormulas(int count)
{
    CandidateGenerator generator(kFormulaSeed);
    std::vector<QString> codes;
    for (int i = 0; i < count; ++i)
        codes.push_back(CandidateGenerator::code(generator.generate(benchSettings(i))));
    return codes;
}

// ---------------------------------------------------------------------------------------------
// verify: per formula the values on every draw, the aligned predictions and hit flags of every
// draw, and the four run statistics (and weights) over a 300-draw window, plus the computed value.

double engineVerifyRate(const DrawTable& table, const std::vector<QString>& codes)
{
    const VerificationWindow window = verificationWindow(table.drawCount(), kWindowPeriods, true);
    return bestRate(int(codes.size()), kRepeats, [&] {
        qint64 sum = 0;
        for (std::size_t i = 0; i < codes.size(); ++i) {
            const GenerationSettings settings = benchSettings(int(i));
            const Result<CompiledFormula> formula = CompiledFormula::compile(codes[i]);
            const std::vector<double> values = formula->evaluate(table);
            const std::vector<char> hits = hitFlags(values, table, settings.position, settings.kill);
            const FormulaVerdict verdict = countRuns(hits, window, true);
            sum += verdict.statistics.maxMisses + verdict.hitWeight + fold(values.back()).value_or(0);
        }
        g_sink = g_sink + sum;
    });
}

// The oracle works on formulas one after the other until it has worked a second, so that its rate
// does not hang on a handful of formulas; the best of kRepeats such runs.
double oracleVerifyRate(const std::vector<Draw>& draws, const std::vector<QString>& codes)
{
    oracle::Oracle reference(draws);
    const VerificationSettings settings{kWindowPeriods, true, true};
    double best = 0;
    int next = 0;
    for (int r = 0; r < kRepeats; ++r) {
        QElapsedTimer timer;
        timer.start();
        qint64 sum = 0;
        int count = 0;
        while (count == 0 || timer.nsecsElapsed() < qint64(1e9)) {
            const int i = next++ % int(codes.size());
            const GenerationSettings generation = benchSettings(i);
            const FormulaVerdict verdict =
                reference.verify(codes[std::size_t(i)], generation.position, generation.kill, settings);
            sum += verdict.statistics.maxMisses + verdict.hitWeight;
            ++count;
        }
        g_sink = g_sink + sum;
        best = std::max(best, count / (double(timer.nsecsElapsed()) / 1e9));
    }
    return best;
}

// The verification pass as the program runs it: values only where the window needs them.
double verifierPassRate(const DrawTable& table, const std::vector<QString>& codes)
{
    std::vector<CompiledFormula> formulas;
    for (const QString& code : codes)
        formulas.push_back(*CompiledFormula::compile(code));
    const VerificationSettings settings{kWindowPeriods, true, true};
    std::vector<Verifier> verifiers;
    for (int i = 0; i < 2 * kPositionCount; ++i)
        verifiers.emplace_back(table, benchSettings(i).position, benchSettings(i).kill, settings);
    return bestRate(int(formulas.size()), kRepeats, [&] {
        qint64 sum = 0;
        for (std::size_t i = 0; i < formulas.size(); ++i) {
            const FormulaVerdict verdict = verifiers[i % verifiers.size()].verify(formulas[i], true);
            sum += verdict.statistics.maxMisses + verdict.hitWeight + verdict.computedValue.value_or(0);
        }
        g_sink = g_sink + sum;
    });
}

// ---------------------------------------------------------------------------------------------
// search: per candidate, operands and constant drawn, the draws of the search window evaluated,
// hits scored, runs counted and the acceptance bounds applied, as the search does it.

struct SearchFigures
{
    double engine = 0;
    double floor = 0;
    int evaluatedDraws = 0;
};

AcceptanceBounds searchBounds()
{
    AcceptanceBounds bounds; // the kill defaults
    bounds.values = {2, 32768, 0, 64, 2, 32768, 0, 0};
    return bounds;
}

SearchFigures searchRates(const DrawTable& table)
{
    SearchFigures figures;
    const GenerationSettings settings = benchSettings(0);
    const CandidateScorer scorer(table, kWindowPeriods);
    ScoreBuffers buffers;
    const AcceptanceBounds bounds = searchBounds();
    figures.evaluatedDraws = scorer.evaluatedDrawCount();

    figures.engine = bestRate(kSearchCandidates, kRepeats, [&] {
        CandidateGenerator generator(kFormulaSeed);
        Candidate candidate;
        int accepted = 0;
        for (int i = 0; i < kSearchCandidates; ++i) {
            generator.generate(settings, candidate);
            accepted += bounds.accepts(
                scorer.score(candidate, settings.position, settings.kill, buffers).statistics());
        }
        g_sink = g_sink + accepted;
    });

    // The floor adds the same columns of the same candidates over the same draws.
    std::vector<Candidate> candidates(kSearchCandidates);
    CandidateGenerator generator(kFormulaSeed);
    for (Candidate& candidate : candidates)
        generator.generate(settings, candidate);
    const int first = scorer.window().first - 1;
    const int count = figures.evaluatedDraws;
    std::vector<qint64> sums(static_cast<std::size_t>(count));
    figures.floor = bestRate(kSearchCandidates, kRepeats, [&] {
        qint64 total = 0;
        for (const Candidate& candidate : candidates) {
            const qint32* columns[kOperandCount];
            for (int k = 0; k < kOperandCount; ++k)
                columns[k] = table.column(candidate.terms[std::size_t(k)]) + first;
            for (int i = 0; i < count; ++i) {
                qint64 sum = candidate.constant;
                for (int k = 0; k < kOperandCount; ++k)
                    sum += columns[k][i];
                sums[std::size_t(i)] = sum;
            }
            total += sums[std::size_t(count - 1)];
        }
        g_sink = g_sink + total;
    });
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // quorvel-bench [SECTION...]: only the sections named (verify, predict, search, program, xlsx,
    // backtest, undo, trend).
    const QStringList wanted = QCoreApplication::arguments().mid(1);
    const auto runs = [&wanted](const char* section) {
        return wanted.isEmpty() || wanted.contains(QLatin1String(section));
    };

    const std::vector<Draw> draws = syntheticHistory();
    const DrawTable table(draws);

    std::optional<double> verifyRatio;
    if (runs("verify")) {
        const std::vector<QString> codes = benchFormulas(kEngineVerifyFormulas);
        const double engineVerify = engineVerifyRate(table, codes);
        const double oracleVerify = oracleVerifyRate(draws, codes);
        verifyRatio = engineVerify / oracleVerify;
        std::printf("verify: engine=%.0f oracle=%.2f ratio=%.0f\n", engineVerify, oracleVerify, *verifyRatio);
        std::printf("verify-pass: engine=%.0f\n", verifierPassRate(table, codes));
    }
    if (runs("predict")) {
        bench::printPredictionFigures(draws);
        bench::printDisplayFigures();
    }
    std::optional<double> fraction;
    if (runs("search")) {
        const SearchFigures search = searchRates(table);
        fraction = search.engine / search.floor;
        const int nodeCount = 2 * kOperandCount + 1; // terms, "+" operators and the constant
        std::printf("search: engine=%.0f floor=%.0f fraction=%.2f noderows=%.3g\n", search.engine,
                    search.floor, *fraction, search.engine * nodeCount * search.evaluatedDraws);
        bench::printSearchRunFigures(table, search.floor);
    }
    if (runs("program"))
        bench::printProgramFigures();
    if (runs("xlsx"))
        bench::printXlsxExport();
    if (runs("backtest"))
        bench::printBacktestFigures(draws);
    if (runs("undo"))
        bench::printUndoFigures();
    if (runs("trend"))
        bench::printTrendFigures();
    if (verifyRatio && fraction)
        std::printf("bench: verify_ratio=%.0f search_fraction=%.2f\n", *verifyRatio, *fraction);
    return 0;
}
