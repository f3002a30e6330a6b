#include "verification/FormulaFilter.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

constexpr double kTolerance = 0.0001;
constexpr int kNoLowerBound = 32767;

std::array<int, 4> statisticsOf(const FilterRow& row)
{
    return {row.statistics.maxMisses, row.statistics.maxHits, row.statistics.lastMisses,
            row.statistics.lastHits};
}

} // namespace

int FormulaFilter::applyLimitFilter(const std::vector<FilterRow>& rows, std::vector<char>& marks)
{
    Q_ASSERT(marks.size() == rows.size());
    for (std::size_t k = 0; k < rows.size() && k < marks.size(); ++k) {
        if (rows[k].statistics.lastMisses < rows[k].limit.value_or(0))
            marks[k] = 0;
    }
    return selectedCount(marks);
}

std::array<int, 8> FormulaFilter::prefilledBounds(const std::vector<FilterRow>& rows,
                                                  const std::vector<char>& marks)
{
    std::array<int, 8> bounds{};
    for (std::size_t s = 0; s < 4; ++s) {
        bounds[2 * s] = kNoLowerBound;
        bounds[2 * s + 1] = 0;
    }
    for (std::size_t k = 0; k < rows.size() && k < marks.size(); ++k) {
        if (!marks[k])
            continue;
        const std::array<int, 4> values = statisticsOf(rows[k]);
        for (std::size_t s = 0; s < 4; ++s) {
            bounds[2 * s] = std::min(bounds[2 * s], values[s]);
            bounds[2 * s + 1] = std::max(bounds[2 * s + 1], values[s]);
        }
    }
    return bounds;
}

double FormulaFilter::boxValue(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

RangeBounds FormulaFilter::boundsFromTexts(const std::array<QString, 8>& texts)
{
    RangeBounds bounds;
    for (std::size_t i = 0; i < texts.size(); ++i)
        bounds.values[i] = boxValue(texts[i]);
    return bounds;
}

int FormulaFilter::applyRangeFilter(const std::vector<FilterRow>& rows, const RangeBounds& bounds,
                                    std::vector<char>& marks)
{
    Q_ASSERT(marks.size() == rows.size());
    for (std::size_t k = 0; k < rows.size() && k < marks.size(); ++k) {
        const std::array<int, 4> values = statisticsOf(rows[k]);
        for (int s = 0; s < 4; ++s) {
            const double v = values[std::size_t(s)];
            if (v < bounds.lower(s) - kTolerance || v > bounds.upper(s) + kTolerance) {
                marks[k] = 0;
                break;
            }
        }
    }
    return selectedCount(marks);
}

int FormulaFilter::selectedCount(const std::vector<char>& marks)
{
    return int(std::count_if(marks.begin(), marks.end(), [](char mark) { return mark != 0; }));
}

QString FormulaFilter::resultMessage(int remaining)
{
    return QStringLiteral("过滤后公式剩余") + QString::number(remaining) + QStringLiteral("条");
}

QString FormulaFilter::resultTitle()
{
    return QStringLiteral("公式过滤结果");
}

} // namespace quorvel
