#pragma once

#include "core/DrawTable.h"
#include "formulas/CompiledFormula.h"
#include "search/CandidateScorer.h"
#include "search/RemainderColumns.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quorvel {

// What a formula's chance score needs of its record over the search window.
struct FullScore
{
    int outcomes = 0;
    int hits = 0;
    int maxHits = 0; // the longest run of hits
    bool operator==(const FullScore&) const = default;
};

// Scores candidates over the whole search window with no early rejection: for the family-wise
// chance, where every candidate's record counts. Term sums the remainder columns can judge go
// through the vector kernel, sixteen outcomes per instruction where the processor has AVX2, eight
// otherwise; any other code through the full scorer. Made once per history and window; read-only
// afterwards, so threads may share one.
class FullScanScorer
{
public:
    enum class Kernel
    {
        Best,        // the widest the processor has
        WithoutAvx2, // SSE2 (or plain code where there is none)
    };

    // The window as the verification has it: N + 1 outcomes, or N with `excludeCurrentPeriod`.
    FullScanScorer(const DrawTable& table, int periods, bool excludeCurrentPeriod,
                   Kernel kernel = Kernel::Best);

    // Work space for the hit words; one per thread.
    using Words = std::vector<std::uint64_t>;

    FullScore score(std::span<const int> terms, qint64 constant, int position, bool kill, Words& words,
                    ScoreBuffers& buffers) const;
    FullScore score(const CompiledFormula& formula, int position, bool kill, Words& words,
                    ScoreBuffers& buffers) const;

    int outcomeCount() const { return m_columns.count(); }

private:
    CandidateScorer m_full;
    RemainderColumns m_columns;
    Kernel m_kernel;
};

} // namespace quorvel
