#include "workspace/UndoHistory.h"

#include "core/Database.h"
#include "core/Settings.h"
#include "workspace/Workspace.h"

#include <QDateTime>

#include <algorithm>

namespace quorvel {

namespace {

// The keys "恢复默认设置" may write: every key of the main window's section except the lottery
// type, the prediction method and the window's place, which it leaves alone.
std::vector<SettingKey> restorableKeys()
{
    std::vector<SettingKey> keys;
    for (int id = 0; id < SettingKey::CategoryBound; ++id) {
        if (id == SettingKey::LotteryType || id == SettingKey::ComputeSelected ||
            id == SettingKey::MainWindowGeometry)
            continue;
        keys.push_back(SettingKey{SettingKey::Id(id)});
    }
    return keys;
}

QString fullName(const SettingKey& key)
{
    return Settings::section(key) + QLatin1Char('/') + Settings::name(key);
}

} // namespace

const QString UndoHistory::kUndoCaption = QStringLiteral("撤销上次修改");
const QString UndoHistory::kRestoreCaption = QStringLiteral("恢复备份");
const QString UndoHistory::kNothingToUndo = QStringLiteral("没有可撤销的修改");

UndoHistory::UndoHistory(Workspace& workspace) : m_workspace(workspace) {}

Result<BackupStore> UndoHistory::store() const
{
    return m_workspace.withStorage(
        [&](Database& database) -> Result<BackupStore> { return BackupStore(database.filePath()); });
}

qint64 UndoHistory::budgetBytes() const
{
    return BackupStore::kDefaultBudgetBytes;
}

Result<qint64> UndoHistory::keep(const QString& operation, const KeptParts& parts)
{
    // Without a database that takes changes there is nowhere to keep a state; an operation on
    // the database fails then with its own message.
    if (!m_workspace.storage() || m_workspace.isReadOnly())
        return qint64(0);
    Result<BackupStore> backups = store();
    if (!backups)
        return backups.failure();
    return backups->keep(operation, parts, QDateTime::currentDateTime());
}

Result<qint64> UndoHistory::keepHistory(const QString& operation)
{
    // The verification after a change of the history writes its statistics into the formulas.
    KeptParts parts;
    parts.history = true;
    parts.formulas = true;
    return keep(operation, parts);
}

Result<qint64> UndoHistory::keepFormulas(const QString& operation)
{
    KeptParts parts;
    parts.formulas = true;
    return keep(operation, parts);
}

Result<qint64> UndoHistory::keepSettings(const QString& operation)
{
    KeptParts parts;
    for (const SettingKey& key : restorableKeys())
        parts.settings.emplace_back(fullName(key), m_workspace.settings().value(key).toString());
    return keep(operation, parts);
}

void UndoHistory::finish(qint64 id, bool changed)
{
    if (id == 0)
        return;
    Result<BackupStore> backups = store();
    if (!backups)
        return;
    // The counts after are only shown; a state whose counts could not be updated still restores.
    if (changed)
        static_cast<void>(backups->recordAfter(id));
    else
        backups->discard(id);
}

Result<std::vector<KeptState>> UndoHistory::list() const
{
    const Result<BackupStore> backups = store();
    if (!backups)
        return backups.failure();
    return backups->list();
}

Status UndoHistory::restore(qint64 id, const QString& operation, Refresh refresh)
{
    Result<BackupStore> backups = store();
    if (!backups)
        return backups.failure();
    const Result<std::vector<KeptState>> states = backups->list();
    if (!states)
        return states.failure();
    const auto found =
        std::find_if(states->begin(), states->end(), [id](const KeptState& state) { return state.id == id; });
    if (found == states->end())
        return Failure{QStringLiteral("没有编号为 %1 的备份").arg(id)};

    if (m_workspace.isReadOnly())
        return Failure{m_workspace.readOnlyReason()};
    // What the restore replaces is kept first, so the restore can be undone too.
    KeptParts current;
    current.history = found->history;
    current.formulas = found->formulas;
    if (found->settings) {
        for (const SettingKey& key : restorableKeys())
            current.settings.emplace_back(fullName(key), m_workspace.settings().value(key).toString());
    }
    const Result<qint64> kept = keep(operation, current);
    if (!kept)
        return kept.failure();
    const Result<KeptParts> restored = backups->restore(id);
    if (!restored) {
        backups->discard(*kept);
        return restored.failure();
    }
    for (const auto& [name, text] : restored->settings) {
        for (const SettingKey& key : restorableKeys()) {
            if (fullName(key) != name)
                continue;
            QVariant value(text);
            if (value.convert(m_workspace.settings().defaultValue(key).metaType()))
                m_workspace.settings().setValue(key, value);
        }
    }
    static_cast<void>(backups->recordAfter(*kept)); // the counts after are only shown
    if (refresh == Refresh::None)
        return success();

    return m_workspace.apply(WorkspaceChange::historyRewritten().withListRefilled().withIssueProposed());
}

Result<qint64> UndoHistory::undo(Refresh refresh)
{
    const Result<std::vector<KeptState>> states = list();
    if (!states)
        return states.failure();
    if (states->empty())
        return Failure{kNothingToUndo};
    const qint64 id = states->front().id;
    if (Status restored = restore(id, kUndoCaption, refresh); !restored)
        return restored.failure();
    return id;
}

} // namespace quorvel
