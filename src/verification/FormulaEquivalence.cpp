#include "verification/FormulaEquivalence.h"

#include "formulas/NumberRules.h"

#include <algorithm>
#include <array>
#include <utility>

namespace quorvel {

namespace {

// One step of a 64-bit mix (the finaliser of SplitMix64) folded over a sequence: every value and
// its place change the result.
quint64 mix(quint64 state, quint64 value)
{
    quint64 z = state + value + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Two values a word, in four lanes that the processor mixes side by side (one serial chain would
// wait on each multiplication); the lanes are then folded into one. A lane's order and the lane a
// value falls in keep every value's place in the result.
quint64 hashOf(std::span<const qint32> sequence, quint64 seed)
{
    constexpr std::size_t kLanes = 4;
    const auto word = [&sequence](std::size_t i) {
        const quint64 low = quint32(sequence[2 * i]);
        const quint64 high = 2 * i + 1 < sequence.size() ? quint32(sequence[2 * i + 1]) : 0;
        return low | high << 32;
    };
    std::array<quint64, kLanes> lanes{};
    for (std::size_t lane = 0; lane < kLanes; ++lane)
        lanes[lane] = mix(seed, lane);
    const std::size_t words = (sequence.size() + 1) / 2;
    std::size_t i = 0;
    for (; i + kLanes <= words; i += kLanes) {
        for (std::size_t lane = 0; lane < kLanes; ++lane)
            lanes[lane] = mix(lanes[lane], word(i + lane));
    }
    for (std::size_t lane = 0; i < words; ++i, ++lane)
        lanes[lane] = mix(lanes[lane], word(i));
    quint64 state = mix(seed, quint64(sequence.size()));
    for (const quint64 lane : lanes)
        state = mix(state, lane);
    return state;
}

} // namespace

std::vector<qint32> ValueSequence::of(const CompiledFormula& formula, const DrawTable& table, int first,
                                      int count)
{
    first = std::clamp(first, 0, table.drawCount());
    count = std::clamp(count, 0, table.drawCount() - first);
    std::vector<qint32> sequence(std::size_t(count), kEmpty);
    if (count == 0)
        return sequence;
    if (formula.isTermSum()) {
        std::vector<qint64> sums(static_cast<std::size_t>(count));
        sumTermColumns(table, formula.sumTerms(), formula.sumConstant(), first, count, sums.data());
        for (int t = 0; t < count; ++t)
            sequence[std::size_t(t)] = qint32(foldWhole(sums[std::size_t(t)]));
        return sequence;
    }
    std::vector<double> values(static_cast<std::size_t>(count));
    formula.evaluate(table, first, values);
    for (int t = 0; t < count; ++t) {
        if (const std::optional<int> folded = fold(values[std::size_t(t)]))
            sequence[std::size_t(t)] = qint32(*folded);
    }
    return sequence;
}

ValueSequence::Fingerprint ValueSequence::fingerprint(std::span<const qint32> sequence)
{
    return {hashOf(sequence, 0x51525653ull), hashOf(sequence, 0x2545F4914F6CDD1Dull)};
}

EquivalenceIndex::EquivalenceIndex(std::shared_ptr<const DrawTable> history)
    : m_history(history ? std::move(history) : std::make_shared<const DrawTable>())
{
}

EquivalenceIndex::~EquivalenceIndex() = default;

// A multiplicative hash over the folded values, finished with a 64-bit mix: cheap enough to run
// for every accepted candidate, and a collision only costs a comparison over the whole history.
quint64 EquivalenceIndex::keyOfSequence(std::span<const qint32> sequence)
{
    quint64 state = 0x9E3779B97F4A7C15ull ^ quint64(sequence.size());
    for (const qint32 value : sequence)
        state = (state ^ quint64(quint32(value))) * 0x100000001B3ull;
    state = (state ^ (state >> 33)) * 0xFF51AFD7ED558CCDull;
    return state ^ (state >> 33);
}

// The draws the key covers: the newest ones but the last (the last draw predicts no stored outcome).
EquivalenceIndex::KeyDraws EquivalenceIndex::keyDrawsOf(int drawCount)
{
    const int end = drawCount > 1 ? drawCount - 1 : drawCount;
    const int count = std::min(kKeyDraws, end);
    return {end - count, count};
}

quint64 EquivalenceIndex::keyOf(const DrawTable& table, std::span<const int> terms, qint64 constant,
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

quint64 EquivalenceIndex::keyOf(Entry& entry)
{
    const CompiledFormula& formula = *entry.compiled;
    if (formula.isTermSum())
        return keyOf(*m_history, formula.sumTerms(), formula.sumConstant(), m_sums);
    const auto [first, draws] = keyDrawsOf(m_history->drawCount());
    return keyOfSequence(ValueSequence::of(formula, *m_history, first, draws));
}

const ValueSequence::Fingerprint& EquivalenceIndex::wholeOf(Entry& entry)
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
    entry.whole = ValueSequence::fingerprint(ValueSequence::of(*entry.compiled, *m_history));
    return *entry.whole;
}

std::optional<int> EquivalenceIndex::addIfNew(Entry entry, quint64 key)
{
    entry.number = m_count++;
    // Without a stored draw every sequence is empty: nothing shows two formulas to say the same.
    const bool comparable = m_history->drawCount() > 0;
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = std::size_t(key) & mask;
    for (; m_slots[slot].entry != 0; slot = (slot + 1) & mask) {
        if (!comparable || m_slots[slot].key != key)
            continue;
        Entry& kept = m_entries[m_slots[slot].entry - 1];
        if (wholeOf(kept) == wholeOf(entry))
            return kept.number;
    }
    m_entries.push_back(std::move(entry));
    m_slots[slot] = Slot{key, quint32(m_entries.size())};
    if (m_entries.size() * 2 > m_slots.size())
        grow();
    return std::nullopt;
}

// Twice the slots, so that at most half of them are taken and probes stay short.
void EquivalenceIndex::grow()
{
    std::vector<Slot> wider(m_slots.size() * 2);
    const std::size_t mask = wider.size() - 1;
    for (const Slot& taken : m_slots) {
        if (taken.entry == 0)
            continue;
        std::size_t slot = std::size_t(taken.key) & mask;
        while (wider[slot].entry != 0)
            slot = (slot + 1) & mask;
        wider[slot] = taken;
    }
    m_slots = std::move(wider);
}

std::optional<int> EquivalenceIndex::add(const CompiledFormula& formula)
{
    Entry entry{QString(), std::make_shared<const CompiledFormula>(formula), std::nullopt, 0};
    const quint64 key = keyOf(entry);
    return addIfNew(std::move(entry), key);
}

std::optional<int> EquivalenceIndex::add(const QString& code, quint64 key)
{
    return addIfNew(Entry{code, nullptr, std::nullopt, 0}, key);
}

std::vector<int> equivalenceClasses(std::span<const CompiledFormula* const> formulas,
                                    std::shared_ptr<const DrawTable> history,
                                    const std::function<bool(int done)>& carryOn)
{
    constexpr std::size_t kReportEvery = 64;
    EquivalenceIndex index(std::move(history));
    std::vector<int> classes(formulas.size());
    for (std::size_t i = 0; i < formulas.size(); ++i) {
        if (carryOn && i % kReportEvery == 0 && !carryOn(int(i)))
            return {};
        if (!formulas[i]) {
            index.addUnmatched();
            classes[i] = int(i);
            continue;
        }
        classes[i] = index.add(*formulas[i]).value_or(int(i));
    }
    return classes;
}

} // namespace quorvel
