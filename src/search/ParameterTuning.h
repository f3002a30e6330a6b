#pragma once

#include "core/FormulaRecord.h"
#include "core/Result.h"
#include "core/TermTable.h"
#include "core/DrawTable.h"
#include "search/AcceptanceBounds.h"
#include "search/CandidateGenerator.h"

#include <QPromise>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

namespace quorvel {

// The four drifting estimates of the tuning, in single precision: the miss estimates only move
// up and the hit estimates only move down, each time halfway towards the sample.
struct TuningEstimates
{
    float maxMisses = 0;  // 最大连错
    float maxHits = 0;    // 最大连对
    float lastMisses = 0; // 最后连错
    float lastHits = 0;   // 最后连对
    bool started = false; // the first sample sets all four

    void add(const RunStatistics& sample);
    // The bounds 2..9 the estimates give: the rounded miss estimates as lower and 32767 as upper
    // ends of the miss runs, 0 and the rounded hit estimates for the hit runs; the lower end of
    // 最后连错 is never below 1.
    AcceptanceBounds bounds() const;
    bool operator==(const TuningEstimates&) const = default;
};

// One category to tune (`Command11`) and what its samples are drawn from.
struct TuningParameters
{
    std::shared_ptr<const DrawTable> history;
    GenerationSettings generation; // position, kind, operand count, end constant
    int periods = 300;
    int samples = 20; // `Text7`, 20..1000 in the window
    quint64 seed = 0;
};

struct TuningResult
{
    int position = 1;
    bool kill = false;
    int operandCount = 8; // stored with the bounds by SaveCategory
    int samples = 0;
    TuningEstimates estimates;
    AcceptanceBounds bounds;
};

// Derives acceptance bounds from samples of random candidates of a category, each scored with the
// search's counting and its full statistics. Runs on a worker: progress is the number of samples
// taken; it pauses while its future is suspended and ends early when canceled.
class ParameterTuning
{
public:
    // TuneCurrent: one category.
    static TuningResult tune(const TuningParameters& parameters);
    static void tune(QPromise<TuningResult>& promise, const TuningParameters& parameters);

    // TuneAll (`Command12`): positions 1..8 of one kind, each with its own operand count; one result
    // per position, in order (the window saves each as SaveCategory does).
    static std::array<TuningResult, kPositionCount>
    tuneAll(const TuningParameters& parameters, const std::array<int, kPositionCount>& operandCounts);
    static void tuneAll(QPromise<TuningResult>& promise, const TuningParameters& parameters,
                        const std::array<int, kPositionCount>& operandCounts);

    // `tune score`: the codes, in order, are the samples. Fails on a code that does not compile.
    static Result<TuningResult> tuneCodes(const DrawTable& table, const QStringList& codes, int position,
                                          bool kill, int periods);

    // Seed of position p's samples in TuneAll.
    static quint64 positionSeed(quint64 seed, int position);

private:
    // Takes the samples of one category; false when canceled.
    static bool sample(const TuningParameters& parameters, TuningResult& result,
                       QPromise<TuningResult>* promise, int progressBase);
};

} // namespace quorvel
