#pragma once

#include "core/DrawTable.h"
#include "core/TermTable.h"
#include "search/FoundFormula.h"
#include "verification/FormulaEquivalence.h"

#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <span>
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
// or to one stored in the table of its position and kind. Each position and kind is judged on its
// own, the stored formulas of one fingerprinted the first time it is asked about.
//
// A search judges every accepted candidate, so the common case, a formula that says something new,
// must cost little next to the scan that accepted it: a key over the newest draws, which a term sum
// gets from its columns without compiling its code (keyOf, on the search's own threads), sorts nearly
// every formula apart; only formulas that share a key are compared over the whole history.
// Not thread-safe: a search asks in candidate order, so the answers do not depend on its threads.
class RepeatFilter
{
public:
    // `stored` may be null: then only formulas judged before count.
    RepeatFilter(std::shared_ptr<const DrawTable> history, std::shared_ptr<const StoredCodes> stored);
    ~RepeatFilter();

    // The key of the term sum `terms` + `constant` on `table`; `sums` is scratch space.
    static quint64 keyOf(const DrawTable& table, std::span<const int> terms, qint64 constant,
                         std::vector<qint64>& sums);

    // True when `formula` says what one judged before it or a stored one says; one that says
    // something new is remembered. `key`: its keyOf on this filter's history.
    bool isRepeat(const FoundFormula& formula, quint64 key);
    // The same for a formula of any code (a code that does not compile is never a repeat).
    bool isRepeat(const FoundFormula& formula);
    // Fingerprints the stored formulas of one position and kind now rather than at the first formula.
    void prepare(int position, bool kill);

    // The draws the key covers at most: formulas that differ there almost never agree on all draws.
    static constexpr int kKeyDraws = 32;

private:
    struct Entry
    {
        QString code;
        std::shared_ptr<const CompiledFormula> compiled; // compiled once it is compared
        std::optional<ValueSequence::Fingerprint> whole; // computed once another shares its key
    };
    struct Slot
    {
        quint64 key = 0;
        quint32 entry = 0; // number of the entry + 1; 0: empty
    };
    // The entries of one position and kind, found by key in an open-addressing table: the look-up
    // of a new formula's key is one probe almost always.
    struct Formulas
    {
        std::vector<Entry> entries;
        std::vector<Slot> keys = std::vector<Slot>(1024);
    };

    struct KeyDraws
    {
        int first = 0;
        int count = 0;
    };
    static KeyDraws keyDrawsOf(int drawCount);
    static quint64 keyOfSequence(std::span<const qint32> sequence);
    // The key of an entry with its compiled formula.
    quint64 keyOf(Entry& entry);
    Formulas& formulasOf(int position, bool kill);
    // Adds `entry` unless an entry with its key says the same; false when one does.
    bool addIfNew(Formulas& formulas, Entry entry, quint64 key);
    static void grow(Formulas& formulas);
    const ValueSequence::Fingerprint& wholeOf(Entry& entry);

    std::shared_ptr<const DrawTable> m_history;
    std::shared_ptr<const StoredCodes> m_stored;
    std::array<std::unique_ptr<Formulas>, std::size_t(kPositionCount) * 2> m_formulas;
    quint64 m_uncompiled = 0;
    std::vector<qint64> m_sums;
};

} // namespace quorvel
