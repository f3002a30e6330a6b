#pragma once

#include "core/DrawTable.h"
#include "core/TermTable.h"
#include "search/FoundFormula.h"
#include "verification/FormulaEquivalence.h"

#include <QString>

#include <array>
#include <memory>
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

// Tells found formulas that say what another already says (predict the same number from every draw
// of the history: equal value sequences) from the rest: one equivalent to a formula judged before it,
// or to one stored in the table of its position and kind. Each position and kind has an
// equivalence index of its own, which takes the stored formulas the first time it is asked about.
// A search judges its accepted candidates by their keys (EquivalenceIndex::keyOf, worked out on the
// search's own threads). Not thread-safe: a search asks in candidate order, so the answers do not
// depend on its threads.
class RepeatFilter
{
public:
    // `stored` may be null: then only formulas judged before count.
    RepeatFilter(std::shared_ptr<const DrawTable> history, std::shared_ptr<const StoredCodes> stored);
    ~RepeatFilter();

    // True when `formula` says what one judged before it or a stored one says; one that says
    // something new is remembered. `key`: its EquivalenceIndex::keyOf on this filter's history.
    bool isRepeat(const FoundFormula& formula, quint64 key);
    // The same for a formula of any code (a code that does not compile is never a repeat).
    bool isRepeat(const FoundFormula& formula);
    // Takes the stored formulas of one position and kind now rather than at the first formula.
    void prepare(int position, bool kill);

private:
    EquivalenceIndex& indexOf(int position, bool kill);

    std::shared_ptr<const DrawTable> m_history;
    std::shared_ptr<const StoredCodes> m_stored;
    std::array<std::unique_ptr<EquivalenceIndex>, std::size_t(kPositionCount) * 2> m_indexes;
};

} // namespace quorvel
