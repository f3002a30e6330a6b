#include "search/LuckBaseline.h"

#include "search/CandidateRandom.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace quorvel {

namespace {

// The shuffle's own stream, apart from every candidate's (candidate numbers stop far below it).
constexpr quint64 kShuffleStream = std::numeric_limits<quint64>::max();

} // namespace

DrawTable LuckBaseline::shuffled(const DrawTable& history, quint64 seed)
{
    const int count = history.drawCount();
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    CandidateRandom random(CandidateRandom::keyOf(seed), kShuffleStream);
    for (int i = count - 1; i > 0; --i)
        std::swap(order[std::size_t(i)], order[std::size_t(random.below(i + 1))]);

    std::vector<qint32> issues(static_cast<std::size_t>(count));
    std::vector<qint32> columns(std::size_t(count) * std::size_t(kTermCount));
    for (int row = 0; row < count; ++row) {
        const int from = order[std::size_t(row)];
        issues[std::size_t(row)] = history.issues()[std::size_t(from)];
        for (int term = 0; term < kTermCount; ++term)
            columns[std::size_t(term) * std::size_t(count) + std::size_t(row)] = history.value(term, from);
    }
    return DrawTable(std::move(issues), std::move(columns));
}

SearchParameters LuckBaseline::parametersFor(const SearchParameters& run, quint64 tried,
                                             const GenerationSettings& generation)
{
    static const DrawTable empty;
    SearchParameters luck = run;
    luck.history = std::make_shared<const DrawTable>(shuffled(run.history ? *run.history : empty, run.seed));
    luck.generation = generation;
    luck.candidateLimit = tried;
    luck.foundTarget.reset();
    luck.foundListRoom = std::numeric_limits<int>::max();
    luck.countOnly = true;
    // The stored formulas say nothing about a shuffled history: only repeats within it count.
    luck.stored.reset();
    return luck;
}

QString LuckBaseline::shareText(int found, quint64 tried)
{
    if (found <= 0 || tried == 0)
        return QStringLiteral("0%");
    // Fixed notation with two significant digits: 45%, 1.5%, 0.012%, never an exponent.
    const double percent = 100.0 * double(found) / double(tried);
    const int decimals = std::max(0, 1 - int(std::floor(std::log10(percent))));
    return QString::number(percent, 'f', decimals) + QLatin1Char('%');
}

} // namespace quorvel
