#pragma once

#include "search/LuckBaseline.h"
#include "search/SearchEngine.h"

#include <QObject>

#include <optional>

namespace quorvel {

// Counts the luck baseline of a search run on worker threads, one count at a time; signals
// arrive on the thread that made it. A count asked for while a canceled one is still ending
// starts as soon as that one has ended.
class LuckCounter : public QObject
{
    Q_OBJECT

public:
    explicit LuckCounter(QObject* parent = nullptr);

    // Starts counting the baseline of the `tried` candidates `run` tried (see LuckBaseline),
    // dropping a count still going on.
    void count(const SearchParameters& run, quint64 tried, const GenerationSettings& generation);
    // Drops the count going on, if any: counted() does not follow.
    void cancel();
    bool isCounting() const { return m_engine.isActive() && !m_canceled; }

Q_SIGNALS:
    void progressed(int percent);
    void counted(int luck);

private:
    void startWaiting();
    void engineFinished(const SearchOutcome& outcome);

    SearchEngine m_engine;
    std::optional<SearchParameters> m_waiting;
    quint64 m_total = 0;
    bool m_canceled = false;
};

} // namespace quorvel
