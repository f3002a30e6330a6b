#pragma once

#include "search/CandidateGenerator.h"

#include <QMutex>

#include <atomic>

namespace quorvel {

// The settings of a running search that the user may change while it runs (kind, position,
// operand count, display form, end constant). The window writes them; the search's threads read
// them again before every batch of candidates, so a change applies from the next candidates.
class SearchLiveSettings
{
public:
    explicit SearchLiveSettings(const GenerationSettings& settings);

    void set(const GenerationSettings& settings);
    GenerationSettings get() const;
    // Changes with every set(); a reader compares it before taking the lock.
    quint64 version() const { return m_version.load(std::memory_order_acquire); }

private:
    mutable QMutex m_mutex;
    GenerationSettings m_settings;
    std::atomic<quint64> m_version{0};
};

} // namespace quorvel
