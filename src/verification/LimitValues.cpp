#include "verification/LimitValues.h"

namespace quorvel {

std::optional<int> LimitValues::raisedLimit(const std::optional<int>& limit,
                                            const std::optional<int>& maxMisses)
{
    if (maxMisses && limit.value_or(0) < *maxMisses)
        return *maxMisses;
    return std::nullopt;
}

std::vector<LimitChange> LimitValues::raisedLimits(const std::vector<FormulaRecord>& table)
{
    std::vector<LimitChange> changes;
    for (const FormulaRecord& record : table) {
        const std::optional<int> maxMisses =
            record.statistics ? std::optional<int>(record.statistics->maxMisses) : std::nullopt;
        if (const std::optional<int> raised = raisedLimit(record.limit, maxMisses))
            changes.push_back({record.rowId, *raised});
    }
    return changes;
}

QString LimitValues::questionText()
{
    return QStringLiteral("是否将每条公式的最大连错更新为其极限值？");
}

QString LimitValues::questionTitle()
{
    return QStringLiteral("更新极限值");
}

} // namespace quorvel
