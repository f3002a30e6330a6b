#pragma once

#include <QString>
#include <QtGlobal>

#include <cmath>
#include <limits>
#include <optional>

namespace quorvel {

// The number rules every part of the program shares. A formula value is a double; NaN is the
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
