#include "core/DrawTable.h"
#include "formulas/CompiledFormula.h"
#include "formulas/NumberRules.h"
#include "oracle/Oracle.h"
#include "oracle/RandomFormula.h"
#include "oracle/StatisticsPrinting.h"
#include "oracle/SyntheticHistory.h"
#include "search/AcceptanceBounds.h"
#include "search/AcceptanceScorer.h"
#include "search/CandidateGenerator.h"
#include "search/CandidateScorer.h"
#include "search/SearchScoring.h"

#include <QTest>

#include <deque>
#include <random>

using namespace quorvel;

namespace {

using oracle::drawWith;

quint64 testSeed()
{
    bool ok = false;
    const quint64 seed = qEnvironmentVariable("QUORVEL_TEST_SEED").toULongLong(&ok);
    return ok ? seed : 20240612;
}

// Hands out the given 32-bit numbers in order, scaled as the search scales its random numbers.
struct SequenceRandom
{
    std::deque<quint32> numbers;
    int below(int count)
    {
        const quint32 next = numbers.front();
        numbers.pop_front();
        return CandidateRandom::scale(next, count);
    }
};

// A 32-bit number that selects the 1-based item `index` of `count` (the whole part of r * count
// plus 1), taken from the middle of its interval.
quint32 selecting(int index, int count)
{
    return quint32((index - 0.5) / count * 4294967296.0);
}

Candidate drawn(const GenerationSettings& settings, SequenceRandom random)
{
    int terms[CandidateGenerator::kMaximumOperands];
    int constant = 0;
    const int count = CandidateGenerator::draw(settings, random, terms, constant);
    return Candidate{std::vector<int>(terms, terms + count), constant};
}

AcceptanceBounds wideBounds()
{
    AcceptanceBounds bounds;
    for (int number = AcceptanceBounds::kFirstNumber; number <= AcceptanceBounds::kLastNumber; number += 2) {
        bounds.setBound(number, 0);
        bounds.setBound(number + 1, 32768);
    }
    return bounds;
}

} // namespace

class TestCandidateSearch : public QObject
{
    Q_OBJECT

private slots:
    void composition_data();
    void composition();
    void drawsCoverTheTermTable();
    void operandCountAndConstant_data();
    void operandCountAndConstant();
    void seededGeneratorsRepeat();
    void specifiedConstant_data();
    void specifiedConstant();
    void countedOutcomes_data();
    void countedOutcomes();
    void negativeSums_data();
    void negativeSums();
    void sumsFoldAsTheNumberRulesSay();
    void rejectedWhenNotAtLongestMissRun();
    void acceptance_data();
    void acceptance();
    void scorerMatchesOracle_data();
    void scorerMatchesOracle();
    void earlyExitAgreesWithFullScore_data();
    void earlyExitAgreesWithFullScore();
    void searchScoreMatchesOracle_data();
    void searchScoreMatchesOracle();
};

void TestCandidateSearch::composition_data()
{
    QTest::addColumn<FormulaText::Shape>("shape");
    QTest::addColumn<QString>("displayText");

    QTest::newRow("prefix form") << FormulaText::Shape::Prefix << QStringLiteral("[第一杀]第一码+第二大小+3");
    QTest::newRow("suffix form") << FormulaText::Shape::Suffix
                                 << QStringLiteral("第一码+第二大小+3=下期杀第一");
}

void TestCandidateSearch::composition()
{
    QFETCH(FormulaText::Shape, shape);
    QFETCH(QString, displayText);

    // Terms 1 and 10 (L1A 第一码, L2B 第二大小), random constant 3, kill, position 1.
    const GenerationSettings settings{1, true, 2, std::nullopt, shape};
    const Candidate candidate = drawn(settings, {{selecting(1, 124), selecting(10, 124), selecting(4, 20)}});
    QCOMPARE(candidate.terms, (std::vector<int>{0, 9}));
    QCOMPARE(candidate.constant, 3);
    QCOMPARE(CandidateGenerator::code(candidate), QStringLiteral("L1A+L2B+3"));
    QCOMPARE(CandidateGenerator::displayText(candidate, settings), displayText);

    // The code is a term sum of the same terms for the evaluator.
    const Result<CompiledFormula> compiled = CompiledFormula::compile(CandidateGenerator::code(candidate));
    QVERIFY(compiled.ok());
    QVERIFY(compiled->isTermSum());
    QCOMPARE(compiled->sumTerms(), candidate.terms);
    QCOMPARE(compiled->sumConstant(), qint64(3));
}

