#pragma once

#include "core/TermTable.h"
#include "verification/Prediction.h"
#include "verification/Ranking.h"

#include <array>
#include <optional>

namespace quorvel {

// The sort settings of the best-formula method as accepted in `frmGsCsArr`: the three keys in
// order and the quota Q.
struct BestFormulaSettings
{
    std::array<SortKey, 3> keys{SortKey::LastMisses, SortKey::MaxMisses, SortKey::MaxHits};
    int quota = 3;
    bool operator==(const BestFormulaSettings&) const = default;
};

// What the prediction keeps for the rest of the run: the count arrays of all eight positions (a
// run overwrites positions 1..p* only), the quota and used-formula count handed to the ranking,
// the sort settings last accepted, and the ranking window's content (`FormActivate` fills it,
// its re-sort direction flags stay from run to run).
class PredictionState
{
public:
    // T, K and P of a position 1..8; all 0 until a run counted it.
    const PositionCounts& counts(int position) const;
    // The counts of positions 1..p* of the last run.
    std::vector<PositionCounts> shownCounts() const;
    int shownPosition() const { return m_shownPosition; } // p* of the last run; 0 before any
    int quota() const { return m_quota; }
    bool kill() const { return m_kill; } // the last run counted kill formulas
    // Formulas that counted in the last run of the selected-formula method (it sizes the
    // detail list); a run of the other method leaves it.
    int usedFormulas() const { return m_usedFormulas; }
    // Those formulas, in position then list order.
    const std::vector<UsedFormula>& usedFormulaList() const { return m_used; }
    std::optional<PredictionMethod> lastMethod() const { return m_lastMethod; }

    // Empty until `frmGsCsArr` was accepted once: the best-formula method then computes nothing.
    const std::optional<BestFormulaSettings>& bestFormulaSettings() const { return m_bestSettings; }
    void acceptBestFormulaSettings(const BestFormulaSettings& settings) { m_bestSettings = settings; }

    Ranking& ranking() { return m_ranking; }
    const Ranking& ranking() const { return m_ranking; }

    // Keeps the result of a run over positions 1..shownPosition and fills the ranking from it.
    void store(const PredictionResult& result, PredictionMethod method, int shownPosition);

private:
    std::array<PositionCounts, kPositionCount> m_counts{};
    int m_shownPosition = 0;
    int m_quota = 1;
    bool m_kill = false;
    int m_usedFormulas = 0;
    std::vector<UsedFormula> m_used;
    std::optional<PredictionMethod> m_lastMethod;
    std::optional<BestFormulaSettings> m_bestSettings;
    Ranking m_ranking;
};

} // namespace quorvel
