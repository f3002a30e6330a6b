#pragma once

#include "core/FormulaRecord.h"

#include <QTest>

#include <optional>

namespace quorvel {

inline QString describe(const RunStatistics& statistics)
{
    return QStringLiteral("max misses %1, max hits %2, last misses %3, last hits %4")
        .arg(statistics.maxMisses)
        .arg(statistics.maxHits)
        .arg(statistics.lastMisses)
        .arg(statistics.lastHits);
}

// Readable QCOMPARE failures for run statistics (found by argument-dependent lookup). The text is
// QCOMPARE's to free; a message of one's own takes describe().
inline char* toString(const RunStatistics& statistics)
{
    return QTest::toString(describe(statistics));
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
