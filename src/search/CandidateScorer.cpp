#include "search/CandidateScorer.h"

#include "formulas/FoldMatch.h"
#include "formulas/NumberRules.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <limits>

namespace quorvel {

namespace {

// Counts runs of hits and misses from outcomes packed 64 to a word, oldest outcome in bit 0.
// Works run by run rather than outcome by outcome: a candidate's outcomes mostly come in long
// runs (a kill candidate is right on about 19 draws of 20).
class RunTally
{
public:
    void add(quint64 hits, int length)
    {
        while (length > 0) {
            const bool hit = hits & 1;
            const int run = std::min(std::countr_zero(hit ? ~hits : hits), length);
            if (hit) {
                m_runs.currentMisses = 0;
                m_runs.currentHits += run;
                m_runs.maxHits = std::max(m_runs.maxHits, m_runs.currentHits);
            } else {
                m_runs.currentHits = 0;
                m_runs.currentMisses += run;
                m_runs.maxMisses = std::max(m_runs.maxMisses, m_runs.currentMisses);
            }
            hits = run < 64 ? hits >> run : 0;
            length -= run;
        }
    }

    CandidateRuns finish()
    {
        m_runs.lastHits = m_runs.currentHits;
        m_runs.lastMisses = m_runs.currentMisses;
        return m_runs;
    }

private:
    CandidateRuns m_runs;
};

} // namespace

CandidateScorer::CandidateScorer(const DrawTable& table, int periods)
    : m_table(table), m_window(verificationWindow(table.drawCount(), periods, false))
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
        return tally.finish();
    if (buffers.sums.size() < std::size_t(count))
        buffers.sums.resize(std::size_t(count));
    // Outcome of draw t is predicted by the value of draw t - 1.
    sumTermColumns(m_table, terms, constant, m_window.first - 1, count, buffers.sums.data());
    const qint32* drawn = m_table.numbersAt(position) + m_window.first;
    const qint64* sums = buffers.sums.data();
    const quint64 flip = kill ? ~quint64(0) : 0; // kill: right where the fold differs
#ifdef QUORVEL_FOLD_MATCH_SSE2
    // Sums fit in 32 bits when every term and the constant are small enough; then four at once.
    const bool narrow = terms.size() < (std::size_t(1) << 20) &&
                        qint64(terms.size()) * m_largestValue + std::llabs(constant) <
                            qint64(std::numeric_limits<qint32>::max()) - kHighestNumber;
#endif
    for (int base = 0; base < count; base += 64) {
        const int length = std::min(64, count - base);
        quint64 equal = 0;
        int j = 0;
#ifdef QUORVEL_FOLD_MATCH_SSE2
        if (narrow) {
            for (; j + 4 <= length; j += 4)
                equal |= quint64(foldMatches4(sums + base + j, drawn + base + j)) << j;
        }
#endif
        for (; j < length; ++j)
            equal |= quint64(foldMatches(sums[base + j], drawn[base + j])) << j;
        quint64 hits = equal ^ flip;
        if (length < 64)
            hits &= (quint64(1) << length) - 1;
        tally.add(hits, length);
    }
    return tally.finish();
}

CandidateRuns CandidateScorer::score(const CompiledFormula& formula, int position, bool kill,
                                     ScoreBuffers& buffers) const
{
    if (formula.isTermSum())
        return score(formula.sumTerms(), formula.sumConstant(), position, kill, buffers);
    RunTally tally;
    const int count = m_window.size();
    if (count == 0)
        return tally.finish();
    if (buffers.values.size() < std::size_t(count))
        buffers.values.resize(std::size_t(count));
    const std::span<double> values(buffers.values.data(), std::size_t(count));
    formula.evaluate(m_table, m_window.first - 1, values);
    const qint32* drawn = m_table.numbersAt(position) + m_window.first;
    for (int base = 0; base < count; base += 64) {
        const int length = std::min(64, count - base);
        quint64 hits = 0;
        for (int j = 0; j < length; ++j) {
            // An empty value predicts nothing: the outcome is a miss for kill and keep alike.
            const std::optional<int> folded = fold(values[std::size_t(base + j)]);
            hits |= quint64(folded && (*folded != drawn[base + j]) == kill) << j;
        }
        tally.add(hits, length);
    }
    return tally.finish();
}

} // namespace quorvel
