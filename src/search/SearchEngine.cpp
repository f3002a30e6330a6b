#include "search/SearchEngine.h"

#include "core/ThreadStart.h"

#include <QtConcurrent/QtConcurrentRun>

#include <new>

namespace quorvel {

SearchEngine::SearchEngine(QObject* parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
    m_progressTimer.setInterval(250);
    connect(&m_progressTimer, &QTimer::timeout, this, [this] { emit progressChanged(progress()); });
    connect(&m_watcher, &QFutureWatcher<FoundBatch>::resultsReadyAt, this, &SearchEngine::deliverResults);
    connect(&m_watcher, &QFutureWatcher<FoundBatch>::finished, this, &SearchEngine::finish);
}

SearchEngine::~SearchEngine()
{
    m_watcher.disconnect(this);
    if (m_future.isValid()) {
        m_future.cancel();
        m_future.waitForFinished();
    }
}

bool SearchEngine::start(const SearchParameters& parameters)
{
    if (m_active)
        return false;
    m_live = std::make_shared<SearchLiveSettings>(parameters.generation);
    m_run = std::make_shared<SearchRun>(parameters, m_live);
    m_outcome = std::make_shared<SearchOutcome>();
    static const DrawTable empty;
    m_shownScorer = std::make_unique<CandidateScorer>(parameters.history ? *parameters.history : empty,
                                                      parameters.periods);
    m_active = true;
    // The run's own thread comes from a pool, which would wait forever for a thread that cannot
    // start: then the run ends at once for want of memory, on a later turn of the event loop as
    // every other end does.
    if (!threadCanStart()) {
        m_outcome->reason = SearchStopReason::OutOfMemory;
        QTimer::singleShot(0, this, &SearchEngine::finish);
        return true;
    }
    m_future = QtConcurrent::run(&m_pool, [run = m_run, outcome = m_outcome](QPromise<FoundBatch>& promise) {
        try {
            *outcome = run->execute(promise);
        } catch (const std::bad_alloc&) {
            outcome->reason = SearchStopReason::OutOfMemory;
        }
    });
    m_watcher.setFuture(m_future);
    m_progressTimer.start();
    return true;
}

bool SearchEngine::isPaused() const
{
    return m_active && (m_future.isSuspending() || m_future.isSuspended());
}

void SearchEngine::pause()
{
    if (m_active)
        m_future.suspend();
}

void SearchEngine::resume()
{
    if (m_active)
        m_future.resume();
}

void SearchEngine::stop()
{
    if (!m_active)
        return;
    m_run->requestStop();
    m_future.resume();
}

void SearchEngine::cancel()
{
    if (m_active)
        m_future.cancel();
}

void SearchEngine::setLiveSettings(const GenerationSettings& settings)
{
    if (m_live)
        m_live->set(settings);
}

SearchProgress SearchEngine::progress()
{
    SearchProgress progress;
    if (!m_run)
        return progress;
    progress.tried = m_run->tried();
    progress.found = m_run->found();
    if (progress.tried == 0)
        return progress;
    // Candidate i of a run is a function of the seed and i: score the newest one here again.
    const SearchParameters& parameters = m_run->parameters();
    GenerationSettings settings = m_live->get();
    settings.position = std::clamp(settings.position, 1, kPositionCount);
    const quint64 index = parameters.firstCandidate + progress.tried - 1;
    const Candidate candidate = CandidateGenerator::candidateAt(parameters.seed, index, settings);
    const CandidateRuns runs =
        m_shownScorer->score(candidate, settings.position, settings.kill, m_shownBuffers);
    progress.shown = FoundFormula{CandidateGenerator::code(candidate),
                                  CandidateGenerator::displayText(candidate, settings),
                                  settings.position,
                                  runs.statistics(),
                                  index,
                                  settings.kill};
    return progress;
}

void SearchEngine::waitForThreads()
{
    if (m_future.isValid())
        m_future.waitForFinished();
}

void SearchEngine::deliverResults(int begin, int end)
{
    FoundBatch formulas;
    for (int i = begin; i < end; ++i)
        formulas.append(m_future.resultAt(i));
    emit formulasFound(formulas);
}

void SearchEngine::finish()
{
    m_progressTimer.stop();
    m_active = false;
    const SearchOutcome outcome = *m_outcome;
    emit progressChanged(progress());
    emit finished(outcome);
}

} // namespace quorvel
