#pragma once

#include "core/Result.h"

#include <QString>

#include <optional>
#include <vector>

namespace quorvel {

class SqlConnection;

// How an entry of the prediction ledger came out once its draw was stored.
struct LedgerScore
{
    QString drawn;  // `strDrawn`: the eight numbers of the draw, separated by blanks
    int right = 0;  // `intRight`: picks that held
    int trials = 0; // `intTrials`: picks judged
    bool operator==(const LedgerScore&) const = default;
};

// One row of the prediction ledger `YuceJilu`.
struct LedgerRecord
{
    qint64 id = 0;                    // in the order the predictions were made
    qint32 issue = 0;                 // `strQQH`: the draw the picks are for
    QString made;                     // `strMade`: when, "yyyy-MM-dd HH:mm:ss"
    QString method;                   // `strMethod`: "selected" or "best"
    bool kill = false;                // `bolKill`
    int quota = 1;                    // `intQuota`
    int positions = 0;                // `intPositions`: p*
    QString picks;                    // `strPicks`: pages separated by "|", numbers by blanks
    std::optional<LedgerScore> score; // empty until the draw is stored
};

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

private:
    SqlConnection& m_connection;
};

} // namespace quorvel
