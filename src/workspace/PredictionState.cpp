#include "workspace/PredictionState.h"

#include <algorithm>

namespace quorvel {

const PositionCounts& PredictionState::counts(int position) const
{
    Q_ASSERT(position >= 1 && position <= kPositionCount);
    return m_counts[std::size_t(position - 1)];
}

std::vector<PositionCounts> PredictionState::shownCounts() const
{
    return std::vector<PositionCounts>(m_counts.begin(), m_counts.begin() + m_shownPosition);
}

void PredictionState::store(const PredictionResult& result, PredictionMethod method, int shownPosition)
{
    const int shown = std::clamp(shownPosition, 1, kPositionCount);
    for (int q = 1; q <= shown && q <= int(result.positions.size()); ++q)
        m_counts[std::size_t(q - 1)] = result.positions[std::size_t(q - 1)];
    m_shownPosition = shown;
    m_quota = result.quota;
    m_kill = result.kill;
    if (method == PredictionMethod::SelectedFormulas) {
        m_usedFormulas = result.usedFormulas;
        m_used = result.used;
    }
    m_lastMethod = method;
    m_ranking.activate(shownCounts(), m_quota, m_kill);
}

} // namespace quorvel
