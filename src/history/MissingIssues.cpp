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

QStringList byDay(std::span<const qint32> missing)
{
    QStringList lines;
    std::size_t first = 0;
    while (first < missing.size()) {
        const qint32 day = missing[first] / 100;
        std::size_t end = first;
        QStringList sequences;
        for (; end < missing.size() && missing[end] / 100 == day; ++end)
            sequences << QStringLiteral("%1").arg(missing[end] % 100, 2, 10, QLatin1Char('0'));
        lines << QStringLiteral("%1：%2（%3期）")
                     .arg(day, 6, 10, QLatin1Char('0'))
                     .arg(sequences.join(QLatin1Char(' ')))
                     .arg(sequences.size());
        first = end;
    }
    return lines;
}

} // namespace MissingIssues
} // namespace quorvel