void TestCandidateSearch::drawsCoverTheTermTable()
{
    // The smallest and largest uniform numbers reach the first and last term and constant.
    const GenerationSettings settings{8, false, 4, std::nullopt, FormulaText::Shape::Prefix};
    const Candidate candidate = drawn(settings, {{0, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0xFFFFFFFFu}});
    QCOMPARE(candidate.terms, (std::vector<int>{0, kTermCount - 1, 0, kTermCount - 1}));
    QCOMPARE(candidate.constant, 19);
    QCOMPARE(CandidateGenerator::code(candidate), QStringLiteral("L1A+L8Q+L1A+L8Q+19"));
    QCOMPARE(CandidateGenerator::displayText(candidate, settings),
             QStringLiteral("[第八生]第一码+第八邻号差+第一码+第八邻号差+19"));
}

void TestCandidateSearch::operandCountAndConstant_data()
{
    QTest::addColumn<int>("operandCount");
    QTest::addColumn<std::optional<int>>("constant");
    QTest::addColumn<int>("expectedTerms");

    QTest::newRow("8 operands, random constant") << 8 << std::optional<int>() << 8;
    QTest::newRow("2 operands, the fewest") << 2 << std::optional<int>() << 2;
    QTest::newRow("24 operands, the most") << 24 << std::optional<int>(5) << 24;
    QTest::newRow("1 operand is raised to 2") << 1 << std::optional<int>(0) << 2;
    QTest::newRow("30 operands are held to 24") << 30 << std::optional<int>() << 24;
    QTest::newRow("negative specified constant") << 3 << std::optional<int>(-2) << 3;
}

void TestCandidateSearch::operandCountAndConstant()
{
    QFETCH(int, operandCount);
    QFETCH(std::optional<int>, constant);
    QFETCH(int, expectedTerms);

    CandidateGenerator generator(testSeed());
    const GenerationSettings settings{3, false, operandCount, constant, FormulaText::Shape::Suffix};
    Candidate candidate;
    for (int i = 0; i < 200; ++i) {
        generator.generate(settings, candidate);
        QCOMPARE(int(candidate.terms.size()), expectedTerms);
        for (const int term : candidate.terms)
            QVERIFY(term >= 0 && term < kTermCount);
        if (constant)
            QCOMPARE(candidate.constant, *constant);
        else
            QVERIFY(candidate.constant >= 0 && candidate.constant <= 19);

        const QString code = CandidateGenerator::code(candidate);
        QVERIFY2(code.endsWith(u'+' + QString::number(candidate.constant)), qPrintable(code));
        const Result<CompiledFormula> compiled = CompiledFormula::compile(code);
        QVERIFY2(compiled.ok() && compiled->isTermSum(), qPrintable(code));
        QCOMPARE(compiled->sumTerms(), candidate.terms);
        QCOMPARE(compiled->sumConstant(), qint64(candidate.constant));
        QVERIFY(CandidateGenerator::displayText(candidate, settings).endsWith(QStringLiteral("=下期生第三")));
    }
}

void TestCandidateSearch::seededGeneratorsRepeat()
{
    const GenerationSettings settings;
    CandidateGenerator first(42);
    CandidateGenerator second(42);
    CandidateGenerator other(43);
    bool differs = false;
    for (int i = 0; i < 20; ++i) {
        const Candidate a = first.generate(settings);
        const Candidate b = second.generate(settings);
        const Candidate c = other.generate(settings);
        QCOMPARE(a.terms, b.terms);
        QCOMPARE(a.constant, b.constant);
        differs = differs || a.terms != c.terms;
    }
    QVERIFY(differs);
    // Candidate i of a run depends on the seed and i alone.
    for (const quint64 index : {quint64(0), quint64(7), quint64(19)}) {
        const Candidate direct = CandidateGenerator::candidateAt(42, index, settings);
        const Candidate sequential = CandidateGenerator(42, index).generate(settings);
        QCOMPARE(direct.terms, sequential.terms);
        QCOMPARE(direct.constant, sequential.constant);
    }
    // Successive candidates of one generator differ.
    CandidateGenerator clockSeeded(CandidateGenerator::clockSeed());
    QVERIFY(clockSeeded.generate(settings).terms != clockSeeded.generate(settings).terms);
}

