#include "formulas/DrawTable.h"

namespace quorvel {

DrawTable::DrawTable(const std::vector<Draw>& draws)
{
    const std::size_t count = draws.size();
    m_issues.reserve(count);
    m_columns.resize(count * kTermCount);
    for (std::size_t row = 0; row < count; ++row) {
        const Draw& draw = draws[row];
        m_issues.push_back(draw.issue);
        for (std::size_t term = 0; term < std::size_t(kTermCount); ++term)
            m_columns[term * count + row] = draw.values[term];
    }
}

} // namespace quorvel
