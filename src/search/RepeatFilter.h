#pragma once

#include "core/DrawTable.h"
#include "core/TermTable.h"
#include "search/FoundFormula.h"
#include "verification/FormulaEquivalence.h"

#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace quorvel {

// The codes each formula table holds, by position and kind: what a search's found formulas must not
// say again.
class StoredCodes
{
public:
    std::vector<QString>& of(int position, bool kill) { return m_codes[index(position, kill)]; }
    const std::vector<QString>& of(int position, bool kill) const { return m_codes[index(position, kill)]; }

private:
    static std::size_t index(int position, bool kill)
    {
        return std::size_t(position - 1) * 2 + (kill ? 1 : 0);
    }
    std::array<std::vector<QString>, std::size_t(kPositionCount) * 2> m_codes;
};

// Tells a search's accepted candidates that say what another already says (predict the same number
// from every draw of the history) from the rest: one equivalent to a formula found before it in the
// same run, or to one stored in the table of its position and kind. Each position and kind is
// judged on its own, the stored formulas of one fingerprinted the first time it is asked about.
// Not thread-safe: the run asks it in candidate order, so the answers do not depend on threads.
class RepeatFilter
{
public:
    // `stored` may be null: then only repeats within the run count.
    RepeatFilter(std::shared_ptr<const DrawTable> history, std::shared_ptr<const StoredCodes> stored);
    ~RepeatFilter();

    // True when `formula` says what an earlier one or a stored one says; it is remembered either way.
    bool isRepeat(const FoundFormula& formula);
    // Fingerprints the stored formulas of one position and kind now rather than at the first formula.
    void prepare(int position, bool kill);

private:
    EquivalenceIndex& indexOf(int position, bool kill);
    // False when the index already holds a formula that says the same.
    static bool addIfNew(EquivalenceIndex& index, const CompiledFormula& formula);

    std::shared_ptr<const DrawTable> m_history;
    std::shared_ptr<const StoredCodes> m_stored;
    std::array<std::unique_ptr<EquivalenceIndex>, std::size_t(kPositionCount) * 2> m_indexes;
};

} // namespace quorvel
