#include "oracle/RandomFormula.h"
#include "oracle/SyntheticHistory.h"
#include "verification/Backtest.h"
#include "verification/Ranking.h"
#include "verification/Verifier.h"

#include <QTest>

using namespace quorvel;

Q_DECLARE_METATYPE(quorvel::PredictionMethod)

namespace {

constexpr int kDraws = 70;

// Random formulas of both kinds for every position, a code that does not compile among them and
// constants that tie on their statistics.
std::array<std::vector<PredictionFormula>, kPositionCount> randomTables(std::mt19937_64& random)
{
    oracle::RandomFormula formulas(random);
    std::array<std::vector<PredictionFormula>, kPositionCount> tables;
    for (auto& table : tables) {
        for (int idx = 1; idx <= 30; ++idx) {
            QString code = idx % 7 == 0 ? QString::number(idx) : formulas.any();
            if (idx == 5)
                code = QStringLiteral("L1A+L9Z");
            table.push_back({idx, code, idx % 3 == 0, std::nullopt, code});
        }
    }
    return tables;
}

// The prediction made just before target draw T the slow way: the history cut at T, every
// formula verified on it afresh, the prediction and its ranking run on the cut history.
std::vector<std::vector<int>> referencePicks(const std::vector<Draw>& draws, int target,
                                             const BacktestParams& params)
{
    const DrawTable before(std::vector<Draw>(draws.begin(), draws.begin() + target));
    PredictionParams prediction;
    prediction.method = params.method;
    prediction.kill = params.kill;
    prediction.shownPosition = params.shownPosition;
    prediction.selection = params.selection;
    prediction.quota = params.quota;
    prediction.keys = params.keys;
    const VerificationSettings settings{params.periods, params.excludeCurrentPeriod, true};
    for (int q = 1; q <= params.shownPosition; ++q) {
        const Verifier verifier(before, q, params.kill, settings);
        for (PredictionFormula formula : params.tables[std::size_t(q - 1)]) {
            formula.statistics = verifier.verify(formula.code, false).statistics;
            prediction.tables[std::size_t(q - 1)].push_back(formula);
        }
    }
    const PredictionResult result = Prediction(before).run(prediction);
    Ranking ranking;
    ranking.activate(result.positions, result.quota, params.kill);
    std::vector<std::vector<int>> picks;
    for (const RankingPage& page : ranking.pages())
        picks.push_back(page.picks());
    return picks;
}

QString describe(const std::vector<int>& numbers)
{
    QStringList words;
    for (const int n : numbers)
        words << QString::number(n);
    return words.join(u' ');
}

} // namespace

class TestBacktest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matchesThePredictionOnTheCutHistory_data();
    void matchesThePredictionOnTheCutHistory();
    void neverReadsTheTargetOrLaterDraws();
    void picksJudgedAndTallied_data();
    void picksJudgedAndTallied();
};

void TestBacktest::matchesThePredictionOnTheCutHistory_data()
{
    QTest::addColumn<PredictionMethod>("method");
    QTest::addColumn<bool>("kill");
    QTest::addColumn<int>("quota");
    QTest::addColumn<int>("periods");
    QTest::addColumn<bool>("excludeCurrent");
    QTest::addColumn<int>("targets");
    QTest::addColumn<int>("keyBudget"); // small: the targets come in chunks

    const auto selected = PredictionMethod::SelectedFormulas;
    const auto best = PredictionMethod::BestFormulas;
    QTest::newRow("selected formulas, keep") << selected << false << 3 << 10 << true << 20 << 0;
    QTest::newRow("selected formulas, kill, every draw a target")
        << selected << true << 3 << 10 << true << 500 << 0;
    QTest::newRow("best, keep, Q 3, window 10") << best << false << 3 << 10 << true << 25 << 0;
    QTest::newRow("best, kill, Q 3, all draws") << best << true << 3 << 0 << true << 25 << 0;
    QTest::newRow("best, keep, Q 1, window 20 with the current period")
        << best << false << 1 << 20 << false << 30 << 0;
    QTest::newRow("best, kill, Q 17, targets in chunks of two")
        << best << true << 17 << 10 << true << 25 << 50;
    QTest::newRow("best, keep, Q 2, every draw a target, in chunks")
        << best << false << 2 << 10 << false << kDraws << 130;
}

