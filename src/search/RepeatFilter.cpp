#include "search/RepeatFilter.h"

#include "formulas/NumberRules.h"

#include <algorithm>

namespace quorvel {

RepeatFilter::RepeatFilter(std::shared_ptr<const DrawTable> history,
                           std::shared_ptr<const StoredCodes> stored)
    : m_history(history ? std::move(history) : std::make_shared<const DrawTable>()),
      m_stored(std::move(stored))
{
}

RepeatFilter::~RepeatFilter() = default;

// A multiplicative hash over the folded values, finished with a 64-bit mix: cheap enough to run
// for every accepted candidate, and a collision only costs a comparison over the whole history.
quint64 RepeatFilter::keyOfSequence(std::span<const qint32> sequence)
{
    quint64 state = 0x9E3779B97F4A7C15ull ^ quint64(sequence.size());
    for (const qint32 value : sequence)
        state = (state ^ quint64(quint32(value))) * 0x100000001B3ull;
    state = (state ^ (state >> 33)) * 0xFF51AFD7ED558CCDull;
    return state ^ (state >> 33);
}

// The draws the key covers: the newest ones but the last, which the scan that accepted a candidate
// has just read (the last draw predicts no stored outcome), so that they are in cache.
RepeatFilter::KeyDraws RepeatFilter::keyDrawsOf(int drawCount)
{
    const int end = drawCount > 1 ? drawCount - 1 : drawCount;
    const int count = std::min(kKeyDraws, end);
    return {end - count, count};
}

quint64 RepeatFilter::keyOf(const DrawTable& table, std::span<const int> terms, qint64 constant,
                            std::vector<qint64>& sums)
{
    const auto [first, draws] = keyDrawsOf(table.drawCount());
    sums.resize(std::size_t(draws));
    std::array<qint32, kKeyDraws> folded{};
    if (draws > 0)
        sumTermColumns(table, terms, constant, first, draws, sums.data());
    for (int t = 0; t < draws; ++t)
        folded[std::size_t(t)] = qint32(foldWhole(sums[std::size_t(t)]));
    return keyOfSequence(std::span<const qint32>(folded.data(), std::size_t(draws)));
}

quint64 RepeatFilter::keyOf(Entry& entry)
{
    const CompiledFormula& formula = *entry.compiled;
    if (formula.isTermSum())
        return keyOf(*m_history, formula.sumTerms(), formula.sumConstant(), m_sums);
    // Any other expression is evaluated over the whole history at once, which gives its whole
    // fingerprint too.
    const std::vector<qint32> sequence = ValueSequence::of(formula, *m_history, m_history->drawCount());
    entry.whole = ValueSequence::fingerprint(sequence);
    const auto [first, draws] = keyDrawsOf(int(sequence.size()));
    return keyOfSequence(std::span<const qint32>(sequence).subspan(std::size_t(first), std::size_t(draws)));
}

void RepeatFilter::prepare(int position, bool kill)
{
    formulasOf(position, kill);
}

RepeatFilter::Formulas& RepeatFilter::formulasOf(int position, bool kill)
{
    const int p = std::clamp(position, 1, kPositionCount);
    std::unique_ptr<Formulas>& formulas = m_formulas[std::size_t(p - 1) * 2 + (kill ? 1 : 0)];
    if (formulas)
        return *formulas;
    formulas = std::make_unique<Formulas>();
    if (!m_stored)
        return *formulas;
    for (const QString& code : m_stored->of(p, kill)) {
        // A stored code that does not compile predicts nothing a found formula could repeat.
        Result<CompiledFormula> compiled = CompiledFormula::compile(code);
        if (!compiled)
            continue;
        Entry entry{code, std::make_shared<const CompiledFormula>(std::move(*compiled)), std::nullopt};
        const quint64 key = keyOf(entry);
        addIfNew(*formulas, std::move(entry), key);
    }
    return *formulas;
}

const ValueSequence::Fingerprint& RepeatFilter::wholeOf(Entry& entry)
{
    if (entry.whole)
        return *entry.whole;
    if (!entry.compiled) {
        Result<CompiledFormula> compiled = CompiledFormula::compile(entry.code);
        if (!compiled) {
            // A code that does not compile says nothing any other says: a fingerprint of its own.
            entry.whole = ValueSequence::Fingerprint{~0ull, ++m_uncompiled};
            return *entry.whole;
        }
        entry.compiled = std::make_shared<const CompiledFormula>(std::move(*compiled));
    }
    entry.whole =
        ValueSequence::fingerprint(ValueSequence::of(*entry.compiled, *m_history, m_history->drawCount()));
    return *entry.whole;
}

bool RepeatFilter::addIfNew(Formulas& formulas, Entry entry, quint64 key)
{
    const std::size_t mask = formulas.keys.size() - 1;
    std::size_t slot = std::size_t(key) & mask;
    std::optional<ValueSequence::Fingerprint> whole;
    for (; formulas.keys[slot].entry != 0; slot = (slot + 1) & mask) {
        if (formulas.keys[slot].key != key)
            continue;
        if (!whole)
            whole = wholeOf(entry);
        if (wholeOf(formulas.entries[formulas.keys[slot].entry - 1]) == *whole)
            return false;
    }
    formulas.entries.push_back(std::move(entry));
    formulas.keys[slot] = Slot{key, quint32(formulas.entries.size())};
    if (formulas.entries.size() * 2 > formulas.keys.size())
        grow(formulas);
    return true;
}

// Twice the slots, so that at most half of them are taken and probes stay short.
void RepeatFilter::grow(Formulas& formulas)
{
    std::vector<Slot> wider(formulas.keys.size() * 2);
    const std::size_t mask = wider.size() - 1;
    for (const Slot& taken : formulas.keys) {
        if (taken.entry == 0)
            continue;
        std::size_t slot = std::size_t(taken.key) & mask;
        while (wider[slot].entry != 0)
            slot = (slot + 1) & mask;
        wider[slot] = taken;
    }
    formulas.keys = std::move(wider);
}

bool RepeatFilter::isRepeat(const FoundFormula& formula, quint64 key)
{
    return !addIfNew(formulasOf(formula.position, formula.kill), Entry{formula.code, nullptr, std::nullopt},
                     key);
}

bool RepeatFilter::isRepeat(const FoundFormula& formula)
{
    Result<CompiledFormula> compiled = CompiledFormula::compile(formula.code);
    if (!compiled)
        return false;
    Entry entry{formula.code, std::make_shared<const CompiledFormula>(std::move(*compiled)), std::nullopt};
    const quint64 key = keyOf(entry);
    return !addIfNew(formulasOf(formula.position, formula.kill), std::move(entry), key);
}

} // namespace quorvel
