#include "verification/Verifier.h"

#include "formulas/FoldMatch.h"
#include "formulas/NumberRules.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <limits>
#include <span>

namespace quorvel {

namespace {

// Values evaluated for one formula, reused from call to call so that verifying a list of
// formulas does not allocate per formula.
thread_local std::vector<double> t_values;
thread_local std::vector<qint64> t_sums;

// Whether a folded prediction was right for the number that was then drawn. Folds of 0 or less
// never equal a drawn number (1..20), so a kill prediction is then right and a keep one wrong.
inline bool isRight(qint64 folded, qint32 drawn, bool kill)
{
    return (folded != drawn) == kill;
}

// Runs of hits and misses from the oldest window draw on, taken a run at a time: outcomes mostly
// come in long runs (a kill formula is right on about 19 draws of 20), and the weights of a run
// are a difference of sums of squares.
class RunCounter
{
public:
    explicit RunCounter(bool weighted) : m_weighted(weighted) {}

    void add(bool hit) { addRun(hit, 1); }

    // Outcomes packed 64 to a word, the oldest in bit 0.
    void addWord(quint64 hits, int length)
    {
        while (length > 0) {
            const bool hit = hits & 1;
            const int run = std::min(std::countr_zero(hit ? ~hits : hits), length);
            addRun(hit, run);
            hits = run < 64 ? hits >> run : 0;
            length -= run;
        }
    }

    void finish(FormulaVerdict& verdict) const
    {
        verdict.statistics.maxMisses = m_maxMisses;
        verdict.statistics.maxHits = m_maxHits;
        verdict.statistics.lastMisses = m_currentMisses;
        verdict.statistics.lastHits = m_currentHits;
        verdict.outcomes = int(m_index);
        verdict.hits = m_hits;
        verdict.hitWeight = m_hitWeight;
        verdict.totalWeight = m_totalWeight;
    }

private:
    // Weight of window draws 1..n: j * j each when weighted, else 1 each.
    qint64 weightUpTo(qint64 n) const { return m_weighted ? n * (n + 1) * (2 * n + 1) / 6 : n; }

    void addRun(bool hit, int run)
    {
        const qint64 weight = weightUpTo(m_index + run) - weightUpTo(m_index);
        m_index += run;
        m_totalWeight += weight;
        if (hit) {
            m_currentMisses = 0;
            m_currentHits += run;
            m_maxHits = std::max(m_maxHits, m_currentHits);
            m_hits += run;
            m_hitWeight += weight;
        } else {
            m_currentHits = 0;
            m_currentMisses += run;
            m_maxMisses = std::max(m_maxMisses, m_currentMisses);
        }
    }

