#include "verification/Verifier.h"

#include "formulas/NumberRules.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <span>

namespace quorvel {

namespace {

// Values evaluated for one formula, reused from call to call so that verifying a list of
// formulas does not allocate per formula.
thread_local std::vector<double> t_values;
thread_local std::vector<qint64> t_sums;

// The verdict of a formula from the tally of its window's outcomes.
void takeTally(const RunTally& tally, FormulaVerdict& verdict)
{
    verdict.statistics = tally.statistics();
    verdict.outcomes = tally.outcomes();
    verdict.hits = tally.hits();
    verdict.hitWeight = tally.hitWeight();
    verdict.totalWeight = tally.totalWeight();
}

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
    for (int t = 1; t < drawCount; ++t)
        hits[std::size_t(t)] = isHit(values[std::size_t(t - 1)], drawn[t], kill);
    return hits;
}

FormulaVerdict countRuns(const std::vector<char>& hits, const VerificationWindow& window, bool weighted)
{
    FormulaVerdict verdict;
    RunTally tally(weighted);
    const int last = std::min(window.last, int(hits.size()) - 1);
    for (int t = std::max(window.first, 0); t <= last; ++t)
        tally.add(hits[std::size_t(t)] != 0);
    takeTally(tally, verdict);
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
    RunTally tally(m_settings.weighted);
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
        for (int base = m_window.first; base <= m_window.last; base += 64) {
            const int length = std::min(64, m_window.last - base + 1);
            tally.addWord(hitBits(sums + (base - 1 - firstValue), drawn + base, length, narrow, m_kill),
                          length);
        }
        if (withComputedValue)
            newest = int(foldWhole(sums[drawCount - 1 - firstValue]));
    } else {
        t_values.resize(std::size_t(valueCount));
        formula.evaluate(m_table, firstValue, std::span<double>(t_values.data(), t_values.size()));
        const double* values = t_values.data(); // values[i] is the value of draw firstValue + i
        for (int base = m_window.first; base <= m_window.last; base += 64) {
            const int length = std::min(64, m_window.last - base + 1);
            tally.addWord(hitBits(values + (base - 1 - firstValue), drawn + base, length, m_kill), length);
        }
        if (withComputedValue)
            newest = fold(values[drawCount - 1 - firstValue]);
    }

    takeTally(tally, verdict);
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
