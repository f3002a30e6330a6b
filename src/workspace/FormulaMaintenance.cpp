#include "workspace/FormulaMaintenance.h"

#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/TermTable.h"
#include "workspace/Prompts.h"
#include "workspace/UndoHistory.h"
#include "workspace/Workspace.h"

#include <vector>

namespace quorvel {

namespace {

const QString kClearTitle = QStringLiteral("清空所有公式");
const QString kClearQuestion = QStringLiteral("清空所有公式后将无法恢复，是否清空所有类别的公式？");
const QString kDeleteTitle = QStringLiteral("删除公式");
const QString kDeleteSelectedQuestion = QStringLiteral("确实要删除选中的所有公式(公式列表序号蓝色表示)吗?");
const QString kDeleteUnselectedQuestion =
    QStringLiteral("确实要删除选未中的所有公式(公式列表序号灰色表示)吗?");

} // namespace

FormulaMaintenance::FormulaMaintenance(Workspace& workspace) : m_workspace(workspace) {}

void FormulaMaintenance::selectAll()
{
    m_workspace.setSelection(std::vector<char>(std::size_t(m_workspace.formulaList().count()), 1));
}

void FormulaMaintenance::invertSelection()
{
    std::vector<char> marks;
    for (int listNumber = 1; listNumber <= m_workspace.formulaList().count(); ++listNumber)
        marks.push_back(m_workspace.isSelected(listNumber) ? 0 : 1);
    m_workspace.setSelection(marks);
}

Status FormulaMaintenance::clearAll()
{
    if (!m_workspace.prompts().question(kClearTitle, kClearQuestion, Prompts::DefaultButton::Cancel))
        return success();
    return m_workspace.withStorage([&](Database& database) -> Status {
        UndoHistory undo(m_workspace);
        const Result<qint64> kept = undo.keepFormulas(QStringLiteral("清空所有公式(C)"));
        if (!kept)
            return kept.failure();
        const Status cleared = database.transaction(kClearTitle, [&]() -> Status {
            for (int position = 1; position <= kPositionCount; ++position) {
                if (Status deleted = database.formulas().deleteAll(position); !deleted)
                    return deleted;
            }
            return success();
        });
        undo.finish(*kept, bool(cleared));
        if (!cleared)
            return cleared;
        // Deletions are followed by a compaction; the list is filled again whatever it says.
        return m_workspace.apply(WorkspaceChange::formulasChanged().withCompaction());
    });
}

Status FormulaMaintenance::deleteFormula(int listNumber)
{
    return deleteAt(listNumber, true);
}

Status FormulaMaintenance::deleteLast()
{
    return deleteAt(m_workspace.formulaList().count(), false);
}

Status FormulaMaintenance::deleteAt(int listNumber, bool shiftMarks)
{
    const FormulaList& list = m_workspace.formulaList();
    if (!list.contains(listNumber))
        return success();
    return m_workspace.withStorage([&](Database& database) -> Status {
        const int position = m_workspace.currentPosition();

        std::vector<char> marks = list.selectionMarks();
        marks.resize(std::size_t(list.count()), 1);
        marks.erase(shiftMarks ? marks.begin() + (listNumber - 1) : marks.end() - 1);
        // The formula as shown, not the row at its place: another program may have changed the table
        // since the list was filled.
        const FormulaListRow& row = list.row(listNumber);
        const ShownFormula shown{position, row.kill, row.code, row.displayText, row.rowId};
        UndoHistory undo(m_workspace);
        const Result<qint64> kept = undo.keepFormulas(shiftMarks ? QStringLiteral("删除该公式(D)")
                                                                 : QStringLiteral("删除最后公式(E)"));
        if (!kept)
            return kept.failure();
        const Status deleted = database.transaction(kDeleteTitle, [&]() -> Status {
            if (Status removed = database.formulas().deleteShown(shown); !removed)
                return removed;
            return database.formulas().renumber(position);
        });
        undo.finish(*kept, bool(deleted));
        if (!deleted) {
            // The list shows what the table holds now; the refusal is what the caller hears of.
            if (deleted.error().startsWith(FormulaTables::kChangedElsewhere)) {
                const Status refreshed = m_workspace.refreshAfterOutsideChange();
                Q_UNUSED(refreshed);
            }
            return deleted;
        }

        // Marks are held by list number: after the deleted one each takes its successor's, or,
        // without the shift, stays at its place.
        return m_workspace.apply(
            WorkspaceChange::formulasChanged().keepingMarks(marks).withHistoryReread().withCompaction());
    });
}

Status FormulaMaintenance::deleteMarked(bool selected)
{
    if (!m_workspace.prompts().question(kDeleteTitle,
                                        selected ? kDeleteSelectedQuestion : kDeleteUnselectedQuestion,
                                        Prompts::DefaultButton::Cancel))
        return success();
    return m_workspace.withStorage([&](Database& database) -> Status {
        const int position = m_workspace.currentPosition();
        const FormulaList& list = m_workspace.formulaList();
        std::vector<qint64> rows;
        for (int listNumber = 1; listNumber <= list.count(); ++listNumber) {
            if (list.isSelected(listNumber) == selected)
                rows.push_back(list.row(listNumber).rowId);
        }
        UndoHistory undo(m_workspace);
        const Result<qint64> kept = undo.keepFormulas(selected ? QStringLiteral("删除选中所有公式(C)")
                                                               : QStringLiteral("删除未选中公式(X)"));
        if (!kept)
            return kept.failure();
        const Status deleted = database.transaction(kDeleteTitle, [&]() -> Status {
            if (Status removed = database.formulas().deleteRows(position, rows); !removed)
                return removed;
            return database.formulas().renumber(position);
        });
        undo.finish(*kept, bool(deleted) && !rows.empty());
        if (!deleted)
            return deleted;
        return m_workspace.apply(WorkspaceChange::formulasChanged().withCompaction());
    });
}

} // namespace quorvel
