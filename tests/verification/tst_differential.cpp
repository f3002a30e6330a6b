#include "core/DrawTable.h"
#include "formulas/CompiledFormula.h"
#include "formulas/NumberRules.h"
#include "oracle/Oracle.h"
#include "oracle/PredictionOracle.h"
#include "oracle/RandomFormula.h"
#include "oracle/StatisticsPrinting.h"
#include "oracle/SyntheticHistory.h"
#include "verification/Prediction.h"
#include "verification/Verifier.h"

#include <QTest>

#include <cmath>
#include <numeric>

using namespace quorvel;

namespace {

// The seed of every random history and formula; QUORVEL_TEST_SEED replays another one.
quint64 testSeed()
{
    bool ok = false;
    const quint64 seed = qEnvironmentVariable("QUORVEL_TEST_SEED").toULongLong(&ok);
    return ok ? seed : 20240611;
}

// Random draws in which every position regularly holds 1, 10 and 20 (the edges of the number
// rules: 1 is neither prime nor composite, 10 is small, 20 has complement 0).
std::vector<Draw> historyWithEdgeNumbers(int count, std::mt19937_64& random)
{
    std::vector<DrawNumbers> numbers;
    for (int i = 0; i < count; ++i) {
        DrawNumbers drawn = oracle::randomNumbers(random);
        const int edge = std::array{1, 10, 20}[std::size_t(i % 3)];
        const std::size_t position = std::size_t(i / 3 % kPositionCount);
        const auto found = std::find(drawn.begin(), drawn.end(), edge);
        if (found != drawn.end())
            std::swap(*found, drawn[position]);
        else
            drawn[position] = edge;
        numbers.push_back(drawn);
    }
    return oracle::historyOf(numbers);
}

std::optional<qint64> wholeNumber(double value)
{
    if (isEmptyValue(value) || std::fabs(value) > 9.0e18)
        return std::nullopt;
    return qint64(roundHalfEven(value));
}

bool sameValue(double engine, const std::optional<double>& oracle)
{
    if (isEmptyValue(engine) || !oracle)
        return isEmptyValue(engine) && !oracle;
    return std::fabs(engine - *oracle) <= 1e-9 * std::max({1.0, std::fabs(engine), std::fabs(*oracle)});
}

QString describe(const VerificationSettings& settings)
{
    return QStringLiteral("N %1, B %2, W %3")
        .arg(settings.periods)
        .arg(settings.excludeCurrentPeriod ? "on" : "off")
        .arg(settings.weighted ? "on" : "off");
}

} // namespace

class TestDifferential : public QObject
{
    Q_OBJECT

private slots:
    void engineMatchesOracle_data();
    void engineMatchesOracle();
    void codeThatNeitherEvaluates();
    void predictionMatchesOracle_data();
    void predictionMatchesOracle();
};

void TestDifferential::engineMatchesOracle_data()
{
    QTest::addColumn<std::vector<Draw>>("draws");
    QTest::addColumn<int>("formulaCount");

    const quint64 seed = testSeed();
    std::mt19937_64 random(seed);
    QTest::newRow("single draw") << oracle::randomHistory(1, random) << 40;
    QTest::newRow("two draws") << oracle::randomHistory(2, random) << 40;
    QTest::newRow("40 draws with 1, 10 and 20 at every position")
        << historyWithEdgeNumbers(40, random) << 120;
    QTest::newRow("350 random draws") << oracle::randomHistory(350, random) << 120;
    const std::vector<Draw> real =
        oracle::readHistoryFile(QStringLiteral(QUORVEL_TEST_DATA "/cqxync-168bet-funyule.txt"), 97);
    QTest::newRow("639 real draws") << real << 100;
}

