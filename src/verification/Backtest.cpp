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

// One backtest run, step by step: the selected formulas compiled, the targets counted chunk by
// chunk (each position's formulas evaluated once per chunk), then each target's ranking picks
// scored against its draw.
class BacktestWalk
{
public:
    BacktestWalk(const DrawTable& table, const BacktestParams& params, QPromise<BacktestResult>* promise)
        : m_table(table), m_params(params), m_promise(promise),
          m_shown(std::clamp(params.shownPosition, 1, kPositionCount)),
          m_best(params.method == PredictionMethod::BestFormulas), m_drawCount(table.drawCount()),
          m_targets(Backtest::targetCount(m_drawCount, params.targets)),
          m_firstTarget(m_drawCount - m_targets) // targets are draws m_firstTarget .. m_drawCount - 1
    {
    }

    // Counts every target; false when the run was canceled.
    bool countTargets()
    {
        compileFormulas();
        planChunks();
        m_counts.assign(std::size_t(m_targets), TargetCounts{});
        if (m_best)
            m_walks.assign(std::size_t(m_targets), BestFormulaWalk(m_params.kill, m_params.quota));
        for (int chunkStart = m_firstTarget; chunkStart < m_drawCount; chunkStart += m_chunkTargets) {
            if (!countChunk(chunkStart, std::min(chunkStart + m_chunkTargets, m_drawCount) - 1))
                return false;
        }
        return true;
    }

    // Each target's ranking picks its numbers as the ranking window does; the picks are judged
    // against the target's draw.
    BacktestResult scoredResult() const
    {
        BacktestResult result;
        result.kill = m_params.kill;
        result.shownPosition = m_shown;
        result.positions.assign(std::size_t(m_shown), PickTally());
        const int quota = m_best ? m_params.quota : 1;
        Ranking ranking;
        for (int target = m_firstTarget; target < m_drawCount; ++target) {
            const TargetCounts& targetCounts = m_counts[std::size_t(target - m_firstTarget)];
            ranking.activate(
                std::vector<PositionCounts>(targetCounts.begin(), targetCounts.begin() + m_shown), quota,
                m_params.kill);
            BacktestDraw draw;
            draw.issue = m_table.issues()[std::size_t(target)];
            for (int q = 1; q <= m_shown; ++q) {
                BacktestPage page;
                page.picks = ranking.pages()[std::size_t(q - 1)].picks();
                page.drawn = m_table.numbersAt(q)[target];
                page.right = rightPicks(page.picks, page.drawn);
                result.positions[std::size_t(q - 1)].add(page.right, int(page.picks.size()));
                result.overall.add(page.right, int(page.picks.size()));
                draw.pages.push_back(std::move(page));
            }
            result.draws.push_back(std::move(draw));
        }
        if (m_promise)
            m_promise->setProgressValue(m_progressTotal);
        return result;
    }

private:
    using TargetCounts = std::array<PositionCounts, kPositionCount>;

    // Only selected formulas count; the best-formula method passes over the others without
    // effect, so they are left out of its order as well.
    void compileFormulas()
    {
        for (int q = 1; q <= m_shown; ++q) {
            const std::vector<const PredictionFormula*> list =
                formulasInListOrder(m_params.tables[std::size_t(q - 1)], m_params.kill);
            PositionFormulas& position = m_positions[std::size_t(q - 1)];
            for (std::size_t k = 0; k < list.size(); ++k) {
                if (!m_params.selection.isSelected(int(k) + 1))
                    continue;
                Result<CompiledFormula> compiled = CompiledFormula::compile(list[k]->code);
                position.formulas.push_back(compiled ? std::optional<CompiledFormula>(std::move(*compiled))
                                                     : std::nullopt);
            }
            m_largestTable = std::max(m_largestTable, position.formulas.size());
        }
    }

    // Targets per chunk: the best-formula method's sort keys of a chunk stay within the budget.
    void planChunks()
    {
        const std::size_t budget = m_params.keyBudget > 0 ? m_params.keyBudget : kChunkPairs;
        m_chunkTargets = m_best ? int(std::clamp<std::size_t>(budget / m_largestTable, 1,
                                                              std::size_t(std::max(m_targets, 1))))
                                : std::max(m_targets, 1);
        const int chunks = m_targets > 0 ? (m_targets + m_chunkTargets - 1) / m_chunkTargets : 0;
        for (int q = 1; q <= m_shown; ++q)
            m_progressTotal += int(m_positions[std::size_t(q - 1)].formulas.size());
        m_progressTotal *= chunks;
        if (m_promise)
            m_promise->setProgressRange(0, m_progressTotal);
    }

    // The counts of targets chunkStart..chunkEnd at every position; false when canceled.
    bool countChunk(int chunkStart, int chunkEnd)
    {
        // A target T is predicted from draws 0..T-1 only: the values of draws up to T-1, and
        // (best-formula method) the hits of its window, which ends at draw T-1.
        const VerificationWindow earliest =
            verificationWindow(chunkStart, m_params.periods, m_params.excludeCurrentPeriod);
        m_firstValue = m_best && !earliest.isEmpty() ? earliest.first - 1 : chunkStart - 1;
        m_lastValue = chunkEnd - 1;
        m_values.resize(std::size_t(m_lastValue - m_firstValue + 1));
        for (int q = 1; q <= m_shown; ++q) {
            const std::vector<std::optional<CompiledFormula>>& formulas =
                m_positions[std::size_t(q - 1)].formulas;
            if (m_best) {
                m_keys.assign(std::size_t(chunkEnd - chunkStart + 1) * formulas.size(), 0);
                m_numbers.assign(m_keys.size(), 0);
            }
            for (std::size_t f = 0; f < formulas.size(); ++f) {
                if (!advanceProgress())
                    return false;
                if (m_best)
                    rankFormula(formulas[f], f, formulas.size(), q, chunkStart, chunkEnd);
                else if (formulas[f])
                    countFormula(*formulas[f], q, chunkStart, chunkEnd);
            }
            if (m_best)
                walkBestFormulas(formulas.size(), q, chunkStart, chunkEnd);
        }
        return true;
    }

