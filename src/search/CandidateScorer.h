#pragma once

#include "core/DrawTable.h"
#include "core/FormulaRecord.h"
#include "formulas/CompiledFormula.h"
#include "search/CandidateGenerator.h"
#include "verification/Verifier.h"

#include <span>
#include <vector>

namespace quorvel {

// The six run statistics the search keeps for a candidate. The last runs are the current runs
// at the end of the history.
struct CandidateRuns
{
    int currentHits = 0;
    int currentMisses = 0;
    int maxHits = 0;    // 最大连对
    int maxMisses = 0;  // 最大连错, also the limit value stored with an accepted candidate
    int lastHits = 0;   // 最后连对
    int lastMisses = 0; // 最后连错

    RunStatistics statistics() const { return {maxMisses, maxHits, lastMisses, lastHits}; }
    bool operator==(const CandidateRuns&) const = default;
};

// Scores candidates for one position and kind the way the search does: over the newest
// min(N + 1, n - 1) outcomes of the history (N = 0: all n - 1), without the main window's flag B
// and without weights. Only the draws those outcomes need are evaluated. Made once per history and
// window (it looks over the table once); holds work buffers: use one scorer per thread.
class CandidateScorer
{
public:
    CandidateScorer(const DrawTable& table, int position, bool kill, int periods);

    // The search category can change from one candidate to the next.
    void setCategory(int position, bool kill)
    {
        m_position = position;
        m_kill = kill;
    }

    CandidateRuns score(const Candidate& candidate) const;
    CandidateRuns score(std::span<const int> terms, qint64 constant) const;
    // Any compiled code; term sums take the same fast path as candidates.
    CandidateRuns score(const CompiledFormula& formula) const;

    // The counted draws (0-based) and how many draws a score evaluates.
    const VerificationWindow& window() const { return m_window; }
    int evaluatedDrawCount() const { return m_window.size(); }

private:
    const DrawTable& m_table;
    int m_position;
    bool m_kill;
    VerificationWindow m_window;
    qint64 m_largestValue = 0;
    mutable std::vector<qint64> m_sums;
    mutable std::vector<double> m_values;
};

} // namespace quorvel
