#pragma once

#include "core/FormulaRecord.h"
#include "core/TermTable.h"
#include "core/DrawTable.h"
#include "search/AcceptanceBounds.h"
#include "search/CandidateScorer.h"
#include "search/RemainderColumns.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace quorvel {

// Decides whether a candidate is accepted, the way the search must decide it for millions of
// candidates: from the newest outcome backwards, stopping as soon as the candidate can no longer
// be accepted. Acceptance needs the last miss run to be at least the longest one, so a candidate
// is out when its newest outcome is a hit (unless no miss is admitted at all), when its last miss
// run leaves the admitted range, and then at the first older miss run longer than the last one or
// the first hit run longer than admitted. Accepted candidates come out with their full statistics,
// which the scan has by then seen.
//
// Works on the window's values as 16-bit remainders by 20 (RemainderColumns), newest draw first,
// eight outcomes at a time (the fold of a sum only depends on its remainder and on whether it is
// above 0). Candidates this cannot judge (negative values, constants of -1364 or below, more than
// 24 terms) are scored by the full scorer instead. Made once per history and window; read-only
// afterwards, so threads may share one.
class AcceptanceScorer
{
public:
    AcceptanceScorer(const DrawTable& table, int periods);

    // The statistics when `limits` accept the candidate terms + constant for the position and
    // kind; empty when they reject it. Equal to limits.accepts() on the full scorer's statistics.
    std::optional<RunStatistics> accepted(std::span<const int> terms, qint64 constant, int position,
                                          bool kill, const AcceptanceLimits& limits,
                                          ScoreBuffers& buffers) const;

    const CandidateScorer& fullScorer() const { return m_full; }
    int outcomeCount() const { return m_count; }

private:
    CandidateScorer m_full;
    RemainderColumns m_columns;
    int m_count = 0;
};

} // namespace quorvel
