#include "search/FamilywiseChance.h"

#include "core/JobSlices.h"
#include "search/CandidateRandom.h"
#include "search/LuckBaseline.h"
#include "verification/ChanceBaseline.h"

#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>

namespace quorvel {

namespace {

// Candidates a thread scores at a time between looks at the stop request.
constexpr quint64 kChunk = 16384;

} // namespace

ChanceScores::ChanceScores(int outcomes, bool kill)
    : m_outcomes(std::max(outcomes, 0)), m_kill(kill),
      m_hitsChance(new std::atomic<double>[std::size_t(m_outcomes) + 1]),
      m_maxHitChance(new std::atomic<double>[std::size_t(m_outcomes) + 1])
{
    for (int i = 0; i <= m_outcomes; ++i) {
        m_hitsChance[std::size_t(i)].store(std::numeric_limits<double>::quiet_NaN(),
                                           std::memory_order_relaxed);
        m_maxHitChance[std::size_t(i)].store(std::numeric_limits<double>::quiet_NaN(),
                                             std::memory_order_relaxed);
    }
}

double ChanceScores::figureOnce(const Figures& figures, int value, bool ofRuns) const
{
    value = std::clamp(value, 0, m_outcomes);
    std::atomic<double>& slot = figures[std::size_t(value)];
    double figure = slot.load(std::memory_order_relaxed);
    if (std::isnan(figure)) {
        const double p = ChanceBaseline::hitChance(m_kill);
        figure = ofRuns ? ChanceBaseline::longestRunAtLeast(m_outcomes, p, value)
                        : ChanceBaseline::atLeastHits(m_outcomes, p, value);
        slot.store(figure, std::memory_order_relaxed);
    }
    return figure;
}

double ChanceScores::of(const FullScore& score) const
{
    return std::min(figureOnce(m_hitsChance, score.hits, false),
                    figureOnce(m_maxHitChance, score.maxHits, true));
}

ChanceScorer::ChanceScorer(const DrawTable& history, int periods, bool excludeCurrentPeriod)
    : m_scorer(history, periods, excludeCurrentPeriod), m_keep(m_scorer.outcomeCount(), false),
      m_kill(m_scorer.outcomeCount(), true)
{
}

double ChanceScorer::score(const CompiledFormula& formula, int position, bool kill)
{
    return (kill ? m_kill : m_keep).of(m_scorer.score(formula, position, kill, m_words, m_buffers));
}

double FamilywiseNull::chanceOf(double score) const
{
    const auto atMost = std::count_if(best.begin(), best.end(), [score](double b) { return b <= score; });
    return double(1 + atMost) / double(best.size() + 1);
}

double FamilywiseNull::minimum() const
{
    return best.empty() ? 1.0 : *std::min_element(best.begin(), best.end());
}

double FamilywiseNull::maximum() const
{
    return best.empty() ? 1.0 : *std::max_element(best.begin(), best.end());
}

double FamilywiseNull::median() const
{
    if (best.empty())
        return 1.0;
    std::vector<double> sorted = best;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t middle = sorted.size() / 2;
    return sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

namespace FamilywiseChance {

quint64 shuffleSeed(quint64 seed, int shuffle)
{
    return CandidateRandom::mix(seed + quint64(shuffle) * 0xA0761D6478BD642Full);
}

FamilywiseParameters parametersFor(const SearchParameters& run, quint64 tried,
                                   const GenerationSettings& generation, int shuffles,
                                   bool excludeCurrentPeriod)
{
    FamilywiseParameters parameters;
    parameters.history = run.history;
    parameters.generation = generation;
    parameters.periods = run.periods;
    parameters.excludeCurrentPeriod = excludeCurrentPeriod;
    parameters.seed = run.seed;
    parameters.firstCandidate = run.firstCandidate;
    parameters.candidates = tried;
    parameters.shuffles = shuffles;
    parameters.threads = run.threads;
    return parameters;
}

std::optional<FamilywiseNull> nullOf(const FamilywiseParameters& parameters, const Progress& progress)
{
    static const DrawTable empty;
    const DrawTable& history = parameters.history ? *parameters.history : empty;
    GenerationSettings settings = parameters.generation;
    settings.position = std::clamp(settings.position, 1, kPositionCount);
    const quint64 key = CandidateRandom::keyOf(parameters.seed);
    const quint64 chunks = (parameters.candidates + kChunk - 1) / kChunk;
    const quint64 total = parameters.candidates * quint64(std::max(parameters.shuffles, 0));
    const int threads =
        std::clamp(parameters.threads > 0 ? parameters.threads : QThread::idealThreadCount(), 1, 256);
    QThreadPool pool;
    pool.setMaxThreadCount(std::max(threads - 1, 1));

    FamilywiseNull result;
    std::atomic<quint64> done{0};
    std::atomic<bool> stopped{false};
    std::mutex progressMutex;
    const ChanceScores scores(
        verificationWindow(history.drawCount(), parameters.periods, parameters.excludeCurrentPeriod).size(),
        settings.kill);
    for (int s = 1; s <= parameters.shuffles; ++s) {
        const DrawTable shuffled = LuckBaseline::shuffled(history, shuffleSeed(parameters.seed, s));
        const FullScanScorer scorer(shuffled, parameters.periods, parameters.excludeCurrentPeriod);
        std::vector<double> chunkBest(std::size_t(chunks), 1.0);
        runSlices(
            int(chunks),
            [&](int chunk) {
                if (stopped.load(std::memory_order_relaxed))
                    return;
                FullScanScorer::Words words;
                ScoreBuffers buffers;
                int terms[CandidateGenerator::kMaximumOperands];
                const quint64 begin = parameters.firstCandidate + quint64(chunk) * kChunk;
                const quint64 end =
                    std::min(begin + kChunk, parameters.firstCandidate + parameters.candidates);
                double best = 1.0;
                for (quint64 i = begin; i < end; ++i) {
                    CandidateRandom random(key, i);
                    int constant = 0;
                    const int count = CandidateGenerator::draw(settings, random, terms, constant);
                    const FullScore score =
                        scorer.score(std::span<const int>(terms, std::size_t(count)), constant,
                                     settings.position, settings.kill, words, buffers);
                    best = std::min(best, scores.of(score));
                }
                chunkBest[std::size_t(chunk)] = best;
                const quint64 now = done.fetch_add(end - begin, std::memory_order_relaxed) + (end - begin);
                if (progress) {
                    const std::lock_guard lock(progressMutex);
                    if (!progress(now, total))
                        stopped.store(true, std::memory_order_relaxed);
                }
            },
            threads > 1 ? &pool : nullptr);
        if (stopped.load(std::memory_order_relaxed))
            return std::nullopt;
        result.best.push_back(chunks == 0 ? 1.0 : *std::min_element(chunkBest.begin(), chunkBest.end()));
    }
    return result;
}

std::vector<double> scoresOf(const std::vector<FoundFormula>& formulas,
                             const FamilywiseParameters& parameters)
{
    static const DrawTable empty;
    ChanceScorer scorer(parameters.history ? *parameters.history : empty, parameters.periods,
                        parameters.excludeCurrentPeriod);
    std::vector<double> scores;
    scores.reserve(formulas.size());
    for (const FoundFormula& formula : formulas) {
        const Result<CompiledFormula> compiled = CompiledFormula::compile(formula.code);
        scores.push_back(compiled ? scorer.score(*compiled, formula.position, formula.kill) : 1.0);
    }
    return scores;
}

} // namespace FamilywiseChance
} // namespace quorvel
