#pragma once

#include "core/Job.h"
#include "core/Result.h"
#include "verification/Backtest.h"
#include "workspace/PredictionState.h"

#include <QObject>

#include <optional>

namespace quorvel {

class Workspace;

// The backtest of the main window's prediction, as the backtest window and the companion's
// `backtest` both run it. It replays the formulas of positions 1..p* (the position of the formula
// list) of the current kind, with the verification window N and flag B of the settings (the
// weighting W plays no part), and the method, marks and sort settings given; the replay runs
// through the runner on a snapshot of the history.
class BacktestSession : public QObject
{
    Q_OBJECT
public:
    explicit BacktestSession(Workspace& workspace, QObject* parent = nullptr);

    struct Request
    {
        int targets = 100; // M: the newest M draws are replayed
        PredictionMethod method = PredictionMethod::SelectedFormulas;
        ListSelection selection = ListSelection::allExcept({});
        BestFormulaSettings best; // the best-formula method's quota and sort keys
    };

    // What the backtest window replays: the method chosen in the settings, the marks of the
    // formula list and the sort settings of the last prediction (the initial ones until then).
    Request shownRequest(int targets, const PredictionState& state) const;
    // The line that tells the user what shownRequest() replays and how a pick is judged.
    QString description(const PredictionState& state) const;

    // Starts a run on a worker; finished() follows. A failure (the formulas could not be read)
    // starts nothing; while a run is in hand nothing starts.
    Status start(const Request& request);
    // Runs and waits, for the companion.
    Result<BacktestResult> run(const Request& request);
    void cancel();
    bool isRunning() const { return m_job.isRunning(); }
    // Progress of the run: the formulas evaluated.
    const JobSignals& progress() const { return m_job; }
    // Whether the last run ended for want of a thread or memory.
    bool ranOutOfMemory() const { return m_job.ranOutOfMemory(); }
    // Whether the last run ended with its result, not cancelled nor out of memory.
    bool completed() const { return m_completed; }
    // The result of the last run that completed.
    const std::optional<BacktestResult>& result() const { return m_result; }

Q_SIGNALS:
    void finished(); // a run ended: with a result, cancelled or out of memory

private:
    // The replay of a request on the history as it is now; a failure when the formulas cannot be read.
    Result<Job<BacktestResult>::Work> work(const Request& request) const;
    void ended();

    Workspace& m_workspace;
    Job<BacktestResult> m_job;
    std::optional<BacktestResult> m_result;
    bool m_completed = false;
};

} // namespace quorvel
