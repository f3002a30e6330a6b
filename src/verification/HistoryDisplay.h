#pragma once

#include "core/DrawTable.h"

#include <QString>

#include <list>
#include <memory>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace quorvel {

// Which value a draw's cell shows (`mnuYsXs`, settings key "LsXs").
enum class DisplayMode
{
    NextDraw, // the number computed from the previous draw for this draw
    SameDraw  // the number computed from this draw for the next draw
};

// Background of a cell: right = blue (0, 0, 255), wrong = green (0, 255, 0), emptied = white.
enum class CellColour : quint8
{
    None,
    Blue,
    Green,
    White
};

// A formula column of the display, in list order.
struct DisplayFormula
{
    QString code;
    bool kill = false;
};

struct DisplayCell
{
    std::optional<int> number; // the folded number shown; empty for an empty value
    CellColour colour = CellColour::None;
};

// The cells of one formula column, one per draw, oldest first.
class DisplayColumn
{
public:
    DisplayColumn() = default;
    explicit DisplayColumn(int drawCount);

    int drawCount() const { return int(m_numbers.size()); }
    DisplayCell cell(int draw) const;
    void set(int draw, const std::optional<int>& number, CellColour colour);

private:
    static constexpr qint8 kNoNumber = -128; // folds lie in -18..20
    std::vector<qint8> m_numbers;
    std::vector<CellColour> m_colours;
};

// The per-draw verification display of the history grid: for every draw and formula of the list
// the number the formula named and whether it was right. Columns are computed when asked for and
// a bounded number of them is kept, so a long history with thousands of formulas costs only the
// columns in view. Formula k (list number) is in grid column k + 8.
class CompiledFormula;

class HistoryDisplay
{
public:
    HistoryDisplay(std::shared_ptr<const DrawTable> table, int position, DisplayMode mode,
                   std::vector<DisplayFormula> formulas, int keptColumns = 256);

    int drawCount() const { return m_table ? m_table->drawCount() : 0; }
    int formulaCount() const { return int(m_formulas.size()); }
    DisplayMode mode() const { return m_mode; }

    // The column of list number k (1-based), computed on first use.
    std::shared_ptr<const DisplayColumn> column(int listNumber) const;
    DisplayCell cell(int listNumber, int draw) const;

    // The column computed afresh: next-draw mode shows the fold of the previous draw's value with
    // the colour of its hit on this draw, and empties the oldest row (white); same-draw mode shows
    // the fold of this draw's value with the colour of its hit on the next draw, none on the newest.
    // A code that does not evaluate shows no numbers and no colours.
    static DisplayColumn computeColumn(const DrawTable& table, int position, DisplayMode mode,
                                       const DisplayFormula& formula);
    // The cells of draws first .. first + out.size() - 1 of the column of a compiled formula (null
    // for a code that does not compile), as computeColumn gives them: cell i of `out` is draw
    // first + i. Only the draws the range needs are evaluated, so a long column can be produced
    // in slices.
    static void computeCells(const DrawTable& table, int position, DisplayMode mode,
                             const CompiledFormula* formula, bool kill, int first,
                             std::span<DisplayCell> out);

    static QString cellText(const DisplayCell& cell); // the number, or "" when empty
    // Header of formula k's column: k + "公式" up to 99, k + "式" from 100 on.
    static QString formulaHeader(int listNumber);
    static int gridColumnOfFormula(int listNumber) { return listNumber + 8; }
    // `HScroll1` jumps in pages of 500 formula columns: its value v is the list number of the
    // first formula column brought into view (1, 501, 1001, ...), up to ((n - 1) \ 500) * 500 + 1.
    static constexpr int kScrollPage = 500;
    static int scrollMaximum(int formulaCount);

private:
    std::shared_ptr<const DrawTable> m_table;
    int m_position;
    DisplayMode m_mode;
    std::vector<DisplayFormula> m_formulas;
    std::size_t m_keptColumns;
    // Kept columns, most recently used first.
    mutable std::list<std::pair<int, std::shared_ptr<const DisplayColumn>>> m_recent;
    mutable std::unordered_map<int, decltype(m_recent)::iterator> m_kept;
};

} // namespace quorvel