    // Pauses while the future is suspended; false once it is canceled.
    bool advanceProgress()
    {
        if (m_promise && m_progress % kProgressStep == 0) {
            m_promise->suspendIfRequested();
            if (m_promise->isCanceled())
                return false;
            m_promise->setProgressValue(m_progress);
        }
        ++m_progress;
        return true;
    }

    // Selected-formula method: the formula's number for each target counts at position q.
    void countFormula(const CompiledFormula& formula, int q, int chunkStart, int chunkEnd)
    {
        formula.evaluate(m_table, m_firstValue, std::span<double>(m_values.data(), m_values.size()));
        for (int target = chunkStart; target <= chunkEnd; ++target) {
            const int n = numberOf(m_values[std::size_t(target - 1 - m_firstValue)]);
            if (!isNumber(n))
                continue;
            PositionCounts& position = m_counts[std::size_t(target - m_firstTarget)][std::size_t(q - 1)];
            ++position.total[std::size_t(n)];
            ++(m_params.kill ? position.kill : position.keep)[std::size_t(n)];
        }
    }

    // Best-formula method: the formula's sort key and number for each target of the chunk.
    void rankFormula(const std::optional<CompiledFormula>& formula, std::size_t f, std::size_t formulaCount,
                     int q, int chunkStart, int chunkEnd)
    {
        if (!formula) {
            // Scored as nothing: statistics 0, no number.
            for (int i = 0; i <= chunkEnd - chunkStart; ++i)
                m_keys[std::size_t(i) * formulaCount + f] = sortKeyOf({}, m_params.keys);
            return;
        }
        formula->evaluate(m_table, m_firstValue, std::span<double>(m_values.data(), m_values.size()));
        // Hit flags of draws m_firstValue + 1 .. m_lastValue, each judged by the value of the draw
        // before it.
        const qint32* drawn = m_table.numbersAt(q);
        m_flags.resize(std::size_t(std::max(m_lastValue - m_firstValue, 0)));
        for (int t = m_firstValue + 1; t <= m_lastValue; ++t)
            m_flags[std::size_t(t - m_firstValue - 1)] =
                isHit(m_values[std::size_t(t - 1 - m_firstValue)], drawn[t], m_params.kill);
        m_runs.build(m_flags, m_firstValue + 1);
        for (int target = chunkStart; target <= chunkEnd; ++target) {
            const VerificationWindow window =
                verificationWindow(target, m_params.periods, m_params.excludeCurrentPeriod);
            const std::size_t at = std::size_t(target - chunkStart) * formulaCount + f;
            m_keys[at] = sortKeyOf(m_runs.over(window.first, window.last), m_params.keys);
            m_numbers[at] =
                qint8(std::clamp(numberOf(m_values[std::size_t(target - 1 - m_firstValue)]), -1, 21));
        }
    }

    // Best-formula method: each target of the chunk takes the formulas of position q in sort order
    // until its quota is covered (what the earlier positions took stays with the target).
    void walkBestFormulas(std::size_t formulaCount, int q, int chunkStart, int chunkEnd)
    {
        for (int target = chunkStart; target <= chunkEnd; ++target) {
            const std::size_t row = std::size_t(target - chunkStart) * formulaCount;
            m_heap.resize(formulaCount);
            for (std::size_t f = 0; f < formulaCount; ++f)
                m_heap[f] = {m_keys[row + f], int(f)};
            std::make_heap(m_heap.begin(), m_heap.end());
            BestFormulaWalk& walk = m_walks[std::size_t(target - m_firstTarget)];
            auto end = m_heap.end();
            while (end != m_heap.begin() && walk.wantsMore()) {
                std::pop_heap(m_heap.begin(), end);
                --end;
                const int n = m_numbers[row + std::size_t(end->index)];
                walk.take(isNumber(n) ? std::optional<int>(n) : std::nullopt);
            }
            m_counts[std::size_t(target - m_firstTarget)][std::size_t(q - 1)] = walk.endPosition();
        }
    }

    const DrawTable& m_table;
    const BacktestParams& m_params;
    QPromise<BacktestResult>* m_promise;
    const int m_shown;
    const bool m_best;
    const int m_drawCount;
    const int m_targets;
    const int m_firstTarget;

    std::array<PositionFormulas, kPositionCount> m_positions;
    std::size_t m_largestTable = 1;
    int m_chunkTargets = 1;
    int m_progressTotal = 0;
    int m_progress = 0;
    std::vector<TargetCounts> m_counts;   // of every target and position
    std::vector<BestFormulaWalk> m_walks; // best-formula method: of every target

    // The chunk in hand: values of draws m_firstValue..m_lastValue, and the work space.
    int m_firstValue = 0;
    int m_lastValue = 0;
    std::vector<double> m_values;
    std::vector<char> m_flags;
    std::vector<quint64> m_keys;
    std::vector<qint8> m_numbers;
    std::vector<Ranked> m_heap;
    RunIndex m_runs;
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
    BacktestWalk walk(table, params, promise);
    if (!walk.countTargets())
        return std::nullopt;
    return walk.scoredResult();
}

} // namespace quorvel
