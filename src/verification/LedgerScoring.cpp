#include "verification/LedgerScoring.h"

#include "verification/PickTally.h"

#include <QStringList>

namespace quorvel {
namespace LedgerScoring {

QString picksText(const std::vector<std::vector<int>>& pages, const QString& pageSeparator,
                  const QString& emptyPage)
{
    QStringList texts;
    for (const std::vector<int>& page : pages) {
        QStringList numbers;
        for (const int n : page)
            numbers << QString::number(n);
        texts << (numbers.isEmpty() ? emptyPage : numbers.join(QLatin1Char(' ')));
    }
    return texts.join(pageSeparator);
}

std::vector<std::vector<int>> picksOf(const QString& text)
{
    std::vector<std::vector<int>> pages;
    if (text.isEmpty())
        return pages;
    for (const QString& page : text.split(QLatin1Char('|'))) {
        std::vector<int> numbers;
        for (const QString& word : page.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            bool ok = false;
            const int n = word.toInt(&ok);
            if (ok && n >= 1 && n <= kHighestNumber)
                numbers.push_back(n);
        }
        pages.push_back(std::move(numbers));
    }
    return pages;
}

QString drawnText(const DrawNumbers& numbers)
{
    QStringList words;
    for (const int n : numbers)
        words << QString::number(n);
    return words.join(QLatin1Char(' '));
}

bool picksWereKilled(const LedgerRecord& record)
{
    return record.kill && !record.lotteryType;
}

LedgerScore score(const std::vector<std::vector<int>>& pages, const DrawNumbers& numbers, bool killedPicks)
{
    LedgerScore result;
    result.drawn = drawnText(numbers);
    for (std::size_t q = 0; q < pages.size() && q < numbers.size(); ++q) {
        const int drawnPicks = rightPicks(pages[q], numbers[q]);
        result.right += killedPicks ? int(pages[q].size()) - drawnPicks : drawnPicks;
        result.trials += int(pages[q].size());
    }
    return result;
}

} // namespace LedgerScoring
} // namespace quorvel
