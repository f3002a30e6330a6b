#include "search/ParameterTuning.h"

#include "formulas/CompiledFormula.h"
#include "search/CandidateRandom.h"
#include "search/CandidateScorer.h"

#include <cmath>

namespace quorvel {

namespace {

constexpr double kOpenUpperEnd = 32767;

double wholePart(double value)
{
    return std::floor(value);
}

TuningResult resultFor(const TuningParameters& parameters)
{
    TuningResult result;
    result.position = std::clamp(parameters.generation.position, 1, kPositionCount);
    result.kill = parameters.generation.kill;
    result.operandCount = CandidateGenerator::operandCountOf(parameters.generation);
    return result;
}

const DrawTable& tableOf(const TuningParameters& parameters)
{
    static const DrawTable empty;
    return parameters.history ? *parameters.history : empty;
}

} // namespace

void TuningEstimates::add(const RunStatistics& sample)
{
    if (!started) {
        maxMisses = float(sample.maxMisses);
        maxHits = float(sample.maxHits);
        lastMisses = float(sample.lastMisses);
        lastHits = float(sample.lastHits);
        started = true;
        return;
    }
    if (float(sample.maxMisses) > maxMisses)
        maxMisses = (maxMisses + float(sample.maxMisses)) / 2.0f;
    if (float(sample.maxHits) < maxHits)
        maxHits = (maxHits + float(sample.maxHits)) / 2.0f;
    if (float(sample.lastMisses) > lastMisses)
        lastMisses = (lastMisses + float(sample.lastMisses)) / 2.0f;
    if (float(sample.lastHits) < lastHits)
        lastHits = (lastHits + float(sample.lastHits)) / 2.0f;
}

AcceptanceBounds TuningEstimates::bounds() const
{
    AcceptanceBounds bounds;
    bounds.setBound(2, wholePart(double(maxMisses) + 0.5));
    bounds.setBound(3, kOpenUpperEnd);
    bounds.setBound(4, 0);
    bounds.setBound(5, wholePart(double(maxHits) + 0.5));
    bounds.setBound(6, wholePart(double(lastMisses)) > 0 ? wholePart(double(lastMisses) + 0.5) : 1);
    bounds.setBound(7, kOpenUpperEnd);
    bounds.setBound(8, 0);
    bounds.setBound(9, wholePart(double(lastHits) + 0.5));
    return bounds;
}

bool ParameterTuning::sample(const TuningParameters& parameters, TuningResult& result,
                             QPromise<TuningResult>* promise, int progressBase)
{
    const CandidateScorer scorer(tableOf(parameters), parameters.periods);
    ScoreBuffers buffers;
    GenerationSettings settings = parameters.generation;
    settings.position = result.position;
    const quint64 key = CandidateRandom::keyOf(parameters.seed);
    int terms[CandidateGenerator::kMaximumOperands];
    for (int i = 0; i < parameters.samples; ++i) {
        if (promise && i % 16 == 0) {
            promise->suspendIfRequested();
            if (promise->isCanceled())
                return false;
            promise->setProgressValue(progressBase + i);
        }
        CandidateRandom random(key, quint64(i));
        int constant = 0;
        const int count = CandidateGenerator::draw(settings, random, terms, constant);
        const CandidateRuns runs = scorer.score(std::span<const int>(terms, std::size_t(count)), constant,
                                                settings.position, settings.kill, buffers);
        result.estimates.add(runs.statistics());
        ++result.samples;
    }
    result.bounds = result.estimates.bounds();
    if (promise)
        promise->setProgressValue(progressBase + parameters.samples);
    return true;
}

TuningResult ParameterTuning::tune(const TuningParameters& parameters)
{
    TuningResult result = resultFor(parameters);
    sample(parameters, result, nullptr, 0);
    return result;
}

void ParameterTuning::tune(QPromise<TuningResult>& promise, const TuningParameters& parameters)
{
    promise.setProgressRange(0, std::max(parameters.samples, 0));
    TuningResult result = resultFor(parameters);
    if (sample(parameters, result, &promise, 0))
        promise.addResult(result);
}

quint64 ParameterTuning::positionSeed(quint64 seed, int position)
{
    return CandidateRandom::mix(seed + quint64(position));
}

std::array<TuningResult, kPositionCount>
ParameterTuning::tuneAll(const TuningParameters& parameters,
                         const std::array<int, kPositionCount>& operandCounts)
{
    std::array<TuningResult, kPositionCount> results;
    for (int position = 1; position <= kPositionCount; ++position) {
        TuningParameters category = parameters;
        category.generation.position = position;
        category.generation.operandCount = operandCounts[std::size_t(position - 1)];
        category.seed = positionSeed(parameters.seed, position);
        results[std::size_t(position - 1)] = tune(category);
    }
    return results;
}

void ParameterTuning::tuneAll(QPromise<TuningResult>& promise, const TuningParameters& parameters,
                              const std::array<int, kPositionCount>& operandCounts)
{
    const int samples = std::max(parameters.samples, 0);
    promise.setProgressRange(0, samples * kPositionCount);
    for (int position = 1; position <= kPositionCount; ++position) {
        TuningParameters category = parameters;
        category.generation.position = position;
        category.generation.operandCount = operandCounts[std::size_t(position - 1)];
        category.seed = positionSeed(parameters.seed, position);
        TuningResult result = resultFor(category);
        if (!sample(category, result, &promise, (position - 1) * samples))
            return;
        promise.addResult(result);
    }
}

Result<TuningResult> ParameterTuning::tuneCodes(const DrawTable& table, const QStringList& codes,
                                                int position, bool kill, int periods)
{
    const CandidateScorer scorer(table, periods);
    ScoreBuffers buffers;
    TuningResult result;
    result.position = position;
    result.kill = kill;
    for (const QString& code : codes) {
        const Result<CompiledFormula> compiled = CompiledFormula::compile(code);
        if (!compiled)
            return Failure{compiled.error()};
        result.estimates.add(scorer.score(*compiled, position, kill, buffers).statistics());
        ++result.samples;
    }
    result.bounds = result.estimates.bounds();
    return result;
}

} // namespace quorvel
