#pragma once

#include "core/Result.h"

#include <QDate>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

namespace quorvel {

// What one online history update asks for and looks for, computed from today, the history days
// H (`IniSerchDay`), the draws per day D and the oldest and newest stored issues. Pure: the
// update itself fetches, reads the page and stores.
struct OnlineUpdatePlan
{
    // The oldest stored draw is more than H whole days old: the update replaces the whole
    // history (the old draws go in the same transaction that stores the new ones).
    bool replacesHistory = false;
    // Days to load: H + 1 for an empty or replaced history, else (today - newest draw's date) + 1.
    int days = 0;
    // Latest draws asked of the results page: (days + 1) x D.
    qint64 requestCount = 0;
    // The issues looked for: from the first missing one to today's sequence D.
    qint32 firstIssue = 0;
    qint32 lastIssue = 0;
    // The newest stored draw is the previous draw of the first loaded one; false for an empty or
    // replaced history, whose first loaded draw has none.
    bool continuesHistory = false;
    int drawsPerDay = 0;

    // Fails when today, or the first day to load, lies outside the years issue numbers can
    // carry (2000..2099), a stored issue has no date, or the newest one is dated after today.
    static Result<OnlineUpdatePlan> compute(const QDate& today, int historyDays, int drawsPerDay,
                                            std::optional<qint32> oldestIssue,
                                            std::optional<qint32> newestIssue);

    // Nothing can be new: the newest stored draw is today's last. No request needs to be sent.
    bool isUpToDate() const { return firstIssue > lastIssue; }

    // The issues of the range that can exist, ascending: sequences 01..D of every day from the
    // first issue's day to today. Sequence numbers above D and the numbers between two days are
    // never looked for.
    std::vector<qint32> issues() const;

    // The results page address: "http://" + type code + results host + "/?n=" + count. A host
    // value starting with "http://" or "https://" is the whole base instead, type code included.
    // Trailing "/" of the base are dropped. Fails with a message for the user when no lottery
    // type is chosen (empty type code), no host is set, or the address is not a valid one.
    static Result<QUrl> resultsAddress(const QString& typeCode, const QString& resultsHost, qint64 count);
};

} // namespace quorvel
