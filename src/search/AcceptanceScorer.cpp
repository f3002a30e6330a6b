#include "search/AcceptanceScorer.h"

#include "core/TermTable.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <limits>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define QUORVEL_SCAN_WITH_SSE2 1
#endif

namespace quorvel {

namespace {

constexpr int kLanes = 8;
// Outcomes read at a time after the first read; the value arrays are padded to a multiple.
constexpr int kWideRead = 32;
// Candidates have at most 24 terms; longer term sums (typed codes) are scored by the full scorer.
constexpr std::size_t kMaxTermsPerScan = 24;
// A term's lane holds its value's remainder by 20 in bits 0..9 and, in bits 10..15, 1 when the
// value is not 0: the sums of 24 lanes keep both apart (24 * 19 < 1024, 24 * 1043 < 2^15).
constexpr int kNonZeroBit = 1024;
constexpr int kRemainderMask = kNonZeroBit - 1;
// Values held at this bound still tell whether a sum exceeds any |constant| below it (24 lanes
// cannot overflow): either no value is held, and the sum is exact, or one is, and the sum exceeds.
constexpr int kSaturation = 1364;

// Hit bits of outcomes, newest first: bit i is outcome offset + i. The sum w of a candidate's
// values (all 0 or above) and its constant folds to the drawn number n (1..20) exactly when
// w - n is a multiple of 20 and either w > 0 or n = 1 (w = 1, -19, -39 ... fold to 1; other sums
// of 0 or below fold to 0 or below). So remainders by 20 are enough, with a test for w > 0: with
// a constant of 0 or above, some value or the constant is not 0; with a negative constant, the
// (saturated) sum of the values exceeds its magnitude. Divisibility of |r - n| by 20 = 4 * 5:
// times the inverse of 5 modulo 2^16, rotated right by 2, exactly the multiples of 20 land at or
// below (2^16 - 1) / 20.
class OutcomeBlocks
{
public:
    OutcomeBlocks(const qint16* const* remainders, const qint16* const* saturated, int termCount,
                  qint64 constant, const qint16* drawn, bool kill)
        : m_remainders(remainders), m_saturated(saturated), m_termCount(termCount),
          m_constantRemainder(qint16(((constant % 20) + 20) % 20)), m_constantPositive(constant > 0),
          m_negativeConstant(constant < 0 ? qint16(-constant) : qint16(0)), m_drawn(drawn), m_kill(kill)
    {
    }

    // Bits of the 8 * Vectors outcomes from offset (the arrays are padded far enough).
    template <int Vectors> quint64 hits(int offset) const
    {
#ifdef QUORVEL_SCAN_WITH_SSE2
        __m128i lanes[Vectors];
        for (int v = 0; v < Vectors; ++v)
            lanes[v] = _mm_setzero_si128();
        for (int k = 0; k < m_termCount; ++k) {
            const qint16* column = m_remainders[k] + offset;
            for (int v = 0; v < Vectors; ++v)
                lanes[v] = _mm_add_epi16(
                    lanes[v], _mm_loadu_si128(reinterpret_cast<const __m128i*>(column + v * kLanes)));
        }
        __m128i sums[Vectors];
        for (int v = 0; v < Vectors; ++v)
            sums[v] = _mm_setzero_si128();
        if (m_negativeConstant > 0) {
            for (int k = 0; k < m_termCount; ++k) {
                const qint16* column = m_saturated[k] + offset;
                for (int v = 0; v < Vectors; ++v)
                    sums[v] = _mm_add_epi16(
                        sums[v], _mm_loadu_si128(reinterpret_cast<const __m128i*>(column + v * kLanes)));
            }
        }
        quint64 bits = 0;
        for (int v = 0; v < Vectors; v += 2) {
            const __m128i first = equal(lanes[v], sums[v], offset + v * kLanes);
            const __m128i second = v + 1 < Vectors
                                       ? equal(lanes[v + 1], sums[v + 1], offset + (v + 1) * kLanes)
                                       : _mm_setzero_si128();
            bits |= quint64(unsigned(_mm_movemask_epi8(_mm_packs_epi16(first, second)))) << (v * kLanes);
        }
#else
        quint64 bits = 0;
        for (int i = 0; i < Vectors * kLanes; ++i) {
            int lanes = 0;
            int sum = 0;
            for (int k = 0; k < m_termCount; ++k) {
                lanes += m_remainders[k][offset + i];
                if (m_negativeConstant > 0)
                    sum += m_saturated[k][offset + i];
            }
            const int number = m_drawn[offset + i];
            const int remainder = (lanes & kRemainderMask) + m_constantRemainder;
            const bool positive =
                m_negativeConstant > 0 ? sum > m_negativeConstant : m_constantPositive || (lanes >> 10) > 0;
            const bool equal = (remainder - number) % 20 == 0 && (positive || number == 1);
            bits |= quint64(equal) << i;
        }
#endif
        return m_kill ? ~bits : bits;
    }

private:
#ifdef QUORVEL_SCAN_WITH_SSE2
    // All ones in the lanes whose sum folds to the number drawn.
    __m128i equal(__m128i lanes, __m128i sums, int offset) const
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i number = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_drawn + offset));
        const __m128i remainder = _mm_add_epi16(_mm_and_si128(lanes, _mm_set1_epi16(kRemainderMask)),
                                                _mm_set1_epi16(m_constantRemainder));
        const __m128i difference = _mm_sub_epi16(remainder, number);
        const __m128i magnitude = _mm_max_epi16(difference, _mm_sub_epi16(zero, difference));
        const __m128i scaled = _mm_mullo_epi16(magnitude, _mm_set1_epi16(qint16(0xCCCD)));
        const __m128i rotated = _mm_or_si128(_mm_srli_epi16(scaled, 2), _mm_slli_epi16(scaled, 14));
        const __m128i multiple = _mm_cmplt_epi16(_mm_xor_si128(rotated, _mm_set1_epi16(qint16(0x8000))),
                                                 _mm_set1_epi16(qint16((0xFFFF / 20 + 1) ^ 0x8000)));
        __m128i positive;
        if (m_negativeConstant > 0)
            positive = _mm_cmpgt_epi16(sums, _mm_set1_epi16(m_negativeConstant));
        else if (m_constantPositive)
            positive = _mm_set1_epi16(-1);
        else
            positive = _mm_cmpgt_epi16(_mm_srli_epi16(lanes, 10), zero);
        const __m128i allowed = _mm_or_si128(positive, _mm_cmpeq_epi16(number, _mm_set1_epi16(1)));
        return _mm_and_si128(multiple, allowed);
    }
