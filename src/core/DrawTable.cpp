#include "core/DrawTable.h"

#include <algorithm>
#include <utility>

namespace quorvel {

DrawTable::DrawTable(const std::vector<Draw>& draws)
{
    const std::size_t count = draws.size();
    m_issues.reserve(count);
    m_columns.resize(count * std::size_t(kTermCount));
    for (std::size_t row = 0; row < count; ++row) {
        m_issues.push_back(draws[row].issue);
        for (std::size_t term = 0; term < std::size_t(kTermCount); ++term)
            m_columns[term * count + row] = draws[row].values[term];
    }
}

DrawTable::DrawTable(std::vector<qint32> issues, std::vector<qint32> columns)
    : m_issues(std::move(issues)), m_columns(std::move(columns))
{
    Q_ASSERT(m_columns.size() == m_issues.size() * std::size_t(kTermCount));
}

DrawNumbers DrawTable::numbers(int draw) const
{
    DrawNumbers result{};
    for (int p = 1; p <= kPositionCount; ++p)
        result[std::size_t(p - 1)] = numbersAt(p)[draw];
    return result;
}

Draw DrawTable::draw(int index) const
{
    Draw result;
    result.issue = m_issues[std::size_t(index)];
    for (int term = 0; term < kTermCount; ++term)
        result.values[std::size_t(term)] = value(term, index);
    return result;
}

DrawTable DrawTable::withAppended(const std::vector<Draw>& draws) const
{
    Q_ASSERT(std::is_sorted(draws.begin(), draws.end(),
                            [](const Draw& a, const Draw& b) { return a.issue < b.issue; }));
    Q_ASSERT(draws.empty() || m_issues.empty() || draws.front().issue > m_issues.back());
    const std::size_t oldCount = m_issues.size();
    const std::size_t count = oldCount + draws.size();
    std::vector<qint32> issues;
    issues.reserve(count);
    issues.insert(issues.end(), m_issues.begin(), m_issues.end());
    for (const Draw& draw : draws)
        issues.push_back(draw.issue);
    std::vector<qint32> columns(count * std::size_t(kTermCount));
    for (std::size_t term = 0; term < std::size_t(kTermCount); ++term) {
        qint32* target = columns.data() + term * count;
        const qint32* source = m_columns.data() + term * oldCount;
        std::copy(source, source + oldCount, target);
        for (std::size_t row = 0; row < draws.size(); ++row)
            target[oldCount + row] = draws[row].values[term];
    }
    return DrawTable(std::move(issues), std::move(columns));
}

} // namespace quorvel
