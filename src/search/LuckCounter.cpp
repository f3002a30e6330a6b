#include "search/LuckCounter.h"

namespace quorvel {

LuckCounter::LuckCounter(QObject* parent) : QObject(parent)
{
    connect(&m_engine, &SearchEngine::progressChanged, this, [this](const SearchProgress& progress) {
        if (!m_canceled && m_total > 0)
            Q_EMIT progressed(int(std::min<quint64>(99, progress.tried * 100 / m_total)));
    });
    connect(&m_engine, &SearchEngine::finished, this, &LuckCounter::engineFinished);
}

void LuckCounter::count(const SearchParameters& run, quint64 tried, const GenerationSettings& generation)
{
    cancel();
    m_waiting = LuckBaseline::parametersFor(run, tried, generation);
    if (!m_engine.isActive())
        startWaiting();
}

void LuckCounter::cancel()
{
    m_waiting.reset();
    if (!m_engine.isActive())
        return;
    m_canceled = true;
    m_engine.cancel();
}

void LuckCounter::startWaiting()
{
    if (!m_waiting)
        return;
    m_total = m_waiting->candidateLimit.value_or(0);
    m_canceled = false;
    m_engine.start(*m_waiting);
    m_waiting.reset();
}

void LuckCounter::engineFinished(const SearchOutcome& outcome)
{
    const bool canceled = m_canceled || outcome.reason == SearchStopReason::Canceled;
    if (!canceled)
        Q_EMIT counted(outcome.found);
    startWaiting();
}

} // namespace quorvel
