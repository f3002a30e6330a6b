#include "search/SearchSettings.h"

#include "core/Settings.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvel {

SearchSettings::SearchSettings(Settings& settings) : m_settings(settings)
{
    load();
}

void SearchSettings::load()
{
    for (int position = 1; position <= kPositionCount; ++position) {
        for (const bool kill : {false, true})
            m_bounds[std::size_t(position - 1)][kill ? 1 : 0] = stored(m_settings, position, kill);
    }
}

AcceptanceBounds SearchSettings::stored(const Settings& settings, int position, bool kill)
{
    AcceptanceBounds bounds;
    for (int bound = AcceptanceBounds::kFirstNumber; bound <= AcceptanceBounds::kLastNumber; ++bound)
        bounds.setBound(bound, settings.categoryBound(position, kill, bound));
    for (int lower = AcceptanceBounds::kFirstNumber; lower < AcceptanceBounds::kLastNumber; lower += 2) {
        if (bounds.isInverted(lower)) {
            bounds.setBound(lower, Settings::defaultCategoryBound(kill, lower));
            bounds.setBound(lower + 1, Settings::defaultCategoryBound(kill, lower + 1));
        }
    }
    return bounds;
}

const AcceptanceBounds& SearchSettings::bounds(int position, bool kill) const
{
    Q_ASSERT(position >= 1 && position <= kPositionCount);
    return m_bounds[std::size_t(position - 1)][kill ? 1 : 0];
}

void SearchSettings::saveCategory(int position, bool kill, const AcceptanceBounds& bounds, int operandCount)
{
    Q_ASSERT(position >= 1 && position <= kPositionCount);
    m_bounds[std::size_t(position - 1)][kill ? 1 : 0] = bounds;
    for (int bound = AcceptanceBounds::kFirstNumber; bound <= AcceptanceBounds::kLastNumber; ++bound)
        m_settings.setCategoryBound(position, kill, bound, bounds.bound(bound));
    setOperandCount(position, operandCount);
}

int SearchSettings::operandCount(int position) const
{
    return m_settings.operandCount(position);
}

void SearchSettings::setOperandCount(int position, int count)
{
    m_settings.setOperandCount(position, count);
}

std::array<int, kPositionCount> SearchSettings::schemeTargets(bool kill) const
{
    std::array<int, kPositionCount> targets{};
    for (int position = 1; position <= kPositionCount; ++position)
        targets[std::size_t(position - 1)] = m_settings.schemeTarget(position, kill);
    return targets;
}

void SearchSettings::saveSchemeTargets(bool kill, const std::array<int, kPositionCount>& targets)
{
    for (int position = 1; position <= kPositionCount; ++position)
        m_settings.setSchemeTarget(position, kill, targets[std::size_t(position - 1)]);
}

std::optional<double> SearchSettings::parsedNumber(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double SearchSettings::numberIn(const QString& text)
{
    return parsedNumber(text).value_or(0.0);
}

std::optional<int> SearchSettings::targetIn(const QString& text)
{
    const std::optional<double> value = parsedNumber(text);
    if (!value)
        return std::nullopt;
    constexpr double kLargest = std::numeric_limits<int>::max();
    return int(std::clamp(std::ceil(*value), -kLargest, kLargest));
}

QString SearchSettings::numberText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace quorvel
