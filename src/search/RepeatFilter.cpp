#include "search/RepeatFilter.h"

#include <algorithm>

namespace quorvel {

RepeatFilter::RepeatFilter(std::shared_ptr<const DrawTable> history,
                           std::shared_ptr<const StoredCodes> stored)
    : m_history(history ? std::move(history) : std::make_shared<const DrawTable>()),
      m_stored(std::move(stored))
{
}

RepeatFilter::~RepeatFilter() = default;

void RepeatFilter::prepare(int position, bool kill)
{
    indexOf(position, kill);
}

EquivalenceIndex& RepeatFilter::indexOf(int position, bool kill)
{
    const int p = std::clamp(position, 1, kPositionCount);
    std::unique_ptr<EquivalenceIndex>& index = m_indexes[std::size_t(p - 1) * 2 + (kill ? 1 : 0)];
    if (index)
        return *index;
    index = std::make_unique<EquivalenceIndex>(m_history);
    if (m_stored) {
        for (const QString& code : m_stored->of(p, kill)) {
            // A stored code that does not compile predicts nothing a found formula could repeat.
            if (const Result<CompiledFormula> compiled = CompiledFormula::compile(code))
                addIfNew(*index, *compiled);
        }
    }
    return *index;
}

bool RepeatFilter::isRepeat(const FoundFormula& formula)
{
    const Result<CompiledFormula> compiled = CompiledFormula::compile(formula.code);
    if (!compiled)
        return false;
    return !addIfNew(indexOf(formula.position, formula.kill), *compiled);
}

// Only formulas that say something new join the index: formulas that share a short fingerprint are
// compared one by one, so repeats kept there would slow every later look-up of their kind.
bool RepeatFilter::addIfNew(EquivalenceIndex& index, const CompiledFormula& formula)
{
    if (index.find(formula))
        return false;
    index.add(formula);
    return true;
}

} // namespace quorvel
