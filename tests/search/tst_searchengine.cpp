#include "oracle/StatisticsPrinting.h"
#include "oracle/SyntheticHistory.h"
#include "search/FoundList.h"
#include "search/LuckBaseline.h"
#include "search/SearchEngine.h"
#include "search/SearchRun.h"
#include "verification/FormulaEquivalence.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <random>
#include <set>

using namespace quorvel;

namespace {

quint64 testSeed()
{
    bool ok = false;
    const quint64 seed = qEnvironmentVariable("QUORVEL_TEST_SEED").toULongLong(&ok);
    return ok ? seed : 20240615;
}

std::shared_ptr<const DrawTable> history(int drawCount)
{
    std::mt19937_64 random(testSeed());
    return std::make_shared<const DrawTable>(oracle::randomHistory(drawCount, random));
}

AcceptanceBounds boundsOf(std::array<double, 8> values)
{
    AcceptanceBounds bounds;
    bounds.values = values;
    return bounds;
}

const AcceptanceBounds kKillDefaults = boundsOf({2, 32768, 0, 64, 2, 32768, 0, 0});
const AcceptanceBounds kKeepDefaults = boundsOf({96, 32768, 0, 2, 96, 32768, 0, 0});
const AcceptanceBounds kWide = boundsOf({0, 32768, 0, 32768, 0, 32768, 0, 32768});

SearchParameters parametersFor(const std::shared_ptr<const DrawTable>& table, bool kill,
                               const AcceptanceBounds& bounds)
{
    SearchParameters parameters;
    parameters.history = table;
    parameters.generation.position = 3;
    parameters.generation.kill = kill;
    parameters.bounds = bounds;
    parameters.periods = 300;
    parameters.seed = testSeed();
    return parameters;
}

struct Expected
{
    std::vector<FoundFormula> found;
    int repeats = 0;
};

// What the run must find: candidate by candidate, in order, with the full scorer; an accepted one
// whose whole value sequence a stored formula or an earlier accepted one has is a repeat.
Expected expectedFormulas(const SearchParameters& parameters, quint64 tried)
{
    const DrawTable& table = *parameters.history;
    const CandidateScorer scorer(table, parameters.periods);
    ScoreBuffers buffers;
    const GenerationSettings& settings = parameters.generation;
    const auto sequenceOf = [&table](const QString& code) {
        return ValueSequence::of(*CompiledFormula::compile(code), table);
    };
    std::set<std::vector<qint32>> seen;
    if (parameters.stored) {
        for (const QString& code : parameters.stored->of(settings.position, settings.kill))
            seen.insert(sequenceOf(code));
    }
    Expected expected;
    CandidateGenerator generator(parameters.seed, parameters.firstCandidate);
    for (quint64 i = 0; i < tried; ++i) {
        const quint64 index = generator.nextIndex();
        const Candidate candidate = generator.generate(settings);
        const RunStatistics statistics =
            scorer.score(candidate, settings.position, settings.kill, buffers).statistics();
        if (!parameters.bounds.accepts(statistics))
            continue;
        if (!seen.insert(sequenceOf(CandidateGenerator::code(candidate))).second)
            ++expected.repeats;
        else
            expected.found.push_back({CandidateGenerator::code(candidate),
                                      CandidateGenerator::displayText(candidate, settings), settings.position,
                                      statistics, index, settings.kill});
    }
    return expected;
}

// The first `count` formulas the run finds with their terms in reverse order, stored as the table
// of its position and kind: each says what its found formula says.
std::shared_ptr<const StoredCodes> reorderedFirstFound(const SearchParameters& parameters, int count)
{
    std::vector<FoundFormula> found;
    SearchRun::runToEnd(parameters, found);
    auto stored = std::make_shared<StoredCodes>();
    for (int i = 0; i < std::min(count, int(found.size())); ++i) {
        Candidate candidate = CandidateGenerator::candidateAt(
            parameters.seed, found[std::size_t(i)].candidate, parameters.generation);
        std::reverse(candidate.terms.begin(), candidate.terms.end());
        stored->of(parameters.generation.position, parameters.generation.kill)
            .push_back(CandidateGenerator::code(candidate));
    }
    return stored;
}

QString describe(const std::vector<FoundFormula>& found)
{
    QStringList lines;
    for (const FoundFormula& formula : found)
        lines << QStringLiteral("#%1 %2").arg(formula.candidate).arg(formula.code);
    return lines.join(u'\n');
}

} // namespace

