#include "history/OnlineUpdatePlan.h"

#include "core/IssueNumber.h"

namespace quorvel {

namespace {

constexpr int kFirstYear = 2000;
constexpr int kLastYear = 2099;

bool carriesIssues(const QDate& date)
{
    return date.isValid() && date.year() >= kFirstYear && date.year() <= kLastYear;
}

} // namespace

Result<OnlineUpdatePlan> OnlineUpdatePlan::compute(const QDate& today, int historyDays, int drawsPerDay,
                                                   std::optional<qint32> oldestIssue,
                                                   std::optional<qint32> newestIssue)
{
    Q_ASSERT(historyDays >= 0);
    Q_ASSERT(drawsPerDay >= 1 && drawsPerDay <= 99);
    Q_ASSERT(oldestIssue.has_value() == newestIssue.has_value());
    const QDate firstDay = today.addDays(-historyDays);
    if (!carriesIssues(today) || !carriesIssues(firstDay)) {
        return Failure{QStringLiteral("日期%1超出期号能表示的范围（%2至%3年）")
                           .arg(today.toString(Qt::ISODate))
                           .arg(kFirstYear)
                           .arg(kLastYear)};
    }

    OnlineUpdatePlan plan;
    plan.drawsPerDay = drawsPerDay;
    plan.lastIssue = IssueNumber::make(today, drawsPerDay);
    if (oldestIssue) {
        const QDate oldest = IssueNumber::date(*oldestIssue);
        const QDate newest = IssueNumber::date(*newestIssue);
        if (!oldest.isValid() || !newest.isValid())
            return Failure{QStringLiteral("已存的期号%1不是有效日期")
                               .arg(oldest.isValid() ? *newestIssue : *oldestIssue)};
        // Counting from a draw that cannot have taken place yet, nothing would ever be asked for.
        if (newest > today)
            return Failure{QStringLiteral("期号日期晚于今天：历史中的期号%1是%2，今天是%3，无法确定要更新哪些期号。"
                                          "请先删除这一期")
                               .arg(*newestIssue, 8, 10, QLatin1Char('0'))
                               .arg(newest.toString(QStringLiteral("yyyy年M月d日")),
                                    today.toString(QStringLiteral("yyyy年M月d日")))};
        plan.replacesHistory = oldest.daysTo(today) > historyDays;
        if (!plan.replacesHistory) {
            plan.continuesHistory = true;
            plan.days = int(newest.daysTo(today)) + 1;
            plan.firstIssue = *newestIssue + 1;
        }
    }
    if (!plan.continuesHistory) {
        plan.days = historyDays + 1;
        plan.firstIssue = IssueNumber::make(firstDay, 1);
    }
    plan.requestCount = qint64(plan.days + 1) * drawsPerDay;
    return plan;
}

std::vector<qint32> OnlineUpdatePlan::issues() const
{
    std::vector<qint32> result;
    if (isUpToDate())
        return result;
    // Newest stored + 1 may carry past its day's last sequence, even into a day that does not
    // exist (31 December, sequence 99, + 1); the walk starts at the newest stored draw's day and
    // keeps only what lies in the range.
    const QDate lastDay = IssueNumber::date(lastIssue);
    QDate day = IssueNumber::date(continuesHistory ? firstIssue - 1 : firstIssue);
    for (; day.isValid() && day <= lastDay; day = day.addDays(1)) {
        for (int sequence = 1; sequence <= drawsPerDay; ++sequence) {
            const qint32 issue = IssueNumber::make(day, sequence);
            if (issue >= firstIssue && issue <= lastIssue)
                result.push_back(issue);
        }
    }
    return result;
}

Result<QUrl> OnlineUpdatePlan::resultsAddress(const QString& typeCode, const QString& resultsHost,
                                              qint64 count)
{
    if (typeCode.isEmpty())
        return Failure{QStringLiteral("请先在“设置”菜单的“彩种选择”中选择彩种")};
    QString base = resultsHost.trimmed();
    if (base.isEmpty())
        return Failure{QStringLiteral("尚未设置开奖数据地址")};
    const bool wholeBase = base.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
                           base.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    if (!wholeBase)
        base = QStringLiteral("http://") + typeCode + base;
    while (base.endsWith(u'/'))
        base.chop(1);
    const QUrl url(base + QStringLiteral("/?n=") + QString::number(count), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return Failure{QStringLiteral("开奖数据地址“%1”不是有效的网址").arg(resultsHost.trimmed())};
    return url;
}

} // namespace quorvel
