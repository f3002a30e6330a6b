#pragma once

#include "core/Draw.h"

#include <vector>

namespace quorvel {

// The history in memory, oldest draw first: one contiguous int32 column per parameter (term
// order) plus the issue numbers. Formulas are evaluated against this, never by SQL.
class DrawTable
{
public:
    DrawTable() = default;
    explicit DrawTable(const std::vector<Draw>& draws);

    int drawCount() const { return static_cast<int>(m_issues.size()); }
    bool isEmpty() const { return m_issues.empty(); }
    const std::vector<qint32>& issues() const { return m_issues; }

    // Column of a term (0-based term index), drawCount() values, oldest first.
    const qint32* column(int termIndex) const
    {
        return m_columns.data() + std::size_t(termIndex) * m_issues.size();
    }
    qint32 value(int termIndex, int draw) const { return column(termIndex)[draw]; }
    // Numbers drawn at a position 1..8.
    const qint32* numbersAt(int position) const { return column(numberTermIndex(position)); }

private:
    std::vector<qint32> m_issues;
    std::vector<qint32> m_columns; // column-major, kTermCount columns of drawCount() rows
};

} // namespace quorvel
