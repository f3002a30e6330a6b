#include "history/DrawEntry.h"

#include "core/DrawParameters.h"
#include "core/IssueNumber.h"
#include "core/LotteryType.h"

#include <QRegularExpression>

#include <algorithm>

namespace quorvel {
namespace DrawEntry {

Result<Draw> prepareManualDraw(const QString& issueText, const DrawNumbers& numbers, const DrawTable& history,
                               int lotteryTypeIndex, const QDate& today)
{
    const Result<qint32> issue = IssueNumber::parse(issueText);
    if (!issue)
        return Failure{issue.error()};
    if (const Status sequence = checkDaySequence(*issue, lotteryTypeIndex); !sequence)
        return sequence.failure();
    if (const Status dated = checkNotAfterToday(*issue, today); !dated)
        return dated.failure();
    const int drawsPerDay = drawsPerDayOf(lotteryTypeIndex);
    if (const Status valid = validateDrawNumbers(numbers); !valid)
        return Failure{valid.error()};
    const std::vector<qint32>& issues = history.issues();
    if (std::binary_search(issues.begin(), issues.end(), *issue))
        return Failure{QStringLiteral("期号%1已经保存过，不能重复输入").arg(DrawEntry::issueText(*issue))};
    return makeDraw(numbers, *issue, previousDrawNumbers(history, *issue), drawsPerDay, EntryPath::Manual);
}

Status checkDaySequence(qint32 issue, int lotteryTypeIndex)
{
    const QString type = isLotteryTypeIndex(lotteryTypeIndex)
                             ? lotteryTypes()[std::size_t(lotteryTypeIndex)].caption
                             : QStringLiteral("未选择彩种时");
    return checkDaySequence(issue, drawsPerDayOf(lotteryTypeIndex), type);
}

Status checkDaySequence(qint32 issue, int drawsPerDay, const QString& type)
{
    const int sequence = IssueNumber::sequence(issue);
    if (sequence <= drawsPerDay)
        return success();
    return Failure{QStringLiteral("期号%1的当天期数%2超过了%3每天的%4期")
                       .arg(issueText(issue))
                       .arg(sequence, 2, 10, QLatin1Char('0'))
                       .arg(type)
                       .arg(drawsPerDay)};
}

Status checkNotAfterToday(qint32 issue, const QDate& today)
{
    const QDate date = IssueNumber::date(issue);
    if (!date.isValid() || date <= today)
        return success();
    return Failure{QStringLiteral("期号日期晚于今天：期号%1是%2，今天是%3")
                       .arg(issueText(issue), date.toString(QStringLiteral("yyyy年M月d日")),
                            today.toString(QStringLiteral("yyyy年M月d日")))};
}

Result<std::optional<PastedDraw>> pastedDraw(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,，]+"));
    const QStringList fields = text.trimmed().split(separators, Qt::SkipEmptyParts);
    if (fields.size() <= 1)
        return std::optional<PastedDraw>();
    const Failure refused{QStringLiteral("粘贴的内容不是一期开奖号码（应为期号和8个号码，以空格、逗号或制表符分隔）")};
    if (fields.size() != 1 + kPositionCount)
        return refused;
    const auto digitsOnly = [](const QString& field, qsizetype longest) {
        return !field.isEmpty() && field.size() <= longest &&
               std::all_of(field.begin(), field.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if (!digitsOnly(fields.front(), 8))
        return refused;
    PastedDraw draw;
    draw.issue = fields.front();
    for (int p = 0; p < kPositionCount; ++p) {
        if (!digitsOnly(fields[p + 1], 2))
            return refused;
        draw.numbers[std::size_t(p)] = fields[p + 1].toInt();
    }
    return std::optional<PastedDraw>(draw);
}

std::optional<DrawNumbers> previousDrawNumbers(const DrawTable& history, qint32 issue)
{
    const std::vector<qint32>& issues = history.issues();
    const auto after = std::lower_bound(issues.begin(), issues.end(), issue);
    if (after == issues.begin())
        return std::nullopt;
    const int draw = int(after - issues.begin()) - 1;
    DrawNumbers numbers{};
    for (int p = 1; p <= kPositionCount; ++p)
        numbers[std::size_t(p - 1)] = history.numbersAt(p)[draw];
    return numbers;
}

qint32 proposeNextIssue(std::optional<qint32> newestIssue, int drawsPerDay, const QDate& today)
{
    if (newestIssue)
        return IssueNumber::next(*newestIssue, drawsPerDay);
    return IssueNumber::make(today, 1);
}

QString issueText(qint32 issue)
{
    return QStringLiteral("%1").arg(issue, 8, 10, QLatin1Char('0'));
}

} // namespace DrawEntry
} // namespace quorvel
