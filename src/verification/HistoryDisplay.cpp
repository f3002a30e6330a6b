#include "verification/HistoryDisplay.h"

#include "formulas/CompiledFormula.h"
#include "formulas/NumberRules.h"

#include <algorithm>
#include <limits>

namespace quorvel {

DisplayColumn::DisplayColumn(int drawCount)
    : m_numbers(std::size_t(std::max(drawCount, 0)), kNoNumber),
      m_colours(std::size_t(std::max(drawCount, 0)), CellColour::None)
{
}

DisplayCell DisplayColumn::cell(int draw) const
{
    if (draw < 0 || draw >= drawCount())
        return {};
    const qint8 number = m_numbers[std::size_t(draw)];
    return {number == kNoNumber ? std::nullopt : std::optional<int>(number), m_colours[std::size_t(draw)]};
}

void DisplayColumn::set(int draw, const std::optional<int>& number, CellColour colour)
{
    m_numbers[std::size_t(draw)] = number ? qint8(*number) : kNoNumber;
    m_colours[std::size_t(draw)] = colour;
}

HistoryDisplay::HistoryDisplay(std::shared_ptr<const DrawTable> table, int position, DisplayMode mode,
                               std::vector<DisplayFormula> formulas, int keptColumns)
    : m_table(std::move(table)), m_position(position), m_mode(mode), m_formulas(std::move(formulas)),
      m_keptColumns(std::size_t(std::max(keptColumns, 1)))
{
}

DisplayColumn HistoryDisplay::computeColumn(const DrawTable& table, int position, DisplayMode mode,
                                            const DisplayFormula& formula)
{
    const int drawCount = table.drawCount();
    DisplayColumn column(drawCount);
    const Result<CompiledFormula> compiled = CompiledFormula::compile(formula.code);
    std::vector<DisplayCell> cells(static_cast<std::size_t>(drawCount));
    computeCells(table, position, mode, compiled ? &*compiled : nullptr, formula.kill, 0, cells);
    for (int t = 0; t < drawCount; ++t)
        column.set(t, cells[std::size_t(t)].number, cells[std::size_t(t)].colour);
    return column;
}

void HistoryDisplay::computeCells(const DrawTable& table, int position, DisplayMode mode,
                                  const CompiledFormula* formula, bool kill, int first,
                                  std::span<DisplayCell> out)
{
    const int drawCount = table.drawCount();
    const int count = int(out.size());
    std::fill(out.begin(), out.end(), DisplayCell{});
    if (count == 0 || first < 0 || first + count > drawCount)
        return;
    if (formula != nullptr) {
        // Folded numbers of draws lo .. hi - 1: next-draw mode shows the previous draw's number,
        // same-draw mode this draw's; kNoFold for an empty value.
        constexpr int kNoFold = std::numeric_limits<int>::min();
        const int lo = mode == DisplayMode::NextDraw ? std::max(first - 1, 0) : first;
        const int hi = first + count;
        std::vector<int> folds(static_cast<std::size_t>(hi - lo));
        if (formula->isTermSum()) {
            std::vector<qint64> sums(folds.size());
            sumTermColumns(table, formula->sumTerms(), formula->sumConstant(), lo, hi - lo, sums.data());
            for (std::size_t i = 0; i < sums.size(); ++i)
                folds[i] = int(foldWhole(sums[i]));
        } else {
            std::vector<double> values(folds.size());
            formula->evaluate(table, lo, values);
            for (std::size_t i = 0; i < values.size(); ++i)
                folds[i] = fold(values[i]).value_or(kNoFold);
        }
        const auto named = [&](int t) { return folds[std::size_t(t - lo)]; };
        const qint32* drawn = table.numbersAt(position);
        // Whether the number named from draw t - 1 was right for draw t; an empty one is a miss.
        const auto colourOfHit = [&](int t) {
            const int number = named(t - 1);
            const bool right = number != kNoFold && isRightFold(number, drawn[t], kill);
            return right ? CellColour::Blue : CellColour::Green;
        };
        const auto number = [&](int t) {
            const int folded = named(t);
            return folded == kNoFold ? std::nullopt : std::optional<int>(folded);
        };
        for (int t = first; t < hi; ++t) {
            DisplayCell& cell = out[std::size_t(t - first)];
            if (mode == DisplayMode::NextDraw) {
                if (t > 0)
                    cell = {number(t - 1), colourOfHit(t)};
            } else {
                cell = {number(t), t + 1 < drawCount ? colourOfHit(t + 1) : CellColour::None};
            }
        }
    }
    // The oldest draw has no prediction.
    if (mode == DisplayMode::NextDraw && first == 0)
        out[0] = {std::nullopt, CellColour::White};
}

std::shared_ptr<const DisplayColumn> HistoryDisplay::column(int listNumber) const
{
    if (listNumber < 1 || listNumber > formulaCount() || !m_table)
        return std::make_shared<const DisplayColumn>();
    const auto found = m_kept.find(listNumber);
    if (found != m_kept.end()) {
        m_recent.splice(m_recent.begin(), m_recent, found->second);
        return found->second->second;
    }
    auto computed = std::make_shared<const DisplayColumn>(
        computeColumn(*m_table, m_position, m_mode, m_formulas[std::size_t(listNumber - 1)]));
    m_recent.emplace_front(listNumber, computed);
    m_kept[listNumber] = m_recent.begin();
    if (m_recent.size() > m_keptColumns) {
        m_kept.erase(m_recent.back().first);
        m_recent.pop_back();
    }
    return computed;
}

DisplayCell HistoryDisplay::cell(int listNumber, int draw) const
{
    return column(listNumber)->cell(draw);
}

QString HistoryDisplay::cellText(const DisplayCell& cell)
{
    return cell.number ? QString::number(*cell.number) : QString();
}

QString HistoryDisplay::formulaHeader(int listNumber)
{
    return QString::number(listNumber) + (listNumber <= 99 ? QStringLiteral("公式") : QStringLiteral("式"));
}

int HistoryDisplay::scrollMaximum(int formulaCount)
{
    if (formulaCount <= 0)
        return 1;
    return (formulaCount - 1) / kScrollPage * kScrollPage + 1;
}

} // namespace quorvel
