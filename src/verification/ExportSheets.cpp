#include "verification/ExportSheets.h"

#include "core/TermTable.h"
#include "formulas/CompiledFormula.h"

#include <algorithm>

namespace quorvel {

namespace {

// Draws of the history sheet worked out together: every formula column of a slice of rows is
// computed at once, so the sheet costs the slice's cells and never a whole column per formula.
constexpr int kHistorySliceDraws = 512;

QString issueText(qint32 issue)
{
    return QStringLiteral("%1").arg(issue, 8, 10, QLatin1Char('0'));
}

std::optional<quint32> fillOf(CellColour colour)
{
    switch (colour) {
    case CellColour::Blue:
        return kSheetRightFill;
    case CellColour::Green:
        return kSheetWrongFill;
    case CellColour::White:
    case CellColour::None:
        break;
    }
    return std::nullopt;
}

std::vector<WorkbookCell> headerRow(const QStringList& headers)
{
    std::vector<WorkbookCell> cells;
    for (const QString& header : headers)
        cells.push_back(WorkbookCell::text(header));
    return cells;
}

// The rows of the history sheet, produced in order from a snapshot of the history and the list.
class HistoryRows
{
public:
    HistoryRows(std::shared_ptr<const DrawTable> table, std::optional<HistorySheetResults> results)
        : m_table(std::move(table)), m_results(std::move(results))
    {
    }

    int rowCount() const
    {
        const int rows = m_table->drawCount() + 1;
        // The display texts go to the oldest draw's row even when there is no draw.
        return formulaCount() > 0 ? std::max(rows, 2) : rows;
    }

    void row(int row, std::vector<WorkbookCell>& cells)
    {
        const int formulas = formulaCount();
        cells.reserve(std::size_t(1 + kPositionCount + formulas));
        if (row == 0) {
            cells.push_back(WorkbookCell::text(QStringLiteral("期号")));
            for (int p = 1; p <= kPositionCount; ++p)
                cells.push_back(WorkbookCell::text(positionName(p)));
            for (int k = 1; k <= formulas; ++k)
                cells.push_back(WorkbookCell::text(HistoryDisplay::formulaHeader(k)));
            return;
        }
        const int draw = row - 1;
        const bool stored = draw < m_table->drawCount();
        if (stored) {
            cells.push_back(WorkbookCell::fromGridText(issueText(m_table->issues()[std::size_t(draw)])));
            for (int p = 1; p <= kPositionCount; ++p)
                cells.push_back(WorkbookCell::number(m_table->numbersAt(p)[draw]));
        } else {
            cells.resize(std::size_t(1 + kPositionCount));
        }
        if (formulas == 0)
            return;
        if (stored)
            computeSlice(draw);
        const std::size_t offset = std::size_t(draw - m_sliceFirst);
        for (int k = 0; k < formulas; ++k) {
            const DisplayCell cell =
                stored ? m_slice[std::size_t(k) * std::size_t(kHistorySliceDraws) + offset] : DisplayCell{};
            const std::optional<quint32> fill = fillOf(cell.colour);
            // The oldest draw's row carries the display texts; a cell's background stays.
            if (draw == 0)
                cells.push_back(WorkbookCell::text(m_results->formulas[std::size_t(k)].displayText, fill));
            else if (cell.number)
                cells.push_back(WorkbookCell::number(*cell.number, fill));
            else
                cells.push_back(WorkbookCell::text(QString(), fill));
        }
    }

private:
    int formulaCount() const { return m_results ? int(m_results->formulas.size()) : 0; }

    // Makes the slice that holds `draw` the current one.
    void computeSlice(int draw)
    {
        const int first = draw / kHistorySliceDraws * kHistorySliceDraws;
        if (!m_slice.empty() && first == m_sliceFirst)
            return;
        if (m_compiled.empty()) {
            for (const HistorySheetFormula& formula : m_results->formulas) {
                Result<CompiledFormula> compiled = CompiledFormula::compile(formula.code);
                m_compiled.push_back(compiled ? std::optional<CompiledFormula>(std::move(*compiled))
                                              : std::nullopt);
            }
        }
        const int count = std::min(kHistorySliceDraws, m_table->drawCount() - first);
        m_slice.assign(m_compiled.size() * std::size_t(kHistorySliceDraws), DisplayCell{});
        for (std::size_t k = 0; k < m_compiled.size(); ++k) {
            const std::optional<CompiledFormula>& compiled = m_compiled[k];
            HistoryDisplay::computeCells(*m_table, m_results->position, m_results->mode,
                                         compiled ? &*compiled : nullptr, m_results->formulas[k].kill, first,
                                         std::span<DisplayCell>(m_slice).subspan(
                                             k * std::size_t(kHistorySliceDraws), std::size_t(count)));
        }
        m_sliceFirst = first;
    }