void TestCandidateSearch::specifiedConstant_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("constant");

    QTest::newRow("whole number") << "7" << 7;
    QTest::newRow("negative with blanks") << " -2 " << -2;
    QTest::newRow("half rounds to even, down") << "2.5" << 2;
    QTest::newRow("half rounds to even, up") << "3.5" << 4;
    QTest::newRow("not a number gives 0") << "abc" << 0;
    QTest::newRow("empty box gives 0") << "" << 0;
    QTest::newRow("beyond 16 bits is held to 32767") << "40000" << 32767;
    QTest::newRow("below 16 bits is held to -32768") << "-40000" << -32768;
}

void TestCandidateSearch::specifiedConstant()
{
    QFETCH(QString, text);
    QFETCH(int, constant);
    QCOMPARE(CandidateGenerator::specifiedConstant(text), constant);
}

void TestCandidateSearch::countedOutcomes_data()
{
    QTest::addColumn<int>("drawCount");
    QTest::addColumn<int>("periods");
    QTest::addColumn<int>("counted");

    QTest::newRow("n 500, N 300: N + 1 = 301 outcomes") << 500 << 300 << 301;
    QTest::newRow("n 302, N 300: 301 outcomes") << 302 << 300 << 301;
    QTest::newRow("n 301, N 300: n - 1 = 300 outcomes") << 301 << 300 << 300;
    QTest::newRow("n 50, N 100: 49 outcomes") << 50 << 100 << 49;
    QTest::newRow("n 50, N 0: all 49 after the first") << 50 << 0 << 49;
    QTest::newRow("n 2, N 300: 1 outcome") << 2 << 300 << 1;
    QTest::newRow("n 1: nothing") << 1 << 300 << 0;
    QTest::newRow("no draws: nothing") << 0 << 0 << 0;
}

void TestCandidateSearch::countedOutcomes()
{
    QFETCH(int, drawCount);
    QFETCH(int, periods);
    QFETCH(int, counted);

    std::mt19937_64 random(testSeed());
    const DrawTable table(oracle::randomHistory(drawCount, random));
    const CandidateScorer scorer(table, periods);
    QCOMPARE(scorer.evaluatedDrawCount(), counted);
    QCOMPARE(AcceptanceScorer(table, periods).outcomeCount(), counted);
    // The search's window is the verification window with flag B off.
    const VerificationWindow window = verificationWindow(drawCount, periods, false);
    QCOMPARE(scorer.window().first, window.first);
    QCOMPARE(scorer.window().last, window.last);

    // A kill candidate that predicts 0 on every draw is right on every counted outcome.
    ScoreBuffers buffers;
    const CandidateRuns runs =
        scorer.score(std::vector<int>{3, 59}, -20, 4, true, buffers); // L4A + L4H - 20 = 0
    QCOMPARE(runs.statistics(), (RunStatistics{0, counted, 0, counted}));
    QCOMPARE(runs.currentHits, runs.lastHits);
    QCOMPARE(runs.currentMisses, runs.lastMisses);
}

void TestCandidateSearch::negativeSums_data()
{
    QTest::addColumn<bool>("kill");
    QTest::addColumn<RunStatistics>("expected");

    QTest::newRow("kill: right on every draw") << true << RunStatistics{0, 99, 0, 99};
    QTest::newRow("keep: wrong on every draw") << false << RunStatistics{99, 0, 99, 0};
}

void TestCandidateSearch::negativeSums()
{
    QFETCH(bool, kill);
    QFETCH(RunStatistics, expected);

    std::mt19937_64 random(testSeed());
    const DrawTable table(oracle::randomHistory(100, random));
    const CandidateScorer scorer(table, 0);
    ScoreBuffers buffers;
    // L2D + L3E - 18 lies between -18 and -12 on every draw. (Sums of -19, -39, ... are the
    // exception to "0 or below": their fold is 1; see sumsFoldAsTheNumberRulesSay.)
    const Candidate candidate{{25, 34}, -18};
    QCOMPARE(scorer.score(candidate, 2, kill, buffers).statistics(), expected);
    const Result<CompiledFormula> compiled = CompiledFormula::compile(QStringLiteral("L2D+L3E+-18"));
    QVERIFY(compiled.ok());
    QCOMPARE(scorer.score(*compiled, 2, kill, buffers).statistics(), expected);
    const Result<CompiledFormula> general = CompiledFormula::compile(QStringLiteral("-(L2D*L3E)"));
    QVERIFY(general.ok() && !general->isTermSum());
    QCOMPARE(scorer.score(*general, 2, kill, buffers).statistics(), expected);

    // Switching the kind between candidates turns every outcome over.
    const RunStatistics mirrored{expected.maxHits, expected.maxMisses, expected.lastHits,
                                 expected.lastMisses};
    QCOMPARE(scorer.score(candidate, 7, !kill, buffers).statistics(), mirrored);
}

