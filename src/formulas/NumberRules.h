#pragma once

#include "core/FormulaRecord.h"
#include "formulas/FoldMatch.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>

namespace quorvel {

// The number rules every part of the program shares, each defined once: the value, the whole
// number, the fold, the hit rule and the run tally. A formula value is a double; NaN is the
// empty value (a division or remainder by zero on that draw), which predicts nothing.

constexpr double kEmptyValue = std::numeric_limits<double>::quiet_NaN();

inline bool isEmptyValue(double value)
{
    return std::isnan(value);
}

// Whole number of a value, halves to the even neighbour.
inline double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode rounds halves to even
}

// Remainder keeping the sign of the dividend (what `MOD` gives for whole numbers).
inline qint64 remainderKeepingSign(qint64 dividend, qint64 divisor)
{
    Q_ASSERT(divisor != 0);
    return dividend % divisor;
}

// Fold of a whole number w into 1..20: ((w - 1) MOD 20) + 1; 0 -> 0, 21 -> 1, 40 -> 20, -3 -> -3.
inline qint64 foldWhole(qint64 whole)
{
    return remainderKeepingSign(whole - 1, 20) + 1;
}

// Fold of a value: the rounded value folded; empty for an empty value.
inline std::optional<int> fold(double value)
{
    if (isEmptyValue(value) || std::fabs(value) > 9.0e18)
        return std::nullopt;
    return static_cast<int>(foldWhole(static_cast<qint64>(roundHalfEven(value))));
}

// Whether a prediction folded to `folded` was right for the number then drawn: a kill is right
// when they differ, a keep when they are equal. Folds of 0 or less equal no drawn number (1..20),
// so such a kill is always right and such a keep always wrong.
inline bool isRightFold(qint64 folded, qint32 drawn, bool kill)
{
    return (folded != drawn) == kill;
}

// Whether a value predicted the number then drawn. An empty value predicts nothing: a miss for
// kill and keep alike.
inline bool isHit(double value, qint32 drawn, bool kill)
{
    const std::optional<int> folded = fold(value);
    return folded && isRightFold(*folded, drawn, kill);
}

// The outcomes of `length` (at most 64) whole-number predictions at once, bit j for wholes[j]
// against drawn[j]; bits from `length` on are 0. With `narrow` (every whole number below
// 2^31 - 20 in magnitude) four outcomes are judged at a time.
inline quint64 hitBits(const qint64* wholes, const qint32* drawn, int length, bool narrow, bool kill)
{
    const quint64 flip = kill ? ~quint64(0) : 0; // kill: right where the fold differs
    const quint64 hits = foldMatchBits(wholes, drawn, length, narrow) ^ flip;
    return length < 64 ? hits & ((quint64(1) << length) - 1) : hits;
}

// The same for values, empty ones included.
inline quint64 hitBits(const double* values, const qint32* drawn, int length, bool kill)
{
    quint64 hits = 0;
    for (int j = 0; j < length; ++j)
        hits |= quint64(isHit(values[j], drawn[j], kill)) << j;
    return hits;
}

// The run tally: runs of hits and misses over outcomes taken oldest first, the outcomes and hits
// counted, and their weights (window draw j weighs j * j with square weights, else 1). Works a run
// at a time: outcomes mostly come in long runs (a kill formula is right on about 19 draws of 20),
// and the weights of a run are a difference of sums of squares.
class RunTally
{
public:
    explicit RunTally(bool squareWeights = false) : m_squareWeights(squareWeights) {}

    void add(bool hit) { addRun(hit, 1); }

    // Outcomes packed 64 to a word, the oldest in bit 0; bits from `length` on are ignored.
    void addWord(quint64 hits, int length)
    {
        while (length > 0) {
            const bool hit = hits & 1;
            const int run = std::min(std::countr_zero(hit ? ~hits : hits), length);
            addRun(hit, run);
            hits = run < 64 ? hits >> run : 0;
            length -= run;
        }
    }

    // The last runs are the current runs after the newest outcome.
    RunStatistics statistics() const { return {m_maxMisses, m_maxHits, m_currentMisses, m_currentHits}; }
    int outcomes() const { return int(m_outcomes); }
    int hits() const { return m_hits; }
    qint64 hitWeight() const { return m_hitWeight; }
    qint64 totalWeight() const { return m_totalWeight; }

private:
    // Weight of outcomes 1..n together.
    qint64 weightUpTo(qint64 n) const { return m_squareWeights ? n * (n + 1) * (2 * n + 1) / 6 : n; }

    void addRun(bool hit, int run)
    {
        const qint64 weight = weightUpTo(m_outcomes + run) - weightUpTo(m_outcomes);
        m_outcomes += run;
        m_totalWeight += weight;
        if (hit) {
            m_currentMisses = 0;
            m_currentHits += run;
            m_maxHits = std::max(m_maxHits, m_currentHits);
            m_hits += run;
            m_hitWeight += weight;
        } else {
            m_currentHits = 0;
            m_currentMisses += run;
            m_maxMisses = std::max(m_maxMisses, m_currentMisses);
        }
    }

    bool m_squareWeights;
    qint64 m_outcomes = 0;
    qint64 m_totalWeight = 0;
    qint64 m_hitWeight = 0;
    int m_hits = 0;
    int m_currentHits = 0;
    int m_currentMisses = 0;
    int m_maxHits = 0;
    int m_maxMisses = 0;
};

// A value as the program writes it: whole numbers without decimals, others with up to 6
// decimals and no trailing zeros; "-0" reads "0". The empty value has no text.
inline QString valueText(double value)
{
    if (isEmptyValue(value))
        return QString();
    QString text = QString::number(value, 'f', 6);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

} // namespace quorvel
