#include "search/FullScanScorer.h"

#include <algorithm>
#include <bit>

namespace quorvel {

namespace {

FullScore scoreOf(const CandidateRuns& runs, int outcomes)
{
    return {outcomes, runs.hits, runs.maxHits};
}

// The hits and the longest hit run of `count` outcomes packed in words. The order of the outcomes
// does not matter for either. Walks the rarer kind of outcome only: a keep formula hits about one
// draw in twenty, a kill formula misses as seldom.
FullScore tally(const std::uint64_t* words, int count)
{
    const int wordCount = (count + 63) / 64;
    int hits = 0;
    for (int w = 0; w < wordCount; ++w)
        hits += std::popcount(words[w]);
    int longest = 0;
    if (2 * hits <= count) {
        // Runs of set bits: a hit right after the previous one lengthens the run.
        int previous = -2;
        int run = 0;
        for (int w = 0; w < wordCount; ++w) {
            for (std::uint64_t bits = words[w]; bits != 0; bits &= bits - 1) {
                const int at = 64 * w + std::countr_zero(bits);
                run = at == previous + 1 ? run + 1 : 1;
                longest = std::max(longest, run);
                previous = at;
            }
        }
    } else {
        // Gaps between misses: the longest is the longest hit run.
        int previousMiss = -1;
        for (int w = 0; w < wordCount; ++w) {
            const std::uint64_t valid =
                64 * w + 64 <= count ? ~std::uint64_t(0) : (std::uint64_t(1) << (count - 64 * w)) - 1;
            for (std::uint64_t misses = ~words[w] & valid; misses != 0; misses &= misses - 1) {
                const int at = 64 * w + std::countr_zero(misses);
                longest = std::max(longest, at - previousMiss - 1);
                previousMiss = at;
            }
        }
        longest = std::max(longest, count - previousMiss - 1);
    }
    return {count, hits, longest};
}

} // namespace

FullScanScorer::FullScanScorer(const DrawTable& table, int periods, Kernel kernel)
    : m_full(table, periods), m_columns(table, m_full.window()), m_kernel(kernel)
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
    if (m_kernel == Kernel::Best)
        hitkernel::wholeWords(input, count, words.data());
    else
        hitkernel::wholeWordsWithoutAvx2(input, count, words.data());
    return tally(words.data(), count);
}

FullScore FullScanScorer::score(const CompiledFormula& formula, int position, bool kill, Words& words,
                                ScoreBuffers& buffers) const
{
    if (formula.isTermSum())
        return score(formula.sumTerms(), formula.sumConstant(), position, kill, words, buffers);
    return scoreOf(m_full.score(formula, position, kill, buffers), m_columns.count());
}

} // namespace quorvel
