#pragma once

#include "core/DrawTable.h"
#include "formulas/CompiledFormula.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace quorvel {

// Two formulas say the same thing when they predict the same number from every draw of the
// history: their value sequences (for each draw its folded whole value, or empty) are equal. The
// same terms in another order, constants 20 apart where the value never crosses zero, or terms
// that always sum alike all give one sequence. A history without draws shows no two formulas alike.
//
// Sequences are compared by fingerprints: a key over a few recent draws sorts nearly every formula
// apart at once, and only formulas that share a key are evaluated over the whole history, whose
// 128-bit fingerprint then decides (two different sequences share one with a chance of 2^-128).
class ValueSequence
{
public:
    // The folded value of draws first .. first + count - 1 (held to the table), oldest first;
    // kEmpty for an empty value.
    static std::vector<qint32> of(const CompiledFormula& formula, const DrawTable& table, int first,
                                  int count);
    static std::vector<qint32> of(const CompiledFormula& formula, const DrawTable& table)
    {
        return of(formula, table, 0, table.drawCount());
    }
    static constexpr qint32 kEmpty = std::numeric_limits<qint32>::min();

    struct Fingerprint
    {
        quint64 first = 0;
        quint64 second = 0;
        bool operator==(const Fingerprint&) const = default;
    };
    static Fingerprint fingerprint(std::span<const qint32> sequence);
};

// The formulas of one list (one position and kind) as they arrive, each compared with those
// before it. Each call takes the next number (0-based); a formula that says what an earlier one
// says is answered with that one's number and not kept. Not thread-safe; one index per history
// snapshot.
//
// The key that sorts formulas apart must cost little next to the search's scan that accepted a
// candidate: it covers the newest draws but the last (which the scan has just read, so they are
// in cache), and a term sum gets it from its columns (keyOf) on any thread, without its code.
class EquivalenceIndex
{
public:
    explicit EquivalenceIndex(std::shared_ptr<const DrawTable> history);
    ~EquivalenceIndex();

    // The key of the term sum `terms` + `constant` on `table`; `sums` is scratch space.
    static quint64 keyOf(const DrawTable& table, std::span<const int> terms, qint64 constant,
                         std::vector<qint64>& sums);

    // The number of the first formula before that says the same as `formula`; empty when none does.
    std::optional<int> add(const CompiledFormula& formula);
    // The same for a code, by its keyOf on this index's history; the code is compiled only when
    // another formula shares its key (a code that does not compile says nothing another says).
    std::optional<int> add(const QString& code, quint64 key);
    // Takes a number for a formula known to say nothing any other says (one that does not compile).
    void addUnmatched() { ++m_count; }

    // The draws the key covers at most: formulas that differ there almost never agree on all draws.
    static constexpr int kKeyDraws = 32;

private:
    struct Entry
    {
        QString code;
        std::shared_ptr<const CompiledFormula> compiled; // compiled once it is compared
        std::optional<ValueSequence::Fingerprint> whole; // computed once another shares its key
        int number = 0;
    };
    struct Slot
    {
        quint64 key = 0;
        quint32 entry = 0; // number of the entry + 1; 0: empty
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
    // Keeps `entry` unless a kept entry with its key says the same: then that one's number.
    std::optional<int> addIfNew(Entry entry, quint64 key);
    void grow();
    const ValueSequence::Fingerprint& wholeOf(Entry& entry);

    std::shared_ptr<const DrawTable> m_history;
    // The kept entries, found by key in an open-addressing table: the look-up of a new formula's
    // key is one probe almost always.
    std::vector<Entry> m_entries;
    std::vector<Slot> m_slots = std::vector<Slot>(1024);
    int m_count = 0;
    quint64 m_uncompiled = 0;
    std::vector<qint64> m_sums;
};

// For each formula of a list in list order, the list position (0-based) of the first formula that
// says the same (itself when none before it does). Codes that do not compile are their own class.
// `carryOn`, when given, hears how many formulas are done every few hundred and stops the work by
// returning false; the result is then empty.
std::vector<int> equivalenceClasses(std::span<const CompiledFormula* const> formulas,
                                    std::shared_ptr<const DrawTable> history,
                                    const std::function<bool(int done)>& carryOn = {});

} // namespace quorvel