    std::shared_ptr<const DrawTable> m_table;
    std::optional<HistorySheetResults> m_results;
    std::vector<std::optional<CompiledFormula>> m_compiled;
    // Cells of draws m_sliceFirst .. + kHistorySliceDraws - 1, formula by formula.
    std::vector<DisplayCell> m_slice;
    int m_sliceFirst = 0;
};

} // namespace

SheetGrid SheetGrid::of(std::vector<std::vector<WorkbookCell>> rows)
{
    auto held = std::make_shared<const std::vector<std::vector<WorkbookCell>>>(std::move(rows));
    SheetGrid grid;
    grid.rowCount = int(held->size());
    grid.row = [held](int row, std::vector<WorkbookCell>& cells) {
        const std::vector<WorkbookCell>& source = (*held)[std::size_t(row)];
        cells.assign(source.begin(), source.end());
    };
    return grid;
}

namespace ExportSheets {

SheetGrid history(std::shared_ptr<const DrawTable> table, std::optional<HistorySheetResults> results)
{
    if (!table)
        table = std::make_shared<const DrawTable>();
    auto rows = std::make_shared<HistoryRows>(std::move(table), std::move(results));
    SheetGrid grid;
    grid.rowCount = rows->rowCount();
    grid.row = [rows](int row, std::vector<WorkbookCell>& cells) { rows->row(row, cells); };
    return grid;
}

SheetGrid ranking(const std::vector<RankingTableRow>& rows)
{
    std::vector<RankingTableRow> ordered = rows;
    std::stable_sort(ordered.begin(), ordered.end(), [](const RankingTableRow& a, const RankingTableRow& b) {
        return a.eTrrCount != b.eTrrCount ? a.eTrrCount > b.eTrrCount : a.num < b.num;
    });
    std::vector<std::vector<WorkbookCell>> sheet;
    sheet.push_back(headerRow(
        {QStringLiteral("排序序号"), QStringLiteral("号码"), QStringLiteral("杀留Err值（公式错误值）")}));
    for (std::size_t i = 0; i < ordered.size(); ++i)
        sheet.push_back({WorkbookCell::number(double(i + 1)), WorkbookCell::number(ordered[i].num),
                         WorkbookCell::number(ordered[i].eTrrCount)});
    return SheetGrid::of(std::move(sheet));
}

SheetGrid detailList(const DetailList& list)
{
    std::vector<std::vector<WorkbookCell>> sheet;
    sheet.push_back(headerRow(detailListHeaders()));
    for (int r = 0; r < list.rowCount; ++r) {
        std::vector<WorkbookCell>& cells = sheet.emplace_back();
        if (r >= int(list.rows.size()))
            continue;
        const DetailListRow& row = list.rows[std::size_t(r)];
        cells = {WorkbookCell::number(row.number), WorkbookCell::fromGridText(row.formula),
                 WorkbookCell::fromGridText(row.positionName), WorkbookCell::fromGridText(row.kindCaption),
                 WorkbookCell::fromGridText(row.computedValue)};
    }
    return SheetGrid::of(std::move(sheet));
}

SheetGrid calculationSteps(const QString& code, const QString& displayText,
                           std::shared_ptr<const DrawTable> table)
{
    if (!table)
        table = std::make_shared<const DrawTable>();
    struct Steps
    {
        QString code;
        QStringList headers;
        std::shared_ptr<const DrawTable> table;
        std::optional<std::vector<CalculationStepRow>> rows;
    };
    auto steps = std::make_shared<Steps>(Steps{code, CalculationSteps::headers(displayText), table, {}});
    SheetGrid grid;
    grid.rowCount = table->drawCount() + 1;
    grid.row = [steps](int row, std::vector<WorkbookCell>& cells) {
        if (row == 0) {
            cells = headerRow(steps->headers);
            return;
        }
        if (!steps->rows)
            steps->rows = CalculationSteps(steps->code).rows(*steps->table);
        const CalculationStepRow& step = (*steps->rows)[std::size_t(row - 1)];
        cells = {WorkbookCell::fromGridText(step.issue), WorkbookCell::fromGridText(step.numbers),
                 WorkbookCell::fromGridText(step.text), WorkbookCell::fromGridText(step.value)};
    };
    return grid;
}

} // namespace ExportSheets
} // namespace quorvel
