#pragma once

#include "core/TermTable.h"
#include "search/AcceptanceBounds.h"

#include <QString>

#include <array>
#include <optional>

namespace quorvel {

class Settings;

// The search window's settings: the CategoryBounds of the 16 categories (position and kind), read
// from the store when the window opens and held in memory while it lives, the operand count of
// every position and the scheme targets of both kinds, which go to the store directly; and how
// the window's boxes read as numbers.
class SearchSettings
{
public:
    explicit SearchSettings(Settings& settings);

    // Reads the bounds of every category from the store (defaults where nothing is stored).
    void load();
    // The stored bounds of one category; a pair stored inverted (its lower bound above its upper
    // one, which no formula could meet) reads as that pair's defaults.
    static AcceptanceBounds stored(const Settings& settings, int position, bool kill);
    const AcceptanceBounds& bounds(int position, bool kill) const;

    // SaveCategory (`Command8`): the bounds of a category, in memory and in the store, and the
    // operand count of its position.
    void saveCategory(int position, bool kill, const AcceptanceBounds& bounds, int operandCount);

    // `text2` of a position.
    int operandCount(int position) const;
    void setOperandCount(int position, int count);

    // `Command10` "调用设置": the saved scheme targets of positions 1..8 for a kind.
    std::array<int, kPositionCount> schemeTargets(bool kill) const;
    // `Command9` "保存设置".
    void saveSchemeTargets(bool kill, const std::array<int, kPositionCount>& targets);

    // The number a box holds; empty when it holds none (blanks around it are allowed).
    static std::optional<double> parsedNumber(const QString& text);
    // The number a bound or target box counts as: 0 when it holds none.
    static double numberIn(const QString& text);
    // A scheme target box: empty when it holds no number, so the position is skipped; a fraction
    // asks for the next whole number of formulas, as the found counter is compared against it.
    static std::optional<int> targetIn(const QString& text);
    // A bound as its box shows it: the shortest decimal text of the value.
    static QString numberText(double value);

private:
    Settings& m_settings;
    std::array<std::array<AcceptanceBounds, 2>, kPositionCount> m_bounds{}; // [position - 1][kill]
};

} // namespace quorvel
