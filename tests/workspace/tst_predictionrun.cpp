#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/RankingTable.h"
#include "oracle/PredictionOracle.h"
#include "oracle/RandomFormula.h"
#include "support/TestSession.h"
#include "workspace/PredictionRun.h"
#include "workspace/PredictionState.h"
#include "workspace/Workspace.h"

#include <QTest>

#include <random>

using namespace quorvel;

namespace {

// Stores constant formulas (a constant's value is the number it names) into a position's table.
void storeConstants(const TestSession& session, int position, const QStringList& codes, bool kill = false)
{
    std::vector<NewFormula> formulas;
    int idx = 0;
    for (const QString& code : codes)
        formulas.push_back(NewFormula{code, code, kill, std::nullopt, ++idx});
    const Status stored = session.openDatabase()->formulas().append(position, formulas);
    QVERIFY2(stored.ok(), qPrintable(stored.error()));
}

std::vector<int> keptCounts(const PositionCounts& counts)
{
    return std::vector<int>(counts.keep.begin() + 1, counts.keep.end());
}

std::vector<int> countsWith(std::initializer_list<std::pair<int, int>> numberAndCount)
{
    std::vector<int> counts(20, 0);
    for (const auto& [number, count] : numberAndCount)
        counts[std::size_t(number - 1)] = count;
    return counts;
}

} // namespace

class TestPredictionRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void countsShownPositionsAndHandsOverLastPage();
    void marksAreSharedByListNumberAcrossTables();
    void bestMethodWaitsForAcceptedSettings();
    void agreesWithTheStatementsOnRealDraws_data();
    void agreesWithTheStatementsOnRealDraws();

private:
    std::unique_ptr<TestSession> m_session;
};

void TestPredictionRun::init()
{
    m_session = std::make_unique<TestSession>();
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 40));
}

void TestPredictionRun::cleanup()
{
    m_session.reset();
}

void TestPredictionRun::countsShownPositionsAndHandsOverLastPage()
{
    // Position 1: 7, 7 and 27 (folds to 7), a division by zero and a code that does not evaluate
    // count nothing; position 3 holds 3 and a kill formula the keep run does not read.
    storeConstants(*m_session, 1,
                   {QStringLiteral("7"), QStringLiteral("7"), QStringLiteral("27"), QStringLiteral("L1A/0"),
                    QStringLiteral("L1A+")});
    storeConstants(*m_session, 3, {QStringLiteral("3")});
    storeConstants(*m_session, 3, {QStringLiteral("9")}, true);
    WorkspaceStartOptions options;
    options.position = 3;
    Workspace& workspace = m_session->open(options);
    PredictionState state;

    const Result<PredictionOutcome> outcome =
        PredictionRun(workspace, state).run(PredictionMethod::SelectedFormulas);
    QVERIFY2(outcome && outcome->computed && outcome->handOver.ok(), qPrintable(outcome.error()));
    QCOMPARE(state.shownPosition(), 3);
    QCOMPARE(state.quota(), 1);
    QCOMPARE(state.usedFormulas(), 4);
    QCOMPARE(keptCounts(state.counts(1)), countsWith({{7, 3}}));
    QCOMPARE(keptCounts(state.counts(2)), countsWith({}));
    QCOMPARE(keptCounts(state.counts(3)), countsWith({{3, 1}}));
    QCOMPARE(state.ranking().pages().size(), std::size_t(3));
    QCOMPARE(state.ranking().summary(), QStringLiteral("7 - 3 ")); // position 2 counted no formula
    QCOMPARE(workspace.currentPosition(), 3);

    // `ErrarrLei` holds the last page: position 3.
    const Result<std::vector<RankingRow>> handedOver = m_session->openDatabase()->ranking().read();
    QVERIFY(handedOver);
    QCOMPARE(handedOver->size(), std::size_t(20));
    QCOMPARE(handedOver->at(2), (RankingRow{3, 1, 0, 1}));
    QCOMPARE(handedOver->at(6), (RankingRow{7, 0, 0, 0}));

    // A run on position 1 leaves the counts of positions 2 and 3 as they were.
    storeConstants(*m_session, 3, {QStringLiteral("5")});
    QVERIFY(workspace.selectPosition(1));
    QVERIFY(PredictionRun(workspace, state).run(PredictionMethod::SelectedFormulas));
    QCOMPARE(state.shownPosition(), 1);
    QCOMPARE(keptCounts(state.counts(3)), countsWith({{3, 1}}));
    QCOMPARE(m_session->openDatabase()->ranking().read()->at(6), (RankingRow{7, 3, 0, 3}));
}

void TestPredictionRun::marksAreSharedByListNumberAcrossTables()
{
    storeConstants(*m_session, 1, {QStringLiteral("1"), QStringLiteral("2")});
    storeConstants(*m_session, 2, {QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("8")});
    WorkspaceStartOptions options;
    options.position = 2;
    Workspace& workspace = m_session->open(options);
    workspace.toggleSelection(1);
    PredictionState state;

    QVERIFY(PredictionRun(workspace, state).run(PredictionMethod::SelectedFormulas));
    QCOMPARE(keptCounts(state.counts(1)), countsWith({{2, 1}}));
    QCOMPARE(keptCounts(state.counts(2)), countsWith({{6, 1}, {8, 1}}));
    // The run reloads the list keeping its marks.
    QVERIFY(!workspace.isSelected(1));
    QVERIFY(workspace.isSelected(2));
}

