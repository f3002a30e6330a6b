#include "history/ResultsPage.h"

#include <unordered_map>

namespace quorvel {

namespace {

constexpr qsizetype kIssueDigits = 8;
constexpr qint32 kIssueModulus = 100000000;

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

std::optional<DrawNumbers> ResultsPage::numbersAfter(QStringView text, qsizetype issueStart)
{
    DrawNumbers numbers{};
    bool seen[kHighestNumber + 1] = {};
    for (int i = 0; i < kPositionCount; ++i) {
        // The first number follows the issue's digits directly; the numbers are three apart.
        const qsizetype at = issueStart + kIssueDigits + 3 * i;
        if (at + 2 > text.size())
            return std::nullopt;
        const QChar tens = text[at];
        const QChar ones = text[at + 1];
        if (!isAsciiDigit(tens) || !isAsciiDigit(ones))
            return std::nullopt;
        const int n = (tens.unicode() - u'0') * 10 + (ones.unicode() - u'0');
        if (n < 1 || n > kHighestNumber || seen[n])
            return std::nullopt;
        seen[n] = true;
        numbers[std::size_t(i)] = n;
    }
    return numbers;
}

ResultsPage::Reading ResultsPage::read(QStringView text, std::span<const qint32> issues)
{
    // One pass over the text finds the first occurrence of every wanted issue: each window of
    // eight consecutive digits is an occurrence of the issue it spells, also inside a longer run
    // of digits, exactly as a plain text search would find it.
    std::unordered_map<qint32, qsizetype> firstAt;
    firstAt.reserve(issues.size());
    for (const qint32 issue : issues)
        firstAt.emplace(issue, -1);
    std::size_t remaining = firstAt.size();
    qsizetype run = 0;
    qint32 window = 0;
    for (qsizetype i = 0; i < text.size() && remaining > 0; ++i) {
        const QChar c = text[i];
        if (!isAsciiDigit(c)) {
            run = 0;
            window = 0;
            continue;
        }
        window = qint32((qint64(window) * 10 + (c.unicode() - u'0')) % kIssueModulus);
        if (++run < kIssueDigits)
            continue;
        const auto wanted = firstAt.find(window);
        if (wanted != firstAt.end() && wanted->second < 0) {
            wanted->second = i - (kIssueDigits - 1);
            --remaining;
        }
    }

    Reading reading;
    for (const qint32 issue : issues) {
        const qsizetype at = firstAt[issue];
        if (at < 0)
            continue;
        if (const std::optional<DrawNumbers> numbers = numbersAfter(text, at))
            reading.draws.push_back({issue, *numbers});
        else
            reading.malformed.push_back(issue);
    }
    return reading;
}

} // namespace quorvel
