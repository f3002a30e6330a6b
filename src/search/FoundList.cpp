#include "search/FoundList.h"

namespace quorvel {

bool FoundList::append(const FoundFormula& formula)
{
    if (isFull())
        return false;
    m_entries.push_back(formula);
    return true;
}

int FoundList::append(const std::vector<FoundFormula>& formulas)
{
    int added = 0;
    for (const FoundFormula& formula : formulas) {
        if (!append(formula))
            break;
        ++added;
    }
    return added;
}

std::vector<FoundList::Group> FoundList::groups() const
{
    std::vector<Group> result;
    for (int i = 0; i < size(); ++i) {
        const int position = m_entries[std::size_t(i)].position;
        if (result.empty() || result.back().position != position)
            result.push_back({position, i, 0});
        ++result.back().count;
    }
    return result;
}

} // namespace quorvel
