#pragma once

#include "core/Result.h"
#include "core/TermTable.h"
#include "search/RepeatFilter.h"

#include <QString>

#include <array>
#include <memory>

namespace quorvel {

class Database;
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
    int repeats = 0;              // found formulas not written: they say what another in the table says
    int deleted = 0;              // stored formulas a Replace deleted
    Status refreshed = success(); // the refresh chain after the store (the formulas are stored either way)
};

// Stores the FoundList of the search window in the formula tables `Gongshi1`..`Gongshi8`: each
// formula with its own kind and its limit value, a group of consecutive formulas of one position
// at a time; with Replace the stored formulas of each position's found kinds are deleted first
// (the other kind's stay), so no found formula is lost when a position has several groups. A found
// formula that says what one the table keeps of its kind says, or one written before it, is not
// written: a table never holds two formulas of one kind that predict alike. The
// tables are kept before (UndoHistory), so that the store can be undone. Every touched table is then rebuilt
// (the duplicates removed, idx renumbered), all of it in one transaction, and the main window refreshed (list
// fill, history grid, verification with its write-back).
class SearchResultStore
{
public:
    static const QString kDoneTitle;      // "追加公式"
    static const QString kDoneMessage;    // "公式追加完毕！", said after Append and Replace alike
    static const QString kReplaceTitle;   // "更新公式"
    static const QString kReplaceMessage; // the question asked before a Replace deletes formulas

    explicit SearchResultStore(Workspace& workspace);

    // kDoneMessage and a second line: "删除原有公式 N 条，写入 M 条" (Append: "写入 M 条"), and
    // "，同输出公式 K 条未写入" after it when repeats were left out.
    static QString doneMessage(const FoundStoreOutcome& outcome, FoundStoreMode mode);
    // The caption of the button or check box the store is kept under for undo.
    static QString operationName(FoundStoreMode mode, bool ask);

    // `ask`: a Replace the user started asks first, naming the positions and how many formulas it
    // deletes (the scheme's automatic store does not ask).
    // A store with an empty FoundList writes nothing and still refreshes.
    Result<FoundStoreOutcome> store(const FoundList& found, FoundStoreMode mode, bool ask);

    // The rows each position table holds now (`Label5`, `ModelDsip`).
    Result<std::array<int, kPositionCount>> tableCounts() const;

    // The codes every table holds, by position and kind: what a search must not find again.
    Result<std::shared_ptr<const StoredCodes>> storedCodes() const;
    static Result<std::shared_ptr<const StoredCodes>> storedCodes(const Database& database);

private:
    Workspace& m_workspace;
};

} // namespace quorvel
