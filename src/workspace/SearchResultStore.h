#pragma once

#include "core/Result.h"
#include "core/TermTable.h"

#include <QString>

#include <array>

namespace quorvel {

class FoundList;
class Workspace;

// How found formulas go into the formula tables: added to what the tables hold
// (`Command3` "公式追加到数据库(&A)"), or in place of what the tables of their positions hold
// (`Command4` "公式更新到数据库(&N)").
enum class FoundStoreMode
{
    Append,
    Replace
};

struct FoundStoreOutcome
{
    bool declined = false;        // the user answered Cancel to the Replace question: nothing changed
    int stored = 0;               // rows written, before the rebuild removed duplicates
    Status refreshed = success(); // the refresh chain after the store (the formulas are stored either way)
};

// Stores the FoundList of the search window in the formula tables `Gongshi1`..`Gongshi8`: each
// formula with its own kind and its limit value, a group of consecutive formulas of one position
// at a time; with Replace a table is emptied once, at its position's first group, so no found
// formula is lost when a position has several groups. Every touched table is then rebuilt (the
// duplicates removed, idx renumbered), all of it in one transaction, and the main window refreshed
// (list fill, history grid, verification with its write-back).
class SearchResultStore
{
public:
    static const QString kDoneTitle;      // "追加公式"
    static const QString kDoneMessage;    // "公式追加完毕！", said after Append and Replace alike
    static const QString kReplaceTitle;   // "更新公式"
    static const QString kReplaceMessage; // the question asked before a Replace deletes formulas

    explicit SearchResultStore(Workspace& workspace);

    // `ask`: a Replace the user started asks first (the scheme's automatic store does not).
    // A store with an empty FoundList writes nothing and still refreshes.
    Result<FoundStoreOutcome> store(const FoundList& found, FoundStoreMode mode, bool ask);

    // The rows each position table holds now (`Label5`, `ModelDsip`).
    Result<std::array<int, kPositionCount>> tableCounts() const;

private:
    Workspace& m_workspace;
};

} // namespace quorvel