#endif

    const qint16* const* m_remainders;
    const qint16* const* m_saturated;
    int m_termCount;
    qint16 m_constantRemainder;
    bool m_constantPositive;
    qint16 m_negativeConstant;
    const qint16* m_drawn;
    bool m_kill;
};

// Reads the outcomes newest first as runs of hits or misses, computing them only as far as it is
// asked, 8 or 32 at a time. Wide reads leave fewer unpredictable branches; short reads suit
// candidates whose newest outcome or two are likely to decide.
class RunReader
{
public:
    RunReader(const OutcomeBlocks& blocks, int count, bool shortReads)
        : m_blocks(blocks), m_count(count), m_shortReads(shortReads)
    {
    }

    bool atEnd() const { return m_buffered == 0 && m_offset >= m_count; }
    bool headIsHit()
    {
        fill();
        return m_bits & 1u;
    }

    // Takes the run of hits (or misses) at the head and gives its length; stops reading once the
    // run is longer than `limit`, so a longer result means only "more than limit".
    int takeRun(bool hit, int limit)
    {
        int run = 0;
        for (;;) {
            if (m_buffered == 0 && !fill())
                return run;
            const quint64 same = hit ? m_bits : ~m_bits;
            const int length = std::min(std::countr_one(same), m_buffered);
            run += length;
            m_bits = length < 64 ? m_bits >> length : 0;
            m_buffered -= length;
            if (m_buffered > 0 || run > limit)
                return run;
        }
    }

private:
    bool fill()
    {
        if (m_buffered > 0)
            return true;
        if (m_offset >= m_count)
            return false;
        const int width = m_shortReads ? kLanes : kWideRead;
        m_bits = m_shortReads ? m_blocks.hits<1>(m_offset) : m_blocks.hits<kWideRead / kLanes>(m_offset);
        m_buffered = std::min(width, m_count - m_offset);
        m_offset += width;
        return true;
    }

    const OutcomeBlocks& m_blocks;
    int m_count;
    bool m_shortReads;
    int m_offset = 0;
    quint64 m_bits = 0;
    int m_buffered = 0;
};

} // namespace

