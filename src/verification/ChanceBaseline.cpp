#include "verification/ChanceBaseline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace quorvel {
namespace ChanceBaseline {

namespace {

// log P(X = k) for X binomial(n, p), 0 < p < 1, by a sum of logarithms (no lgamma, whose sign
// output is shared between threads on some platforms).
double logBinomialTerm(int n, double p, int k)
{
    const int shorter = std::min(k, n - k);
    double logCoefficient = 0;
    for (int i = 1; i <= shorter; ++i)
        logCoefficient += std::log(double(n - shorter + i) / double(i));
    return logCoefficient + k * std::log(p) + (n - k) * std::log1p(-p);
}

} // namespace

double atLeastHits(int outcomes, double p, int hits)
{
    if (hits <= 0)
        return 1;
    if (hits > outcomes)
        return 0;
    if (p <= 0)
        return 0;
    if (p >= 1)
        return 1;
    const double q = 1 - p;
    const int n = outcomes;
    // Above the mean the terms fall from `hits` upwards, so the tail is summed directly and
    // keeps its relative precision however small it is; below it the lower tail is summed from
    // hits - 1 downwards, falling as well, and the tail is its complement (then close to 1).
    if (hits > n * p) {
        double term = std::exp(logBinomialTerm(n, p, hits));
        double sum = 0;
        for (int i = hits; i <= n && term > 0; ++i) {
            sum += term;
            term *= double(n - i) / double(i + 1) * p / q;
        }
        return std::min(sum, 1.0);
    }
    double term = std::exp(logBinomialTerm(n, p, hits - 1));
    double lower = 0;
    for (int i = hits - 1; i >= 0 && term > 0; --i) {
        lower += term;
        term *= double(i) / double(n - i + 1) * q / p;
    }
    return std::clamp(1 - lower, 0.0, 1.0);
}

double longestRunAtLeast(int outcomes, double p, int length)
{
    if (length <= 0)
        return 1;
    if (length > outcomes || p <= 0)
        return 0;
    if (p >= 1)
        return 1;
    const double q = 1 - p;
    const int m = length;
    const double runChance = std::pow(p, m);
    // none[i]: the chance that the first i trials hold no run of m. The first such run ends at
    // trial i either as trials 1..m (i = m) or as a failure at i - m followed by m successes
    // with no run before: first(i) = q p^m none[i - m - 1]. The answer is the sum of these
    // first-run chances, a sum of positive terms, so a small chance keeps its relative precision.
    std::vector<double> none(std::size_t(outcomes) + 1, 1.0);
    double sum = 0;
    for (int i = m; i <= outcomes; ++i) {
        const double first = i == m ? runChance : q * runChance * none[std::size_t(i - m - 1)];
        sum += first;
        none[std::size_t(i)] = std::max(0.0, none[std::size_t(i - 1)] - first);
    }
    return std::min(sum, 1.0);
}

Figures figures(int outcomes, int hits, int maxMisses, int maxHits, bool kill)
{
    const double p = hitChance(kill);
    Figures result;
    result.outcomes = outcomes;
    result.hits = hits;
    result.hitRate = outcomes > 0 ? double(hits) / outcomes : 0;
    result.hitsChance = atLeastHits(outcomes, p, hits);
    result.maxMissChance = longestRunAtLeast(outcomes, hitChance(!kill), maxMisses);
    result.maxHitChance = longestRunAtLeast(outcomes, p, maxHits);
    return result;
}

double lastRunChance(int length, bool ofHits, bool kill)
{
    if (length <= 0)
        return 1;
    const double p = ofHits ? hitChance(kill) : 1 - hitChance(kill);
    return std::pow(p, length);
}

QString percentText(double probability)
{
    const double percent = std::clamp(probability, 0.0, 1.0) * 100;
    if (percent <= 0)
        return QStringLiteral("0%");
    if (percent < 0.001)
        return QString::number(percent, 'e', 1) + QLatin1Char('%');
    // Rounded to two significant digits first, so that 9.96 becomes "10", not "10.0".
    const int magnitude = int(std::floor(std::log10(percent)));
    const double scale = std::pow(10.0, 1 - magnitude);
    const double rounded = std::round(percent * scale) / scale;
    const int decimals = std::max(0, 1 - int(std::floor(std::log10(rounded))));
    return QString::number(rounded, 'f', decimals) + QLatin1Char('%');
}

QString probabilityText(double probability)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", probability);
    return QString::fromLatin1(text);
}

} // namespace ChanceBaseline
} // namespace quorvel
