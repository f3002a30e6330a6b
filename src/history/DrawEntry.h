#pragma once

#include "core/Draw.h"
#include "core/DrawTable.h"
#include "core/Result.h"

#include <QDate>
#include <QString>

#include <optional>

namespace quorvel {

// Rules for a draw the user types into the main window.
namespace DrawEntry {

// Checks a typed draw and builds its record for the manual entry path. Refuses, with a message
// for the user, an issue that is not eight digits forming a real date with a sequence number of
// 01 to D of the lottery type, an issue dated after `today`, numbers outside 1..20 or repeated,
// and an issue already in `history`. The previous draw is the one stored just before the new issue.
Result<Draw> prepareManualDraw(const QString& issueText, const DrawNumbers& numbers, const DrawTable& history,
                               int lotteryTypeIndex, const QDate& today);

// Refuses an issue dated after `today` ("期号日期晚于今天"): no draw of it can have taken place,
// and once stored it would make every online update look up to date.
Status checkNotAfterToday(qint32 issue, const QDate& today);

// Refuses an issue whose day sequence is above D of the lottery type, naming D and the type.
Status checkDaySequence(qint32 issue, int lotteryTypeIndex);
// The same against a D given by the user (`typeName` says where D came from).
Status checkDaySequence(qint32 issue, int drawsPerDay, const QString& typeName);

// The numbers of the draw stored immediately before `issue` in issue order; none when `issue`
// is older than every stored draw.
std::optional<DrawNumbers> previousDrawNumbers(const DrawTable& history, qint32 issue);

// The issue proposed for the next draw: the one following the newest stored issue, or with an
// empty history the first draw of `today`, so that typing can begin without looking it up.
qint32 proposeNextIssue(std::optional<qint32> newestIssue, int drawsPerDay, const QDate& today);

// A draw line pasted into the issue box or the first number box, as results pages and spreadsheets
// copy it: an issue and eight numbers separated by blanks, commas or tabs.
struct PastedDraw
{
    QString issue;
    DrawNumbers numbers{};
};
// Empty for text of one field (an ordinary paste into one box); a failure for text of several
// fields that is no draw line. Only the form is checked here: the draw goes through the checks of
// a typed one when it is stored.
Result<std::optional<PastedDraw>> pastedDraw(const QString& text);

// Eight digits with leading zeros ("01010101").
QString issueText(qint32 issue);

} // namespace DrawEntry
} // namespace quorvel
