#include "search/CandidateScorer.h"

#include "formulas/NumberRules.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace quorvel {

namespace {

// The six run statistics of a candidate: its current runs are the last runs of the tally.
CandidateRuns runsOf(const RunTally& tally)
{
    const RunStatistics runs = tally.statistics();
    return {.currentHits = runs.lastHits,
            .currentMisses = runs.lastMisses,
            .maxHits = runs.maxHits,
            .maxMisses = runs.maxMisses,
            .lastHits = runs.lastHits,
            .lastMisses = runs.lastMisses,
            .hits = tally.hits()};
}

} // namespace

CandidateScorer::CandidateScorer(const DrawTable& table, int periods, bool excludeCurrentPeriod)
    : m_table(table), m_window(verificationWindow(table.drawCount(), periods, excludeCurrentPeriod))
{
    const int count = m_window.size();
    for (int term = 0; term < kTermCount && count > 0; ++term) {
        const qint32* column = table.column(term) + m_window.first - 1;
        for (int i = 0; i < count; ++i)
            m_largestValue = std::max(m_largestValue, std::llabs(qint64(column[i])));
    }
}

CandidateRuns CandidateScorer::score(const Candidate& candidate, int position, bool kill,
                                     ScoreBuffers& buffers) const
{
    return score(candidate.terms, candidate.constant, position, kill, buffers);
}

CandidateRuns CandidateScorer::score(std::span<const int> terms, qint64 constant, int position, bool kill,
                                     ScoreBuffers& buffers) const
{
    RunTally tally;
    const int count = m_window.size();
    if (count == 0)
        return runsOf(tally);
    if (buffers.sums.size() < std::size_t(count))
        buffers.sums.resize(std::size_t(count));
    // Outcome of draw t is predicted by the value of draw t - 1.
    sumTermColumns(m_table, terms, constant, m_window.first - 1, count, buffers.sums.data());
    const qint32* drawn = m_table.numbersAt(position) + m_window.first;
    const qint64* sums = buffers.sums.data();
    // Sums fit in 32 bits when every term and the constant are small enough; then four at once.
    const bool narrow = terms.size() < (std::size_t(1) << 20) &&
                        qint64(terms.size()) * m_largestValue + std::llabs(constant) <
                            qint64(std::numeric_limits<qint32>::max()) - kHighestNumber;
    for (int base = 0; base < count; base += 64) {
        const int length = std::min(64, count - base);
        tally.addWord(hitBits(sums + base, drawn + base, length, narrow, kill), length);
    }
    return runsOf(tally);
}

CandidateRuns CandidateScorer::score(const CompiledFormula& formula, int position, bool kill,
                                     ScoreBuffers& buffers) const
{
    if (formula.isTermSum())
        return score(formula.sumTerms(), formula.sumConstant(), position, kill, buffers);
    RunTally tally;
    const int count = m_window.size();
    if (count == 0)
        return runsOf(tally);
    if (buffers.values.size() < std::size_t(count))
        buffers.values.resize(std::size_t(count));
    const std::span<double> values(buffers.values.data(), std::size_t(count));
    formula.evaluate(m_table, m_window.first - 1, values);
    const qint32* drawn = m_table.numbersAt(position) + m_window.first;
    for (int base = 0; base < count; base += 64) {
        const int length = std::min(64, count - base);
        tally.addWord(hitBits(values.data() + base, drawn + base, length, kill), length);
    }
    return runsOf(tally);
}

} // namespace quorvel
