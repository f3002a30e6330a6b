#pragma once

#include <QString>

#include <optional>

namespace quorvel {

// The four run statistics a verification writes back (`intGsErrCon`, `intGsTrueCon`,
// `intGsErrLst`, `intGsTrueLst`).
struct RunStatistics
{
    int maxMisses = 0;
    int maxHits = 0;
    int lastMisses = 0;
    int lastHits = 0;
    bool operator==(const RunStatistics&) const = default;
};

// A formula to be stored: code (`gongshi`), display text (`gongshiCN`), kind (`bolKill`).
struct NewFormula
{
    QString code;
    QString displayText;
    bool kill = false;
    std::optional<int> limit; // `intGsLim`
    std::optional<int> idx;   // empty: numbered at the next renumbering of its table
};

// One stored row of a formula table `Gongshi1`..`Gongshi8`.
struct FormulaRecord
{
    qint64 rowId = 0;                        // stored order
    std::optional<int> idx;                  // running number; empty until the next renumbering
    QString code;                            // `gongshi`
    QString displayText;                     // `gongshiCN`
    bool kill = false;                       // `bolKill`
    std::optional<int> limit;                // `intGsLim`
    std::optional<RunStatistics> statistics; // empty after a rebuild until the next verification
};

// What a write-back changes in one stored row: its number, and for the verified kind its run
// statistics. The row is named by its place and by what it holds: a row that another program has
// changed, deleted or moved meanwhile is not written.
struct FormulaRowUpdate
{
    qint64 rowId = 0;
    int idx = 0;
    std::optional<RunStatistics> statistics; // empty: the number only
    QString code;                            // `gongshi` as read
    QString displayText;                     // `gongshiCN` as read
};

// A formula as the user saw it in a list: its table, kind, code and display text, and the row it
// was read from. An operation on it acts on a row that still holds it, never on another.
struct ShownFormula
{
    int position = 0;
    bool kill = false;
    QString code;
    QString displayText;
    qint64 rowId = 0;
};

// A limit value `intGsLim` to be written into one stored row.
struct LimitChange
{
    qint64 rowId = 0;
    int limit = 0;
};

} // namespace quorvel
