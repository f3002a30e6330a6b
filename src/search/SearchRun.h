#pragma once

#include "core/DrawTable.h"
#include "search/AcceptanceBounds.h"
#include "search/AcceptanceScorer.h"
#include "search/CandidateGenerator.h"
#include "search/FoundFormula.h"
#include "search/FoundList.h"
#include "search/RepeatFilter.h"
#include "search/SearchLiveSettings.h"

#include <QMutex>
#include <QPromise>

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace quorvel {

// What one search run is asked to do.
struct SearchParameters
{
    std::shared_ptr<const DrawTable> history; // the snapshot every thread of the run reads
    GenerationSettings generation;            // at the start; a live settings object may change it
    AcceptanceBounds bounds;                  // read at the start and kept for the whole run
    int periods = 300;                        // window N of the main window (0 = all draws)
    quint64 seed = 0;
    quint64 firstCandidate = 0; // number of the first candidate: a continued run goes on from here
    // Stop after this many candidates (empty: no limit).
    std::optional<quint64> candidateLimit;
    // Stop after the candidate that brings the run's found count to this (empty: no target); a
    // target of 0 or below stops after the first candidate.
    std::optional<int> foundTarget;
    int foundListRoom = FoundList::kCapacity; // entries the FoundList can still take
    int threads = 0;                          // 0: one per core
    // Count the accepted candidates without handing them on (the found count is the count).
    bool countOnly = false;
    // The formulas the tables hold, which found formulas must not say again (null: none consulted).
    std::shared_ptr<const StoredCodes> stored;
};

enum class SearchStopReason
{
    CandidateLimit, // the candidates asked for are tried
    TargetReached,  // the found target is met
    FoundListFull,  // the FoundList has no room left
    Stopped,        // stopped by the user
    Canceled,       // canceled (window closed); what was not yet delivered is dropped
    OutOfMemory     // a thread could not start or an allocation failed: nothing of it may be stored
};

// How a run ended. The found formulas are the accepted ones among candidates
// firstCandidate .. firstCandidate + tried - 1 that say nothing an earlier one or a stored one says;
// the repeats are the accepted ones that do. Both are the same whatever the number of threads.
struct SearchOutcome
{
    quint64 tried = 0;
    int found = 0;
    int repeats = 0;
    SearchStopReason reason = SearchStopReason::Stopped;
    int threads = 1;
    qint64 elapsedNanoseconds = 0;

    double candidatesPerSecond() const
    {
        return elapsedNanoseconds > 0 ? double(tried) * 1e9 / double(elapsedNanoseconds) : 0.0;
    }
};

// The notice for a run that ended by itself for a reason the user should see; empty otherwise.
QString searchStopNotice(SearchStopReason reason);

// One search run: candidates drawn, scored and judged on the calling thread and (threads - 1)
// helper threads. The threads take batches of consecutive candidates; accepted candidates are
// judged for repeats and handed on in candidate order, a batch at a time, whichever thread finishes
// which batch first.
// Thread-safe: counters and stop requests may come from any thread while execute() runs.
class SearchRun
{
public:
    explicit SearchRun(SearchParameters parameters, std::shared_ptr<SearchLiveSettings> live = nullptr);
    ~SearchRun();
    SearchRun(const SearchRun&) = delete;
    SearchRun& operator=(const SearchRun&) = delete;

    // Runs to the end. Accepted candidates are added to the promise's results, one batch per
    // result, in candidate order; pauses while the
    // promise's future is suspended (within a few milliseconds), ends when it is canceled.
    SearchOutcome execute(QPromise<FoundBatch>& promise);

    // Ends the run after the candidates in hand; everything found before them is delivered.
    void requestStop() { m_stopRequested.store(true, std::memory_order_relaxed); }

    // Counters while it runs: candidates tried so far, formulas delivered so far, repeats met so far.
    quint64 tried() const { return m_tried.load(std::memory_order_relaxed); }
    int found() const { return m_found.load(std::memory_order_relaxed); }
    int repeats() const { return m_repeats.load(std::memory_order_relaxed); }
    int threadCount() const { return m_threads; }
    const SearchParameters& parameters() const { return m_parameters; }

    // Blocking convenience for the command line and tests: runs and returns the found formulas.
    static SearchOutcome runToEnd(const SearchParameters& parameters, std::vector<FoundFormula>& found);

    // Candidates a thread takes at a time, and how often it looks at pause and stop requests.
    static constexpr quint64 kBatchSize = 2048;
    static constexpr quint64 kCheckInterval = 64;

private:
    struct Batch
    {
        quint64 number = 0;
        quint64 start = 0;
        quint64 end = 0;                 // candidates start .. end - 1 were tried
        quint64 fullEnd = 0;             // where the batch would have ended
        std::vector<FoundFormula> found; // the accepted candidates, repeats not yet told apart
        std::vector<quint64> keys;       // their EquivalenceIndex keys, worked out on the batch's thread
    };

    void work(QPromise<FoundBatch>& promise);
    void publish(Batch&& batch, QPromise<FoundBatch>& promise);
    void close(SearchStopReason reason, quint64 end);
    // A thread could not start or an allocation failed: every thread stops, and the run ends so.
    void stopOutOfMemory();

    SearchParameters m_parameters;
    std::shared_ptr<SearchLiveSettings> m_live;
    int m_threads = 1;
    quint64 m_key = 0;
    std::optional<quint64> m_end; // one past the last candidate the run may try
    bool m_endIsTarget = false;   // the end comes from a target of 0 or below
    AcceptanceLimits m_limits;
    std::unique_ptr<AcceptanceScorer> m_scorer;
    std::unique_ptr<RepeatFilter> m_repeatFilter; // asked under m_mergeMutex, in candidate order

    // Read by every thread all the time; written rarely.
    alignas(64) std::atomic<bool> m_stopRequested{false};
    std::atomic<quint64> m_neededEnd; // candidates from here on are not needed any more
    // Written often, each on a cache line of its own.
    alignas(64) std::atomic<quint64> m_nextBatch{0};
    alignas(64) std::atomic<quint64> m_tried{0};
    alignas(64) std::atomic<int> m_found{0};
    std::atomic<int> m_repeats{0};

    QMutex m_mergeMutex;
    std::map<quint64, Batch> m_pending; // finished batches waiting for the ones before them
    quint64 m_nextToPublish = 0;
    quint64 m_publishedEnd = 0;
    int m_published = 0;
    int m_repeated = 0;
    bool m_closed = false;
    SearchStopReason m_closeReason = SearchStopReason::Stopped;
};

} // namespace quorvel
