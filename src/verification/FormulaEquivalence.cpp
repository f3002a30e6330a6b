#include "verification/FormulaEquivalence.h"

#include "formulas/NumberRules.h"

#include <algorithm>
#include <array>

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

std::vector<qint32> ValueSequence::of(const CompiledFormula& formula, const DrawTable& table, int drawCount)
{
    const int count = std::clamp(drawCount, 0, table.drawCount());
    std::vector<qint32> sequence(std::size_t(count), kEmpty);
    if (count == 0)
        return sequence;
    if (formula.isTermSum()) {
        std::vector<qint64> sums(static_cast<std::size_t>(count));
        sumTermColumns(table, formula.sumTerms(), formula.sumConstant(), 0, count, sums.data());
        for (int t = 0; t < count; ++t)
            sequence[std::size_t(t)] = qint32(foldWhole(sums[std::size_t(t)]));
        return sequence;
    }
    std::vector<double> values(static_cast<std::size_t>(count));
    formula.evaluate(table, 0, values);
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

EquivalenceIndex::EquivalenceIndex(std::shared_ptr<const DrawTable> history) : m_history(std::move(history))
{
}

ValueSequence::Fingerprint EquivalenceIndex::wholeOf(const CompiledFormula& formula) const
{
    return ValueSequence::fingerprint(ValueSequence::of(formula, *m_history, m_history->drawCount()));
}

std::optional<int> EquivalenceIndex::lookUp(const CompiledFormula& formula, quint64 prefix,
                                            std::optional<ValueSequence::Fingerprint>& whole)
{
    // Without a stored draw every sequence is empty: nothing shows two formulas to say the same.
    if (m_history->drawCount() == 0)
        return std::nullopt;
    const auto [begin, end] = m_byPrefix.equal_range(prefix);
    if (begin == end)
        return std::nullopt;
    whole = wholeOf(formula);
    std::optional<int> first;
    for (auto it = begin; it != end; ++it) {
        Entry& entry = m_entries[std::size_t(it->second)];
        if (!entry.whole)
            entry.whole = wholeOf(*entry.formula);
        if (*entry.whole == *whole && (!first || it->second < *first))
            first = it->second;
    }
    return first;
}

quint64 EquivalenceIndex::prefixOf(const CompiledFormula& formula) const
{
    const int prefixDraws = std::min(ValueSequence::kPrefixDraws, m_history->drawCount());
    return ValueSequence::fingerprint(ValueSequence::of(formula, *m_history, prefixDraws)).first;
}

std::optional<int> EquivalenceIndex::find(const CompiledFormula& formula)
{
    std::optional<ValueSequence::Fingerprint> whole;
    return lookUp(formula, prefixOf(formula), whole);
}

std::optional<int> EquivalenceIndex::add(const CompiledFormula& formula)
{
    const quint64 prefix = prefixOf(formula);
    std::optional<ValueSequence::Fingerprint> whole;
    const std::optional<int> earlier = lookUp(formula, prefix, whole);
    const int number = int(m_entries.size());
    m_entries.push_back({std::make_shared<const CompiledFormula>(formula), whole});
    m_byPrefix.emplace(prefix, number);
    return earlier;
}

void EquivalenceIndex::addUnmatched()
{
    m_entries.push_back({nullptr, std::nullopt});
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
