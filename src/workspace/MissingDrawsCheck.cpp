#include "workspace/MissingDrawsCheck.h"

#include "history/DrawEntry.h"
#include "history/MissingIssues.h"
#include "workspace/Workspace.h"

namespace quorvel {

const QString MissingDrawsCheck::kTitle = QStringLiteral("检查缺失期号");

MissingDrawsCheck::MissingDrawsCheck(const Workspace& workspace) : m_workspace(workspace) {}

std::vector<qint32> MissingDrawsCheck::missing() const
{
    return MissingIssues::find(m_workspace.history()->issues(), m_workspace.drawsPerDay());
}

QString MissingDrawsCheck::report() const
{
    const std::shared_ptr<const DrawTable> history = m_workspace.history();
    const std::vector<qint32>& issues = history->issues();
    if (issues.size() < 2)
        return QStringLiteral("历史号码不足两期，没有可检查的期号。");
    const QString range = QStringLiteral("从%1到%2（每天%3期）")
                              .arg(DrawEntry::issueText(issues.front()), DrawEntry::issueText(issues.back()))
                              .arg(m_workspace.drawsPerDay());
    const std::vector<qint32> absent = missing();
    if (absent.empty())
        return range + QStringLiteral("没有缺失的期号。");
    return range + QStringLiteral("缺失%1期：\n").arg(absent.size()) + describe(absent);
}

QString MissingDrawsCheck::describe(const std::vector<qint32>& missing)
{
    const QStringList days = MissingIssues::byDay(missing);
    QStringList shown = days.mid(0, kListedDays);
    if (days.size() > kListedDays)
        shown << QStringLiteral("……另有%1天有缺失的期号").arg(days.size() - kListedDays);
    return shown.join(QLatin1Char('\n'));
}

} // namespace quorvel
