#pragma once

#include "core/Draw.h"
#include "core/Result.h"
#include "history/OnlineUpdatePlan.h"
#include "history/ResultsPage.h"

#include <QStringView>

#include <vector>

namespace quorvel {

class Database;

// The storing step of an online history update: the draws of the plan's range that a results page
// holds, stored through the online path, each with the draw stored just before it as its previous
// draw (the newest stored draw for the first one when the plan continues the history, none when
// it starts or replaces it).
class OnlineUpdateStore
{
public:
    struct Outcome
    {
        std::vector<Draw> stored; // oldest first
        int malformed = 0;        // draws of the range found on the page whose fields are not a draw
        std::vector<qint32> inconsistent; // issues the page gives twice with different numbers
        bool replacedHistory = false;
    };

    // Stores in one transaction: a plan that replaces the history deletes the old draws in the same
    // transaction that stores the new ones. A page with no draw of the range changes nothing, the
    // old history included. A failed write leaves the history exactly as it was.
    static Result<Outcome> store(Database& database, const OnlineUpdatePlan& plan, QStringView pageText);
    // The same for a page already read (ResultsPage::read over the plan's issues), so that the
    // reading can happen off the thread that stores.
    static Result<Outcome> store(Database& database, const OnlineUpdatePlan& plan,
                                 const ResultsPage::Reading& reading);
};

} // namespace quorvel