void TestCandidateSearch::sumsFoldAsTheNumberRulesSay()
{
    // L1A + L1H is 20 on every draw, so the candidate's sum is 20 + constant everywhere. For every
    // sum from -420 to 420, and around sums too large for 32 bits (scored another way), the
    // search's scoring must agree with the fold of the number rules.
    std::mt19937_64 random(testSeed());
    const DrawTable table(oracle::randomHistory(120, random));
    const qint64 far = qint64(20) << 36;
    for (const bool kill : {true, false}) {
        for (int position = 1; position <= kPositionCount; position += 3) {
            const CandidateScorer scorer(table, 0);
            const AcceptanceScorer scan(table, 0);
            const AcceptanceLimits everything = AcceptanceLimits::of(wideBounds());
            ScoreBuffers buffers;
            for (const qint64 offset : {qint64(0), far, -far}) {
                const int reach = offset == 0 ? 420 : 60;
                for (qint64 sum = offset - reach; sum <= offset + reach; ++sum) {
                    const std::vector<double> values(std::size_t(table.drawCount()), double(sum));
                    const std::vector<char> hits = hitFlags(values, table, position, kill);
                    const FormulaVerdict expected = countRuns(hits, scorer.window(), false);
                    const std::vector<int> terms{0, 56};
                    const CandidateRuns runs = scorer.score(terms, sum - 20, position, kill, buffers);
                    const QString context = QStringLiteral("sum %1, position %2, %3")
                                                .arg(sum)
                                                .arg(position)
                                                .arg(kill ? "kill" : "keep");
                    QVERIFY2(runs.statistics() == expected.statistics, qPrintable(context));
                    // The 16-bit scan folds every sum the same way (beyond 16 bits it hands over).
                    const std::optional<RunStatistics> scanned =
                        scan.accepted(terms, sum - 20, position, kill, everything, buffers);
                    QVERIFY2(scanned.has_value() == everything.accepts(expected.statistics),
                             qPrintable(context));
                    QVERIFY2(!scanned || *scanned == expected.statistics, qPrintable(context));
                }
            }
        }
    }
}

void TestCandidateSearch::rejectedWhenNotAtLongestMissRun()
{
    // L1A + L1H is 20 on every draw: a kill candidate claiming 20. Numbers at position 1 make the
    // outcomes of draws 2..5 miss, miss, hit, miss.
    const DrawTable table(oracle::historyOf(
        {drawWith(1, 3), drawWith(1, 20), drawWith(1, 20), drawWith(1, 5), drawWith(1, 20)}));
    ScoreBuffers buffers;
    const CandidateRuns runs = CandidateScorer(table, 0).score(Candidate{{0, 56}, 0}, 1, true, buffers);
    QCOMPARE(runs.statistics(), (RunStatistics{2, 1, 1, 0}));
    QVERIFY(!wideBounds().accepts(runs.statistics()));

    // One more miss brings it to its longest miss run: accepted.
    const DrawTable longer(oracle::historyOf({drawWith(1, 3), drawWith(1, 20), drawWith(1, 20),
                                              drawWith(1, 5), drawWith(1, 20), drawWith(1, 20)}));
    const CandidateRuns atLimit = CandidateScorer(longer, 0).score(Candidate{{0, 56}, 0}, 1, true, buffers);
    QCOMPARE(atLimit.statistics(), (RunStatistics{2, 1, 2, 0}));
    QVERIFY(wideBounds().accepts(atLimit.statistics()));
}

