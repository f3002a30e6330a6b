#include "oracle/SyntheticHistory.h"
#include "search/SearchScheme.h"

#include <QSignalSpy>
#include <QTest>

#include <random>

using namespace quorvel;

namespace {

using Targets = std::array<std::optional<int>, kPositionCount>;
using Counts = std::array<int, kPositionCount>;

constexpr std::nullopt_t kEmpty = std::nullopt;

SchemeParameters schemeParameters(const SchemePlan& plan)
{
    std::mt19937_64 random(20240616);
    SchemeParameters parameters;
    parameters.history = std::make_shared<const DrawTable>(oracle::randomHistory(400, random));
    parameters.plan = plan;
    parameters.kill = true;
    for (AcceptanceBounds& bounds : parameters.bounds)
        bounds.values = {2, 32768, 0, 64, 2, 32768, 0, 0};
    parameters.operandCounts = {8, 2, 3, 24, 8, 8, 5, 8};
    parameters.seed = 99;
    parameters.autoStore = SchemeAutoStore::Append;
    return parameters;
}

std::vector<int> positionsOf(const std::vector<FoundFormula>& found)
{
    std::vector<int> positions;
    for (const FoundFormula& formula : found)
        positions.push_back(formula.position);
    return positions;
}

} // namespace

Q_DECLARE_METATYPE(SchemeCountMode)

class TestSearchScheme : public QObject
{
    Q_OBJECT

private slots:
    void positionTarget_data();
    void positionTarget();
    void plannedTotal_data();
    void plannedTotal();
    void runsPositionsInOrderWithSkips();
    void schemeOnWorkersFindsWhatTheBlockingRunFinds();
    void fullFoundListEndsWithoutStoring();
};

void TestSearchScheme::positionTarget_data()
{
    QTest::addColumn<SchemeCountMode>("mode");
    QTest::addColumn<std::optional<int>>("typed");
    QTest::addColumn<int>("existing");
    QTest::addColumn<std::optional<int>>("target");

    const auto none = std::optional<int>();
    QTest::newRow("new: the target as typed")
        << SchemeCountMode::New << std::optional(5) << 30 << std::optional(5);
    QTest::newRow("new: no number is skipped") << SchemeCountMode::New << none << 0 << none;
    QTest::newRow("new: 0 asks for nothing and is skipped")
        << SchemeCountMode::New << std::optional(0) << 0 << none;
    QTest::newRow("hold: the difference")
        << SchemeCountMode::Hold << std::optional(80) << 30 << std::optional(50);
    QTest::newRow("hold: a table at its target is skipped")
        << SchemeCountMode::Hold << std::optional(80) << 80 << none;
    QTest::newRow("hold: a table above its target is skipped")
        << SchemeCountMode::Hold << std::optional(80) << 100 << none;
    QTest::newRow("hold: no number is skipped") << SchemeCountMode::Hold << none << 0 << none;
}

void TestSearchScheme::positionTarget()
{
    QFETCH(SchemeCountMode, mode);
    QFETCH(std::optional<int>, typed);
    QFETCH(int, existing);
    QFETCH(std::optional<int>, target);

    SchemePlan plan;
    plan.mode = mode;
    plan.targets[2] = typed;
    plan.existingCounts = SchemePlan::existingCountsFor(plan.targets, Counts{9, 9, existing, 9, 9, 9, 9, 9});
    QCOMPARE(plan.existingCounts[2], typed ? existing : 0);
    QCOMPARE(plan.targetOf(3), target);
}

void TestSearchScheme::plannedTotal_data()
{
    QTest::addColumn<SchemeCountMode>("mode");
    QTest::addColumn<int>("total");

    // Tables hold 10, 100, 0, ...; targets 80, 80, empty, 5 and empty; 500 formulas at window open.
    QTest::newRow("new: every target added") << SchemeCountMode::New << 500 + 80 + 80 + 5;
    QTest::newRow("hold: only what a table lacks") << SchemeCountMode::Hold << 500 + 70 + 0 + 5;
}

void TestSearchScheme::plannedTotal()
{
    QFETCH(SchemeCountMode, mode);
    QFETCH(int, total);
    const Targets targets{80, 80, kEmpty, 5, kEmpty, kEmpty, kEmpty, kEmpty};
    QCOMPARE(SchemePlan::plannedTotal(targets, Counts{10, 100, 0, 0, 0, 0, 0, 0}, mode, 500), total);
}