    bool m_weighted;
    qint64 m_index = 0;
    qint64 m_totalWeight = 0;
    qint64 m_hitWeight = 0;
    int m_hits = 0;
    int m_currentHits = 0;
    int m_currentMisses = 0;
    int m_maxHits = 0;
    int m_maxMisses = 0;
};

} // namespace

VerificationWindow verificationWindow(int drawCount, int periods, bool excludeCurrentPeriod)
{
    if (drawCount <= 1)
        return {};
    VerificationWindow window;
    window.last = drawCount - 1;
    window.first = 1; // the oldest draw has no prediction
    if (periods > 0) {
        const qint64 length = excludeCurrentPeriod ? qint64(periods) : qint64(periods) + 1;
        window.first = int(std::max<qint64>(1, qint64(drawCount) - length));
    }
    return window;
}

std::vector<char> hitFlags(const std::vector<double>& values, const DrawTable& table, int position, bool kill)
{
    const int drawCount = std::min(table.drawCount(), int(values.size()));
    std::vector<char> hits(std::size_t(table.drawCount()), 0);
    const qint32* drawn = table.numbersAt(position);
    for (int t = 1; t < drawCount; ++t) {
        const std::optional<int> folded = fold(values[std::size_t(t - 1)]);
        hits[std::size_t(t)] = folded && isRight(*folded, drawn[t], kill);
    }
    return hits;
}

FormulaVerdict countRuns(const std::vector<char>& hits, const VerificationWindow& window, bool weighted)
{
    FormulaVerdict verdict;
    RunCounter counter(weighted);
    const int last = std::min(window.last, int(hits.size()) - 1);
    for (int t = std::max(window.first, 0); t <= last; ++t)
        counter.add(hits[std::size_t(t)] != 0);
    counter.finish(verdict);
    return verdict;
}

Verifier::Verifier(const DrawTable& table, int position, bool kill, const VerificationSettings& settings)
    : m_table(table), m_position(position), m_kill(kill), m_settings(settings),
      m_window(verificationWindow(table.drawCount(), settings.periods, settings.excludeCurrentPeriod))
{
    // The largest parameter value (in magnitude) on the draws a verification evaluates: term sums
    // that stay within 32 bits are judged four outcomes at a time.
    const int first = m_window.isEmpty() ? table.drawCount() - 1 : m_window.first - 1;
    for (int term = 0; term < kTermCount && first >= 0; ++term) {
        const qint32* column = table.column(term);
        for (int t = first; t < table.drawCount(); ++t)
            m_largestValue = std::max(m_largestValue, std::llabs(qint64(column[t])));
    }
}

FormulaVerdict Verifier::verify(const CompiledFormula& formula, bool withComputedValue) const
{
    FormulaVerdict verdict;
    const int drawCount = m_table.drawCount();
    if (drawCount == 0)
        return verdict;

    // Draw t of the window is predicted by the value of draw t - 1; the computed value is the
    // newest draw's own value. Only that range is evaluated.
    const int firstValue = m_window.isEmpty() ? drawCount - 1 : m_window.first - 1;
    const int lastValue = withComputedValue ? drawCount - 1 : m_window.last - 1;
    const int valueCount = lastValue - firstValue + 1;
    if (valueCount <= 0)
        return verdict;

    const qint32* drawn = m_table.numbersAt(m_position);
    RunCounter counter(m_settings.weighted);
    std::optional<int> newest;

    if (formula.isTermSum()) {
        // Sums of whole columns are exact integers: fold them without a detour through doubles.
        t_sums.resize(std::size_t(valueCount));
        sumTermColumns(m_table, formula.sumTerms(), formula.sumConstant(), firstValue, valueCount,
                       t_sums.data());
        const qint64* sums = t_sums.data(); // sums[i] is the value of draw firstValue + i
        const bool narrow =
            qint64(formula.sumTerms().size()) * m_largestValue + std::llabs(formula.sumConstant()) <
            qint64(std::numeric_limits<qint32>::max()) - kHighestNumber;
        const quint64 flip = m_kill ? ~quint64(0) : 0; // kill: right where the fold differs
        for (int base = m_window.first; base <= m_window.last; base += 64) {
            const int length = std::min(64, m_window.last - base + 1);
            const quint64 matches =
                foldMatchBits(sums + (base - 1 - firstValue), drawn + base, length, narrow);
            counter.addWord(matches ^ flip, length);
        }
        if (withComputedValue)
            newest = int(foldWhole(sums[drawCount - 1 - firstValue]));
    } else {
        t_values.resize(std::size_t(valueCount));
        formula.evaluate(m_table, firstValue, std::span<double>(t_values.data(), t_values.size()));
        const double* values = t_values.data(); // values[i] is the value of draw firstValue + i
        for (int t = m_window.first; t <= m_window.last; ++t) {
            const std::optional<int> folded = fold(values[t - 1 - firstValue]);
            counter.add(folded && isRight(*folded, drawn[t], m_kill));
        }
        if (withComputedValue)
            newest = fold(values[drawCount - 1 - firstValue]);
    }

    counter.finish(verdict);
    verdict.computedValue = newest;
    return verdict;
}

FormulaVerdict Verifier::verify(const QString& code, bool withComputedValue) const
{
    const Result<CompiledFormula> compiled = CompiledFormula::compile(code);
    if (!compiled) {
        FormulaVerdict verdict;
        verdict.evaluable = false;
        return verdict;
    }
    return verify(*compiled, withComputedValue);
}

} // namespace quorvel
