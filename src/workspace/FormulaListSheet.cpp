#include "workspace/FormulaListSheet.h"

#include "workspace/Workspace.h"

namespace quorvel {
namespace FormulaListSheet {

namespace {

enum Column
{
    NumberColumn = 0,
    FormulaColumn,
    PositionColumn,
    KindColumn,
    ComputedColumn,
    LimitColumn,
    MaxMissesColumn,
    MaxHitsColumn,
    LastMissesColumn,
    LastHitsColumn,
    IdxColumn
};

std::optional<int> statisticOf(const RunStatistics& statistics, int column)
{
    switch (column) {
    case MaxMissesColumn:
        return statistics.maxMisses;
    case MaxHitsColumn:
        return statistics.maxHits;
    case LastMissesColumn:
        return statistics.lastMisses;
    case LastHitsColumn:
        return statistics.lastHits;
    default:
        return std::nullopt;
    }
}

// Columns 5..10: the limit value, the statistics and `idx`. A formula of the list shows the
// results of the last pass, one of the other kind what its table holds.
std::optional<int> columnValue(const Workspace& workspace, const ShownFormula& formula, int column)
{
    if (formula.listNumber == 0) {
        if (formula.stored == nullptr)
            return std::nullopt;
        if (column == LimitColumn)
            return formula.stored->limit;
        if (column == IdxColumn)
            return formula.stored->idx;
        return formula.stored->statistics ? statisticOf(*formula.stored->statistics, column) : std::nullopt;
    }
    const FormulaListRow& row = workspace.formulaList().row(formula.listNumber);
    if (column == LimitColumn)
        return row.limit;
    if (column == IdxColumn)
        return row.idx;
    const std::vector<FormulaListResult>& results = workspace.formulaList().results();
    if (formula.listNumber > int(results.size()))
        return std::nullopt;
    return statisticOf(results[std::size_t(formula.listNumber - 1)].statistics, column);
}

} // namespace

QStringList headers()
{
    return {QStringLiteral("序号"),
            QStringLiteral("公式"),
            QStringLiteral("种类"),
            QStringLiteral("生杀"),
            QStringLiteral("计算值"),
            QStringLiteral("极限值"),
            QStringLiteral("最大连错"),
            QStringLiteral("最大连对"),
            QStringLiteral("最后连错"),
            QStringLiteral("最后连对"),
            QString()};
}

QString text(const Workspace& workspace, int shownRow, const ShownFormula& formula, int column)
{
    const bool listed = formula.listNumber != 0 && workspace.formulaList().contains(formula.listNumber);
    if (!listed && formula.stored == nullptr)
        return QString();
    const ShownFormula shown = listed ? formula : ShownFormula{0, formula.stored};
    switch (column) {
    case NumberColumn:
        return QString::number(shownRow + 1);
    case FormulaColumn:
    case KindColumn: {
        const FormulaListRow* row = listed ? &workspace.formulaList().row(formula.listNumber) : nullptr;
        if (column == KindColumn)
            return (row ? row->kill : formula.stored->kill) ? QStringLiteral("杀") : QStringLiteral("生");
        if (workspace.chineseDisplay())
            return row ? row->displayText : formula.stored->displayText;
        return row ? row->code : formula.stored->code;
    }
    case PositionColumn:
        return workspace.positionCaption();
    case ComputedColumn:
        return listed ? workspace.computedValue(formula.listNumber) : QString();
    default: {
        const std::optional<int> value = columnValue(workspace, shown, column);
        return value ? QString::number(*value) : QString();
    }
    }
}

SheetGrid sheet(const Workspace& workspace, const std::vector<SortedFormulaRow>* sortedOrder)
{
    const int count = sortedOrder ? int(sortedOrder->size()) : workspace.formulaList().count();
    std::vector<std::vector<WorkbookCell>> rows;
    rows.reserve(std::size_t(count) + 1);
    std::vector<WorkbookCell>& header = rows.emplace_back();
    for (const QString& caption : headers())
        header.push_back(WorkbookCell::text(caption));
    for (int r = 0; r < count; ++r) {
        const ShownFormula formula = sortedOrder ? ShownFormula{(*sortedOrder)[std::size_t(r)].listNumber,
                                                                &(*sortedOrder)[std::size_t(r)].stored}
                                                 : ShownFormula{r + 1, nullptr};
        std::vector<WorkbookCell>& cells = rows.emplace_back();
        for (int column = 0; column < kColumnCount; ++column)
            cells.push_back(WorkbookCell::fromGridText(text(workspace, r, formula, column)));
    }
    return SheetGrid::of(std::move(rows));
}

} // namespace FormulaListSheet
} // namespace quorvel
