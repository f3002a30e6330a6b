#include "oracle/SyntheticHistory.h"

#include "core/DrawParameters.h"
#include "core/IssueNumber.h"

#include <QFile>
#include <QTextStream>

#include <numeric>
#include <optional>

namespace quorvel::oracle {

std::vector<Draw> historyOf(const std::vector<DrawNumbers>& numbers, qint32 firstIssue, int drawsPerDay)
{
    std::vector<Draw> draws;
    draws.reserve(numbers.size());
    std::optional<DrawNumbers> previous;
    qint32 issue = firstIssue;
    for (const DrawNumbers& drawn : numbers) {
        draws.push_back(makeDraw(drawn, issue, previous, drawsPerDay, EntryPath::Manual));
        previous = drawn;
        issue = IssueNumber::next(issue, drawsPerDay);
    }
    return draws;
}

DrawNumbers drawWith(int position, int number)
{
    DrawNumbers numbers{};
    int next = 1;
    for (int p = 1; p <= kPositionCount; ++p) {
        if (p == position) {
            numbers[std::size_t(p - 1)] = number;
            continue;
        }
        if (next == number)
            ++next;
        numbers[std::size_t(p - 1)] = next++;
    }
    return numbers;
}

DrawNumbers randomNumbers(std::mt19937_64& random)
{
    std::array<int, kHighestNumber> pool{};
    std::iota(pool.begin(), pool.end(), 1);
    // Partial Fisher-Yates with a fixed reduction, so a seed gives the same draws everywhere.
    DrawNumbers numbers{};
    for (int i = 0; i < kPositionCount; ++i) {
        const int pick = i + int(random() % quint64(kHighestNumber - i));
        std::swap(pool[std::size_t(i)], pool[std::size_t(pick)]);
        numbers[std::size_t(i)] = pool[std::size_t(i)];
    }
    return numbers;
}

std::vector<Draw> randomHistory(int count, std::mt19937_64& random, qint32 firstIssue, int drawsPerDay)
{
    std::vector<DrawNumbers> numbers;
    numbers.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        numbers.push_back(randomNumbers(random));
    return historyOf(numbers, firstIssue, drawsPerDay);
}

std::vector<Draw> readHistoryFile(const QString& path, int drawsPerDay)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    std::vector<Draw> draws;
    std::optional<DrawNumbers> previous;
    QTextStream stream(&file);
    while (!stream.atEnd()) {
        const QStringList fields = stream.readLine().split(u' ', Qt::SkipEmptyParts);
        if (fields.size() != 1 + kPositionCount)
            continue;
        DrawNumbers numbers{};
        for (int i = 0; i < kPositionCount; ++i)
            numbers[std::size_t(i)] = fields[i + 1].toInt();
        draws.push_back(makeDraw(numbers, fields[0].toInt(), previous, drawsPerDay, EntryPath::Manual));
        previous = numbers;
    }
    return draws;
}

} // namespace quorvel::oracle
