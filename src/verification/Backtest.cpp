#include "verification/Backtest.h"

#include "formulas/CompiledFormula.h"
#include "formulas/NumberRules.h"
#include "verification/Ranking.h"
#include "verification/Verifier.h"

#include <algorithm>
#include <bit>
#include <span>

namespace quorvel {

namespace {

// Sort keys of the best-formula method held for one chunk of targets at a time, at most this many
// (formula, target) pairs: about 32 MiB of keys whatever M and the size of the tables.
constexpr std::size_t kChunkPairs = std::size_t(1) << 22;
constexpr int kProgressStep = 64;
constexpr int kLargestStatistic = 32767; // the run statistics are 16-bit counters

bool isNumber(int n)
{
    return n >= 1 && n <= kHighestNumber;
}

int numberOf(double value)
{
    const std::optional<int> folded = fold(value);
    return folded ? *folded : 0;
}

// The runs of hits and misses of a stretch of draws, with range maxima of their lengths, so that
// the statistics of any window inside the stretch cost the same, however long the window is.
class RunIndex
{
public:
    // flags[i] tells whether draw base + i was a hit.
    void build(const std::vector<char>& flags, int base)
    {
        m_base = base;
        m_runOf.resize(flags.size());
        m_start.clear();
        m_hit.clear();
        m_length.clear();
        for (std::size_t i = 0; i < flags.size(); ++i) {
            if (i == 0 || flags[i] != flags[i - 1]) {
                m_start.push_back(int(i));
                m_hit.push_back(flags[i]);
                m_length.push_back(0);
            }
            ++m_length.back();
            m_runOf[i] = int(m_start.size()) - 1;
        }
        const int runs = int(m_start.size());
        m_levels = runs > 0 ? std::bit_width(unsigned(runs)) : 0;
        m_maxima[0].assign(std::size_t(m_levels) * std::size_t(runs), 0);
        m_maxima[1].assign(std::size_t(m_levels) * std::size_t(runs), 0);
        for (int r = 0; r < runs; ++r)
            m_maxima[m_hit[std::size_t(r)] ? 1 : 0][std::size_t(r)] = m_length[std::size_t(r)];
        for (int level = 1; level < m_levels; ++level) {
            const int half = 1 << (level - 1);
            for (auto& table : m_maxima) {
                int* row = table.data() + std::size_t(level) * std::size_t(runs);
                const int* below = row - runs;
                for (int r = 0; r + (1 << level) <= runs; ++r)
                    row[r] = std::max(below[r], below[r + half]);
            }
        }
    }

    // The run statistics of the window of draws first..last (inclusive) inside the stretch.
    RunStatistics over(int first, int last) const
    {
        RunStatistics statistics;
        if (first > last)
            return statistics;
        const int a = first - m_base;
        const int b = last - m_base;
        const int firstRun = m_runOf[std::size_t(a)];
        const int lastRun = m_runOf[std::size_t(b)];
        const bool lastIsHit = m_hit[std::size_t(lastRun)];
        int maxima[2] = {0, 0}; // misses, hits
        if (firstRun == lastRun) {
            maxima[lastIsHit] = b - a + 1;
        } else {
            // The runs at both ends are cut by the window; those between count whole.
            const int head = m_start[std::size_t(firstRun)] + m_length[std::size_t(firstRun)] - a;
            maxima[m_hit[std::size_t(firstRun)] ? 1 : 0] = head;
            const int tail = b - m_start[std::size_t(lastRun)] + 1;
            maxima[lastIsHit] = std::max(maxima[lastIsHit], tail);
            for (int kind = 0; kind < 2; ++kind)
                maxima[kind] = std::max(maxima[kind], rangeMax(kind, firstRun + 1, lastRun - 1));
        }
        const int tail = lastRun == firstRun ? b - a + 1 : b - m_start[std::size_t(lastRun)] + 1;
        statistics.maxMisses = std::min(maxima[0], kLargestStatistic);
        statistics.maxHits = std::min(maxima[1], kLargestStatistic);
        (lastIsHit ? statistics.lastHits : statistics.lastMisses) = std::min(tail, kLargestStatistic);
        return statistics;
    }

private:
    int rangeMax(int kind, int from, int to) const
    {
        if (from > to)
            return 0;
        const int runs = int(m_start.size());
        const int level = std::bit_width(unsigned(to - from + 1)) - 1;
        const int* row = m_maxima[kind].data() + std::size_t(level) * std::size_t(runs);
        return std::max(row[from], row[to - (1 << level) + 1]);
    }

