#pragma once

#include "core/Job.h"
#include "search/CandidateScorer.h"
#include "search/FoundFormula.h"
#include "search/SearchLiveSettings.h"
#include "search/SearchRun.h"

#include <QList>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <memory>
#include <optional>

namespace quorvel {

// The counters of a running search and the candidate on show, sampled a few times a second.
struct SearchProgress
{
    quint64 tried = 0; // candidates tried since the start (`Text3`)
    int found = 0;     // formulas found by this run so far
    int repeats = 0;   // accepted candidates this run did not take: they say what another says
    // A recent candidate with its full statistics (`Text11`, `Text1(11)`..`Text1(14)`).
    std::optional<FoundFormula> shown;
};

// Runs one search at a time on worker threads, through the long-work runner, for a window that
// lives on the calling thread.
// Found formulas, progress and the end of the run arrive as signals on that thread: found
// formulas in candidate order, a batch at a time; progress every progressInterval() ms; finished
// once. Pause and continue take effect within a few milliseconds.
class SearchEngine : public QObject
{
    Q_OBJECT

public:
    explicit SearchEngine(QObject* parent = nullptr);
    ~SearchEngine() override; // cancels a run and waits for its threads

    // Starts a run; false while one is still active (until finished() has been emitted).
    bool start(const SearchParameters& parameters);
    bool isActive() const { return m_job.isRunning(); }
    bool isPaused() const { return m_job.isPaused(); }

    void pause();
    void resume();
    // Ends the run after the candidates in hand; everything found before them is delivered.
    void stop();
    // Ends the run at once; formulas not yet delivered are dropped.
    void cancel();

    // Kind, position, operand count, display form and end constant of the running search; they
    // apply from the next batch of candidates. The bounds stay those of the start.
    void setLiveSettings(const GenerationSettings& settings);

    // The counters now, and the newest candidate tried with its full statistics.
    SearchProgress progress();

    int progressInterval() const { return m_progressTimer.interval(); }
    void setProgressInterval(int milliseconds) { m_progressTimer.setInterval(milliseconds); }

    // Blocks until the run's threads have ended (finished() still arrives through the event loop).
    void waitForThreads();

Q_SIGNALS:
    void formulasFound(const QList<quorvel::FoundFormula>& formulas);
    void progressChanged(const quorvel::SearchProgress& progress);
    void finished(const quorvel::SearchOutcome& outcome);

private:
    void deliverResults(int begin, int end);
    void finish();

    QThreadPool m_pool; // the run's first thread; the run starts its helpers itself
    Job<FoundBatch> m_job;
    QTimer m_progressTimer;

    std::shared_ptr<SearchRun> m_run;
    std::shared_ptr<SearchLiveSettings> m_live;
    std::shared_ptr<SearchOutcome> m_outcome;
    // For the candidate on show, scored on this thread.
    std::unique_ptr<CandidateScorer> m_shownScorer;
    ScoreBuffers m_shownBuffers;
};

} // namespace quorvel

Q_DECLARE_METATYPE(quorvel::SearchProgress)
Q_DECLARE_METATYPE(quorvel::SearchOutcome)