void TestBacktest::matchesThePredictionOnTheCutHistory()
{
    QFETCH(PredictionMethod, method);
    QFETCH(bool, kill);
    QFETCH(int, quota);
    QFETCH(int, periods);
    QFETCH(bool, excludeCurrent);
    QFETCH(int, targets);
    QFETCH(int, keyBudget);

    std::mt19937_64 random(20261209);
    const std::vector<Draw> draws = oracle::randomHistory(kDraws, random);
    BacktestParams params;
    params.method = method;
    params.kill = kill;
    params.shownPosition = 3;
    params.tables = randomTables(random);
    params.selection = ListSelection::allExcept({2, 9});
    params.quota = quota;
    params.keys = {SortKey::LastMisses, SortKey::MaxMisses, SortKey::MaxHits};
    params.periods = periods;
    params.excludeCurrentPeriod = excludeCurrent;
    params.targets = targets;
    params.keyBudget = std::size_t(keyBudget);

    const DrawTable table(draws);
    const BacktestResult result = Backtest::run(table, params);
    const int expectedTargets = std::min(targets, kDraws - 1);
    QCOMPARE(int(result.draws.size()), expectedTargets);
    for (int i = 0; i < expectedTargets; ++i) {
        const int target = kDraws - expectedTargets + i;
        const BacktestDraw& draw = result.draws[std::size_t(i)];
        QCOMPARE(draw.issue, draws[std::size_t(target)].issue);
        const std::vector<std::vector<int>> expected = referencePicks(draws, target, params);
        for (int q = 1; q <= params.shownPosition; ++q)
            QVERIFY2(draw.pages[std::size_t(q - 1)].picks == expected[std::size_t(q - 1)],
                     qPrintable(QStringLiteral("target %1, position %2: backtest %3, prediction %4")
                                    .arg(target)
                                    .arg(q)
                                    .arg(describe(draw.pages[std::size_t(q - 1)].picks),
                                         describe(expected[std::size_t(q - 1)]))));
    }
}

void TestBacktest::neverReadsTheTargetOrLaterDraws()
{
    std::mt19937_64 random(7);
    const std::vector<Draw> draws = oracle::randomHistory(kDraws, random);
    std::vector<DrawNumbers> numbers;
    for (const Draw& draw : draws)
        numbers.push_back(draw.numbers());
    BacktestParams params;
    params.shownPosition = 8;
    params.tables = randomTables(random);
    params.periods = 10;
    params.targets = 20;
    const int firstTarget = kDraws - params.targets;
    for (const PredictionMethod method :
         {PredictionMethod::SelectedFormulas, PredictionMethod::BestFormulas}) {
        for (const bool kill : {false, true}) {
            params.method = method;
            params.kill = kill;
            const BacktestResult before = Backtest::run(DrawTable(draws), params);
            // Another draw at a target changes it and, through the previous-draw parameters, the
            // draw after it: the predictions up to that target stay as they were.
            for (int changedAt = firstTarget; changedAt < kDraws; changedAt += 3) {
                std::vector<DrawNumbers> changedNumbers = numbers;
                changedNumbers[std::size_t(changedAt)] = oracle::randomNumbers(random);
                const BacktestResult after =
                    Backtest::run(DrawTable(oracle::historyOf(changedNumbers, draws.front().issue)), params);
                for (int target = firstTarget; target <= changedAt; ++target) {
                    const BacktestDraw& was = before.draws[std::size_t(target - firstTarget)];
                    const BacktestDraw& is = after.draws[std::size_t(target - firstTarget)];
                    for (int q = 1; q <= kPositionCount; ++q)
                        QVERIFY2(was.pages[std::size_t(q - 1)].picks == is.pages[std::size_t(q - 1)].picks,
                                 qPrintable(QStringLiteral("draw %1 changed, target %2, position %3")
                                                .arg(changedAt)
                                                .arg(target)
                                                .arg(q)));
                }
            }
        }
    }
}

void TestBacktest::picksJudgedAndTallied_data()
{
    QTest::addColumn<QList<int>>("picks");
    QTest::addColumn<int>("drawn");
    QTest::addColumn<int>("right");
    QTest::addColumn<bool>("held");

    // Picks of kill and keep formulas alike are the numbers expected to be drawn.
    QTest::newRow("pick drawn: right") << QList<int>{7} << 7 << 1 << true;
    QTest::newRow("picks, one drawn: one right, the page held") << QList<int>{3, 7, 9} << 7 << 1 << true;
    QTest::newRow("picks, none drawn: none right") << QList<int>{3, 9} << 7 << 0 << false;
    QTest::newRow("no picks: nothing judged") << QList<int>{} << 7 << 0 << false;
}

void TestBacktest::picksJudgedAndTallied()
{
    QFETCH(QList<int>, picks);
    QFETCH(int, drawn);
    QFETCH(int, right);
    QFETCH(bool, held);

    const std::vector<int> numbers(picks.begin(), picks.end());
    QCOMPARE(rightPicks(numbers, drawn), right);
    QCOMPARE(pageHeld(numbers, drawn), held);
    PickTally tally;
    tally.add(right, int(numbers.size()));
    QCOMPARE(tally.expected(), numbers.size() * 0.05);
    // Without a trial the tail chance is 1.
    QCOMPARE(tally.pValue() == 1.0, numbers.empty() || right == 0);
}

QTEST_GUILESS_MAIN(TestBacktest)
#include "tst_backtest.moc"
