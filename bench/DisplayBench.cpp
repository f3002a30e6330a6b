#include "DisplayBench.h"

#include "core/DrawTable.h"
#include "formulas/CompiledFormula.h"
#include "oracle/SyntheticHistory.h"
#include "search/CandidateGenerator.h"
#include "verification/HistoryDisplay.h"
#include "verification/Verifier.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>

namespace quorvel::bench {

namespace {

constexpr quint64 kSeed = 20240605;
constexpr int kRepeats = 3;
constexpr int kScreenRows = 40;
constexpr int kScreenColumns = 30;

// The cells a screen of the grid asks for, text and colour.
qint64 readScreen(const HistoryDisplay& display, int firstFormula)
{
    qint64 sum = 0;
    const int last = std::min(firstFormula + kScreenColumns - 1, display.formulaCount());
    for (int draw = display.drawCount() - kScreenRows; draw < display.drawCount(); ++draw) {
        for (int k = firstFormula; k <= last; ++k) {
            const DisplayCell cell = display.cell(k, draw);
            sum += cell.number.value_or(0) + int(cell.colour) + HistoryDisplay::cellText(cell).size();
        }
    }
    return sum;
}

} // namespace

void printDisplayFigures()
{
    std::mt19937_64 random(kSeed);
    const auto table = std::make_shared<const DrawTable>(oracle::randomHistory(kDisplayDraws, random));
    GenerationSettings settings;
    settings.position = 1;
    settings.kill = true;
    settings.operandCount = 8;
    CandidateGenerator generator(kSeed);
    std::vector<CompiledFormula> compiled;
    std::vector<DisplayFormula> formulas;
    for (int i = 0; i < kDisplayFormulas; ++i) {
        const QString code = CandidateGenerator::code(generator.generate(settings));
        compiled.push_back(*CompiledFormula::compile(code));
        formulas.push_back({code, true});
    }

    double best = 0;
    qint64 sink = 0;
    for (int r = 0; r < kRepeats; ++r) {
        QElapsedTimer timer;
        timer.start();
        const Verifier verifier(*table, 1, true, VerificationSettings{});
        for (const CompiledFormula& formula : compiled)
            sink += verifier.verify(formula, true).statistics.maxMisses;
        const HistoryDisplay display(table, 1, DisplayMode::NextDraw, formulas);
        sink += readScreen(display, 1);
        sink += readScreen(display, 1 + HistoryDisplay::kScrollPage);
        const double elapsed = double(timer.nsecsElapsed()) / 1e6;
        best = r == 0 ? elapsed : std::min(best, elapsed);
    }
    std::printf("display: draws=%d formulas=%d open_ms=%.0f\n", kDisplayDraws, kDisplayFormulas, best);
    if (sink == 42)
        std::printf("\n"); // keeps the results alive
}

} // namespace quorvel::bench
