#include "search/SearchSession.h"

#include "core/Settings.h"
#include "core/ThreadStart.h"
#include "search/LuckBaseline.h"
#include "verification/ChanceBaseline.h"

namespace quorvel {

SearchSession::SearchSession(Settings& settings, HistorySource history, QObject* parent)
    : QObject(parent), m_settings(settings), m_store(settings), m_history(std::move(history))
{
    connect(&m_engine, &SearchEngine::formulasFound, this, &SearchSession::addFound);
    connect(&m_engine, &SearchEngine::progressChanged, this, &SearchSession::showProgress);
    connect(&m_engine, &SearchEngine::finished, this, &SearchSession::searchFinished);
    connect(&m_luck, &LuckCounter::progressed, this,
            [this](int percent) { showLuck(QStringLiteral("计算中 %1%").arg(percent)); });
    connect(&m_luck, &LuckCounter::counted, this, [this](int luck) {
        showLuck(QStringLiteral("%1 条").arg(luck));
        startFamilywise();
    });
    connect(&m_familywise, &FamilywiseCounter::progressed, this, [this](int percent) {
        m_familywiseText = QStringLiteral("，族概率计算中 %1%").arg(percent);
        showLuck(m_luckCount);
    });
    connect(&m_familywise, &FamilywiseCounter::counted, this, [this](const FamilywiseOutcome& outcome) {
        m_familywiseText = QStringLiteral("，打乱 %1 次，最佳偶然公式的随机概率中位数 %2")
                               .arg(outcome.null.best.size())
                               .arg(ChanceBaseline::percentText(outcome.null.median()));
        showLuck(m_luckCount);
        Q_EMIT familywiseReady(outcome.chances);
    });

    connect(&m_scheme, &SearchScheme::formulasFound, this, &SearchSession::addFound);
    connect(&m_scheme, &SearchScheme::progressChanged, this, &SearchSession::showProgress);
    connect(&m_scheme, &SearchScheme::positionStarted, this, [this](int position, int target) {
        Q_EMIT schemePositionStarted(position, target, m_schemeParameters.bounds[std::size_t(position - 1)]);
        if (target > 0)
            Q_EMIT foundCountChanged(0);
    });
    connect(&m_scheme, &SearchScheme::positionDone, this,
            [this](int position, bool) { Q_EMIT schemePositionDone(position); });
    connect(&m_scheme, &SearchScheme::finished, this, &SearchSession::schemeFinished);

    connect(&m_tuning, &JobSignals::progressValueChanged, this, &SearchSession::tuningProgressChanged);
    connect(&m_tuning, &JobSignals::resultsReadyAt, this, &SearchSession::tuningResultsReady);
    connect(&m_tuning, &JobSignals::finished, this, &SearchSession::tuningEnded);
}

SearchSession::~SearchSession()
{
    m_tuning.disconnect(this);
}

void SearchSession::clearFound()
{
    m_found.clear();
    Q_EMIT foundCountChanged(0);
}

int SearchSession::periods() const
{
    return m_periods.value_or(storedPeriods(m_store));
}

int SearchSession::storedPeriods(const Settings& settings)
{
    return Settings::retrievalPeriods(settings.retrievalPeriodsIndex());
}

// The seed typed, else one from the clock.
quint64 SearchSession::seedOf(const std::optional<quint64>& typed)
{
    m_lastSeed = typed.value_or(CandidateGenerator::clockSeed());
    return m_lastSeed;
}

// ---- parameters --------------------------------------------------------------------------------

SearchParameters SearchSession::searchParameters(const SingleSearchRequest& request)
{
    SearchParameters parameters;
    parameters.history = m_history();
    parameters.generation = request.generation;
    parameters.bounds = request.bounds;
    parameters.periods = periods();
    parameters.seed = seedOf(request.seed);
    // Started again with the seed of the last run, the search goes on with the candidates after
    // the ones that run tried instead of finding the same formulas again.
    parameters.firstCandidate = request.seed && m_singleSeed == parameters.seed ? m_singleNext : 0;
    parameters.foundListRoom = m_found.room();
    if (request.foundTarget)
        parameters.foundTarget = *request.foundTarget - m_found.size();
    parameters.candidateLimit = request.candidateLimit;
    parameters.threads = request.threads;
    parameters.stored = request.stored;
    return parameters;
}

SchemeParameters SearchSession::schemeParameters(const SchemeRequest& request)
{
    SchemeParameters parameters;
    parameters.history = m_history();
    parameters.plan.targets = request.targets;
    parameters.plan.mode = request.mode;
    parameters.plan.existingCounts = SchemePlan::existingCountsFor(request.targets, request.tableCounts);
    // The kind in force when the scheme starts holds for all eight positions.
    parameters.kill = request.kill;
    for (int position = 1; position <= kPositionCount; ++position) {
        parameters.bounds[std::size_t(position - 1)] = m_settings.bounds(position, request.kill);
        parameters.operandCounts[std::size_t(position - 1)] = m_settings.operandCount(position);
    }
    parameters.constant = request.constant;
    parameters.shape = request.shape;
    parameters.periods = periods();
    parameters.seed = seedOf(request.seed);
    parameters.autoStore = request.autoStore;
    if (request.autoStore != SchemeAutoStore::Replace)
        parameters.stored = request.stored;
    return parameters;
}

TuningParameters SearchSession::tuningParameters(const TuningRequest& request)
{
    TuningParameters parameters;
    parameters.history = m_history();
    parameters.generation = request.generation;
    parameters.periods = periods();
    parameters.samples = request.samples;
    parameters.seed = request.seed.value_or(CandidateGenerator::clockSeed());
    return parameters;
}

// ---- blocking runs -----------------------------------------------------------------------------

SearchOutcome SearchSession::runSearch(const SingleSearchRequest& request)
{
    const SearchParameters parameters = searchParameters(request);
    std::vector<FoundFormula> found;
    const SearchOutcome outcome = SearchRun::runToEnd(parameters, found);
    m_schemeFlag = false;
    m_found.append(found);
    m_singleParameters = parameters;
    m_liveGeneration = parameters.generation;
    m_singleSeed = parameters.seed;
    m_singleFirst = parameters.firstCandidate;
    m_singleNext = parameters.firstCandidate + outcome.tried;
    return outcome;
}

FamilywiseParameters SearchSession::familywiseParameters(quint64 tried, int shuffles) const
{
    return FamilywiseChance::parametersFor(m_singleParameters, tried, m_liveGeneration, shuffles,
                                           m_store.excludeCurrentPeriod());
}

int SearchSession::runLuckCount(quint64 tried) const
{
    std::vector<FoundFormula> none;
    return SearchRun::runToEnd(LuckBaseline::parametersFor(m_singleParameters, tried, m_liveGeneration), none)
        .found;
}

SchemeOutcome SearchSession::runScheme(const SchemeRequest& request)
{
    const SchemeOutcome outcome = SearchScheme::runToEnd(schemeParameters(request));
    m_schemeFlag = true;
    m_found.clear();
    m_found.append(outcome.found);
    return outcome;
}

TuningResult SearchSession::runTuning(const TuningRequest& request)
{
    return ParameterTuning::tune(tuningParameters(request));
}

// ---- the single search -------------------------------------------------------------------------

std::optional<QString> SearchSession::startSearch(const SingleSearchRequest& request)
{
    if (isRunning())
        return QString();
    // Bounds no formula can meet would keep the search running without ever finding one.
    if (const std::optional<QString> inversion = request.bounds.inversion())
        return *inversion + QStringLiteral("，搜索没有开始。");
    const SearchParameters parameters = searchParameters(request);
    m_schemeFlag = false;
    showTried(0);
    Q_EMIT foundCountChanged(m_found.size());
    Q_EMIT repeatsChanged(0);
    if (!m_engine.start(parameters))
        return QString();
    cancelLuck();
    m_luckWanted = true;
    m_runFound.clear();
    m_autoStop = request.foundTarget;
    m_singleParameters = parameters;
    m_liveGeneration = parameters.generation;
    m_singleSeed = parameters.seed;
    m_singleFirst = parameters.firstCandidate;
    m_singleNext = parameters.firstCandidate;
    Q_EMIT stateChanged();
    return std::nullopt;
}

void SearchSession::stopSearch()
{
    m_engine.stop();
}

void SearchSession::setAutoStop(std::optional<int> target)
{
    m_autoStop = target;
    applyAutoStop();
}

void SearchSession::applyAutoStop()
{
    // A target set at the start stops the run exactly; this one after the candidates in hand.
    if (m_engine.isActive() && !m_schemeFlag && m_autoStop && m_found.size() >= *m_autoStop)
        m_engine.stop();
}

void SearchSession::setLiveSettings(const GenerationSettings& settings)
{
    m_liveGeneration = settings;
    if (m_engine.isActive())
        m_engine.setLiveSettings(settings);
    if (m_scheme.isActive())
        m_scheme.setFormOptions(settings.constant, settings.shape);
}

void SearchSession::searchFinished(const SearchOutcome& outcome)
{
    m_singleNext = m_singleFirst + outcome.tried;
    Q_EMIT stateChanged();
    if (m_luckWanted && outcome.reason != SearchStopReason::Canceled &&
        outcome.reason != SearchStopReason::OutOfMemory && outcome.tried > 0) {
        // The candidates of this run once more on the history shuffled: what luck alone accepts.
        m_luckShare = LuckBaseline::shareText(outcome.found, outcome.tried);
        m_luck.count(m_singleParameters, outcome.tried, m_liveGeneration);
        m_familywiseTried = outcome.tried;
        showLuck(QStringLiteral("计算中 0%"));
    }
    if (const QString notice = searchStopNotice(outcome.reason); !notice.isEmpty())
        Q_EMIT searchNotice(notice);
}

void SearchSession::showLuck(const QString& count)
{
    m_luckCount = count;
    Q_EMIT luckChanged(QStringLiteral("本次合格率 %1，打乱历史后偶然合格 %2").arg(m_luckShare, count) +
                       m_familywiseText);
}

void SearchSession::cancelLuck()
{
    m_luck.cancel();
    m_familywise.cancel();
    m_familywiseTried.reset();
    m_familywiseText.clear();
    Q_EMIT luckChanged(QString());
}

// Once the luck count is in: the family-wise chance of each formula the run found, on the same
// candidates scored over the whole window of shuffled histories.
void SearchSession::startFamilywise()
{
    if (!m_familywiseTried || !m_luckWanted)
        return;
    m_familywise.count(familywiseParameters(*m_familywiseTried, kFamilywiseShuffles), m_runFound);
    m_familywiseTried.reset();
    m_familywiseText = QStringLiteral("，族概率计算中 0%");
    showLuck(m_luckCount);
}

// ---- found formulas and counters ---------------------------------------------------------------

void SearchSession::addFound(const FoundBatch& formulas)
{
    qsizetype appended = 0;
    for (const FoundFormula& formula : formulas) {
        if (!m_found.append(formula))
            break;
        if (!m_schemeFlag)
            m_runFound.push_back(formula);
        ++appended;
    }
    if (appended == formulas.size())
        Q_EMIT foundAdded(formulas);
    else if (appended > 0)
        Q_EMIT foundAdded(formulas.first(appended));
    if (!m_schemeFlag) {
        Q_EMIT foundCountChanged(m_found.size());
        applyAutoStop();
    }
}

void SearchSession::showProgress(const SearchProgress& progress)
{
    showTried(m_schemeFlag ? m_triedBase + progress.tried : progress.tried);
    // The single search counts the whole found list, the scheme the current position's formulas.
    Q_EMIT foundCountChanged(m_schemeFlag ? progress.found : m_found.size());
    Q_EMIT repeatsChanged(progress.repeats);
    if (progress.shown)
        Q_EMIT candidateShown(*progress.shown);
}

void SearchSession::showTried(quint64 tried)
{
    m_tried = tried;
    Q_EMIT triedChanged(tried);
}

// ---- the scheme --------------------------------------------------------------------------------

std::optional<QString> SearchSession::schemeRefusal(bool kill) const
{
    for (int position = 1; position <= kPositionCount; ++position) {
        if (const std::optional<QString> inversion = m_settings.bounds(position, kill).inversion())
            return QStringLiteral("第%1位：%2，方案没有开始。").arg(position).arg(*inversion);
    }
    return std::nullopt;
}

bool SearchSession::startScheme(const SchemeRequest& request)
{
    if (isRunning())
        return false;
    m_schemeParameters = schemeParameters(request);
    m_schemeFlag = true;
    m_luckWanted = false;
    cancelLuck();
    clearFound();
    Q_EMIT repeatsChanged(0);
    m_triedBase = m_tried;
    if (!m_scheme.start(m_schemeParameters))
        return false;
    Q_EMIT stateChanged();
    return true;
}

void SearchSession::pauseScheme()
{
    m_scheme.pause();
    Q_EMIT stateChanged();
}

void SearchSession::resumeScheme()
{
    m_scheme.resume();
    Q_EMIT stateChanged();
}

void SearchSession::schemeFinished(const SchemeOutcome& outcome)
{
    Q_EMIT stateChanged();
    if (!outcome.completed) {
        if (const QString notice = searchStopNotice(outcome.reason); !notice.isEmpty())
            Q_EMIT searchNotice(notice);
        return;
    }
    Q_EMIT schemeCompleted();
}

// ---- the tuning --------------------------------------------------------------------------------

std::optional<QString> SearchSession::startTuning(const TuningRequest& request, bool all)
{
    if (isRunning())
        return QString();
    if (!threadCanStart())
        return outOfMemoryMessage();
    const TuningParameters parameters = tuningParameters(request);
    m_tuningAll = all;
    m_tuningSamples = parameters.samples;
    showTried(0);
    if (all) {
        std::array<int, kPositionCount> operandCounts{};
        for (int position = 1; position <= kPositionCount; ++position)
            operandCounts[std::size_t(position - 1)] = m_settings.operandCount(position);
        m_tuning.start([parameters, operandCounts](QPromise<TuningResult>& promise) {
            ParameterTuning::tuneAll(promise, parameters, operandCounts);
        });
    } else {
        m_tuning.start(
            [parameters](QPromise<TuningResult>& promise) { ParameterTuning::tune(promise, parameters); });
    }
    Q_EMIT stateChanged();
    return std::nullopt;
}

void SearchSession::cancelTuning()
{
    m_tuning.cancel();
}

void SearchSession::tuningProgressChanged(int value)
{
    // Tuning all positions counts the samples of each position from 0.
    int tried = value;
    if (m_tuningAll && m_tuningSamples > 0) {
        tried = value % m_tuningSamples;
        if (tried == 0 && value > 0)
            tried = m_tuningSamples;
    }
    showTried(quint64(tried));
    Q_EMIT tuningProgressed(value);
}

void SearchSession::tuningResultsReady(int begin, int end)
{
    for (int index = begin; index < end; ++index) {
        const TuningResult result = m_tuning.resultAt(index);
        // Tuning all positions saves each position as it finishes it; one category waits for the
        // user to save it.
        if (m_tuningAll)
            m_settings.saveCategory(result.position, result.kill, result.bounds, result.operandCount);
        Q_EMIT tuningResultReady(result);
    }
}

void SearchSession::tuningEnded()
{
    m_tuningAll = false;
    Q_EMIT stateChanged();
    Q_EMIT tuningFinished(m_tuning.ranOutOfMemory());
}

// ---- the session as a whole --------------------------------------------------------------------

void SearchSession::stopAll()
{
    m_luckWanted = false;
    cancelLuck();
    m_engine.stop();
    m_scheme.stop();
    m_tuning.cancel();
}

} // namespace quorvel
