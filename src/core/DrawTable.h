#pragma once

#include "core/Draw.h"

#include <vector>

namespace quorvel {

// The history in memory, oldest draw first: one contiguous int32 column per parameter (term
// order) plus the issue numbers. Formulas are evaluated against this, never by SQL. A table is
// never changed once built: a change of the history builds a new one, so a worker thread can keep
// reading the table it was given while the window moves on.
class DrawTable
{
public:
    DrawTable() = default;
    // The draws in the order given (issue order, oldest first, where it is the history).
    explicit DrawTable(const std::vector<Draw>& draws);
    // Adopts columns already laid out: `columns` holds kTermCount columns of issues.size() values.
    DrawTable(std::vector<qint32> issues, std::vector<qint32> columns);

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
    DrawNumbers numbers(int draw) const;
    Draw draw(int index) const;

    // This history followed by `draws`, which must all be newer than its newest draw (in issue
    // order); a copy, since tables are never changed.
    DrawTable withAppended(const std::vector<Draw>& draws) const;

private:
    std::vector<qint32> m_issues;
    std::vector<qint32> m_columns; // column-major, kTermCount columns of drawCount() rows
};

} // namespace quorvel
