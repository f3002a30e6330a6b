#include "search/SearchLiveSettings.h"

#include <QMutexLocker>

namespace quorvel {

SearchLiveSettings::SearchLiveSettings(const GenerationSettings& settings) : m_settings(settings) {}

void SearchLiveSettings::set(const GenerationSettings& settings)
{
    QMutexLocker lock(&m_mutex);
    m_settings = settings;
    m_version.fetch_add(1, std::memory_order_release);
}

GenerationSettings SearchLiveSettings::get() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings;
}

} // namespace quorvel
