#include "verification/Prediction.h"

#include "formulas/CompiledFormula.h"
#include "formulas/NumberRules.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

std::optional<int> keyValue(const PredictionFormula& formula, SortKey key)
{
    if (!formula.statistics)
        return std::nullopt;
    switch (key) {
    case SortKey::MaxMisses:
        return formula.statistics->maxMisses;
    case SortKey::MaxHits:
        return formula.statistics->maxHits;
    case SortKey::LastMisses:
        return formula.statistics->lastMisses;
    }
    return std::nullopt;
}

// A formula of the best-formula walk with its list number.
struct RankedFormula
{
    const PredictionFormula* formula = nullptr;
    int listNumber = 0;
};

bool isNumber(const std::optional<int>& n)
{
    return n && *n >= 1 && *n <= kHighestNumber;
}

// Kept counts stand in the keep array; the kill array then holds nothing.
void moveToKeep(PositionCounts& counts)
{
    counts.keep = counts.kill;
    counts.kill.fill(0);
}

} // namespace

BestFormulaWalk::BestFormulaWalk(bool kill, int quota)
    : m_kill(kill), m_limit(kill ? kHighestNumber - quota : quota)
{
}

void BestFormulaWalk::take(std::optional<int> number)
{
    if (isNumber(number)) {
        m_claimed[std::size_t(*number)] = true;
        ++m_counts.total[std::size_t(*number)];
        ++m_counts.kill[std::size_t(*number)];
    }
    // Recounted after every selected formula, also one that claimed nothing: the numbers taken
    // by earlier positions count as covered from the first selected formula on.
    m_covered = 0;
    for (int n = 1; n <= kHighestNumber; ++n) {
        const std::size_t m = std::size_t(n);
        m_covered += m_kill ? (m_claimed[m] || m_taken[m]) : (m_claimed[m] && !m_taken[m]);
    }
}

PositionCounts BestFormulaWalk::endPosition()
{
    for (int n = 1; n <= kHighestNumber; ++n) {
        const std::size_t m = std::size_t(n);
        // Kill: the numbers left standing here are not available to later positions.
        if (m_kill ? !m_claimed[m] : m_claimed[m])
            m_taken[m] = true;
    }
    PositionCounts counts = m_counts;
    if (!m_kill)
        moveToKeep(counts);
    m_counts = PositionCounts();
    m_claimed.fill(false);
    m_covered = 0;
    return counts;
}

QString sortKeyColumn(SortKey key)
{
    switch (key) {
    case SortKey::MaxMisses:
        return QStringLiteral("intGsErrCon");
    case SortKey::MaxHits:
        return QStringLiteral("intGsTrueCon");
    case SortKey::LastMisses:
        return QStringLiteral("intGsErrLst");
    }
    return QString();
}

bool sortKeyDescending(SortKey key)
{
    return key == SortKey::LastMisses;
}

ListSelection ListSelection::allExcept(const std::vector<int>& unselected)
{
    ListSelection selection;
    selection.selectedBeyond = true;
    for (const int listNumber : unselected) {
        if (listNumber < 1)
            continue;
        if (selection.marks.size() < std::size_t(listNumber))
            selection.marks.resize(std::size_t(listNumber), 1);
        selection.marks[std::size_t(listNumber - 1)] = 0;
    }
    return selection;
}

std::vector<const PredictionFormula*> formulasInListOrder(const std::vector<PredictionFormula>& table,
                                                          bool kill)
{
    std::vector<const PredictionFormula*> list;
    for (const PredictionFormula& formula : table) {
        if (formula.kill == kill)
            list.push_back(&formula);
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const PredictionFormula* a, const PredictionFormula* b) { return a->idx < b->idx; });
    return list;
}

std::optional<int> Prediction::computedNumber(const QString& code) const
{
    if (m_table.isEmpty())
        return std::nullopt;
    const Result<CompiledFormula> compiled = CompiledFormula::compile(code);
    if (!compiled)
        return std::nullopt;
    return fold(compiled->valueAt(m_table, m_table.drawCount() - 1));
}

std::optional<int> Prediction::quotaFromText(const QString& text)
{
    bool ok = false;
    const int quota = text.trimmed().toInt(&ok);
    if (!ok || quota < 1 || quota > kLargestQuota)
        return std::nullopt;
    return quota;
}

PositionCounts Prediction::countSelected(int position, const std::vector<PredictionFormula>& formulas,
                                         bool kill, const ListSelection& selection,
                                         std::vector<UsedFormula>& used) const
{
    PositionCounts counts;
    const std::vector<const PredictionFormula*> list = formulasInListOrder(formulas, kill);
    for (std::size_t k = 1; k <= list.size(); ++k) {
        // An unselected formula's value is not needed: it adds to nothing.
        if (!selection.isSelected(int(k)))
            continue;
        const std::optional<int> n = computedNumber(list[k - 1]->code);
        if (!isNumber(n))
            continue;
        used.push_back({position, list[k - 1]->code, list[k - 1]->displayText, kill, *n});
        ++counts.total[std::size_t(*n)];
        ++counts.kill[std::size_t(*n)];
    }
    if (!kill)
        moveToKeep(counts);
    return counts;
}

PredictionResult Prediction::run(const PredictionParams& params) const
{
    PredictionResult result;
    result.kill = params.kill;
    const int shown = std::clamp(params.shownPosition, 1, kPositionCount);

    if (params.method == PredictionMethod::SelectedFormulas) {
        result.quota = 1;
        for (int q = 1; q <= shown; ++q)
            result.positions.push_back(countSelected(q, params.tables[std::size_t(q - 1)], params.kill,
                                                     params.selection, result.used));
        result.usedFormulas = int(result.used.size());
        return result;
    }

    result.quota = params.quota;
    BestFormulaWalk walk(params.kill, params.quota);
    for (int q = 1; q <= shown; ++q) {
        const std::vector<const PredictionFormula*> list =
            formulasInListOrder(params.tables[std::size_t(q - 1)], params.kill);
        std::vector<RankedFormula> order;
        order.reserve(list.size());
        for (std::size_t k = 0; k < list.size(); ++k)
            order.push_back({list[k], int(k) + 1});
        // Stable on the list order, so formulas tying on all three keys come in idx order.
        std::stable_sort(order.begin(), order.end(), [&](const RankedFormula& a, const RankedFormula& b) {
            for (const SortKey key : params.keys) {
                const std::optional<int> va = keyValue(*a.formula, key);
                const std::optional<int> vb = keyValue(*b.formula, key);
                if (va == vb)
                    continue;
                return sortKeyDescending(key) ? vb < va : va < vb;
            }
            return false;
        });

        int visited = 0;
        for (std::size_t i = 0; i < order.size() && walk.wantsMore(); ++i) {
            ++visited;
            if (params.selection.isSelected(order[i].listNumber))
                walk.take(computedNumber(order[i].formula->code));
        }
        result.positions.push_back(walk.endPosition());
        result.visitedAtLastPosition = visited;
    }
    return result;
}

} // namespace quorvel
