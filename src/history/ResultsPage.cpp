#include "history/ResultsPage.h"

#include <algorithm>
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
    // One pass over the text finds every occurrence of every wanted issue: each window of eight
    // consecutive digits is an occurrence of the issue it spells, also inside a longer run of
    // digits, exactly as a plain text search would find it.
    std::unordered_map<qint32, std::vector<qsizetype>> occurrences;
    occurrences.reserve(issues.size());
    for (const qint32 issue : issues)
        occurrences.emplace(issue, std::vector<qsizetype>());
    qsizetype run = 0;
    qint32 window = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!isAsciiDigit(c)) {
            run = 0;
            window = 0;
            continue;
        }
        window = qint32((qint64(window) * 10 + (c.unicode() - u'0')) % kIssueModulus);
        if (++run < kIssueDigits)
            continue;
        if (const auto wanted = occurrences.find(window); wanted != occurrences.end())
            wanted->second.push_back(i - (kIssueDigits - 1));
    }

    Reading reading;
    for (const qint32 issue : issues) {
        const std::vector<qsizetype>& at = occurrences[issue];
        if (at.empty())
            continue;
        const std::optional<DrawNumbers> numbers = numbersAfter(text, at.front());
        if (!numbers) {
            reading.malformed.push_back(issue);
            continue;
        }
        const bool contradicted = std::any_of(at.begin() + 1, at.end(), [&](qsizetype later) {
            const std::optional<DrawNumbers> other = numbersAfter(text, later);
            return other && *other != *numbers;
        });
        if (contradicted)
            reading.inconsistent.push_back(issue);
        else
            reading.draws.push_back({issue, *numbers});
    }
    return reading;
}

} // namespace quorvel
