#pragma once

#include "core/FormulaRecord.h"
#include "core/Result.h"
#include "core/DrawTable.h"
#include "search/AcceptanceBounds.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quorvel {

// A code scored the way the search scores its candidates, and whether the bounds accept it.
struct ScoredCode
{
    QString code;
    RunStatistics statistics;
    bool accepted = false;
};

// Scores any code of the formula grammar with the search's own counting: the newest
// min(N + 1, n - 1) outcomes (N = 0, or N beyond the history: every draw from the second), no
// flag B, no weights; an empty value (a division by zero) is a miss for kill and keep alike.
class SearchScoring
{
public:
    // One result per code, in order; a code that does not compile gives its readable failure.
    static std::vector<Result<ScoredCode>> scoreCodes(const DrawTable& table, const QStringList& codes,
                                                      int position, bool kill, int periods,
                                                      const AcceptanceBounds& bounds);
};

} // namespace quorvel