void TestDifferential::engineMatchesOracle()
{
    QFETCH(std::vector<Draw>, draws);
    QFETCH(int, formulaCount);
    QVERIFY(!draws.empty());

    const quint64 seed = testSeed();
    std::mt19937_64 random(seed ^ quint64(draws.size()));
    oracle::RandomFormula formulas(random);
    oracle::Oracle reference(draws);
    const DrawTable table(draws);
    const int drawCount = table.drawCount();

    for (int f = 0; f < formulaCount; ++f) {
        // Long term sums on every fourth formula, general expressions otherwise.
        const QString code = f % 4 == 0 ? formulas.termSum() : formulas.expression();
        const int position = int(random() % kPositionCount) + 1;
        const Result<CompiledFormula> compiled = CompiledFormula::compile(code);
        const QString formulaContext = QStringLiteral("seed %1, %2 draws, code %3, position %4")
                                           .arg(seed)
                                           .arg(drawCount)
                                           .arg(code)
                                           .arg(position);
        QVERIFY2(compiled.ok(), qPrintable(formulaContext + QStringLiteral(": ") + compiled.error()));
        const std::vector<double> values = compiled->evaluate(table);

        for (const bool kill : {true, false}) {
            bool columnsCompared = false;
            for (const int periods : {0, 100, 300, 1, 2}) {
                for (const bool excludeCurrent : {true, false}) {
                    for (const bool weighted : {true, false}) {
                        const VerificationSettings settings{periods, excludeCurrent, weighted};
                        const QString context =
                            formulaContext +
                            (kill ? QStringLiteral(", kill, ") : QStringLiteral(", keep, ")) +
                            describe(settings);
                        // The statements run once per kind; other settings only recount the window.
                        const FormulaVerdict expected =
                            columnsCompared ? reference.recount(settings)
                                            : reference.verify(code, position, kill, settings);
                        const FormulaVerdict actual =
                            Verifier(table, position, kill, settings).verify(*compiled, true);

                        QVERIFY2(expected.evaluable && actual.evaluable, qPrintable(context));
                        QVERIFY2(actual.statistics == expected.statistics,
                                 qPrintable(context + QStringLiteral(": engine %1, oracle %2")
                                                          .arg(describe(actual.statistics),
                                                               describe(expected.statistics))));
                        QVERIFY2(actual.hits == expected.hits,
                                 qPrintable(context + QStringLiteral(": hits engine %1, oracle %2")
                                                          .arg(actual.hits)
                                                          .arg(expected.hits)));
                        QVERIFY2(actual.hitWeight == expected.hitWeight &&
                                     actual.totalWeight == expected.totalWeight,
                                 qPrintable(context + QStringLiteral(": weights engine %1/%2, oracle %3/%4")
                                                          .arg(actual.hitWeight)
                                                          .arg(actual.totalWeight)
                                                          .arg(expected.hitWeight)
                                                          .arg(expected.totalWeight)));
                        QVERIFY2(actual.computedValue == expected.computedValue,
                                 qPrintable(context + QStringLiteral(": computed value engine %1, oracle %2")
                                                          .arg(describe(actual.computedValue),
                                                               describe(expected.computedValue))));

                        if (columnsCompared)
                            continue;
                        columnsCompared = true;
                        const oracle::Oracle::Columns columns = reference.columns();
                        QCOMPARE(int(columns.canshu.size()), drawCount);
                        const std::vector<char> hits = hitFlags(values, table, position, kill);
                        for (int t = 0; t < drawCount; ++t) {
                            const QString at = context + QStringLiteral(", draw %1").arg(t + 1);
                            QVERIFY2(sameValue(values[std::size_t(t)], columns.canshu[std::size_t(t)]),
                                     qPrintable(at + QStringLiteral(": value engine %1, oracle %2")
                                                         .arg(values[std::size_t(t)])
                                                         .arg(columns.canshu[std::size_t(t)].value_or(
                                                             kEmptyValue))));
                            if (t == 0)
                                continue; // the oldest draw keeps whatever it held: it has no prediction
                            QVERIFY2(wholeNumber(values[std::size_t(t - 1)]) ==
                                         columns.preCanshu[std::size_t(t)],
                                     qPrintable(at + QStringLiteral(": aligned prediction differs")));
                            QVERIFY2(bool(hits[std::size_t(t)]) == columns.gscs[std::size_t(t)],
                                     qPrintable(at + QStringLiteral(": hit flag engine %1, oracle %2")
                                                         .arg(int(hits[std::size_t(t)]))
                                                         .arg(int(columns.gscs[std::size_t(t)]))));
                        }
                    }
                }
            }
        }
    }
}

void TestDifferential::codeThatNeitherEvaluates()
{
    std::mt19937_64 random(testSeed());
    const std::vector<Draw> draws = oracle::randomHistory(20, random);
    oracle::Oracle reference(draws);
    const DrawTable table(draws);
    const VerificationSettings settings{0, true, true};
    for (const QString& code :
         {QStringLiteral("L1A+L2某某+5"), QStringLiteral("L1A+L9Z"), QStringLiteral("L1A+*3")}) {
        QVERIFY2(!reference.verify(code, 1, true, settings).evaluable, qPrintable(code));
        QVERIFY2(!Verifier(table, 1, true, settings).verify(code, true).evaluable, qPrintable(code));
    }
}

