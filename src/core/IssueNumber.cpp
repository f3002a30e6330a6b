#include "core/IssueNumber.h"

#include <algorithm>

namespace quorvel {

namespace {

constexpr qint64 kLargestIssue = 99999999;
constexpr int kFirstYear = 2000;
constexpr int kLastYear = 2099;

QString eightDigitsMessage()
{
    return QStringLiteral("期号必须是8位数字（年月日加当天期数，如25120705）");
}

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

namespace IssueNumber {

QDate date(qint32 issue)
{
    if (issue < 0 || issue > kLargestIssue)
        return {};
    return QDate(kFirstYear + issue / 1000000, issue / 10000 % 100, issue / 100 % 100);
}

int sequence(qint32 issue)
{
    return issue % 100;
}

qint32 make(const QDate& date, int sequence)
{
    Q_ASSERT(date.isValid() && date.year() >= kFirstYear && date.year() <= kLastYear);
    Q_ASSERT(sequence >= 0 && sequence <= 99);
    return (date.year() - kFirstYear) * 1000000 + date.month() * 10000 + date.day() * 100 + sequence;
}

Result<qint32> parse(const QString& text)
{
    const QString trimmed = text.trimmed();
    const bool eightDigits = trimmed.size() == 8 && std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) {
                                 return c >= u'0' && c <= u'9';
                             });
    if (!eightDigits)
        return Failure{eightDigitsMessage()};
    const qint32 issue = trimmed.toInt();
    if (const Status valid = validate(issue); !valid.ok())
        return Failure{valid.error()};
    return issue;
}

Status validate(qint64 issue)
{
    if (issue < 0 || issue > kLargestIssue)
        return Failure{eightDigitsMessage()};
    const auto shortIssue = qint32(issue);
    if (!date(shortIssue).isValid()) {
        return Failure{QStringLiteral("期号%1中的日期不存在：%2年%3月%4日")
                           .arg(issue, 8, 10, QLatin1Char('0'))
                           .arg(kFirstYear + issue / 1000000)
                           .arg(twoDigits(issue / 10000 % 100), twoDigits(issue / 100 % 100))};
    }
    if (sequence(shortIssue) < 1)
        return Failure{QStringLiteral("期号的最后两位是当天期数，必须从01开始")};
    return success();
}

qint32 next(qint32 newestIssue, int drawsPerDay)
{
    // Two digits hold the sequence number: after 99 the only sensible proposal is the next
    // day, since + 1 would carry into the day digits and give sequence 00.
    const int seq = sequence(newestIssue);
    if (seq != drawsPerDay && seq != 99)
        return newestIssue + 1;
    // A stored issue whose digits form no date (or no date after 2099) has no following day;
    // the plain + 1 is then the proposal, which the user corrects before storing.
    const QDate following = date(newestIssue).addDays(1);
    if (!following.isValid() || following.year() > kLastYear)
        return newestIssue + 1;
    return make(following, 1);
}

} // namespace IssueNumber

Status validateDrawNumbers(const DrawNumbers& numbers)
{
    for (int p = 1; p <= kPositionCount; ++p) {
        const int n = numbers[p - 1];
        if (n < 1 || n > kHighestNumber)
            return Failure{QStringLiteral("第%1个号码必须在1到%2之间").arg(p).arg(kHighestNumber)};
    }
    for (int p = 1; p <= kPositionCount; ++p) {
        for (int earlier = 1; earlier < p; ++earlier) {
            if (numbers[earlier - 1] == numbers[p - 1])
                return Failure{QStringLiteral("号码不能重复：%1").arg(twoDigits(numbers[p - 1]))};
        }
    }
    return success();
}

} // namespace quorvel
