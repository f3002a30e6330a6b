#include "workspace/FormulaEntry.h"

#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/TermTable.h"
#include "formulas/CompiledFormula.h"
#include "formulas/FormulaText.h"
#include "workspace/Workspace.h"

#include <array>

namespace quorvel {

namespace {

const QString kAddFormulaFailedTitle = QStringLiteral("添加公式失败");
const QString kEmptyFormulaMessage = QStringLiteral("请在左边文本框输入需要添加的公式");
const QString kUnrecognisedTitle = QStringLiteral("无法识别公式");
// The refusal of a typed formula names the text as typed, the lines after it say why.
QString unrecognisedMessage(const QString& typed, const QString& detail)
{
    QString message = QStringLiteral("无法识别公式“%1”，无法添加到软件").arg(typed.trimmed());
    if (!detail.isEmpty())
        message += QLatin1Char('\n') + detail;
    return message;
}

// Where the next typed formula of a table goes and what number it gets: 1 for an empty table or
// when its last stored row carries no number yet, otherwise the row count + 1.
struct TableAppend
{
    bool read = false;
    int rowCount = 0;
    bool lastNumbered = false;
    std::vector<NewFormula> formulas;

    int nextIdx() const { return rowCount > 0 && lastNumbered ? rowCount + 1 : 1; }
};

} // namespace

FormulaEntry::FormulaEntry(Workspace& workspace) : m_workspace(workspace) {}

Status FormulaEntry::addTyped(const QString& text)
{
    const Result<TypedFormulaOutcome> outcome = addTyped(QStringList{text}, std::nullopt);
    if (!outcome)
        return outcome.failure();
    if (!outcome->refused.empty())
        return outcome->refused.front().failure;
    return success();
}

Result<TypedFormulaOutcome> FormulaEntry::addTyped(const QStringList& texts,
                                                   std::optional<bool> kindForPrefixForm)
{
    return m_workspace.withStorage([&](Database& database) -> Result<TypedFormulaOutcome> {
        TypedFormulaOutcome outcome;
        int position = m_workspace.currentPosition();
        bool kill = kindForPrefixForm.value_or(m_workspace.currentKindIsKill());
        std::array<TableAppend, kPositionCount> tables{};
        for (const QString& typed : texts) {
            const QString text = FormulaText::normalizeTypedText(typed).trimmed();
            if (text.isEmpty()) {
                outcome.refused.push_back({typed, Failure{kEmptyFormulaMessage, kAddFormulaFailedTitle}});
                continue;
            }
            const Result<FormulaText::ParsedFormula> parsed =
                FormulaText::parse(text, FormulaText::ParseVariant::Typed);
            if (!parsed) {
                // The reader's first line speaks of formula files; what follows it says what is missing.
                const qsizetype lineEnd = parsed.error().indexOf(QLatin1Char('\n'));
                const QString detail = lineEnd < 0 ? QString() : parsed.error().mid(lineEnd + 1);
                outcome.refused.push_back(
                    {typed, Failure{unrecognisedMessage(typed, detail), kUnrecognisedTitle}});
                continue;
            }
            // A code that is not of the grammar is refused here rather than stored to fail at every
            // later evaluation; the second line names the word that was not understood.
            if (!CompiledFormula::compile(parsed->code)) {
                const QString word = FormulaText::unrecognisedWord(parsed->code);
                // Named as the user wrote it, not by its code.
                const QString detail = word.isEmpty()
                                           ? QStringLiteral("无法计算：%1").arg(parsed->expression.trimmed())
                                           : QStringLiteral("无法识别：“%1”").arg(word);
                outcome.refused.push_back(
                    {typed, Failure{unrecognisedMessage(typed, detail), kUnrecognisedTitle}});
                continue;
            }
            if (parsed->kill)
                kill = *parsed->kill;
            // The position the text names wins over the shown one; the list switches to it so the user
            // sees the new formula.
            position = parsed->position.value_or(position);

            TableAppend& table = tables[std::size_t(position - 1)];
            if (!table.read) {
                const Result<std::vector<FormulaRecord>> stored = database.formulas().read(position);
                if (!stored)
                    return stored.failure();
                table.read = true;
                table.rowCount = int(stored->size());
                qint64 lastRow = -1;
                for (const FormulaRecord& record : *stored) {
                    if (record.rowId > lastRow) {
                        lastRow = record.rowId;
                        table.lastNumbered = record.idx && *record.idx >= 1;
                    }
                }
            }
            table.formulas.push_back(
                NewFormula{parsed->code, parsed->displayText, kill, std::nullopt, table.nextIdx()});
            ++table.rowCount;
            table.lastNumbered = true;
            ++outcome.added;
        }

        if (outcome.added == 0)
            return outcome;
        const Status stored = database.transaction(QStringLiteral("保存公式"), [&]() -> Status {
            for (int p = 1; p <= kPositionCount; ++p) {
                if (Status appended = database.formulas().append(p, tables[std::size_t(p - 1)].formulas);
                    !appended)
                    return appended;
            }
            return success();
        });
        if (!stored)
            return stored.failure();
        m_workspace.switchList(position, kill);
        if (Status refreshed = m_workspace.apply(WorkspaceChange::formulasChanged()); !refreshed)
            return refreshed.failure();
        return outcome;
    });
}

} // namespace quorvel
