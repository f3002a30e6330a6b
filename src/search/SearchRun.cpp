#include "search/SearchRun.h"

#include "core/TermTable.h"

#include <QElapsedTimer>
#include <QFuture>
#include <QMutexLocker>
#include <QThread>

#include <algorithm>
#include <limits>
#include <memory>
#include <new>

namespace quorvel {

namespace {

constexpr quint64 kNoEnd = std::numeric_limits<quint64>::max();

GenerationSettings checked(GenerationSettings settings)
{
    settings.position = std::clamp(settings.position, 1, kPositionCount);
    settings.operandCount = CandidateGenerator::operandCountOf(settings);
    return settings;
}

const DrawTable& emptyTable()
{
    static const DrawTable table;
    return table;
}

FoundFormula foundFormula(const int* terms, int count, int constant, const GenerationSettings& settings,
                          const RunStatistics& statistics, quint64 index)
{
    const Candidate candidate{std::vector<int>(terms, terms + count), constant};
    return {CandidateGenerator::code(candidate),
            CandidateGenerator::displayText(candidate, settings),
            settings.position,
            statistics,
            index,
            settings.kill};
}

} // namespace

QString searchStopNotice(SearchStopReason reason)
{
    if (reason == SearchStopReason::OutOfMemory)
        return QStringLiteral("内存不足，搜索已停止，结果没有保存。");
    if (reason == SearchStopReason::FoundListFull)
        return QStringLiteral("合格公式已达%1条，列表已满，搜索已停止。请先将合格公式追加或更新到数据库。")
            .arg(FoundList::kCapacity);
    return {};
}

SearchRun::SearchRun(SearchParameters parameters, std::shared_ptr<SearchLiveSettings> live)
    : m_parameters(std::move(parameters)), m_live(std::move(live)), m_neededEnd(kNoEnd)
{
    m_parameters.generation = checked(m_parameters.generation);
    const int threads = m_parameters.threads > 0 ? m_parameters.threads : QThread::idealThreadCount();
    m_threads = std::clamp(threads, 1, 256);
    m_key = CandidateRandom::keyOf(m_parameters.seed);
    m_limits = AcceptanceLimits::of(m_parameters.bounds);

    const quint64 first = m_parameters.firstCandidate;
    if (m_parameters.candidateLimit)
        m_end = first + *m_parameters.candidateLimit;
    if (m_parameters.foundTarget && *m_parameters.foundTarget <= 0 && (!m_end || *m_end > first + 1)) {
        m_end = first + 1;
        m_endIsTarget = true;
    }
    m_publishedEnd = first;
}

SearchRun::~SearchRun() = default;

SearchOutcome SearchRun::execute(QPromise<FoundBatch>& promise)
{
    QElapsedTimer timer;
    timer.start();
    const DrawTable& table = m_parameters.history ? *m_parameters.history : emptyTable();
    if (!m_scorer)
        m_scorer = std::make_unique<AcceptanceScorer>(table, m_parameters.periods);
    if (!m_repeatFilter) {
        // The stored formulas of the list the run starts on are fingerprinted here, on the run's
        // thread, before any candidate waits for them.
        m_repeatFilter = std::make_unique<RepeatFilter>(m_parameters.history, m_parameters.stored);
        if (m_parameters.foundListRoom > 0)
            m_repeatFilter->prepare(m_parameters.generation.position, m_parameters.generation.kill);
    }

    if (m_parameters.foundListRoom <= 0) {
        QMutexLocker lock(&m_mergeMutex);
        close(SearchStopReason::FoundListFull, m_parameters.firstCandidate);
    } else {
        // The helpers are plain threads, so a helper that cannot start is known at once (a pool
        // would keep its work queued for a thread that never comes, and wait for it forever).
        const auto workOrRunOutOfMemory = [this, &promise] {
            try {
                work(promise);
            } catch (const std::bad_alloc&) {
                stopOutOfMemory();
            }
        };
        std::vector<std::unique_ptr<QThread>> helpers;
        try {
            for (int t = 1; t < m_threads; ++t) {
                helpers.emplace_back(QThread::create(workOrRunOutOfMemory));
                helpers.back()->start();
                if (!helpers.back()->isRunning() && !helpers.back()->isFinished()) {
                    helpers.pop_back();
                    stopOutOfMemory();
                    break;
                }
            }
        } catch (const std::bad_alloc&) {
            stopOutOfMemory();
        }
        workOrRunOutOfMemory();
        for (const std::unique_ptr<QThread>& helper : helpers)
            helper->wait();
    }

    QMutexLocker lock(&m_mergeMutex);
    SearchOutcome outcome;
    outcome.tried = m_publishedEnd - m_parameters.firstCandidate;
    outcome.found = m_published;
    outcome.repeats = m_repeated;
    outcome.threads = m_threads;
    if (m_closed && m_closeReason != SearchStopReason::Stopped)
        outcome.reason = m_closeReason;
    else if (m_end && m_publishedEnd >= *m_end)
        outcome.reason = m_endIsTarget ? SearchStopReason::TargetReached : SearchStopReason::CandidateLimit;
    else if (promise.isCanceled())
        outcome.reason = SearchStopReason::Canceled;
    else
        outcome.reason = SearchStopReason::Stopped;
    m_tried.store(outcome.tried, std::memory_order_relaxed);
    outcome.elapsedNanoseconds = timer.nsecsElapsed();
    return outcome;
}

void SearchRun::work(QPromise<FoundBatch>& promise)
{
    ScoreBuffers buffers;
    GenerationSettings settings = m_parameters.generation;
    quint64 seenVersion = 0;
    if (m_live) {
        seenVersion = m_live->version();
        settings = checked(m_live->get());
    }
    int terms[CandidateGenerator::kMaximumOperands];
    const DrawTable& table = m_parameters.history ? *m_parameters.history : emptyTable();
    std::vector<qint64> keySums;

    for (;;) {
        if (m_stopRequested.load(std::memory_order_relaxed) || promise.isCanceled())
            return;
        const quint64 number = m_nextBatch.fetch_add(1, std::memory_order_relaxed);
        const quint64 start = m_parameters.firstCandidate + number * kBatchSize;
        const quint64 fullEnd = m_end ? std::min(start + kBatchSize, *m_end) : start + kBatchSize;
        if ((m_end && start >= *m_end) || start >= m_neededEnd.load(std::memory_order_relaxed))
            return;
        if (m_live && m_live->version() != seenVersion) {
            seenVersion = m_live->version();
            settings = checked(m_live->get());
        }

        Batch batch{number, start, start, fullEnd, {}, {}};
        quint64 i = start;
        while (i < fullEnd) {
            const quint64 sliceEnd = std::min(fullEnd, i + kCheckInterval);
            const quint64 sliceStart = i;
            for (; i < sliceEnd; ++i) {
                CandidateRandom random(m_key, i);
                int constant = 0;
                const int count = CandidateGenerator::draw(settings, random, terms, constant);
                const std::optional<RunStatistics> statistics =
                    m_scorer->accepted(std::span<const int>(terms, std::size_t(count)), constant,
                                       settings.position, settings.kill, m_limits, buffers);
                if (statistics) {
                    batch.found.push_back(foundFormula(terms, count, constant, settings, *statistics, i));
                    batch.keys.push_back(EquivalenceIndex::keyOf(
                        table, std::span<const int>(terms, std::size_t(count)), constant, keySums));
                }
            }
            m_tried.fetch_add(i - sliceStart, std::memory_order_relaxed);
            promise.suspendIfRequested();
            if (m_stopRequested.load(std::memory_order_relaxed) || promise.isCanceled() ||
                i >= m_neededEnd.load(std::memory_order_relaxed))
                break;
        }
        batch.end = i;
        const bool complete = batch.end == batch.fullEnd;
        publish(std::move(batch), promise);
        if (!complete)
            return;
    }
}

// Publishes in candidate order, whichever thread finishes which batch first. Batches are numbered
// as the threads take them; a finished batch waits in m_pending until every batch before it has been
// published, and the thread that finishes the missing one publishes the whole ready run after it.
// The order matters for more than the list's looks: the found target and the room of the found
// list stop the run at an exact candidate, and a run continued from its last candidate must not
// skip or repeat any; both hold only when "found so far" means "found among candidates
// first .. n", which is the same with one thread or many.
void SearchRun::publish(Batch&& batch, QPromise<FoundBatch>& promise)
{
    QMutexLocker lock(&m_mergeMutex);
    if (m_closed)
        return;
    const quint64 number = batch.number;
    m_pending.emplace(number, std::move(batch));
    FoundBatch delivered;
    while (!m_closed) {
        // The next batch in order; when it is still being worked on, this thread leaves the ones
        // after it for the thread that finishes it.
        const auto ready = m_pending.find(m_nextToPublish);
        if (ready == m_pending.end())
            break;
        Batch& next = ready->second;
        for (std::size_t f = 0; f < next.found.size(); ++f) {
            FoundFormula& formula = next.found[f];
            const quint64 candidate = formula.candidate;
            // Judged here, in candidate order, so that which of two equivalent candidates counts
            // as the repeat is the same with one thread or many.
            if (m_repeatFilter->isRepeat(formula, next.keys[f])) {
                ++m_repeated;
                continue;
            }
            if (!m_parameters.countOnly)
                delivered.append(std::move(formula));
            ++m_published;
            if (m_published >= m_parameters.foundListRoom) {
                close(SearchStopReason::FoundListFull, candidate + 1);
                break;
            }
            if (m_parameters.foundTarget && m_published >= *m_parameters.foundTarget) {
                close(SearchStopReason::TargetReached, candidate + 1);
                break;
            }
        }
        // A batch cut short by a stop or a cancel ends the run where it was cut: the
        // candidates after it were never tried, so nothing later may be published.
        if (!m_closed) {
            m_publishedEnd = next.end;
            if (next.end < next.fullEnd)
                close(SearchStopReason::Stopped, next.end);
        }
        m_pending.erase(ready);
        ++m_nextToPublish;
    }
    // Batches after the end were tried past a target or a stop only because the threads ran
    // ahead; delivering them would make the outcome depend on the number of threads.
    if (m_closed)
        m_pending.clear();
    m_found.store(m_published, std::memory_order_relaxed);
    m_repeats.store(m_repeated, std::memory_order_relaxed);
    // One result per publishing, added under the lock, so the results of the promise are in
    // candidate order too.
    if (!delivered.isEmpty())
        promise.addResult(std::move(delivered));
}

void SearchRun::stopOutOfMemory()
{
    m_stopRequested.store(true, std::memory_order_relaxed);
    QMutexLocker lock(&m_mergeMutex);
    if (!m_closed)
        close(SearchStopReason::OutOfMemory, m_publishedEnd);
    else
        m_closeReason = SearchStopReason::OutOfMemory;
}

void SearchRun::close(SearchStopReason reason, quint64 end)
{
    m_closed = true;
    m_closeReason = reason;
    m_publishedEnd = end;
    m_neededEnd.store(end, std::memory_order_relaxed);
}

SearchOutcome SearchRun::runToEnd(const SearchParameters& parameters, std::vector<FoundFormula>& found)
{
    SearchRun run(parameters);
    QPromise<FoundBatch> promise;
    QFuture<FoundBatch> future = promise.future();
    promise.start();
    const SearchOutcome outcome = run.execute(promise);
    promise.finish();
    found.clear();
    for (const FoundBatch& batch : future.results())
        found.insert(found.end(), batch.begin(), batch.end());
    return outcome;
}

} // namespace quorvel
