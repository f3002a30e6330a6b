#pragma once

#include "core/ThreadStart.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <functional>
#include <new>
#include <utility>

namespace quorvel {

// The signals of a Job, which a template cannot declare itself. They arrive on the thread that
// owns the job.
class JobSignals : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether the system could not give the last run a thread or the memory it asked for: it then
    // ended at once, or where it ran out, without a result.
    bool ranOutOfMemory() const { return m_outOfMemory; }

Q_SIGNALS:
    void progressRangeChanged(int minimum, int maximum);
    void progressValueChanged(int value);
    void progressTextChanged(const QString& text);
    // Results [begin, end) have been added since the last such signal (work that reports as it goes).
    void resultsReadyAt(int begin, int end);
    // Once per start, after every result: finished, cancelled, or out of memory.
    void finished();

protected:
    bool m_outOfMemory = false;
};

// One piece of long work at a time on a worker thread, for an owner on the calling thread: the
// parameters go in with the work function, the result comes out of the promise the work fills,
// and progress, pause and cancel go through that promise as Qt Concurrent defines them. The
// window and the companion run every operation that can take more than a moment through it.
//
//     Job<BacktestResult> job;
//     connect(&job, &JobSignals::finished, ...);
//     job.start([history, params](QPromise<BacktestResult>& promise) { Backtest::run(promise, ...); });
template <typename Result>
class Job : public JobSignals
{
public:
    using Work = std::function<void(QPromise<Result>&)>;

    explicit Job(QObject* parent = nullptr) : JobSignals(parent)
    {
        connect(&m_watcher, &QFutureWatcherBase::progressRangeChanged, this, &JobSignals::progressRangeChanged);
        connect(&m_watcher, &QFutureWatcherBase::progressValueChanged, this, &JobSignals::progressValueChanged);
        connect(&m_watcher, &QFutureWatcherBase::progressTextChanged, this, &JobSignals::progressTextChanged);
        connect(&m_watcher, &QFutureWatcherBase::resultsReadyAt, this, &JobSignals::resultsReadyAt);
        connect(&m_watcher, &QFutureWatcherBase::finished, this, &Job::end);
    }

    // Cancels a run still going and waits for its thread: nothing outlives the owner.
    ~Job() override
    {
        m_watcher.disconnect(this);
        cancel();
        waitForFinished();
    }

    // The pool the work runs in; the global one unless set (a pool of one thread keeps runs of
    // one kind from overlapping another owner's).
    void setThreadPool(QThreadPool* pool) { m_pool = pool; }

    // Starts the work; false while an earlier run has not finished. When no thread can start, the
    // run ends at once with ranOutOfMemory(), on a later turn of the event loop as every end does.
    bool start(Work work)
    {
        if (m_running)
            return false;
        if (!launch(std::move(work), /*watched=*/true))
            QTimer::singleShot(0, this, &Job::end);
        return true;
    }

    // Runs the work on a worker and waits for its end, for a caller without an event loop (the
    // companion): finished() has been emitted and the result is in hand when it returns. Progress
    // signals are not sent. False while an earlier run has not finished.
    bool run(Work work)
    {
        if (m_running)
            return false;
        launch(std::move(work), /*watched=*/false);
        waitForFinished();
        end();
        return true;
    }

    bool isRunning() const { return m_running; }
    bool isCanceled() const { return m_future.isCanceled(); }
    bool isPaused() const { return m_running && (m_future.isSuspending() || m_future.isSuspended()); }

    void cancel()
    {
        if (m_future.isValid())
            m_future.cancel();
    }
    void setPaused(bool paused)
    {
        if (m_running && m_future.isValid())
            m_future.setSuspended(paused);
    }

    // Blocks until the work has ended (finished() still arrives through the event loop).
    void waitForFinished()
    {
        if (m_future.isValid())
            m_future.waitForFinished();
    }

    QFuture<Result> future() const { return m_future; }
    // Whether the last run gave a result (not cancelled before it, not out of memory).
    bool hasResult() const { return m_future.isValid() && m_future.resultCount() > 0; }
    Result result() const { return m_future.result(); }
    Result resultAt(int index) const { return m_future.resultAt(index); }

private:
    // Hands the work to the pool: false when no thread could start, the run then ends without a
    // result. A watched run reports its progress and end through the watcher.
    bool launch(Work work, bool watched)
    {
        m_running = true;
        m_outOfMemory = false;
        if (!threadCanStart()) {
            m_outOfMemory = true;
            m_future = QFuture<Result>();
            return false;
        }
        m_workOutOfMemory.store(false);
        auto* pool = m_pool ? m_pool : QThreadPool::globalInstance();
        m_future = QtConcurrent::run(pool, [work = std::move(work), flag = &m_workOutOfMemory](QPromise<Result>& promise) {
            try {
                work(promise);
            } catch (const std::bad_alloc&) {
                flag->store(true);
            }
        });
        if (watched)
            m_watcher.setFuture(m_future);
        return true;
    }

    void end()
    {
        if (!m_running)
            return;
        m_running = false;
        if (m_workOutOfMemory.load())
            m_outOfMemory = true;
        Q_EMIT finished();
    }

    QFutureWatcher<Result> m_watcher;
    QFuture<Result> m_future;
    QThreadPool* m_pool = nullptr;
    std::atomic<bool> m_workOutOfMemory{false};
    bool m_running = false;
};

} // namespace quorvel

