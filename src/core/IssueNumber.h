#pragma once

#include "core/Draw.h"
#include "core/Result.h"

#include <QDate>
#include <QString>

namespace quorvel {

// Issue numbers are YYMMDDNN: the draw date (year - 2000, month, day) and the draw's sequence
// number within its day.
namespace IssueNumber {

QDate date(qint32 issue);   // invalid when YYMMDD is not a real date
int sequence(qint32 issue); // NN
qint32 make(const QDate& date, int sequence);

// Accepts eight digits forming a real date YYMMDD with a sequence number of at least 01.
Result<qint32> parse(const QString& text);
Status validate(qint64 issue);

// The issue proposed after the newest stored one: + 1 unless its sequence number equals D,
// in which case the first draw of the following calendar day.
qint32 next(qint32 newestIssue, int drawsPerDay);

} // namespace IssueNumber

// Refuses numbers outside 1..20 and repeated numbers, with a message naming the fault.
Status validateDrawNumbers(const DrawNumbers& numbers);

} // namespace quorvel
