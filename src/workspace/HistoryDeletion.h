#pragma once

#include "core/Result.h"

#include <QString>

#include <functional>
#include <optional>

namespace quorvel {

class Workspace;

// How many draws a deletion removed, and how the refresh after it went.
struct DeletionOutcome
{
    int deleted = 0;
    Status refreshed = success();
};

// The deletions of the history: the newest draw (`Command3`), the newest n (`mnuEszhzd`), every
// draw after a kept issue (`mnuDlzd`), all of them (`mnuDlAll`). Each deletion is one transaction;
// each ends with its own refresh.
// Each keeps the history first (UndoHistory), under the caption of its button or menu item.
class HistoryDeletion
{
public:
    static const QString kCountTitle; // "删除期数", the title of both input boxes
    static const QString kCountPrompt;

    explicit HistoryDeletion(Workspace& workspace);

    // `Command3`, without asking: history, next issue, verification.
    Result<DeletionOutcome> deleteNewestDraw();
    // Then compaction, formula list, history, verification.
    Result<DeletionOutcome> deleteNewest(int count);
    Result<DeletionOutcome> deleteAfter(qint32 keptIssue); // keeps `keptIssue` and every older draw
    // `mnuDlAll`, without asking: formula list and history; no compaction, no verification.
    Result<DeletionOutcome> deleteAll();

    // The input boxes of `mnuEszhzd` (default "1") and `mnuDlzd` (default newest issue - 1). An
    // empty, cancelled or non-numeric answer, or 0, ends the command with nothing deleted.
    Result<DeletionOutcome> askAndDeleteNewest();
    Result<DeletionOutcome> askAndDeleteAfter();

    // A whole number typed as plain digits (blanks around it allowed); empty otherwise. Numbers
    // too large for an issue are capped, which keeps their meaning (more than every draw).
    static std::optional<qint32> wholeNumber(const QString& answer);

private:
    Result<int> keptDeletion(const QString& operation, const std::function<Result<int>()>& deletion);
    Result<DeletionOutcome> compactedAndRefreshed(const Result<int>& deleted);
    Workspace& m_workspace;
};

} // namespace quorvel
