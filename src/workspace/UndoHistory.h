#pragma once

#include "core/BackupStore.h"
#include "core/Result.h"

#include <QString>

#include <vector>

namespace quorvel {

class Workspace;

// The undo of the destructive operations: each keeps what it is about to delete or overwrite
// (BackupStore) before it writes, and records its counts after. "撤销上次修改" restores the newest
// kept state, "恢复备份…" any of them; a restore keeps the state it replaces first, so it can be
// undone in turn, and ends with the refresh chain.
class UndoHistory
{
public:
    static const QString kUndoCaption;    // "撤销上次修改"
    static const QString kRestoreCaption; // "恢复备份"
    static const QString kNothingToUndo;  // "没有可撤销的修改"

    explicit UndoHistory(Workspace& workspace);

    // After a restore: the refresh chain (list, history, verification with its write-back, next
    // issue), or nothing, which leaves the stored rows exactly as kept (the companion shows nothing).
    enum class Refresh
    {
        Chain,
        None
    };

    // Keeps the parts named before an operation writes and returns the state's ID (0: nothing
    // kept, the database takes no change); a failure means the operation must not go on (it could
    // not be undone).
    Result<qint64> keepHistory(const QString& operation); // with the formulas, whose statistics change

    Result<qint64> keepFormulas(const QString& operation);
    // The settings "恢复默认设置" writes, as they read now.
    Result<qint64> keepSettings(const QString& operation);
    // After the operation: `changed` records its counts; otherwise (it failed, or changed nothing)
    // the kept state is dropped.
    void finish(qint64 id, bool changed);

    Result<std::vector<KeptState>> list() const; // newest first
    qint64 budgetBytes() const;

    // Restores the state of `id` (`operation`: the caption the restore is kept under).
    Status restore(qint64 id, const QString& operation = kRestoreCaption, Refresh refresh = Refresh::Chain);
    // Restores the newest kept state and returns its ID.
    Result<qint64> undo(Refresh refresh = Refresh::Chain);

private:
    Result<qint64> keep(const QString& operation, const KeptParts& parts);
    Result<BackupStore> store() const;

    Workspace& m_workspace;
};

} // namespace quorvel