void TestCandidateSearch::acceptance_data()
{
    QTest::addColumn<AcceptanceBounds>("bounds");
    QTest::addColumn<RunStatistics>("statistics");
    QTest::addColumn<bool>("accepted");

    const AcceptanceBounds wide = wideBounds();
    AcceptanceBounds killDefaults; // 2..32768, 0..64, 2..32768, 0..0
    killDefaults.values = {2, 32768, 0, 64, 2, 32768, 0, 0};
    AcceptanceBounds decimal = killDefaults;
    decimal.setBound(2, 2.00005);
    AcceptanceBounds tooHigh = killDefaults;
    tooHigh.setBound(2, 2.0002);
    AcceptanceBounds upper = killDefaults;
    upper.setBound(5, 3.99995);
    AcceptanceBounds noLastHits = wide;
    noLastHits.setBound(9, 0);

    QTest::newRow("inside every range, at its longest miss run")
        << killDefaults << RunStatistics{5, 10, 5, 0} << true;
    QTest::newRow("last misses 1 below longest 2: rejected") << wide << RunStatistics{2, 3, 1, 0} << false;
    QTest::newRow("never missed: last 0 equals longest 0") << wide << RunStatistics{0, 30, 0, 30} << true;
    QTest::newRow("longest misses exactly at the lower bound")
        << killDefaults << RunStatistics{2, 1, 2, 0} << true;
    QTest::newRow("longest misses below the lower bound")
        << killDefaults << RunStatistics{1, 1, 1, 0} << false;
    QTest::newRow("decimal lower bound within the tolerance") << decimal << RunStatistics{2, 1, 2, 0} << true;
    QTest::newRow("decimal lower bound beyond the tolerance")
        << tooHigh << RunStatistics{2, 1, 2, 0} << false;
    QTest::newRow("decimal upper bound within the tolerance") << upper << RunStatistics{2, 4, 2, 0} << true;
    QTest::newRow("longest hits above the upper bound")
        << killDefaults << RunStatistics{3, 65, 3, 0} << false;
    QTest::newRow("last hits above the upper bound 0") << noLastHits << RunStatistics{0, 5, 0, 1} << false;
    QTest::newRow("no hit at the end within the upper bound 0")
        << noLastHits << RunStatistics{1, 5, 1, 0} << true;
}

void TestCandidateSearch::acceptance()
{
    QFETCH(AcceptanceBounds, bounds);
    QFETCH(RunStatistics, statistics);
    QFETCH(bool, accepted);
    QCOMPARE(bounds.accepts(statistics), accepted);
    QCOMPARE(AcceptanceLimits::of(bounds).accepts(statistics), accepted);
}

void TestCandidateSearch::scorerMatchesOracle_data()
{
    QTest::addColumn<std::vector<Draw>>("draws");
    QTest::addColumn<int>("candidateCount");

    std::mt19937_64 random(testSeed());
    QTest::newRow("single draw") << oracle::randomHistory(1, random) << 20;
    QTest::newRow("two draws") << oracle::randomHistory(2, random) << 20;
    QTest::newRow("40 random draws") << oracle::randomHistory(40, random) << 80;
    QTest::newRow("350 random draws") << oracle::randomHistory(350, random) << 100;
    QTest::newRow("639 real draws") << oracle::readHistoryFile(
                                           QStringLiteral(QUORVEL_TEST_DATA "/cqxync-168bet-funyule.txt"), 97)
                                    << 80;
}