void TestDifferential::predictionMatchesOracle_data()
{
    QTest::addColumn<std::vector<Draw>>("draws");
    QTest::addColumn<int>("runs");
    std::mt19937_64 random(testSeed());
    QTest::newRow("single draw") << oracle::randomHistory(1, random) << 4;
    QTest::newRow("120 random draws") << oracle::randomHistory(120, random) << 60;
    QTest::newRow("639 real draws") << oracle::readHistoryFile(
                                           QStringLiteral(QUORVEL_TEST_DATA "/cqxync-168bet-funyule.txt"), 97)
                                    << 20;
}

void TestDifferential::predictionMatchesOracle()
{
    QFETCH(std::vector<Draw>, draws);
    QFETCH(int, runs);
    QVERIFY(!draws.empty());

    const int drawCount = int(draws.size());
    const quint64 seed = testSeed();
    std::mt19937_64 random(seed ^ quint64(drawCount) ^ 0x5eed);
    const auto uniform = [&](int low, int high) { return low + int(random() % quint64(high - low + 1)); };
    oracle::RandomFormula codes(random);
    oracle::Oracle history(draws);
    const DrawTable table(draws);
    const std::array<SortKey, 3> keyChoices{SortKey::MaxMisses, SortKey::MaxHits, SortKey::LastMisses};

    for (int run = 0; run < runs; ++run) {
        PredictionParams params;
        for (std::vector<PredictionFormula>& formulas : params.tables) {
            const int count = uniform(0, 14);
            // Unique idx in shuffled stored order; statistics small so that the sort keys tie often.
            std::vector<int> idx(static_cast<std::size_t>(count));
            std::iota(idx.begin(), idx.end(), 1);
            std::shuffle(idx.begin(), idx.end(), random);
            for (int i = 0; i < count; ++i) {
                PredictionFormula formula;
                formula.idx = idx[std::size_t(i)] * 3;
                formula.kill = uniform(0, 1) == 1;
                formula.code = uniform(1, 20) == 1 ? QStringLiteral("L1A+L9Z") : codes.any();
                if (uniform(1, 8) > 1)
                    formula.statistics =
                        RunStatistics{uniform(0, 3), uniform(0, 3), uniform(0, 3), uniform(0, 3)};
                formulas.push_back(formula);
            }
        }
        for (int k = 1; k <= 16; ++k)
            params.selection.marks.push_back(uniform(1, 4) > 1);
        params.selection.selectedBeyond = uniform(0, 1) == 1;
        params.method = uniform(0, 1) ? PredictionMethod::BestFormulas : PredictionMethod::SelectedFormulas;
        params.kill = uniform(0, 1) == 1;
        params.shownPosition = uniform(1, kPositionCount);
        params.quota = std::array{0, 1, 2, 3, 5, 17, 20, 25}[std::size_t(uniform(0, 7))];
        for (SortKey& key : params.keys)
            key = keyChoices[std::size_t(uniform(0, 2))];

        const QString context =
            QStringLiteral("seed %1, %2 draws, run %3: %4, %5, p* %6, quota %7")
                .arg(seed)
                .arg(drawCount)
                .arg(run)
                .arg(params.method == PredictionMethod::BestFormulas ? "best" : "selected")
                .arg(params.kill ? "kill" : "keep")
                .arg(params.shownPosition)
                .arg(params.quota);
        oracle::PredictionOracle reference(history, params.tables);
        const PredictionResult expected = reference.run(params);
        const PredictionResult actual = Prediction(table).run(params);
        QVERIFY2(actual.positions.size() == expected.positions.size(), qPrintable(context));
        for (std::size_t q = 0; q < expected.positions.size(); ++q)
            QVERIFY2(actual.positions[q] == expected.positions[q],
                     qPrintable(context + QStringLiteral(": counts of position %1 differ").arg(q + 1)));
        QVERIFY2(actual.quota == expected.quota && actual.usedFormulas == expected.usedFormulas &&
                     actual.visitedAtLastPosition == expected.visitedAtLastPosition,
                 qPrintable(context + QStringLiteral(": used %1/%2, visited %3/%4")
                                          .arg(actual.usedFormulas)
                                          .arg(expected.usedFormulas)
                                          .arg(actual.visitedAtLastPosition)
                                          .arg(expected.visitedAtLastPosition)));
    }
}

QTEST_GUILESS_MAIN(TestDifferential)
#include "tst_differential.moc"
