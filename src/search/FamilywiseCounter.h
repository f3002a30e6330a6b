#pragma once

#include "core/Job.h"
#include "search/FamilywiseChance.h"
#include "search/FoundFormula.h"

#include <QObject>

#include <optional>
#include <vector>

namespace quorvel {

// The family-wise chances of a search run's found formulas, with the null they were read from.
struct FamilywiseOutcome
{
    std::vector<double> chances; // P_FW of each formula, in the order given
    FamilywiseNull null;
};

// Works out the family-wise chances of a run's found formulas on a worker thread, one count at a
// time; signals arrive on the thread that made it. A count asked for while a canceled one is still
// ending starts as soon as that one has ended.
class FamilywiseCounter : public QObject
{
    Q_OBJECT

public:
    explicit FamilywiseCounter(QObject* parent = nullptr);

    // Starts the count of `formulas` against `parameters`, dropping a count still going on.
    void count(const FamilywiseParameters& parameters, const std::vector<FoundFormula>& formulas);
    // Drops the count going on, if any: counted() does not follow.
    void cancel();
    bool isCounting() const { return m_job.isRunning() && !m_job.isCanceled(); }

    // Work out the chances of `formulas` against `parameters`, stopping when `promise` is canceled.
    static void run(QPromise<FamilywiseOutcome>& promise, const FamilywiseParameters& parameters,
                    const std::vector<FoundFormula>& formulas);

Q_SIGNALS:
    void progressed(int percent);
    void counted(const quorvel::FamilywiseOutcome& outcome);

private:
    void startWaiting();
    void jobFinished();

    struct Request
    {
        FamilywiseParameters parameters;
        std::vector<FoundFormula> formulas;
    };

    Job<FamilywiseOutcome> m_job;
    std::optional<Request> m_waiting;
};

} // namespace quorvel

Q_DECLARE_METATYPE(quorvel::FamilywiseOutcome)
