#pragma once

#include "core/Draw.h"
#include "core/LedgerRecord.h"

#include <QString>

#include <vector>

namespace quorvel {

// How the ledger writes an entry's picks and judges them once its draw is known.
namespace LedgerScoring {

// The picks of positions 1..p*: each page's numbers separated by blanks, the pages by "|"
// ("7 12|3|" for three pages, the last without a pick).
// `pageSeparator` between the pages, `emptyPage` for a page without picks.
QString picksText(const std::vector<std::vector<int>>& pages,
                  const QString& pageSeparator = QStringLiteral("|"), const QString& emptyPage = QString());
// The pages of a picks text; words that are not numbers 1..20 are left out.
std::vector<std::vector<int>> picksOf(const QString& text);
// The eight numbers separated by blanks.
QString drawnText(const DrawNumbers& numbers);

// Whether an entry's picks are numbers its formulas killed: the kill entries made before the
// lottery type was recorded, when the ranking still picked the most-killed numbers. Their picks
// are right when not drawn, by chance 19 times in 20, so they count in no total of the ledger.
bool picksWereKilled(const LedgerRecord& record);

// Every pick of page q judged against the number drawn at position q: right when it is that
// number, or when `killedPicks`, when it is not.
LedgerScore score(const std::vector<std::vector<int>>& pages, const DrawNumbers& numbers, bool killedPicks);

} // namespace LedgerScoring
} // namespace quorvel
