#include "search/FullScanScorer.h"

namespace quorvel {

namespace {

FullScore scoreOf(const CandidateRuns& runs, int outcomes)
{
    return {outcomes, runs.hits, runs.maxHits};
}

} // namespace

FullScanScorer::FullScanScorer(const DrawTable& table, int periods, bool excludeCurrentPeriod, Kernel kernel)
    : m_full(table, periods, excludeCurrentPeriod), m_columns(table, m_full.window()), m_kernel(kernel)
{
}

FullScore FullScanScorer::score(std::span<const int> terms, qint64 constant, int position, bool kill,
                                Words& words, ScoreBuffers& buffers) const
{
    const int count = m_columns.count();
    if (!m_columns.scans(terms, constant))
        return scoreOf(m_full.score(terms, constant, position, kill, buffers), count);
    words.resize(std::size_t(count + 63) / 64);
    const hitkernel::Input input = m_columns.input(terms, constant, position, kill);
    const hitkernel::Tally tally = m_kernel == Kernel::Best
                                       ? hitkernel::wholeTally(input, count, words.data())
                                       : hitkernel::wholeTallyWithoutAvx2(input, count, words.data());
    return {count, tally.hits, tally.longestHitRun};
}

FullScore FullScanScorer::score(const CompiledFormula& formula, int position, bool kill, Words& words,
                                ScoreBuffers& buffers) const
{
    if (formula.isTermSum())
        return score(formula.sumTerms(), formula.sumConstant(), position, kill, words, buffers);
    return scoreOf(m_full.score(formula, position, kill, buffers), m_columns.count());
}

} // namespace quorvel
