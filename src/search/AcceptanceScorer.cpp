#include "search/AcceptanceScorer.h"

#include "core/TermTable.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <limits>

namespace quorvel {

namespace {

constexpr int kLanes = 8;
// Outcomes read at a time after the first read.
constexpr int kWideRead = 32;

// The hit bits of a candidate's outcomes, newest first, a few vectors at a time.
class OutcomeBlocks
{
public:
    explicit OutcomeBlocks(const hitkernel::Input& input) : m_input(input) {}

    // Bits of the 8 * Vectors outcomes from offset (the columns are padded far enough).
    template <int Vectors> quint64 hits(int offset) const
    {
#ifdef QUORVEL_HIT_KERNEL_SSE2
        return hitkernel::vectorBits<hitkernel::Sse2, Vectors>(m_input, offset);
#else
        return hitkernel::plainBits<Vectors * kLanes>(m_input, offset);
#endif
    }

private:
    const hitkernel::Input& m_input;
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
    : m_full(table, periods), m_columns(table, m_full.window()), m_count(m_full.evaluatedDrawCount())
{
}

std::optional<RunStatistics> AcceptanceScorer::accepted(std::span<const int> terms, qint64 constant,
                                                        int position, bool kill,
                                                        const AcceptanceLimits& limits,
                                                        ScoreBuffers& buffers) const
{
    if (!m_columns.scans(terms, constant)) {
        const RunStatistics statistics = m_full.score(terms, constant, position, kill, buffers).statistics();
        return limits.accepts(statistics) ? std::optional(statistics) : std::nullopt;
    }

    const hitkernel::Input input = m_columns.input(terms, constant, position, kill);
    const OutcomeBlocks blocks(input);
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
