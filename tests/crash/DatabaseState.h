#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QString>

namespace quorvel::crash {

// What a data folder's formula.db holds, as the crash test compares it: the rows of every table
// (the history without its work columns, the formula tables' formulas) and, apart, the numbers
// and run statistics a verification writes back into the formula tables.
struct DatabaseState
{
    QString counts;        // "Lishi=561 Gongshi1=250 ..." for the report
    QByteArray rows;       // digest of the rows, in stored order
    QByteArray statistics; // digest of idx and the four run statistics of every formula row

    bool operator==(const DatabaseState&) const = default;

    // Opens the file as the program does (a journal left by a killed run is rolled back here),
    // checks it with PRAGMA integrity_check and reads its state. Fails with what was wrong.
    static Result<DatabaseState> read(const QString& dataFolder);
};

} // namespace quorvel::crash