void TestCandidateSearch::scorerMatchesOracle()
{
    QFETCH(std::vector<Draw>, draws);
    QFETCH(int, candidateCount);
    QVERIFY(!draws.empty());

    const quint64 seed = testSeed();
    std::mt19937_64 random(seed ^ quint64(draws.size()));
    CandidateGenerator generator(seed + quint64(draws.size()));
    oracle::RandomFormula formulas(random);
    oracle::Oracle reference(draws);
    const DrawTable table(draws);
    const int drawCount = table.drawCount();
    ScoreBuffers buffers;
    for (int c = 0; c < candidateCount; ++c) {
        GenerationSettings settings;
        settings.position = int(random() % kPositionCount) + 1;
        settings.kill = random() % 2 == 0;
        settings.operandCount = 2 + int(random() % 23);
        if (random() % 3 == 0)
            settings.constant = int(random() % 61) - 40; // specified, often negative
        // Every fifth candidate is a general expression, scored through the compiled path.
        const bool general = c % 5 == 4;
        const Candidate candidate = generator.generate(settings);
        const QString code = general ? formulas.expression() : CandidateGenerator::code(candidate);
        const QString context = QStringLiteral("seed %1, %2 draws, code %3, position %4, %5")
                                    .arg(seed)
                                    .arg(drawCount)
                                    .arg(code)
                                    .arg(settings.position)
                                    .arg(settings.kill ? "kill" : "keep");
        const Result<CompiledFormula> compiled = CompiledFormula::compile(code);
        QVERIFY2(compiled.ok(), qPrintable(context));

        // The statements run once; other windows only recount. Small windows make every outcome
        // near the newest end count.
        bool first = true;
        for (const int periods : {0, 100, 300, 1, 2, 3, 7}) {
            const QString at = context + QStringLiteral(", N %1").arg(periods);
            const CandidateScorer scorer(table, periods);
            const CandidateRuns runs =
                general ? scorer.score(*compiled, settings.position, settings.kill, buffers)
                        : scorer.score(candidate, settings.position, settings.kill, buffers);
            std::optional<RunStatistics> expected;
            if (first)
                expected = reference.verifyCandidate(code, settings.position, settings.kill, periods);
            else
                expected = reference.recountCandidate(periods);
            first = false;
            QVERIFY2(expected, qPrintable(at));
            QVERIFY2(runs.statistics() == *expected,
                     qPrintable(at + QStringLiteral(": engine %1, oracle %2")
                                         .arg(describe(runs.statistics()), describe(*expected))));
            QVERIFY2(runs.currentHits == runs.lastHits && runs.currentMisses == runs.lastMisses,
                     qPrintable(at));
            if (!general)
                QVERIFY2(scorer.score(*compiled, settings.position, settings.kill, buffers) == runs,
                         qPrintable(at + QStringLiteral(": compiled path differs")));
        }

        // Per draw: the folded prediction written into PreCanshu and the GSGL flag.
        const std::vector<double> values = compiled->evaluate(table);
        const std::vector<char> hits = hitFlags(values, table, settings.position, settings.kill);
        const oracle::Oracle::Columns columns = reference.columns();
        for (int t = 1; t < drawCount; ++t) {
            const std::optional<int> folded = fold(values[std::size_t(t - 1)]);
            const std::optional<qint64> written = columns.preCanshu[std::size_t(t)];
            QVERIFY2(folded ? written == qint64(*folded) : !written,
                     qPrintable(context + QStringLiteral(", draw %1: folded prediction differs").arg(t + 1)));
            QVERIFY2(bool(hits[std::size_t(t)]) == columns.gsgl[std::size_t(t)],
                     qPrintable(context + QStringLiteral(", draw %1: hit flag differs").arg(t + 1)));
        }
    }
}

void TestCandidateSearch::earlyExitAgreesWithFullScore_data()
{
    QTest::addColumn<QString>("boundsName");
    QTest::addColumn<int>("drawCount");

    for (const char* name : {"kill defaults", "keep defaults", "wide", "every outcome a hit", "random"}) {
        for (const int drawCount : {2, 9, 400}) {
            const QByteArray row = QByteArray(name) + ", " + QByteArray::number(drawCount) + " draws";
            QTest::newRow(row.constData()) << QString::fromLatin1(name) << drawCount;
        }
    }
}

void TestCandidateSearch::earlyExitAgreesWithFullScore()
{
    QFETCH(QString, boundsName);
    QFETCH(int, drawCount);

    const quint64 seed = testSeed();
    std::mt19937_64 random(seed + quint64(drawCount));
    const DrawTable table(oracle::randomHistory(drawCount, random));
    const auto uniform = [&random](int low, int high) {
        return low + int(random() % quint64(high - low + 1));
    };

    AcceptanceBounds bounds = wideBounds();
    if (boundsName == "kill defaults")
        bounds.values = {2, 32768, 0, 64, 2, 32768, 0, 0};
    else if (boundsName == "keep defaults")
        bounds.values = {96, 32768, 0, 2, 96, 32768, 0, 0};
    else if (boundsName == "every outcome a hit")
        bounds.values = {0, 0, 0, 32768, 0, 0, 0, 32768};

    ScoreBuffers buffers;
    int accepted = 0;
    for (const int periods : {300, 0, 5, 1}) {
        const AcceptanceScorer scan(table, periods);
        const CandidateScorer& full = scan.fullScorer();
        for (int c = 0; c < 1500; ++c) {
            if (boundsName == "random") {
                for (int number = 2; number <= 8; number += 2) {
                    const double low = uniform(0, 6) + (random() % 4 == 0 ? 0.00005 : 0.0);
                    bounds.setBound(number, low);
                    bounds.setBound(number + 1, random() % 3 == 0 ? 32768.0 : low + uniform(-1, 30));
                }
            }
            const AcceptanceLimits limits = AcceptanceLimits::of(bounds);
            std::vector<int> terms(std::size_t(uniform(2, 24)));
            for (int& term : terms)
                term = uniform(0, kTermCount - 1);
            // Mostly random constants 0..19; some specified ones, negative or too large for 16 bits.
            const int kind = uniform(0, 9);
            const qint64 constant = kind < 6   ? uniform(0, 19)
                                    : kind < 9 ? uniform(-200, 40)
                                               : uniform(30000, 40000);
            const int position = uniform(1, kPositionCount);
            const bool kill = random() % 2 == 0;

            const RunStatistics statistics =
                full.score(terms, constant, position, kill, buffers).statistics();
            const std::optional<RunStatistics> scanned =
                scan.accepted(terms, constant, position, kill, limits, buffers);
            const QString context =
                QStringLiteral("seed %1, N %2, candidate %3, constant %4, position %5, %6")
                    .arg(seed)
                    .arg(periods)
                    .arg(c)
                    .arg(constant)
                    .arg(position)
                    .arg(kill ? "kill" : "keep");
            QVERIFY2(scanned.has_value() == bounds.accepts(statistics), qPrintable(context));
            if (scanned) {
                QVERIFY2(*scanned == statistics, qPrintable(context));
                ++accepted;
            }
        }
    }
    // These rows are meant to see both verdicts (the kill defaults need two misses at the end,
    // the keep defaults 96).
    if (boundsName == "wide" || boundsName == "random" || (boundsName == "kill defaults" && drawCount > 2))
        QVERIFY(accepted > 0);
}

