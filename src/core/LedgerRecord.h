#pragma once

#include <QString>

#include <optional>

namespace quorvel {

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
    // `strType`: the Chinese name of the lottery type chosen when it was made ("" when none
    // was); empty for the entries made before the type was recorded.
    std::optional<QString> lotteryType;
};

} // namespace quorvel
