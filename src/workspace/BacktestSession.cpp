#include "workspace/BacktestSession.h"

#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/ThreadStart.h"
#include "workspace/Workspace.h"

namespace quorvel {

BacktestSession::BacktestSession(Workspace& workspace, QObject* parent) : QObject(parent), m_workspace(workspace)
{
    connect(&m_job, &JobSignals::finished, this, &BacktestSession::ended);
}

Result<Job<BacktestResult>::Work> BacktestSession::work(const Request& request) const
{
    const Result<Database*> storage = m_workspace.storage();
    if (!storage)
        return storage.failure();
    BacktestParams params;
    params.method = request.method;
    params.kill = m_workspace.currentKindIsKill();
    params.shownPosition = m_workspace.currentPosition();
    params.selection = request.selection;
    params.quota = request.best.quota;
    params.keys = request.best.keys;
    const VerificationSettings verification = m_workspace.verificationSettings();
    params.periods = verification.periods;
    params.excludeCurrentPeriod = verification.excludeCurrentPeriod;
    params.targets = request.targets;
    for (int q = 1; q <= params.shownPosition; ++q) {
        const Result<std::vector<FormulaRecord>> records = (*storage)->formulas().read(q, params.kill);
        if (!records)
            return records.failure();
        std::vector<PredictionFormula>& table = params.tables[std::size_t(q - 1)];
        table.reserve(records->size());
        for (const FormulaRecord& record : *records)
            table.push_back(
                {record.idx.value_or(0), record.code, record.kill, std::nullopt, record.displayText});
    }
    return Job<BacktestResult>::Work(
        [history = m_workspace.history(), params = std::move(params)](QPromise<BacktestResult>& promise) {
            Backtest::run(promise, history, params);
        });
}

Status BacktestSession::start(const Request& request)
{
    if (isRunning())
        return success();
    const Result<Job<BacktestResult>::Work> replay = work(request);
    if (!replay)
        return replay.failure();
    m_job.start(*replay);
    return success();
}

Result<BacktestResult> BacktestSession::run(const Request& request)
{
    const Result<Job<BacktestResult>::Work> replay = work(request);
    if (!replay)
        return replay.failure();
    m_job.run(*replay);
    if (!m_completed)
        return Failure{outOfMemoryMessage()};
    return *m_result;
}

void BacktestSession::cancel()
{
    m_job.cancel();
}

void BacktestSession::ended()
{
    m_completed = m_job.hasResult() && !m_job.isCanceled();
    if (m_completed)
        m_result = m_job.result();
    Q_EMIT finished();
}

} // namespace quorvel
