#include "search/CandidateScorer.h"

#include "formulas/NumberRules.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <limits>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define QUORVEL_SCORE_WITH_SSE2 1
#endif

namespace quorvel {

namespace {

// Whether the fold of the whole number w equals the drawn number n (1..20), without a division.
// With the remainder keeping the dividend's sign, w folds to n exactly when w - n is a multiple
// of 20 and either w >= n, or n is 1 (w = 1, -19, -39, ... all fold to 1: ((-20) MOD 20) + 1 = 1);
// other values below n fold to themselves or to numbers <= 0. Divisibility of |w - n| by
// 20 = 4 * 5: multiplied by the inverse of 5 modulo 2^64 and rotated right by 2, exactly the
// multiples of 20 land at or below (2^64 - 1) / 20.
inline bool foldsTo(qint64 whole, qint32 drawn)
{
    const bool above = whole >= drawn;
    const quint64 difference =
        above ? quint64(whole) - quint64(qint64(drawn)) : quint64(qint64(drawn)) - quint64(whole);
    const quint64 scaled = difference * 0xCCCCCCCCCCCCCCCDull;
    const quint64 rotated = (scaled >> 2) | (scaled << 62);
    return (above | (drawn == 1)) & (rotated <= 0x0CCCCCCCCCCCCCCCull);
}

#ifdef QUORVEL_SCORE_WITH_SSE2
// foldsTo for four outcomes at once, as bits 0..3; the sums must fit in 32 bits.
inline unsigned foldsTo4(const qint64* sums, const qint32* drawn)
{
    const __m128i inverseOfFive = _mm_set1_epi32(int(0xCCCCCCCDu));
    const __m128i signBit = _mm_set1_epi32(int(0x80000000u));
    const __m128i largestMultiple = _mm_set1_epi32(int(0x0CCCCCCCu ^ 0x80000000u));
    const __m128i one = _mm_set1_epi32(1);

    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + 2));
    const __m128i whole = _mm_unpacklo_epi64(_mm_shuffle_epi32(low, _MM_SHUFFLE(2, 0, 2, 0)),
                                             _mm_shuffle_epi32(high, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i number = _mm_loadu_si128(reinterpret_cast<const __m128i*>(drawn));

    const __m128i below = _mm_cmpgt_epi32(number, whole);
    const __m128i signedDifference = _mm_sub_epi32(whole, number);
    const __m128i difference = _mm_sub_epi32(_mm_xor_si128(signedDifference, below), below);
    // 32-bit products of the four lanes (SSE2 multiplies lanes 0 and 2, then 1 and 3).
    const __m128i even = _mm_mul_epu32(difference, inverseOfFive);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(difference, 32), inverseOfFive);
    const __m128i scaled = _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(3, 1, 2, 0)),
                                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(3, 1, 2, 0)));
    const __m128i rotated = _mm_or_si128(_mm_srli_epi32(scaled, 2), _mm_slli_epi32(scaled, 30));
    const __m128i notMultiple = _mm_cmpgt_epi32(_mm_xor_si128(rotated, signBit), largestMultiple);
    const __m128i allowed =
        _mm_or_si128(_mm_xor_si128(below, _mm_set1_epi32(-1)), _mm_cmpeq_epi32(number, one));
    return unsigned(_mm_movemask_ps(_mm_castsi128_ps(_mm_andnot_si128(notMultiple, allowed))));
}
#endif

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
#ifdef QUORVEL_SCORE_WITH_SSE2
    // Sums fit in 32 bits when every term and the constant are small enough; then four at once.
    const bool narrow = terms.size() < (std::size_t(1) << 20) &&
                        qint64(terms.size()) * m_largestValue + std::llabs(constant) <
                            qint64(std::numeric_limits<qint32>::max()) - kHighestNumber;
#endif
    for (int base = 0; base < count; base += 64) {
        const int length = std::min(64, count - base);
        quint64 equal = 0;
        int j = 0;
#ifdef QUORVEL_SCORE_WITH_SSE2
        if (narrow) {
            for (; j + 4 <= length; j += 4)
                equal |= quint64(foldsTo4(sums + base + j, drawn + base + j)) << j;
        }
#endif
        for (; j < length; ++j)
            equal |= quint64(foldsTo(sums[base + j], drawn[base + j])) << j;
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
