#include "search/SearchScheme.h"

namespace quorvel {

std::optional<int> SchemePlan::targetOf(int position) const
{
    const std::optional<int>& target = targets[std::size_t(position - 1)];
    if (!target)
        return std::nullopt;
    // A target of 0 asks for no formula: searched, the position would still take the candidate it
    // tries first whenever that one is accepted.
    const int missing =
        mode == SchemeCountMode::New ? *target : *target - existingCounts[std::size_t(position - 1)];
    return missing > 0 ? std::optional(missing) : std::nullopt;
}

std::array<int, kPositionCount>
SchemePlan::existingCountsFor(const std::array<std::optional<int>, kPositionCount>& targets,
                              const std::array<int, kPositionCount>& tableCounts)
{
    std::array<int, kPositionCount> counts{};
    for (std::size_t p = 0; p < counts.size(); ++p)
        counts[p] = targets[p] ? tableCounts[p] : 0;
    return counts;
}

int SchemePlan::plannedTotal(const std::array<std::optional<int>, kPositionCount>& targets,
                             const std::array<int, kPositionCount>& tableCounts, SchemeCountMode mode,
                             int existingTotal)
{
    int sum = 0;
    for (std::size_t p = 0; p < targets.size(); ++p) {
        const int target = targets[p].value_or(0);
        if (mode == SchemeCountMode::New)
            sum += target;
        else if (tableCounts[p] < target)
            sum += target - tableCounts[p];
    }
    return sum + existingTotal;
}

SearchParameters SchemeParameters::searchFor(int position, int target, int foundListRoom) const
{
    SearchParameters search;
    search.history = history;
    search.generation.position = position;
    search.generation.kill = kill;
    search.generation.operandCount = operandCounts[std::size_t(position - 1)];
    search.generation.constant = constant;
    search.generation.shape = shape;
    search.bounds = bounds[std::size_t(position - 1)];
    search.periods = periods;
    search.seed = CandidateRandom::mix(seed + quint64(position));
    search.foundTarget = target;
    search.foundListRoom = foundListRoom;
    search.threads = threads;
    search.stored = stored;
    return search;
}

SearchScheme::SearchScheme(QObject* parent) : QObject(parent)
{
    connect(&m_engine, &SearchEngine::formulasFound, this, [this](const FoundBatch& formulas) {
        m_found += int(formulas.size());
        m_outcome.positions[std::size_t(m_position - 1)].found += int(formulas.size());
        Q_EMIT formulasFound(formulas);
    });
    connect(&m_engine, &SearchEngine::progressChanged, this, [this](SearchProgress progress) {
        progress.tried += m_outcome.tried;
        progress.repeats += m_outcome.repeats;
        Q_EMIT progressChanged(progress);
    });
    connect(&m_engine, &SearchEngine::finished, this, &SearchScheme::positionFinished);
}

SearchScheme::~SearchScheme() = default;

bool SearchScheme::start(const SchemeParameters& parameters)
{
    if (m_active || m_engine.isActive())
        return false;
    m_parameters = parameters;
    m_outcome = SchemeOutcome{};
    m_found = 0;
    m_position = 0;
    m_active = true;
    m_paused = false;
    m_stopRequested = false;
    advance();
    return true;
}

void SearchScheme::pause()
{
    if (!m_active)
        return;
    m_paused = true;
    m_engine.pause();
}

void SearchScheme::resume()
{
    if (!m_active)
        return;
    m_paused = false;
    m_engine.resume();
}

void SearchScheme::stop()
{
    if (!m_active)
        return;
    m_stopRequested = true;
    m_engine.stop();
}

void SearchScheme::setFormOptions(const std::optional<int>& constant, FormulaText::Shape shape)
{
    m_parameters.constant = constant;
    m_parameters.shape = shape;
    if (m_active && m_position >= 1 && m_position <= kPositionCount) {
        GenerationSettings settings = m_parameters.searchFor(m_position, 0, 0).generation;
        m_engine.setLiveSettings(settings);
    }
}

// Moves to the next position that is searched and starts its run, or ends the scheme.
void SearchScheme::advance()
{
    if (m_stopRequested) {
        end(false, SearchStopReason::Stopped);
        return;
    }
    while (++m_position <= kPositionCount) {
        const std::optional<int> target = m_parameters.plan.targetOf(m_position);
        SchemePositionResult& result = m_outcome.positions[std::size_t(m_position - 1)];
        if (!target) {
            Q_EMIT positionStarted(m_position, 0);
            Q_EMIT positionDone(m_position, true);
            continue;
        }
        result.skipped = false;
        result.target = *target;
        Q_EMIT positionStarted(m_position, *target);
        m_engine.start(m_parameters.searchFor(m_position, *target, FoundList::kCapacity - m_found));
        if (m_paused)
            m_engine.pause();
        return;
    }
    end(true, SearchStopReason::TargetReached);
}

void SearchScheme::positionFinished(const SearchOutcome& outcome)
{
    if (!m_active)
        return;
    m_outcome.tried += outcome.tried;
    m_outcome.repeats += outcome.repeats;
    m_outcome.positions[std::size_t(m_position - 1)].tried = outcome.tried;
    if (outcome.reason != SearchStopReason::TargetReached) {
        end(false, outcome.reason);
        return;
    }
    Q_EMIT positionDone(m_position, false);
    // The next run starts once the engine has finished handing this one over.
    QMetaObject::invokeMethod(this, &SearchScheme::advance, Qt::QueuedConnection);
}

void SearchScheme::end(bool completed, SearchStopReason reason)
{
    m_active = false;
    m_stopRequested = false;
    m_paused = false;
    m_outcome.completed = completed;
    m_outcome.reason = reason;
    m_outcome.store = completed ? m_parameters.autoStore : SchemeAutoStore::None;
    Q_EMIT finished(m_outcome);
}

SchemeOutcome SearchScheme::runToEnd(const SchemeParameters& parameters)
{
    SchemeOutcome outcome;
    outcome.completed = true;
    for (int position = 1; position <= kPositionCount; ++position) {
        const std::optional<int> target = parameters.plan.targetOf(position);
        if (!target)
            continue;
        SchemePositionResult& result = outcome.positions[std::size_t(position - 1)];
        result.skipped = false;
        result.target = *target;
        std::vector<FoundFormula> found;
        const SearchOutcome run = SearchRun::runToEnd(
            parameters.searchFor(position, *target, FoundList::kCapacity - int(outcome.found.size())), found);
        result.found = run.found;
        result.tried = run.tried;
        outcome.tried += run.tried;
        outcome.repeats += run.repeats;
        outcome.found.insert(outcome.found.end(), found.begin(), found.end());
        if (run.reason != SearchStopReason::TargetReached) {
            outcome.completed = false;
            outcome.reason = run.reason;
            break;
        }
    }
    if (outcome.completed)
        outcome.reason = SearchStopReason::TargetReached;
    outcome.store = outcome.completed ? parameters.autoStore : SchemeAutoStore::None;
    return outcome;
}

} // namespace quorvel
