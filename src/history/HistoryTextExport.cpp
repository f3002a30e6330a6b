#include "history/HistoryTextExport.h"

#include "history/DrawEntry.h"

namespace quorvel {
namespace HistoryTextExport {

QString fileName(const QString& issueText)
{
    return QStringLiteral("更新至") + issueText + QStringLiteral("期历史号码.txt");
}

QString line(qint32 issue, const DrawNumbers& numbers)
{
    QString text = DrawEntry::issueText(issue);
    for (const int n : numbers)
        text += QStringLiteral(" %1").arg(n, 2, 10, QLatin1Char('0'));
    return text;
}

QStringList lines(const DrawTable& history)
{
    QStringList result;
    result.reserve(history.drawCount());
    for (int draw = 0; draw < history.drawCount(); ++draw) {
        DrawNumbers numbers{};
        for (int p = 1; p <= kPositionCount; ++p)
            numbers[std::size_t(p - 1)] = history.numbersAt(p)[draw];
        result.append(line(history.issues()[std::size_t(draw)], numbers));
    }
    return result;
}

} // namespace HistoryTextExport
} // namespace quorvel
