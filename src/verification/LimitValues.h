#pragma once

#include "core/FormulaRecord.h"

#include <QString>

#include <optional>
#include <vector>

namespace quorvel {

// `cmdUpdLim`: every formula's limit value is raised to its stored maximum consecutive misses
// where that is higher, for both kinds of a table. An empty limit reads 0, so it is raised to the
// max misses; a formula without stored statistics keeps its limit.
class LimitValues
{
public:
    static std::optional<int> raisedLimit(const std::optional<int>& limit,
                                          const std::optional<int>& maxMisses);
    // The changes for the rows of one table, in the rows' order; written in one transaction.
    static std::vector<LimitChange> raisedLimits(const std::vector<FormulaRecord>& table);

    // The question asked first (OK and Cancel).
    static QString questionText();
    static QString questionTitle();
};

} // namespace quorvel
