#pragma once

#include "core/LedgerRecord.h"
#include "core/Result.h"

#include <optional>
#include <vector>

namespace quorvel {

class SqlConnection;

// A change of an entry's score: set, or cleared when its draw is no longer stored.
struct LedgerScoreChange
{
    qint64 id = 0;
    std::optional<LedgerScore> score;
};

// The prediction ledger table `YuceJilu` of formula.db. A file of an older version that could not
// be upgraded (opened for reading) has no such table: it reads as empty.
class LedgerTable
{
public:
    explicit LedgerTable(SqlConnection& connection);

    // Appends an entry (its id and score are ignored); returns the id it got.
    Result<qint64> append(const LedgerRecord& record);
    Result<std::vector<LedgerRecord>> read() const; // ascending id
    // Writes the scores given, in one transaction.
    Status updateScores(const std::vector<LedgerScoreChange>& changes);
    // Deletes the entries of these ids in one transaction; returns how many were there.
    Result<int> remove(const std::vector<qint64>& ids);

private:
    SqlConnection& m_connection;
};

} // namespace quorvel