void TestSearchScheme::runsPositionsInOrderWithSkips()
{
    SchemePlan plan;
    plan.mode = SchemeCountMode::Hold;
    plan.targets = {5, 4, kEmpty, 20, 3, kEmpty, 1, kEmpty};
    plan.existingCounts = SchemePlan::existingCountsFor(plan.targets, Counts{2, 4, 7, 17, 0, 0, 0, 0});
    SchemeParameters parameters = schemeParameters(plan);

    std::vector<FoundFormula> single;
    for (const int threads : {1, 2}) {
        parameters.threads = threads;
        const SchemeOutcome outcome = SearchScheme::runToEnd(parameters);
        QVERIFY(outcome.completed);
        QCOMPARE(outcome.store, SchemeAutoStore::Append);
        const std::vector<int> found{outcome.positions[0].found, outcome.positions[1].found,
                                     outcome.positions[3].found, outcome.positions[4].found,
                                     outcome.positions[6].found};
        QCOMPARE(found, (std::vector<int>{3, 0, 3, 3, 1}));
        for (const int skipped : {1, 2, 5, 7})
            QVERIFY(outcome.positions[std::size_t(skipped)].skipped);
        QCOMPARE(positionsOf(outcome.found), (std::vector<int>{1, 1, 1, 4, 4, 4, 5, 5, 5, 7}));
        quint64 tried = 0;
        for (const SchemePositionResult& position : outcome.positions)
            tried += position.tried;
        QCOMPARE(outcome.tried, tried);
        // Each position searches with its own operand count.
        QCOMPARE(outcome.found.back().code.count(u'+'), 5);
        if (threads == 1)
            single = outcome.found;
        else
            QVERIFY(outcome.found == single);
    }
}

void TestSearchScheme::schemeOnWorkersFindsWhatTheBlockingRunFinds()
{
    SchemePlan plan; // new-count mode, as the window starts
    plan.targets = {2, kEmpty, 0, 3, kEmpty, kEmpty, kEmpty, kEmpty};
    SchemeParameters parameters = schemeParameters(plan);
    parameters.threads = 2;
    const SchemeOutcome blocking = SearchScheme::runToEnd(parameters);
    QVERIFY(blocking.positions[2].skipped); // a target of 0 asks for nothing

    SearchScheme scheme;
    QList<FoundFormula> delivered;
    QStringList labels;
    connect(&scheme, &SearchScheme::formulasFound, this,
            [&delivered](const FoundBatch& batch) { delivered.append(batch); });
    connect(&scheme, &SearchScheme::positionStarted, this,
            [&labels](int position, int) { labels << QStringLiteral("red %1").arg(position); });
    connect(&scheme, &SearchScheme::positionDone, this, [&labels](int position, bool skipped) {
        labels << QStringLiteral("%1 %2").arg(skipped ? "skipped" : "blue").arg(position);
    });
    QSignalSpy finished(&scheme, &SearchScheme::finished);

    QVERIFY(scheme.start(parameters));
    QVERIFY(!scheme.start(parameters));
    scheme.pause();
    QVERIFY(scheme.isPaused());
    scheme.resume();
    QTRY_COMPARE(finished.size(), 1);
    const SchemeOutcome outcome = finished.at(0).at(0).value<SchemeOutcome>();
    QVERIFY(outcome.completed);
    QCOMPARE(scheme.currentPosition(), 9);
    QCOMPARE(outcome.store, SchemeAutoStore::Append);
    QCOMPARE(outcome.tried, blocking.tried);
    QVERIFY(std::vector<FoundFormula>(delivered.begin(), delivered.end()) == blocking.found);
    QCOMPARE(labels, QStringList({"red 1", "blue 1", "red 2", "skipped 2", "red 3", "skipped 3", "red 4",
                                  "blue 4", "red 5", "skipped 5", "red 6", "skipped 6", "red 7", "skipped 7",
                                  "red 8", "skipped 8"}));
}

void TestSearchScheme::fullFoundListEndsWithoutStoring()
{
    SchemePlan plan;
    plan.targets = {FoundList::kCapacity - 10, 20, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty};
    SchemeParameters parameters = schemeParameters(plan);
    for (AcceptanceBounds& bounds : parameters.bounds)
        bounds.values = {0, 32768, 0, 32768, 0, 32768, 0, 32768};
    parameters.autoStore = SchemeAutoStore::Replace;
    const SchemeOutcome outcome = SearchScheme::runToEnd(parameters);
    QVERIFY(!outcome.completed);
    QCOMPARE(outcome.reason, SearchStopReason::FoundListFull);
    QCOMPARE(outcome.store, SchemeAutoStore::None);
    QCOMPARE(int(outcome.found.size()), FoundList::kCapacity);
    QCOMPARE(outcome.positions[1].found, 10);
    QVERIFY(!searchStopNotice(outcome.reason).isEmpty());
}

QTEST_GUILESS_MAIN(TestSearchScheme)
#include "tst_searchscheme.moc"