Q_DECLARE_METATYPE(SearchParameters)
Q_DECLARE_METATYPE(SearchStopReason)

class TestSearchEngine : public QObject
{
    Q_OBJECT

private slots:
    void sameFormulasForAnyThreadCount_data();
    void sameFormulasForAnyThreadCount();
    void pauseContinueLiveSettingsAndStop();
    void foundListGroupsAndCapacity();
    void luckBaselineCountsTheSameCandidatesOnShuffledDraws();
    void luckShareText();
};

void TestSearchEngine::sameFormulasForAnyThreadCount_data()
{
    QTest::addColumn<SearchParameters>("parameters");
    QTest::addColumn<SearchStopReason>("reason");
    QTest::addColumn<qint64>("tried"); // -1: whatever the found formulas imply

    const auto table = history(400);
    SearchParameters kill = parametersFor(table, true, kKillDefaults);
    kill.candidateLimit = 30000;
    QTest::newRow("kill defaults, 30000 candidates")
        << kill << SearchStopReason::CandidateLimit << qint64(30000);

    SearchParameters keep = parametersFor(table, false, kKeepDefaults);
    keep.candidateLimit = 30000;
    keep.generation.constant = -3; // sums of 0 or below occur
    QTest::newRow("keep defaults, constant -3") << keep << SearchStopReason::CandidateLimit << qint64(30000);

    SearchParameters target = parametersFor(table, true, kKillDefaults);
    target.foundTarget = 7;
    target.firstCandidate = 5000;
    QTest::newRow("target 7 from candidate 5000") << target << SearchStopReason::TargetReached << qint64(-1);

    SearchParameters full = parametersFor(table, false, kWide);
    full.foundListRoom = 5;
    full.generation.shape = FormulaText::Shape::Suffix;
    QTest::newRow("room for 5: the FoundList fills") << full << SearchStopReason::FoundListFull << qint64(-1);

    SearchParameters reached = parametersFor(table, false, kWide);
    reached.foundTarget = 0;
    QTest::newRow("target already met: one candidate")
        << reached << SearchStopReason::TargetReached << qint64(1);

    SearchParameters noRoom = parametersFor(table, false, kWide);
    noRoom.foundListRoom = 0;
    QTest::newRow("FoundList full at the start: nothing tried")
        << noRoom << SearchStopReason::FoundListFull << qint64(0);

    // On two draws many candidates predict alike: repeats within the run.
    SearchParameters twoDraws = parametersFor(history(2), true, kWide);
    twoDraws.candidateLimit = 3000;
    QTest::newRow("a history of two draws") << twoDraws << SearchStopReason::CandidateLimit << qint64(3000);

    SearchParameters stored = parametersFor(table, false, kWide);
    stored.candidateLimit = 300;
    stored.stored = reorderedFirstFound(stored, 3);
    QTest::newRow("stored equivalents of the first candidates")
        << stored << SearchStopReason::CandidateLimit << qint64(300);
}

void TestSearchEngine::sameFormulasForAnyThreadCount()
{
    QFETCH(SearchParameters, parameters);
    QFETCH(SearchStopReason, reason);
    QFETCH(qint64, tried);

    std::vector<FoundFormula> single;
    int singleRepeats = 0;
    for (const int threads : {1, 2, 3}) {
        parameters.threads = threads;
        std::vector<FoundFormula> found;
        const SearchOutcome outcome = SearchRun::runToEnd(parameters, found);
        QCOMPARE(outcome.reason, reason);
        QCOMPARE(outcome.threads, threads);
        QCOMPARE(outcome.found, int(found.size()));
        if (tried >= 0)
            QCOMPARE(qint64(outcome.tried), tried);
        if (reason == SearchStopReason::TargetReached && parameters.foundTarget > 0)
            QCOMPARE(outcome.found, *parameters.foundTarget);
        if (reason == SearchStopReason::FoundListFull)
            QCOMPARE(outcome.found, parameters.foundListRoom);
        // A run that ends at a found formula ends right after it.
        if (outcome.found > 0 && tried < 0)
            QCOMPARE(found.back().candidate + 1, parameters.firstCandidate + outcome.tried);

        if (threads == 1) {
            const Expected expected = expectedFormulas(parameters, outcome.tried);
            QVERIFY2(found == expected.found,
                     qPrintable(QStringLiteral("seed %1\nfound:\n%2\nexpected:\n%3")
                                    .arg(parameters.seed)
                                    .arg(describe(found), describe(expected.found))));
            QCOMPARE(outcome.repeats, expected.repeats);
            // The rows built to meet repeats do.
            if (parameters.stored || parameters.history->drawCount() == 2)
                QVERIFY(outcome.repeats >= (parameters.stored ? 3 : 1));
            single = found;
            singleRepeats = outcome.repeats;
        } else {
            QVERIFY2(found == single,
                     qPrintable(QStringLiteral("seed %1, %2 threads").arg(parameters.seed).arg(threads)));
            QCOMPARE(outcome.repeats, singleRepeats);
        }
    }
}

