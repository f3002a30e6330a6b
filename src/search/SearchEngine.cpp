#include "search/SearchEngine.h"

namespace quorvel {

SearchEngine::SearchEngine(QObject* parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
    m_job.setThreadPool(&m_pool);
    m_progressTimer.setInterval(250);
    connect(&m_progressTimer, &QTimer::timeout, this, [this] { Q_EMIT progressChanged(progress()); });
    connect(&m_job, &JobSignals::resultsReadyAt, this, &SearchEngine::deliverResults);
    connect(&m_job, &JobSignals::finished, this, &SearchEngine::finish);
}

// The job cancels a run still going and waits for its thread as it is destroyed.
SearchEngine::~SearchEngine()
{
    m_job.disconnect(this);
}

bool SearchEngine::start(const SearchParameters& parameters)
{
    if (m_job.isRunning())
        return false;
    m_live = std::make_shared<SearchLiveSettings>(parameters.generation);
    m_run = std::make_shared<SearchRun>(parameters, m_live);
    m_outcome = std::make_shared<SearchOutcome>();
    static const DrawTable empty;
    m_shownScorer = std::make_unique<CandidateScorer>(parameters.history ? *parameters.history : empty,
                                                      parameters.periods);
    m_job.start([run = m_run, outcome = m_outcome](QPromise<FoundBatch>& promise) {
        *outcome = run->execute(promise);
    });
    if (m_job.isRunning() && !m_job.ranOutOfMemory())
        m_progressTimer.start();
    return true;
}

void SearchEngine::pause()
{
    m_job.setPaused(true);
}

void SearchEngine::resume()
{
    m_job.setPaused(false);
}

void SearchEngine::stop()
{
    if (!m_job.isRunning())
        return;
    m_run->requestStop();
    m_job.setPaused(false);
}

void SearchEngine::cancel()
{
    if (m_job.isRunning())
        m_job.cancel();
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
    progress.repeats = m_run->repeats();
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
    m_job.waitForFinished();
}

void SearchEngine::deliverResults(int begin, int end)
{
    FoundBatch formulas;
    for (int i = begin; i < end; ++i)
        formulas.append(m_job.resultAt(i));
    Q_EMIT formulasFound(formulas);
}

void SearchEngine::finish()
{
    m_progressTimer.stop();
    // No thread could start, or the run ran out of memory where it was: nothing of it may count.
    if (m_job.ranOutOfMemory())
        m_outcome->reason = SearchStopReason::OutOfMemory;
    const SearchOutcome outcome = *m_outcome;
    Q_EMIT progressChanged(progress());
    Q_EMIT finished(outcome);
}

} // namespace quorvel
