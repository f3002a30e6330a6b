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
    if (compiled && drawCount > 0) {
        // Folded numbers by draw; kNoFold for an empty value.
        constexpr int kNoFold = std::numeric_limits<int>::min();
        std::vector<int> folds(static_cast<std::size_t>(drawCount));
        if (compiled->isTermSum()) {
            std::vector<qint64> sums(static_cast<std::size_t>(drawCount));
            sumTermColumns(table, compiled->sumTerms(), compiled->sumConstant(), 0, drawCount, sums.data());
            for (std::size_t t = 0; t < sums.size(); ++t)
                folds[t] = int(foldWhole(sums[t]));
        } else {
            const std::vector<double> values = compiled->evaluate(table);
            for (std::size_t t = 0; t < values.size(); ++t)
                folds[t] = fold(values[t]).value_or(kNoFold);
        }
        const qint32* drawn = table.numbersAt(position);
        // Whether the number named from draw t - 1 was right for draw t; an empty one is a miss.
        const auto colourOfHit = [&](int t) {
            const int named = folds[std::size_t(t - 1)];
            const bool right = named != kNoFold && ((named != drawn[t]) == formula.kill);
            return right ? CellColour::Blue : CellColour::Green;
        };
        const auto number = [&](int t) {
            const int named = folds[std::size_t(t)];
            return named == kNoFold ? std::nullopt : std::optional<int>(named);
        };
        for (int t = 0; t < drawCount; ++t) {
            if (mode == DisplayMode::NextDraw) {
                if (t > 0)
                    column.set(t, number(t - 1), colourOfHit(t));
            } else {
                column.set(t, number(t), t + 1 < drawCount ? colourOfHit(t + 1) : CellColour::None);
            }
        }
    }
    // The oldest draw has no prediction.
    if (mode == DisplayMode::NextDraw && drawCount > 0)
        column.set(0, std::nullopt, CellColour::White);
    return column;
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
