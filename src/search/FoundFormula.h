#pragma once

#include "core/FormulaRecord.h"

#include <QList>
#include <QMetaType>
#include <QString>

namespace quorvel {

// An accepted candidate as the FoundList keeps it: code, display text, the position it predicts
// and its limit value (its longest miss run, stored as `intGsLim`), with the run statistics it
// was accepted on, its number in the run that found it and the kind it was found for (the kind
// can change during a run, so a store should not take it from the window alone).
struct FoundFormula
{
    QString code;
    QString displayText;
    int position = 1;
    RunStatistics statistics;
    quint64 candidate = 0;
    bool kill = false;

    int limit() const { return statistics.maxMisses; }
    bool operator==(const FoundFormula&) const = default;
};

// Consecutive found formulas, as a search hands them on.
using FoundBatch = QList<FoundFormula>;

} // namespace quorvel

Q_DECLARE_METATYPE(quorvel::FoundFormula)