void TestCandidateSearch::searchScoreMatchesOracle_data()
{
    QTest::addColumn<int>("drawCount");
    QTest::addColumn<int>("periods");

    QTest::newRow("two draws, N 300") << 2 << 300;
    QTest::newRow("60 draws, N beyond the history") << 60 << 5000;
    QTest::newRow("350 draws, N 300") << 350 << 300;
    QTest::newRow("350 draws, all") << 350 << 0;
}

void TestCandidateSearch::searchScoreMatchesOracle()
{
    QFETCH(int, drawCount);
    QFETCH(int, periods);

    const quint64 seed = testSeed();
    std::mt19937_64 random(seed + quint64(drawCount) + quint64(periods));
    const std::vector<Draw> draws = oracle::randomHistory(drawCount, random);
    oracle::RandomFormula formulas(random);
    QStringList codes;
    for (int i = 0; i < 40; ++i)
        codes << (i % 3 == 0 ? formulas.termSum() : formulas.expression());
    codes << QStringLiteral("L1A/(L2B-L2B)") << QStringLiteral("L1A+*2");
    AcceptanceBounds bounds;
    bounds.values = {1, 32768, 0, 64, 1, 32768, 0, 0};

    oracle::Oracle reference(draws);
    for (const bool kill : {true, false}) {
        const int position = kill ? 2 : 7;
        const std::vector<Result<ScoredCode>> scored =
            SearchScoring::scoreCodes(DrawTable(draws), codes, position, kill, periods, bounds);
        QCOMPARE(qsizetype(scored.size()), codes.size());
        QVERIFY(!scored.back().ok()); // not of the grammar
        for (qsizetype i = 0; i + 1 < codes.size(); ++i) {
            const QString context =
                QStringLiteral("seed %1, code %2, %3").arg(seed).arg(codes[i], kill ? "kill" : "keep");
            QVERIFY2(scored[std::size_t(i)].ok(), qPrintable(context));
            const std::optional<RunStatistics> expected =
                reference.verifyCandidate(codes[i], position, kill, periods);
            QVERIFY2(expected, qPrintable(context));
            const ScoredCode& result = *scored[std::size_t(i)];
            QVERIFY2(result.statistics == *expected,
                     qPrintable(context + QStringLiteral(": engine %1, oracle %2")
                                              .arg(describe(result.statistics), describe(*expected))));
            QCOMPARE(result.accepted, bounds.accepts(*expected));
        }
        // A value that is always empty predicts nothing: every outcome a miss for either kind.
        const int outcomes = std::min(periods == 0 ? drawCount : periods + 1, drawCount - 1);
        QCOMPARE(scored[std::size_t(codes.size() - 2)]->statistics,
                 (RunStatistics{outcomes, 0, outcomes, 0}));
    }
}

QTEST_GUILESS_MAIN(TestCandidateSearch)
#include "tst_candidatesearch.moc"
