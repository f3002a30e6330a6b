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
    int hits = 0;       // outcomes it got right

    RunStatistics statistics() const { return {maxMisses, maxHits, lastMisses, lastHits}; }
    bool operator==(const CandidateRuns&) const = default;
};

// Work space of the scorers: the sums and values of the draws a score evaluates. One per thread,
// handed to every call, so that scoring allocates only while the buffers grow.
struct ScoreBuffers
{
    std::vector<qint64> sums;
    std::vector<double> values;
};

// Scores candidates the way the search does: over the newest min(N + 1, n - 1) outcomes of the
// history (N = 0: all n - 1), without the main window's flag B and without weights, and gives
// every run statistic. Only the draws those outcomes need are evaluated. Made once per history
// and window (it looks over the table once); read-only afterwards, so threads may share one.
class CandidateScorer
{
public:
    // With `excludeCurrentPeriod` the window is the main window's with its flag B: N outcomes.
    CandidateScorer(const DrawTable& table, int periods, bool excludeCurrentPeriod = false);

    CandidateRuns score(const Candidate& candidate, int position, bool kill, ScoreBuffers& buffers) const;
    CandidateRuns score(std::span<const int> terms, qint64 constant, int position, bool kill,
                        ScoreBuffers& buffers) const;
    // Any compiled code; term sums take the same fast path as candidates. An empty value (a
    // division by zero) predicts nothing: a miss for kill and keep alike.
    CandidateRuns score(const CompiledFormula& formula, int position, bool kill, ScoreBuffers& buffers) const;

    // The counted draws (0-based) and how many draws a score evaluates.
    const VerificationWindow& window() const { return m_window; }
    int evaluatedDrawCount() const { return m_window.size(); }
    // The largest parameter value, in magnitude, on the draws a score evaluates.
    qint64 largestValue() const { return m_largestValue; }

private:
    const DrawTable& m_table;
    VerificationWindow m_window;
    qint64 m_largestValue = 0;
};

} // namespace quorvel