    int m_base = 0;
    int m_levels = 0;
    std::vector<int> m_runOf; // run of each draw of the stretch
    std::vector<int> m_start; // first draw of each run, from the stretch's start
    std::vector<int> m_length;
    std::vector<char> m_hit;
    std::array<std::vector<int>, 2> m_maxima; // sparse tables of miss and hit run lengths
};

// The three sort keys of a formula in one number: smaller sorts first.
quint64 sortKeyOf(const RunStatistics& statistics, const std::array<SortKey, 3>& keys)
{
    quint64 packed = 0;
    for (const SortKey key : keys) {
        int value = 0;
        switch (key) {
        case SortKey::MaxMisses:
            value = statistics.maxMisses;
            break;
        case SortKey::MaxHits:
            value = statistics.maxHits;
            break;
        case SortKey::LastMisses:
            value = statistics.lastMisses;
            break;
        }
        value = std::clamp(value, 0, kLargestStatistic);
        packed = (packed << 16) | quint64(sortKeyDescending(key) ? kLargestStatistic - value : value);
    }
    return packed;
}

// A formula of the best-formula walk: its sort key at one target and its place in the list.
struct Ranked
{
    quint64 key = 0;
    int index = 0;
    // Heap order: the smallest key (and of equal keys the first in the list) on top.
    bool operator<(const Ranked& other) const
    {
        return key != other.key ? key > other.key : index > other.index;
    }
};

// The selected formulas of a position in list order, compiled once for the run.
struct PositionFormulas
{
    std::vector<std::optional<CompiledFormula>> formulas; // empty: the code does not evaluate
};

} // namespace

int Backtest::targetCount(int drawCount, int requested)
{
    return std::clamp(requested, 0, std::max(drawCount - 1, 0));
}

BacktestResult Backtest::run(const DrawTable& table, const BacktestParams& params)
{
    return *execute(table, params, nullptr);
}

void Backtest::run(QPromise<BacktestResult>& promise, std::shared_ptr<const DrawTable> table,
                   const BacktestParams& params)
{
    if (std::optional<BacktestResult> result = execute(*table, params, &promise))
        promise.addResult(std::move(*result));
}

std::optional<BacktestResult> Backtest::execute(const DrawTable& table, const BacktestParams& params,
                                                QPromise<BacktestResult>* promise)
{
    BacktestResult result;
    result.kill = params.kill;
    result.shownPosition = std::clamp(params.shownPosition, 1, kPositionCount);
    const int shown = result.shownPosition;
    const bool best = params.method == PredictionMethod::BestFormulas;
    const int drawCount = table.drawCount();
    const int targets = targetCount(drawCount, params.targets);
    const int firstTarget = drawCount - targets; // targets are draws firstTarget .. drawCount - 1

    // Only selected formulas count; the best-formula method passes over the others without
    // effect, so they are left out of its order as well.
    std::array<PositionFormulas, kPositionCount> positions;
    std::size_t largestTable = 1;
    for (int q = 1; q <= shown; ++q) {
        const std::vector<const PredictionFormula*> list =
            formulasInListOrder(params.tables[std::size_t(q - 1)], params.kill);
        PositionFormulas& position = positions[std::size_t(q - 1)];
        for (std::size_t k = 0; k < list.size(); ++k) {
            if (!params.selection.isSelected(int(k) + 1))
                continue;
            Result<CompiledFormula> compiled = CompiledFormula::compile(list[k]->code);
            position.formulas.push_back(compiled ? std::optional<CompiledFormula>(std::move(*compiled))
                                                 : std::nullopt);
        }
        largestTable = std::max(largestTable, position.formulas.size());
    }

    const std::size_t budget = params.keyBudget > 0 ? params.keyBudget : kChunkPairs;
    const int chunkTargets =
        best ? int(std::clamp<std::size_t>(budget / largestTable, 1, std::size_t(std::max(targets, 1))))
             : std::max(targets, 1);
    const int chunks = targets > 0 ? (targets + chunkTargets - 1) / chunkTargets : 0;
    int progressTotal = 0;
    for (int q = 1; q <= shown; ++q)
        progressTotal += int(positions[std::size_t(q - 1)].formulas.size());
    progressTotal *= chunks;
    int progress = 0;
    if (promise)
        promise->setProgressRange(0, progressTotal);

    // Counts of every target and position, and the best-formula walk of every target (what the
    // earlier positions took stays with the target).
    using TargetCounts = std::array<PositionCounts, kPositionCount>;
    std::vector<TargetCounts> counts(std::size_t(targets), TargetCounts{});
    std::vector<BestFormulaWalk> walks;
    if (best)
        walks.assign(std::size_t(targets), BestFormulaWalk(params.kill, params.quota));

    std::vector<double> values;
    std::vector<char> flags;
    std::vector<quint64> keys;
    std::vector<qint8> numbers;
    std::vector<Ranked> heap;
    RunIndex runs;

    for (int chunkStart = firstTarget; chunkStart < drawCount; chunkStart += chunkTargets) {
        const int chunkEnd = std::min(chunkStart + chunkTargets, drawCount) - 1; // inclusive
        const int chunkSize = chunkEnd - chunkStart + 1;
        // A target T is predicted from draws 0..T-1 only: the values of draws up to T-1, and
        // (best-formula method) the hits of its window, which ends at draw T-1.
        const VerificationWindow earliest =
            verificationWindow(chunkStart, params.periods, params.excludeCurrentPeriod);
        const int firstValue = best && !earliest.isEmpty() ? earliest.first - 1 : chunkStart - 1;
        const int lastValue = chunkEnd - 1;
        const int valueCount = lastValue - firstValue + 1;
        values.resize(std::size_t(valueCount));

        for (int q = 1; q <= shown; ++q) {
            const std::vector<std::optional<CompiledFormula>>& formulas =
                positions[std::size_t(q - 1)].formulas;
            const std::size_t formulaCount = formulas.size();
            const qint32* drawn = table.numbersAt(q);
            if (best) {
                keys.assign(std::size_t(chunkSize) * formulaCount, 0);
                numbers.assign(std::size_t(chunkSize) * formulaCount, 0);
            }

            for (std::size_t f = 0; f < formulaCount; ++f) {
                if (promise && progress % kProgressStep == 0) {
                    promise->suspendIfRequested();
                    if (promise->isCanceled())
                        return std::nullopt;
                    promise->setProgressValue(progress);
                }
                ++progress;
                if (!formulas[f]) {
                    // Scored as nothing: statistics 0, no number (keys and numbers stay 0).
                    if (best) {
                        for (int i = 0; i < chunkSize; ++i)
                            keys[std::size_t(i) * formulaCount + f] = sortKeyOf({}, params.keys);
                    }
                    continue;
                }
                formulas[f]->evaluate(table, firstValue, std::span<double>(values.data(), values.size()));
                if (!best) {
                    for (int target = chunkStart; target <= chunkEnd; ++target) {
                        const int n = numberOf(values[std::size_t(target - 1 - firstValue)]);
                        if (!isNumber(n))
                            continue;
                        PositionCounts& position =
                            counts[std::size_t(target - firstTarget)][std::size_t(q - 1)];
                        ++position.total[std::size_t(n)];
                        ++(params.kill ? position.kill : position.keep)[std::size_t(n)];
                    }
                    continue;
                }
                // Hit flags of draws firstValue + 1 .. lastValue, each judged by the value of the
                // draw before it.
                flags.resize(std::size_t(std::max(valueCount - 1, 0)));
                for (int t = firstValue + 1; t <= lastValue; ++t)
                    flags[std::size_t(t - firstValue - 1)] =
                        isHit(values[std::size_t(t - 1 - firstValue)], drawn[t], params.kill);
                runs.build(flags, firstValue + 1);
                for (int target = chunkStart; target <= chunkEnd; ++target) {
                    const VerificationWindow window =
                        verificationWindow(target, params.periods, params.excludeCurrentPeriod);
                    const std::size_t at = std::size_t(target - chunkStart) * formulaCount + f;
                    keys[at] = sortKeyOf(runs.over(window.first, window.last), params.keys);
                    numbers[at] =
                        qint8(std::clamp(numberOf(values[std::size_t(target - 1 - firstValue)]), -1, 21));
                }
            }

            if (!best)
                continue;
            for (int target = chunkStart; target <= chunkEnd; ++target) {
                const std::size_t row = std::size_t(target - chunkStart) * formulaCount;
                heap.resize(formulaCount);
                for (std::size_t f = 0; f < formulaCount; ++f)
                    heap[f] = {keys[row + f], int(f)};
                std::make_heap(heap.begin(), heap.end());
                BestFormulaWalk& walk = walks[std::size_t(target - firstTarget)];
                auto end = heap.end();
                while (end != heap.begin() && walk.wantsMore()) {
                    std::pop_heap(heap.begin(), end);
                    --end;
                    const int n = numbers[row + std::size_t(end->index)];
                    walk.take(isNumber(n) ? std::optional<int>(n) : std::nullopt);
                }
                counts[std::size_t(target - firstTarget)][std::size_t(q - 1)] = walk.endPosition();
            }
        }
    }

    // Each target's ranking picks its numbers as the ranking window does; the picks are judged
    // against the target's draw.
    result.positions.assign(std::size_t(shown), PickTally());
    const int quota = best ? params.quota : 1;
    Ranking ranking;
    for (int target = firstTarget; target < drawCount; ++target) {
        const auto& targetCounts = counts[std::size_t(target - firstTarget)];
        ranking.activate(std::vector<PositionCounts>(targetCounts.begin(), targetCounts.begin() + shown),
                         quota, params.kill);
        BacktestDraw draw;
        draw.issue = table.issues()[std::size_t(target)];
        for (int q = 1; q <= shown; ++q) {
            BacktestPage page;
            page.picks = ranking.pages()[std::size_t(q - 1)].picks();
            page.drawn = table.numbersAt(q)[target];
            page.right = rightPicks(page.picks, page.drawn);
            result.positions[std::size_t(q - 1)].add(page.right, int(page.picks.size()));
            result.overall.add(page.right, int(page.picks.size()));
            draw.pages.push_back(std::move(page));
        }
        result.draws.push_back(std::move(draw));
    }
    if (promise)
        promise->setProgressValue(progressTotal);
    return result;
}

} // namespace quorvel