void TestPredictionRun::bestMethodWaitsForAcceptedSettings()
{
    storeConstants(*m_session, 1,
                   {QStringLiteral("4"), QStringLiteral("4"), QStringLiteral("9"), QStringLiteral("11")});
    // Without stored statistics every formula ties on the keys and they come in idx order.
    WorkspaceStartOptions options;
    options.verifyAtStart = false;
    Workspace& workspace = m_session->open(options);
    PredictionState state;

    const Result<PredictionOutcome> nothing =
        PredictionRun(workspace, state).run(PredictionMethod::BestFormulas);
    QVERIFY(nothing && !nothing->computed);
    QCOMPARE(state.shownPosition(), 0);
    QVERIFY(state.ranking().pages().empty());

    state.acceptBestFormulaSettings(
        BestFormulaSettings{{SortKey::MaxHits, SortKey::MaxHits, SortKey::MaxHits}, 2});
    const Result<PredictionOutcome> counted =
        PredictionRun(workspace, state).run(PredictionMethod::BestFormulas);
    QVERIFY(counted && counted->computed);
    QCOMPARE(state.quota(), 2);
    // Two different numbers kept: 4, 4, then 9.
    QCOMPARE(keptCounts(state.counts(1)), countsWith({{4, 2}, {9, 1}}));
    QCOMPARE(state.usedFormulas(), 0);
}

void TestPredictionRun::agreesWithTheStatementsOnRealDraws_data()
{
    QTest::addColumn<bool>("best");
    QTest::addColumn<bool>("kill");
    QTest::newRow("selected formulas, keep") << false << false;
    QTest::newRow("selected formulas, kill") << false << true;
    QTest::newRow("best formulas, keep") << true << false;
    QTest::newRow("best formulas, kill") << true << true;
}

void TestPredictionRun::agreesWithTheStatementsOnRealDraws()
{
    QFETCH(bool, best);
    QFETCH(bool, kill);
    m_session = std::make_unique<TestSession>();
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt")));
    constexpr quint64 seed = 20240617;
    std::mt19937_64 random(seed);
    oracle::RandomFormula codes(random);
    for (int q = 1; q <= 4; ++q) {
        std::vector<NewFormula> formulas;
        for (int i = 0; i < 25; ++i)
            formulas.push_back(NewFormula{codes.any(), QStringLiteral("f"), random() % 3 != 0 ? kill : !kill,
                                          std::nullopt, std::nullopt});
        QVERIFY(m_session->openDatabase()->formulas().append(q, formulas).ok());
    }
    // The start verifies position 4 and stores its statistics; the other tables have none.
    WorkspaceStartOptions options;
    options.position = 4;
    options.kill = kill;
    Workspace& workspace = m_session->open(options);
    for (int listNumber : {2, 5, 11})
        workspace.toggleSelection(listNumber);
    PredictionState state;
    state.acceptBestFormulaSettings({{SortKey::LastMisses, SortKey::MaxMisses, SortKey::MaxHits}, 3});
    const PredictionMethod method =
        best ? PredictionMethod::BestFormulas : PredictionMethod::SelectedFormulas;
    QVERIFY(PredictionRun(workspace, state).run(method));

    PredictionParams params;
    params.method = method;
    params.kill = kill;
    params.shownPosition = 4;
    params.selection = ListSelection{workspace.formulaList().selectionMarks(), true};
    const std::unique_ptr<Database> database = m_session->openDatabase();
    for (int q = 1; q <= 4; ++q) {
        const Result<std::vector<FormulaRecord>> records = database->formulas().read(q);
        QVERIFY(records);
        for (const FormulaRecord& record : *records)
            params.tables[std::size_t(q - 1)].push_back(
                {record.idx.value_or(0), record.code, record.kill, record.statistics, record.displayText});
    }
    // The statements run on a copy of the stored history.
    const DrawTable& stored = *workspace.history();
    std::vector<Draw> draws(std::size_t(stored.drawCount()));
    for (int t = 0; t < stored.drawCount(); ++t) {
        draws[std::size_t(t)].issue = stored.issues()[std::size_t(t)];
        for (int term = 0; term < kTermCount; ++term)
            draws[std::size_t(t)].values[std::size_t(term)] = stored.column(term)[t];
    }
    oracle::Oracle history(draws);
    const PredictionResult expected = oracle::PredictionOracle(history, params.tables).run(params);
    for (int q = 1; q <= 4; ++q)
        QVERIFY2(state.counts(q) == expected.positions[std::size_t(q - 1)],
                 qPrintable(QStringLiteral("seed %1: counts of position %2 differ").arg(seed).arg(q)));
    if (!best)
        QCOMPARE(state.usedFormulas(), expected.usedFormulas);
}

QTEST_GUILESS_MAIN(TestPredictionRun)
#include "tst_predictionrun.moc"
