#pragma once

#include "core/DrawTable.h"
#include "formulas/CompiledFormula.h"

#include <QtGlobal>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace quorvel {

// Two formulas say the same thing when they predict the same number from every draw of the
// history: their value sequences (for each draw its folded whole value, or empty) are equal. The
// same terms in another order, constants 20 apart where the value never crosses zero, or terms
// that always sum alike all give one sequence. A history without draws shows no two formulas alike.
//
// Sequences are compared by fingerprints: a short one over the oldest draws sorts most formulas
// apart at once, and only formulas that agree there are evaluated over the whole history, whose
// 128-bit fingerprint then decides (two different sequences share one with a chance of 2^-128).
class ValueSequence
{
public:
    // The folded value of every draw, oldest first; kEmpty for an empty value.
    static std::vector<qint32> of(const CompiledFormula& formula, const DrawTable& table, int drawCount);
    static constexpr qint32 kEmpty = std::numeric_limits<qint32>::min();

    struct Fingerprint
    {
        quint64 first = 0;
        quint64 second = 0;
        bool operator==(const Fingerprint&) const = default;
    };
    static Fingerprint fingerprint(std::span<const qint32> sequence);

    // Draws the short fingerprint covers.
    static constexpr int kPrefixDraws = 256;
};

// The formulas of one list (one position and kind) as they arrive, each compared with those
// before it. Not thread-safe; one index per history snapshot.
class EquivalenceIndex
{
public:
    explicit EquivalenceIndex(std::shared_ptr<const DrawTable> history);

    // The number (0-based, in the order added) of the first formula added before that says the
    // same as `formula`; empty when none does. Adds `formula` either way, so that numbers stay
    // the order of the calls.
    std::optional<int> add(const CompiledFormula& formula);
    // The same without adding it.
    std::optional<int> find(const CompiledFormula& formula);
    // Adds a formula known to say nothing any other says (one that does not compile): it takes a
    // number and matches nothing.
    void addUnmatched();

    int size() const { return int(m_entries.size()); }
    const DrawTable& history() const { return *m_history; }

private:
    struct Entry
    {
        std::shared_ptr<const CompiledFormula> formula;
        std::optional<ValueSequence::Fingerprint> whole; // computed once another shares its prefix
    };

    quint64 prefixOf(const CompiledFormula& formula) const;
    // Fills `whole` with the formula's own fingerprint when another shares its prefix.
    std::optional<int> lookUp(const CompiledFormula& formula, quint64 prefix,
                              std::optional<ValueSequence::Fingerprint>& whole);
    ValueSequence::Fingerprint wholeOf(const CompiledFormula& formula) const;

    std::shared_ptr<const DrawTable> m_history;
    std::vector<Entry> m_entries;
    std::unordered_multimap<quint64, int> m_byPrefix;
};

// For each formula of a list in list order, the list position (0-based) of the first formula that
// says the same (itself when none before it does). Codes that do not compile are their own class.
// `carryOn`, when given, hears how many formulas are done every few hundred and stops the work by
// returning false; the result is then empty.
std::vector<int> equivalenceClasses(std::span<const CompiledFormula* const> formulas,
                                    std::shared_ptr<const DrawTable> history,
                                    const std::function<bool(int done)>& carryOn = {});

} // namespace quorvel
