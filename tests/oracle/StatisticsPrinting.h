#pragma once

#include "core/FormulaRecord.h"

#include <QTest>

#include <optional>

namespace quorvel {

// Readable QCOMPARE failures for run statistics (found by argument-dependent lookup).
inline char* toString(const RunStatistics& statistics)
{
    return QTest::toString(QStringLiteral("max misses %1, max hits %2, last misses %3, last hits %4")
                               .arg(statistics.maxMisses)
                               .arg(statistics.maxHits)
                               .arg(statistics.lastMisses)
                               .arg(statistics.lastHits));
}

inline QString describe(const std::optional<int>& value)
{
    return value ? QString::number(*value) : QStringLiteral("none");
}

} // namespace quorvel

namespace std {

// Readable QCOMPARE failures for optional numbers.
inline char* toString(const std::optional<int>& value)
{
    return QTest::toString(quorvel::describe(value));
}

} // namespace std