void TestSearchEngine::pauseContinueLiveSettingsAndStop()
{
    const auto table = history(400);
    SearchEngine engine;
    engine.setProgressInterval(20);
    QList<FoundFormula> delivered;
    connect(&engine, &SearchEngine::formulasFound, this,
            [&delivered](const FoundBatch& batch) { delivered.append(batch); });
    QSignalSpy finished(&engine, &SearchEngine::finished);
    QSignalSpy progressed(&engine, &SearchEngine::progressChanged);

    SearchParameters parameters = parametersFor(table, true, kKillDefaults);
    parameters.threads = 2;
    QVERIFY(engine.start(parameters));
    QVERIFY(!engine.start(parameters)); // one run at a time
    QTRY_VERIFY(delivered.size() >= 3);

    engine.pause();
    QTRY_VERIFY(engine.isPaused());
    QTest::qWait(100); // let every thread reach its pause point
    const quint64 pausedAt = engine.progress().tried;
    QTest::qWait(100);
    QCOMPARE(engine.progress().tried, pausedAt);
    engine.resume();
    QTRY_VERIFY(engine.progress().tried > pausedAt);

    // The candidate on show is the newest one tried, with its full statistics.
    QTRY_VERIFY(!progressed.isEmpty());
    const SearchProgress progress = engine.progress();
    QVERIFY(progress.shown);
    const Candidate shown =
        CandidateGenerator::candidateAt(parameters.seed, progress.shown->candidate, parameters.generation);
    QCOMPARE(progress.shown->code, CandidateGenerator::code(shown));

    // Kind, position and display form change from the next candidates on; the bounds stay.
    GenerationSettings changed = parameters.generation;
    changed.position = 6;
    changed.kill = false;
    changed.shape = FormulaText::Shape::Suffix;
    engine.setLiveSettings(changed);
    QTRY_VERIFY(!delivered.isEmpty() && delivered.back().position == 6);
    QVERIFY(delivered.back().displayText.endsWith(QStringLiteral("=下期生第六")));
    QVERIFY(!delivered.back().kill);
    QVERIFY(delivered.front().kill);
    QVERIFY(kKillDefaults.accepts(delivered.back().statistics));

    engine.stop();
    QTRY_COMPARE(finished.size(), 1);
    const SearchOutcome outcome = finished.at(0).at(0).value<SearchOutcome>();
    QCOMPARE(outcome.reason, SearchStopReason::Stopped);
    QCOMPARE(outcome.found, int(delivered.size()));
    QVERIFY(!engine.isActive());
    // Everything found before the stop arrived, in candidate order.
    for (qsizetype i = 1; i < delivered.size(); ++i)
        QVERIFY(delivered[i - 1].candidate < delivered[i].candidate);
    QVERIFY(delivered.back().candidate < parameters.firstCandidate + outcome.tried);

    // Starting again after a stop works, and a run without live changes delivers exactly what
    // its candidates hold.
    delivered.clear();
    parameters.seed += 1;
    QVERIFY(engine.start(parameters));
    QTRY_VERIFY(delivered.size() >= 2);
    engine.stop();
    QTRY_COMPARE(finished.size(), 2);
    const SearchOutcome second = finished.at(1).at(0).value<SearchOutcome>();
    const std::vector<FoundFormula> expected = expectedFormulas(parameters, second.tried).found;
    QVERIFY(std::vector<FoundFormula>(delivered.begin(), delivered.end()) == expected);

    // Destroying the engine cancels a paused run and waits for its threads.
    auto running = std::make_unique<SearchEngine>();
    QVERIFY(running->start(parameters));
    running->pause();
    running.reset();
}