AcceptanceScorer::AcceptanceScorer(const DrawTable& table, int periods)
    : m_full(table, periods), m_count(m_full.evaluatedDrawCount())
{
    m_stride = (m_count + kWideRead - 1) / kWideRead * kWideRead;
    m_nonNegative.fill(false);
    if (m_count == 0)
        return;
    m_allNonNegative = true;
    // Outcome j (newest first) is draw last - j, predicted by the value of draw last - 1 - j.
    const int last = m_full.window().last;
    m_remainders.assign(std::size_t(m_stride) * kTermCount, 0);
    m_saturated.assign(std::size_t(m_stride) * kTermCount, 0);
    for (int term = 0; term < kTermCount; ++term) {
        const qint32* column = table.column(term);
        qint16* remainders = m_remainders.data() + std::size_t(term) * std::size_t(m_stride);
        qint16* saturated = m_saturated.data() + std::size_t(term) * std::size_t(m_stride);
        bool nonNegative = true;
        for (int j = 0; j < m_count; ++j) {
            const qint32 value = column[last - 1 - j];
            nonNegative = nonNegative && value >= 0;
            remainders[j] = qint16(value % 20 + (value != 0 ? kNonZeroBit : 0));
            saturated[j] = qint16(std::min(value, qint32(kSaturation)));
        }
        m_nonNegative[std::size_t(term)] = nonNegative;
        m_allNonNegative = m_allNonNegative && nonNegative;
    }
    m_drawn.assign(std::size_t(m_stride) * kPositionCount, 0);
    for (int position = 1; position <= kPositionCount; ++position) {
        const qint32* numbers = table.numbersAt(position);
        qint16* target = m_drawn.data() + std::size_t(position - 1) * std::size_t(m_stride);
        for (int j = 0; j < m_count; ++j)
            target[j] = qint16(numbers[last - j]);
    }
}

bool AcceptanceScorer::scans(std::span<const int> terms, qint64 constant) const
{
    if (terms.size() > kMaxTermsPerScan || constant <= -kSaturation)
        return false;
    if (m_allNonNegative)
        return true;
    for (const int term : terms) {
        if (!m_nonNegative[std::size_t(term)])
            return false;
    }
    return true;
}

std::optional<RunStatistics> AcceptanceScorer::accepted(std::span<const int> terms, qint64 constant,
                                                        int position, bool kill,
                                                        const AcceptanceLimits& limits,
                                                        ScoreBuffers& buffers) const
{
    if (m_count == 0 || !scans(terms, constant)) {
        const RunStatistics statistics = m_full.score(terms, constant, position, kill, buffers).statistics();
        return limits.accepts(statistics) ? std::optional(statistics) : std::nullopt;
    }

    const qint16* remainders[kMaxTermsPerScan];
    const qint16* saturated[kMaxTermsPerScan];
    for (std::size_t k = 0; k < terms.size(); ++k) {
        const std::size_t start = std::size_t(terms[k]) * std::size_t(m_stride);
        remainders[k] = m_remainders.data() + start;
        if (constant < 0)
            saturated[k] = m_saturated.data() + start;
    }
    const OutcomeBlocks blocks(remainders, saturated, int(terms.size()), constant,
                               m_drawn.data() + std::size_t(position - 1) * std::size_t(m_stride), kill);
    // A kill candidate hits 19 outcomes in 20 and is mostly out at its newest one; a keep candidate
    // misses as often and is mostly out at its first hit, some twenty outcomes back.
    RunReader reader(blocks, m_count, kill);

    if (reader.headIsHit()) {
        // The last miss run is 0, so the longest must be 0 too: every outcome a hit.
        if (!limits.maxMisses.contains(0) || !limits.lastMisses.contains(0) ||
            !limits.maxHits.contains(m_count) || !limits.lastHits.contains(m_count))
            return std::nullopt;
        if (reader.takeRun(true, m_count) < m_count)
            return std::nullopt;
        return RunStatistics{0, m_count, 0, m_count};
    }

    if (!limits.lastHits.contains(0))
        return std::nullopt;
    // The last miss run is also the longest: it must lie in both ranges.
    const int highest = std::min(limits.maxMisses.high, limits.lastMisses.high);
    const int lowest = std::max(limits.maxMisses.low, limits.lastMisses.low);
    const int lastMisses = reader.takeRun(false, highest);
    if (lastMisses > highest || lastMisses < lowest)
        return std::nullopt;
    int maxHits = 0;
    while (!reader.atEnd()) {
        const int hits = reader.takeRun(true, limits.maxHits.high);
        if (hits > limits.maxHits.high)
            return std::nullopt;
        maxHits = std::max(maxHits, hits);
        if (reader.atEnd())
            break;
        if (reader.takeRun(false, lastMisses) > lastMisses)
            return std::nullopt;
    }
    if (!limits.maxHits.contains(maxHits))
        return std::nullopt;
    return RunStatistics{lastMisses, maxHits, lastMisses, 0};
}

} // namespace quorvel
