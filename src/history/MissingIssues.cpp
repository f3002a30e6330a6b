#include "history/MissingIssues.h"

#include "core/IssueNumber.h"

namespace quorvel {
namespace MissingIssues {

std::vector<qint32> find(std::span<const qint32> storedIssues, int drawsPerDay)
{
    Q_ASSERT(drawsPerDay >= 1 && drawsPerDay <= 99);
    std::vector<qint32> missing;
    if (storedIssues.size() < 2)
        return missing;
    const qint32 oldest = storedIssues.front();
    const qint32 newest = storedIssues.back();
    const QDate lastDay = IssueNumber::date(newest);
    std::size_t next = 0; // first stored issue not yet passed
    for (QDate day = IssueNumber::date(oldest); day.isValid() && day <= lastDay; day = day.addDays(1)) {
        for (int sequence = 1; sequence <= drawsPerDay; ++sequence) {
            const qint32 issue = IssueNumber::make(day, sequence);
            if (issue <= oldest)
                continue;
            if (issue >= newest)
                return missing;
            while (next < storedIssues.size() && storedIssues[next] < issue)
                ++next;
            if (next == storedIssues.size() || storedIssues[next] != issue)
                missing.push_back(issue);
        }
    }
    return missing;
}

} // namespace MissingIssues
} // namespace quorvel
