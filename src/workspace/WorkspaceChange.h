#pragma once

#include "core/Draw.h"

#include <optional>
#include <vector>

namespace quorvel {

// What an operation changed, described for the workspace, which follows it with its one refresh
// (Workspace::apply). The refresh always runs in the same order: compaction, history (`AddHaoma`),
// formula list (`AddGongshi`), proposed issue, verification with write-back (`Yansuan`, `ArrGs`).
struct WorkspaceChange
{
    enum class History
    {
        Unchanged,
        Appended, // `appended` were stored: the snapshot grows, or is read again when they fall between
        Reread    // rewritten in storage: read again
    };
    enum class List
    {
        Unchanged,
        Refilled,            // every formula selected again
        RefilledKeepingMarks // each formula keeps its own mark; computed values follow
    };
    enum class Issue
    {
        Unchanged,
        Proposed,               // the next issue after the newest draw
        ProposedUnlessTypedOver // the same, unless the user typed an issue of his own
    };

    History history = History::Unchanged;
    std::vector<Draw> appended;
    List list = List::Unchanged;
    // Marks set after a refill that kept them, when the list then holds exactly as many formulas.
    std::optional<std::vector<char>> marks;
    Issue issue = Issue::Unchanged;
    bool compact = false;       // after a deletion
    bool verify = true;         // verification pass over the list
    bool redrawHistory = false; // the history grid shows formula columns that changed

    // Draws stored by entry, import or the online update.
    static WorkspaceChange historyAppended(std::vector<Draw> draws)
    {
        WorkspaceChange change;
        change.history = History::Appended;
        change.appended = std::move(draws);
        return change;
    }
    // Draws deleted or replaced in storage.
    static WorkspaceChange historyRewritten()
    {
        WorkspaceChange change;
        change.history = History::Reread;
        return change;
    }
    // Formulas stored, changed or deleted, or another table or kind shown: the list is filled
    // anew, every formula selected, and the history grid shows its formula columns again.
    static WorkspaceChange formulasChanged()
    {
        WorkspaceChange change;
        change.list = List::Refilled;
        change.redrawHistory = true;
        return change;
    }
    // The list shows the table and kind set again, each formula with its mark; nothing is verified.
    static WorkspaceChange listSwitched() { return WorkspaceChange().keepingMarks().withoutVerification(); }
    // Verification settings changed: the list is verified again.
    static WorkspaceChange settingsChanged() { return WorkspaceChange(); }
    // Another program changed the file.
    static WorkspaceChange outsideChange()
    {
        WorkspaceChange change = historyRewritten().keepingMarks();
        change.issue = Issue::ProposedUnlessTypedOver;
        return change;
    }

    WorkspaceChange withCompaction() &&
    {
        compact = true;
        return std::move(*this);
    }
    WorkspaceChange withHistoryReread() &&
    {
        history = History::Reread;
        appended.clear();
        return std::move(*this);
    }
    WorkspaceChange withListRefilled() &&
    {
        list = List::Refilled;
        return std::move(*this);
    }
    WorkspaceChange keepingMarks(std::optional<std::vector<char>> newMarks = std::nullopt) &&
    {
        list = List::RefilledKeepingMarks;
        marks = std::move(newMarks);
        return std::move(*this);
    }
    WorkspaceChange withIssueProposed() &&
    {
        issue = Issue::Proposed;
        return std::move(*this);
    }
    WorkspaceChange withoutVerification() &&
    {
        verify = false;
        return std::move(*this);
    }
};

} // namespace quorvel
