#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/LedgerTable.h"
#include "support/TestSession.h"
#include "workspace/HistoryDeletion.h"
#include "workspace/ManualDrawEntry.h"
#include "workspace/PredictionLedger.h"
#include "workspace/PredictionRun.h"
#include "workspace/PredictionState.h"
#include "workspace/Workspace.h"

#include <QTest>

using namespace quorvel;

namespace {

// The draws that follow the 40 seeded ones in the test data.
const DrawNumbers kNext{13, 7, 10, 14, 5, 16, 6, 18}; // 14102948
const DrawNumbers kAfter{15, 14, 11, 5, 7, 3, 19, 8}; // 14102949

std::optional<LedgerScore> storedScore(const TestSession& session)
{
    const Result<std::vector<LedgerRecord>> records = session.openDatabase()->ledger().read();
    return records && records->size() == 1 ? records->front().score : std::nullopt;
}

} // namespace

class TestPredictionLedger : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scoresFollowTheStoredDraw();
    void entriesBelongToTheirLotteryType();
};

void TestPredictionLedger::scoresFollowTheStoredDraw()
{
    TestSession session;
    session.settings().setLotteryTypeIndex(0); // 广东快乐十分, 84 draws a day
    QVERIFY(session.seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 40));
    std::vector<NewFormula> first{{QStringLiteral("13"), QStringLiteral("13"), false, std::nullopt, 1},
                                  {QStringLiteral("13"), QStringLiteral("13"), false, std::nullopt, 2},
                                  {QStringLiteral("5"), QStringLiteral("5"), false, std::nullopt, 3}};
    QVERIFY(session.openDatabase()->formulas().append(1, first));
    QVERIFY(session.openDatabase()->formulas().append(
        2, {{QStringLiteral("7"), QStringLiteral("7"), false, std::nullopt, 1}}));
    WorkspaceStartOptions options;
    options.position = 2;
    Workspace& workspace = session.open(options);

    PredictionState state;
    const Result<PredictionOutcome> outcome =
        PredictionRun(workspace, state).run(PredictionMethod::SelectedFormulas);
    QVERIFY(outcome && outcome->ledger.ok());
    PredictionLedger ledger(workspace);
    const auto entry = [&ledger] {
        const Result<std::vector<LedgerEntry>> entries = ledger.entries();
        return entries && entries->size() == 1 ? entries->front() : LedgerEntry{};
    };
    // The picks are for the issue proposed next, and wait for it.
    QCOMPARE(entry().record.issue, 14102948);
    QCOMPARE(entry().record.method, QStringLiteral("selected"));
    QCOMPARE(entry().picks, (std::vector<std::vector<int>>{{13}, {7}}));
    QVERIFY(!entry().record.score);

    // A later draw arriving first scores nothing.
    QVERIFY(ManualDrawEntry(workspace).add(QStringLiteral("14102949"), kAfter));
    QVERIFY(!entry().record.score);
    QVERIFY(!storedScore(session));

    // Its own draw, stored between older ones, scores it: both picks held.
    QVERIFY(ManualDrawEntry(workspace).add(QStringLiteral("14102948"), kNext));
    const LedgerScore scored{QStringLiteral("13 7 10 14 5 16 6 18"), 2, 2};
    QCOMPARE(entry().record.score, std::optional<LedgerScore>(scored));
    QCOMPARE(storedScore(session), std::optional<LedgerScore>(scored));
    QCOMPARE(entry().running.right, 2);
    const LedgerSummary summary = PredictionLedger::summary(*ledger.entries());
    QCOMPARE(summary.keep.trials, 2);
    QVERIFY(qAbs(summary.keep.pValue() - 0.0025) < 1e-12);
    QCOMPARE(summary.kill.trials, 0);

    // Deleted, the entry waits again; typed anew with other numbers, it follows them.
    QVERIFY(HistoryDeletion(workspace).deleteAfter(14102947));
    QVERIFY(ledger.score());
    QVERIFY(!storedScore(session));
    QVERIFY(!entry().record.score);
    QVERIFY(ManualDrawEntry(workspace).add(QStringLiteral("14102948"), kAfter));
    QCOMPARE(entry().record.score, std::optional<LedgerScore>({QStringLiteral("15 14 11 5 7 3 19 8"), 0, 2}));
    QCOMPARE(entry().running.right, 0);
}

void TestPredictionLedger::entriesBelongToTheirLotteryType()
{
    TestSession session;
    session.settings().setLotteryTypeIndex(0); // 广东快乐十分
    QVERIFY(session.seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 40));
    QVERIFY(session.openDatabase()->formulas().append(
        1, {{QStringLiteral("13"), QStringLiteral("13"), false, std::nullopt, 1}}));
    // An entry made before types were recorded, of kill formulas: its pick is a number they killed.
    QVERIFY(session.openDatabase()->ledger().append(
        {0, 14102948, {}, QStringLiteral("selected"), true, 1, 1, QStringLiteral("13"), {}, {}}));
    Workspace& workspace = session.open();
    PredictionState state;
    QVERIFY(PredictionRun(workspace, state).run(PredictionMethod::SelectedFormulas));
    QVERIFY(ManualDrawEntry(workspace).add(QStringLiteral("14102948"), kNext)); // 13 drawn first

    PredictionLedger ledger(workspace);
    std::vector<LedgerEntry> entries = *ledger.entries();
    QCOMPARE(int(entries.size()), 2);
    QCOMPARE(entries[0].record.score->right, 0); // the killed 13 was drawn: wrong
    QVERIFY(!entries[0].tallied);
    QCOMPARE(entries[1].record.lotteryType, std::optional<QString>(QStringLiteral("广东快乐十分")));
    QCOMPARE(entries[1].record.score->right, 1);
    QVERIFY(entries[1].tallied);
    QCOMPARE(PredictionLedger::summary(entries).keep.trials, 1);
    QCOMPARE(PredictionLedger::summary(entries).kill.trials, 0);

    // Under another type the entry is not scored and counts nowhere; its stored score stays.
    workspace.settings().setLotteryTypeIndex(3); // 重庆幸运农场
    entries = *ledger.entries();
    QVERIFY(entries[1].otherLotteryType);
    QVERIFY(!entries[1].tallied);
    QVERIFY(!entries[0].otherLotteryType); // no type: scored under any
    QCOMPARE(PredictionLedger::summary(entries).keep.trials, 0);
    QCOMPARE(session.openDatabase()->ledger().read()->back().score, entries[1].record.score);

    // Deleted after a question whose default button is Cancel.
    session.prompts().queueQuestionAnswer(false);
    QCOMPARE(*ledger.remove({entries[0].record.id}), 0);
    QCOMPARE(session.prompts().last(ScriptedPrompts::Kind::Question).defaultButton,
             Prompts::DefaultButton::Cancel);
    session.prompts().queueQuestionAnswer(true);
    QCOMPARE(*ledger.remove({entries[0].record.id, entries[1].record.id}), 2);
    QVERIFY(ledger.entries()->empty());
}

QTEST_GUILESS_MAIN(TestPredictionLedger)
#include "tst_predictionledger.moc"
