#include "core/TermTable.h"
#include "oracle/SyntheticHistory.h"
#include "search/CandidateRandom.h"
#include "search/FamilywiseChance.h"
#include "search/FullScanScorer.h"
#include "search/LuckBaseline.h"

#include <QTest>

#include <algorithm>
#include <random>

using namespace quorvel;

namespace {

// Random draws whose number at position 1 is always the previous draw's number at position 2:
// the formula of that single term predicts position 1 on every draw.
DrawTable plantedHistory(int count, std::mt19937_64& random)
{
    std::vector<DrawNumbers> numbers;
    for (int t = 0; t < count; ++t) {
        DrawNumbers draw = oracle::randomNumbers(random);
        if (t > 0) {
            const int wanted = numbers.back()[1];
            const auto at = std::find(draw.begin(), draw.end(), wanted);
            if (at != draw.end())
                std::swap(*at, draw[0]);
            draw[0] = wanted;
        }
        numbers.push_back(draw);
    }
    return DrawTable(oracle::historyOf(numbers));
}

FamilywiseParameters parametersOn(std::shared_ptr<const DrawTable> history, quint64 seed, bool kill)
{
    FamilywiseParameters parameters;
    parameters.history = std::move(history);
    parameters.generation.kill = kill;
    parameters.generation.operandCount = 3;
    parameters.periods = 200;
    parameters.seed = seed;
    parameters.candidates = 3000;
    parameters.shuffles = 9;
    parameters.threads = 1;
    return parameters;
}

} // namespace

class TestFamilywise : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullScanAgreesWithTheFullScorer();
    void aFormulaThatTrulyPredictsBeatsEveryShuffle();
    void luckyFormulasAreNotSingledOut();
    void theNullIsTheSameAtAnyThreadCount();
};

// Both kernels against the run tally, over candidates of every shape the kernel takes: negative
// and large constants, many terms, terms with negative values (those go to the full scorer).
void TestFamilywise::fullScanAgreesWithTheFullScorer()
{
    std::mt19937_64 random(20241210);
    const DrawTable table(oracle::randomHistory(700, random));
    const CandidateScorer reference(table, 0);
    const FullScanScorer best(table, 0, false);
    const FullScanScorer narrow(table, 0, false, FullScanScorer::Kernel::WithoutAvx2);
    FullScanScorer::Words words;
    ScoreBuffers buffers;
    std::uniform_int_distribution<int> term(0, kTermCount - 1);
    for (int i = 0; i < 4000; ++i) {
        std::vector<int> terms(std::size_t(1 + i % 24));
        for (int& t : terms)
            t = term(random);
        const qint64 constant = std::array<qint64, 6>{0, 7, -3, -40, -1400, 1000}[std::size_t(i % 6)];
        const int position = 1 + i % kPositionCount;
        const bool kill = i % 2 == 0;
        const CandidateRuns runs = reference.score(terms, constant, position, kill, buffers);
        const FullScore expected{reference.evaluatedDrawCount(), runs.hits, runs.maxHits};
        QCOMPARE(best.score(terms, constant, position, kill, words, buffers), expected);
        QCOMPARE(narrow.score(terms, constant, position, kill, words, buffers), expected);
    }
}

void TestFamilywise::aFormulaThatTrulyPredictsBeatsEveryShuffle()
{
    std::mt19937_64 random(7);
    const auto history = std::make_shared<const DrawTable>(plantedHistory(400, random));
    const FamilywiseParameters parameters = parametersOn(history, 11, false);
    const std::optional<FamilywiseNull> null = FamilywiseChance::nullOf(parameters);
    QVERIFY(null);
    QCOMPARE(null->best.size(), std::size_t(9));
    const CompiledFormula planted =
        *CompiledFormula::compile(termTable()[std::size_t(numberTermIndex(2))].code);
    const double score = ChanceScorer(*history, parameters.periods, false).score(planted, 1, false);
    QCOMPARE(null->chanceOf(score), 1.0 / 10);
}

// On histories where nothing predicts anything, the best of the candidates is just the luckiest,
// and its family-wise chance is spread over (0, 1], not gathered near its floor 1 / (K + 1).
void TestFamilywise::luckyFormulasAreNotSingledOut()
{
    double total = 0;
    const int histories = 6;
    for (int h = 0; h < histories; ++h) {
        std::mt19937_64 random(100 + h);
        const auto history = std::make_shared<const DrawTable>(oracle::randomHistory(400, random));
        const FamilywiseParameters parameters = parametersOn(history, 200 + h, h % 2 == 0);
        const FullScanScorer scorer(*history, parameters.periods, parameters.excludeCurrentPeriod);
        const ChanceScores scores(scorer.outcomeCount(), parameters.generation.kill);
        FullScanScorer::Words words;
        ScoreBuffers buffers;
        double luckiest = 1;
        for (quint64 i = 0; i < parameters.candidates; ++i) {
            const Candidate candidate =
                CandidateGenerator::candidateAt(parameters.seed, i, parameters.generation);
            luckiest =
                std::min(luckiest, scores.of(scorer.score(candidate.terms, candidate.constant, 1,
                                                          parameters.generation.kill, words, buffers)));
        }
        total += FamilywiseChance::nullOf(parameters)->chanceOf(luckiest);
    }
    QVERIFY2(total / histories > 0.25, qPrintable(QString::number(total / histories)));
}

void TestFamilywise::theNullIsTheSameAtAnyThreadCount()
{
    std::mt19937_64 random(3);
    FamilywiseParameters parameters =
        parametersOn(std::make_shared<const DrawTable>(oracle::randomHistory(300, random)), 5, true);
    parameters.candidates = 40000; // a few slices, so the threads share the work
    parameters.shuffles = 2;
    const std::vector<double> one = FamilywiseChance::nullOf(parameters)->best;
    parameters.threads = 2;
    QCOMPARE(FamilywiseChance::nullOf(parameters)->best, one);
}

QTEST_GUILESS_MAIN(TestFamilywise)
#include "tst_familywise.moc"
