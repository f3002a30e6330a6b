#include "search/FamilywiseCounter.h"

#include <algorithm>

namespace quorvel {

FamilywiseCounter::FamilywiseCounter(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<FamilywiseOutcome>();
    connect(&m_job, &JobSignals::progressValueChanged, this, [this](int percent) {
        if (isCounting())
            Q_EMIT progressed(percent);
    });
    connect(&m_job, &JobSignals::finished, this, &FamilywiseCounter::jobFinished);
}

void FamilywiseCounter::count(const FamilywiseParameters& parameters,
                              const std::vector<FoundFormula>& formulas)
{
    cancel();
    m_waiting = Request{parameters, formulas};
    if (!m_job.isRunning())
        startWaiting();
}

void FamilywiseCounter::cancel()
{
    m_waiting.reset();
    m_job.cancel();
}

void FamilywiseCounter::run(QPromise<FamilywiseOutcome>& promise, const FamilywiseParameters& parameters,
                            const std::vector<FoundFormula>& formulas)
{
    promise.setProgressRange(0, 100);
    const std::optional<FamilywiseNull> null =
        FamilywiseChance::nullOf(parameters, [&promise](quint64 done, quint64 total) {
            promise.setProgressValue(int(std::min<quint64>(99, total > 0 ? done * 100 / total : 0)));
            return !promise.isCanceled();
        });
    if (!null)
        return;
    FamilywiseOutcome outcome;
    outcome.null = *null;
    for (const double score : FamilywiseChance::scoresOf(formulas, parameters))
        outcome.chances.push_back(null->chanceOf(score));
    promise.addResult(std::move(outcome));
}

void FamilywiseCounter::startWaiting()
{
    if (!m_waiting)
        return;
    const Request request = std::move(*m_waiting);
    m_waiting.reset();
    m_job.start([request](QPromise<FamilywiseOutcome>& promise) {
        run(promise, request.parameters, request.formulas);
    });
}

void FamilywiseCounter::jobFinished()
{
    if (!m_job.isCanceled() && m_job.hasResult())
        Q_EMIT counted(m_job.result());
    startWaiting();
}

} // namespace quorvel