void TestSearchEngine::foundListGroupsAndCapacity()
{
    FoundList list;
    for (const int position : {1, 1, 3, 1})
        QVERIFY(list.append(FoundFormula{QStringLiteral("L1A+1"), QString(), position, {}, 0}));
    const std::vector<FoundList::Group> expected{{1, 0, 2}, {3, 2, 1}, {1, 3, 1}};
    QCOMPARE(list.groups(), expected);

    std::vector<FoundFormula> many(std::size_t(FoundList::kCapacity), FoundFormula{});
    QCOMPARE(list.append(many), FoundList::kCapacity - 4);
    QVERIFY(list.isFull());
    QVERIFY(!list.append(FoundFormula{}));
    QCOMPARE(list.size(), FoundList::kCapacity);
}

void TestSearchEngine::luckBaselineCountsTheSameCandidatesOnShuffledDraws()
{
    const std::shared_ptr<const DrawTable> table = history(400);
    const auto rowsOf = [](const DrawTable& draws) {
        std::vector<std::vector<qint32>> rows;
        for (int d = 0; d < draws.drawCount(); ++d) {
            std::vector<qint32> row{draws.issues()[std::size_t(d)]};
            for (int term = 0; term < kTermCount; ++term)
                row.push_back(draws.value(term, d));
            rows.push_back(row);
        }
        return rows;
    };
    const DrawTable shuffled = LuckBaseline::shuffled(*table, 7);
    auto before = rowsOf(*table), after = rowsOf(shuffled);
    QVERIFY(before != after);
    QCOMPARE(rowsOf(LuckBaseline::shuffled(*table, 7)), after);
    QVERIFY(rowsOf(LuckBaseline::shuffled(*table, 8)) != after);
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    QCOMPARE(after, before); // every draw kept whole

    SearchParameters run = parametersFor(table, true, kKillDefaults);
    run.firstCandidate = 5000;
    run.foundTarget = 1; // the baseline counts all it is given, whatever stopped the run
    run.threads = 2;
    const SearchParameters luck = LuckBaseline::parametersFor(run, 6000, run.generation);
    std::vector<FoundFormula> none;
    const SearchOutcome outcome = SearchRun::runToEnd(luck, none);
    QVERIFY(none.empty());
    QCOMPARE(outcome.tried, quint64(6000));
    SearchParameters expected = run;
    expected.history = luck.history;
    QCOMPARE(outcome.found, int(expectedFormulas(expected, 6000).found.size()));
    QVERIFY(outcome.found > 0);

    // Repeats within the shuffled run are not counted; the stored formulas say nothing about it.
    SearchParameters twoDraws = parametersFor(history(2), true, kWide);
    twoDraws.candidateLimit = 3000;
    twoDraws.stored = reorderedFirstFound(twoDraws, 3);
    const SearchParameters twoDrawsLuck = LuckBaseline::parametersFor(twoDraws, 3000, twoDraws.generation);
    QVERIFY(!twoDrawsLuck.stored);
    const SearchOutcome counted = SearchRun::runToEnd(twoDrawsLuck, none);
    const Expected luckExpected = expectedFormulas(twoDrawsLuck, 3000);
    QCOMPARE(counted.found, int(luckExpected.found.size()));
    QCOMPARE(counted.repeats, luckExpected.repeats);
    QVERIFY(counted.repeats > 0);
}

void TestSearchEngine::luckShareText()
{
    QCOMPARE(LuckBaseline::shareText(0, 0), QStringLiteral("0%"));
    QCOMPARE(LuckBaseline::shareText(1, 1), QStringLiteral("100%"));
    QCOMPARE(LuckBaseline::shareText(1, 4), QStringLiteral("25%"));
    QCOMPARE(LuckBaseline::shareText(3, 200), QStringLiteral("1.5%"));
    QCOMPARE(LuckBaseline::shareText(12, 100000), QStringLiteral("0.012%"));
}

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "tst_searchengine.moc"
