#include "search/RepeatFilter.h"

#include <algorithm>

namespace quorvel {

RepeatFilter::RepeatFilter(std::shared_ptr<const DrawTable> history,
                           std::shared_ptr<const StoredCodes> stored)
    : m_history(std::move(history)), m_stored(std::move(stored))
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
    if (!m_stored)
        return *index;
    for (const QString& code : m_stored->of(p, kill)) {
        // A stored code that does not compile predicts nothing a found formula could repeat.
        if (const Result<CompiledFormula> compiled = CompiledFormula::compile(code))
            index->add(*compiled);
    }
    return *index;
}

bool RepeatFilter::isRepeat(const FoundFormula& formula, quint64 key)
{
    return indexOf(formula.position, formula.kill).add(formula.code, key).has_value();
}

bool RepeatFilter::isRepeat(const FoundFormula& formula)
{
    const Result<CompiledFormula> compiled = CompiledFormula::compile(formula.code);
    return compiled && indexOf(formula.position, formula.kill).add(*compiled).has_value();
}

} // namespace quorvel
