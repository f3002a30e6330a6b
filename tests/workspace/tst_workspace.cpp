
#include "core/Database.h"
#include "core/DrawParameters.h"
#include "core/FormulaTables.h"
#include "core/HistoryTable.h"
#include "core/IssueNumber.h"
#include "core/LotteryType.h"
#include "core/Settings.h"
#include "oracle/Oracle.h"
#include "oracle/RandomFormula.h"
#include "oracle/StatisticsPrinting.h"
#include "oracle/SyntheticHistory.h"
#include "support/ReadOnlyScope.h"
#include "support/TestSession.h"
#include "workspace/FormulaEntry.h"
#include "workspace/ManualDrawEntry.h"
#include "workspace/SettingsMenu.h"
#include "workspace/Workspace.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <random>

using namespace quorvel;

namespace {

const QString kDrawRefusedTitle = QStringLiteral("号码输入有误");
const QString kHistoryDaysTitle = QStringLiteral("设置天数");
const QString kHistoryDaysPrompt = QStringLiteral("请输入需要统计的历史号码的天数（2~10中的任意自然数）");
const QString kHistoryDaysRefused =
    QStringLiteral("为了保证时效性和提高计算效率，软件只能统计10天以内的数据，请输入2到10中的自然数。");

DrawNumbers numbers(std::initializer_list<int> list)
{
    DrawNumbers result{};
    std::copy(list.begin(), list.end(), result.begin());
    return result;
}

std::vector<FormulaRecord> storedFormulas(const TestSession& session, int position)
{
    const std::unique_ptr<Database> database = session.openDatabase();
    const Result<std::vector<FormulaRecord>> records = database->formulas().read(position);
    if (!records)
        qWarning("%s", qPrintable(records.error()));
    return records ? *records : std::vector<FormulaRecord>{};
}

int totalFormulaCount(const TestSession& session)
{
    int count = 0;
    for (int p = 1; p <= kPositionCount; ++p)
        count += int(storedFormulas(session, p).size());
    return count;
}

void storeDraws(const TestSession& session, Workspace& workspace, const std::vector<Draw>& draws)
{
    const Status stored = session.openDatabase()->history().insert(draws);
    QVERIFY2(stored.ok(), qPrintable(stored.error()));
    QVERIFY(workspace.AddHaoma().ok());
}

void appendFormula(const TestSession& session, int position, const QString& code, const QString& text,
                   bool kill, std::optional<int> limit, int idx)
{
    const Status stored =
        session.openDatabase()->formulas().append(position, {NewFormula{code, text, kill, limit, idx}});
    QVERIFY2(stored.ok(), qPrintable(stored.error()));
}

// Manual entry as the number boxes do it: a refusal, or the status of the refresh after the store.
Status addDraw(Workspace& workspace, const QString& issue, const DrawNumbers& drawn)
{
    const Result<Status> stored = ManualDrawEntry(workspace).add(issue, drawn);
    return stored ? *stored : Status(stored.failure());
}

Status addFormula(Workspace& workspace, const QString& text, std::optional<bool> kind = std::nullopt)
{
    if (!kind)
        return FormulaEntry(workspace).addTyped(text);
    const Result<TypedFormulaOutcome> outcome = FormulaEntry(workspace).addTyped(QStringList{text}, kind);
    if (!outcome)
        return outcome.failure();
    return outcome->refused.empty() ? success() : Status(outcome->refused.front().failure);
}

} // namespace

class TestWorkspace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsOnEmptyFolder();
    void manualDrawsProposeNextIssue_data();
    void manualDrawsProposeNextIssue();
    void manualDrawChainsToPreviousDraw();
    void refusedDrawsStoreNothing_data();
    void refusedDrawsStoreNothing();
    void typedFormulaRefusals_data();
    void typedFormulaRefusals();
    void suffixFormSwitchesKindAndPosition();
    void prefixFormTakesCurrentKind();
    void yansuanRenumbersMixedKindTable();
    void unselectedFormulaKeepsComputedValue();
    void formulaThatDoesNotEvaluateIsMarked();
    void computedValuesFollowSelectionAndLightPassCountsHits();
    void selectionSurvivesRefillAndFullFillSelectsAll();
    void pickedLotteryTypeAndRestart_data();
    void pickedLotteryTypeAndRestart();
    void historyDaysDialog_data();
    void historyDaysDialog();
    void restoreDefaultsThenRestart();
    void retrievalChoiceVerifiesAndTogglesOnlySave();
    void yansuanMatchesOracle_data();
    void yansuanMatchesOracle();
    void databaseFailureIsReturned();
    void readOnlyDatabaseIsShownAndVerified();
    void secondPassWritesNothingBack();
    void handEditedRowsAreReadWithChecks();
};

void TestWorkspace::startsOnEmptyFolder()
{
    TestSession session;
    Workspace& workspace = session.open();

    QVERIFY(QFileInfo::exists(session.dataFolder() + QStringLiteral("/formula.db")));
    for (int p = 1; p <= kPositionCount; ++p) {
        QCOMPARE(storedFormulas(session, p).size(), std::size_t(0));
    }
    QCOMPARE(workspace.history()->drawCount(), 0);
    QVERIFY((workspace.formulaList().count() == 0));
    // An empty history proposes the first draw of today (the session's fixed date).
    QCOMPARE(workspace.issueText(), QStringLiteral("26120901"));
    QCOMPARE(workspace.currentPosition(), 1);
    QCOMPARE(workspace.currentTable(), QStringLiteral("Gongshi1"));
    QCOMPARE(workspace.positionCaption(), QStringLiteral("第一"));
    QVERIFY(!workspace.currentKindIsKill());
    QVERIFY(workspace.chineseDisplay());
    QCOMPARE(session.settings().lotteryTypeIndex(), kNoLotteryType);
    QCOMPARE(workspace.drawsPerDay(), 84);
    QCOMPARE(workspace.historyDays(), 3);
    QCOMPARE(workspace.verificationSettings().periods, 300);
    QVERIFY(workspace.verificationSettings().excludeCurrentPeriod);
    QVERIFY(workspace.verificationSettings().weighted);
    QVERIFY(!session.settings().resultsAtCurrentPeriod());
    QVERIFY(session.prompts().records().isEmpty());
}

void TestWorkspace::manualDrawsProposeNextIssue_data()
{
    QTest::addColumn<QString>("storedType"); // GsZl before the start, empty for none
    QTest::addColumn<QStringList>("issues");
    QTest::addColumn<QStringList>("proposals"); // after each draw

    QTest::newRow("D 84: sequence 84 ends the day")
        << QString() << QStringList{QStringLiteral("25120783"), QStringLiteral("25120784")}
        << QStringList{QStringLiteral("25120784"), QStringLiteral("25120801")};
    QTest::newRow("D 97 at start-up (重庆幸运农场): 84 does not end the day")
        << QStringLiteral("3") << QStringList{QStringLiteral("25120784"), QStringLiteral("25120797")}
        << QStringList{QStringLiteral("25120785"), QStringLiteral("25120801")};
    QTest::newRow("last draw of the year")
        << QString() << QStringList{QStringLiteral("25123184")} << QStringList{QStringLiteral("26010101")};
}

void TestWorkspace::manualDrawsProposeNextIssue()
{
    QFETCH(QString, storedType);
    QFETCH(QStringList, issues);
    QFETCH(QStringList, proposals);

    TestSession session;
    if (!storedType.isEmpty())
        session.settings().setLotteryTypeIndex(storedType.toInt());
    Workspace& workspace = session.open();
    QSignalSpy historyChanged(&workspace, &Workspace::historyChanged);
    QSignalSpy issueChanged(&workspace, &Workspace::issueTextChanged);

    const std::array<DrawNumbers, 2> draws{numbers({3, 4, 6, 15, 20, 11, 9, 17}),
                                           numbers({1, 2, 3, 4, 5, 6, 7, 8})};
    for (qsizetype i = 0; i < issues.size(); ++i) {
        const Status stored = addDraw(workspace, issues[i], draws[std::size_t(i % 2)]);
        QVERIFY2(stored.ok(), qPrintable(stored.error()));
        QCOMPARE(workspace.issueText(), proposals[i]);
        QCOMPARE(workspace.history()->drawCount(), int(i + 1));
        QCOMPARE(workspace.history()->issues().back(), issues[i].toInt());
    }
    QCOMPARE(historyChanged.count(), issues.size());
    QCOMPARE(issueChanged.count(), issues.size());
    QVERIFY(session.prompts().notices().isEmpty());
}

void TestWorkspace::manualDrawChainsToPreviousDraw()
{
    TestSession session;
    Workspace& workspace = session.open();
    const DrawNumbers first = numbers({4, 15, 8, 1, 19, 20, 11, 2});
    const DrawNumbers second = numbers({3, 4, 6, 15, 20, 11, 9, 17});
    QVERIFY(addDraw(workspace, QStringLiteral("25120704"), first).ok());
    QVERIFY(addDraw(workspace, QStringLiteral(" 25120705 "), second).ok());

    const Result<DrawTable> stored = session.openDatabase()->history().readAll();
    QVERIFY(stored.ok());
    QCOMPARE(stored->drawCount(), 2);
    QCOMPARE(stored->draw(0).values,
             computeDrawParameters(first, 25120704, std::nullopt, 84, EntryPath::Manual));
    QCOMPARE(stored->draw(1).values, computeDrawParameters(second, 25120705, first, 84, EntryPath::Manual));
    QCOMPARE(stored->draw(1).values[std::size_t(termIndexOfCode(u"L5N"))], 4);
    // The snapshot grew by the draws stored, as read back from the file.
    QCOMPARE(workspace.history()->draw(1).values, stored->draw(1).values);
}

void TestWorkspace::refusedDrawsStoreNothing_data()
{
    QTest::addColumn<QString>("issue");
    QTest::addColumn<QList<int>>("drawn");

    const QList<int> good{3, 4, 6, 15, 20, 11, 9, 17};
    QTest::newRow("number 0") << QStringLiteral("25120706") << QList<int>{0, 4, 6, 15, 20, 11, 9, 17};
    QTest::newRow("number 21") << QStringLiteral("25120706") << QList<int>{3, 4, 6, 15, 20, 11, 9, 21};
    QTest::newRow("repeated number") << QStringLiteral("25120706") << QList<int>{3, 4, 6, 15, 20, 11, 9, 3};
    QTest::newRow("issue of seven digits") << QStringLiteral("2512070") << good;
    QTest::newRow("issue with letters") << QStringLiteral("2512O706") << good;
    QTest::newRow("empty issue") << QString() << good;
    QTest::newRow("issue on 31 November") << QStringLiteral("25113101") << good;
    QTest::newRow("sequence number 00") << QStringLiteral("25120700") << good;
    QTest::newRow("issue already stored") << QStringLiteral("25120705") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("sequence above D of the lottery type") << QStringLiteral("25120785") << good;
    QTest::newRow("issue dated after today") << QStringLiteral("99123184") << good;
}

void TestWorkspace::refusedDrawsStoreNothing()
{
    QFETCH(QString, issue);
    QFETCH(QList<int>, drawn);

    TestSession session;
    Workspace& workspace = session.open();
    QVERIFY(addDraw(workspace, QStringLiteral("25120705"), numbers({4, 15, 8, 1, 19, 20, 11, 2})).ok());
    const QString proposal = workspace.issueText();
    QSignalSpy historyChanged(&workspace, &Workspace::historyChanged);

    DrawNumbers typed{};
    std::copy(drawn.begin(), drawn.end(), typed.begin());
    const Status refused = addDraw(workspace, issue, typed);

    QVERIFY(!refused.ok());
    QCOMPARE(*session.openDatabase()->history().count(), 1);
    QCOMPARE(workspace.history()->drawCount(), 1);
    QCOMPARE(historyChanged.count(), 0);
    QCOMPARE(workspace.issueText(), proposal);
    // The refusal is for the caller to show, under its own title; nothing was shown yet.
    QVERIFY(session.prompts().notices().isEmpty());
    QCOMPARE(refused.failure().title, kDrawRefusedTitle);
    QVERIFY(!refused.error().isEmpty());
}

void TestWorkspace::typedFormulaRefusals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");

    const QString emptyTitle = QStringLiteral("添加公式失败");
    const QString emptyMessage = QStringLiteral("请在左边文本框输入需要添加的公式");
    const QString unrecognisedTitle = QStringLiteral("无法识别公式");
    // The message names the text as typed.
    const auto unrecognised = [](const char* typed) {
        return QStringLiteral("无法识别公式“%1”，无法添加到软件").arg(QString::fromUtf8(typed));
    };
    QTest::newRow("empty box") << QString() << emptyTitle << emptyMessage;
    QTest::newRow("blanks only") << QStringLiteral("   ") << emptyTitle << emptyMessage;
    QTest::newRow("下期 at the very start")
        << QStringLiteral("下期杀第一第一码+5") << unrecognisedTitle << unrecognised("下期杀第一第一码+5");
    QTest::newRow("prefix form shorter than its bracket place")
        << QStringLiteral("[第一杀]") << unrecognisedTitle << unrecognised("[第一杀]");
    QTest::newRow("unknown name left in the code")
        << QStringLiteral("第一码+第二某某+5=下期杀第一") << unrecognisedTitle
        << unrecognised("第一码+第二某某+5=下期杀第一") + QStringLiteral("\n无法识别：“某某”");
    QTest::newRow("code with an unbalanced parenthesis")
        << QStringLiteral("(第一码+5=下期杀第一") << unrecognisedTitle
        << unrecognised("(第一码+5=下期杀第一") + QStringLiteral("\n无法计算：(第一码+5");
    QTest::newRow("neither 下期 nor a bracket")
        << QStringLiteral("L1A+L2A+L3A+5") << unrecognisedTitle
        << unrecognised("L1A+L2A+L3A+5") + QStringLiteral("\n缺少位置标记，例如“=下期杀第一”或“[第一杀]”");
}

void TestWorkspace::typedFormulaRefusals()
{
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QString, message);

    TestSession session;
    Workspace& workspace = session.open();
    QSignalSpy listChanged(&workspace, &Workspace::formulaListChanged);

    const Status refused = addFormula(workspace, text);

    QVERIFY(!refused.ok());
    QCOMPARE(totalFormulaCount(session), 0);
    QCOMPARE(listChanged.count(), 0);
    QCOMPARE(workspace.currentPosition(), 1);
    QVERIFY(!workspace.currentKindIsKill());
    QCOMPARE(refused.failure().title, title);
    QCOMPARE(refused.error(), message);
}

void TestWorkspace::suffixFormSwitchesKindAndPosition()
{
    TestSession session;
    Workspace& workspace = session.open();
    std::mt19937_64 random(7);
    storeDraws(session, workspace, oracle::randomHistory(60, random));
    QSignalSpy positionChanged(&workspace, &Workspace::currentPositionChanged);
    QSignalSpy kindChanged(&workspace, &Workspace::currentKindChanged);

    // Full-width signs typed by an input method are read as their ASCII forms.
    const QString text = QStringLiteral("  第一码＋第二大小+５ = 下期杀第三 ");
    const Status added = addFormula(workspace, text);
    QVERIFY2(added.ok(), qPrintable(added.error()));

    QCOMPARE(workspace.currentPosition(), 3);
    QCOMPARE(workspace.currentTable(), QStringLiteral("Gongshi3"));
    QCOMPARE(workspace.positionCaption(), QStringLiteral("第三"));
    QVERIFY(workspace.currentKindIsKill());
    QCOMPARE(positionChanged.count(), 1);
    QCOMPARE(positionChanged.first().first().toInt(), 3);
    QCOMPARE(kindChanged.count(), 1);

    const std::vector<FormulaRecord> stored = storedFormulas(session, 3);
    QCOMPARE(stored.size(), std::size_t(1));
    QCOMPARE(stored[0].code, QStringLiteral("L1A+L2B+5"));
    QCOMPARE(stored[0].displayText, QStringLiteral("第一码+第二大小+5=下期杀第三"));
    QVERIFY(stored[0].kill);
    QCOMPARE(stored[0].idx, std::optional<int>(1));
    QVERIFY(storedFormulas(session, 1).empty());

    // The list shows the new formula, verified over the history, with its statistics written back.
    QCOMPARE(std::size_t(workspace.formulaList().count()), std::size_t(1));
    QVERIFY(workspace.isSelected(1));
    const Verifier verifier(*workspace.history(), 3, true, workspace.verificationSettings());
    const FormulaVerdict expected = verifier.verify(QStringLiteral("L1A+L2B+5"), true);
    QCOMPARE(workspace.formulaList().results()[0].statistics, expected.statistics);
    QCOMPARE(workspace.formulaList().results()[0].hitWeight, expected.hitWeight);
    QCOMPARE(workspace.computedValue(1), QString::number(*expected.computedValue));
    QCOMPARE(stored[0].statistics, std::optional<RunStatistics>(expected.statistics));
    QVERIFY(expected.statistics.maxHits > 0);
    QVERIFY(session.prompts().notices().isEmpty());
}

void TestWorkspace::prefixFormTakesCurrentKind()
{
    TestSession session;
    Workspace& workspace = session.open();
    QVERIFY(workspace.setCurrentKind(true).ok());

    QVERIFY(addFormula(workspace, QStringLiteral("[第二生]第一码+连跳号+3")).ok());
    QCOMPARE(workspace.currentPosition(), 2);
    std::vector<FormulaRecord> stored = storedFormulas(session, 2);
    QCOMPARE(stored.size(), std::size_t(1));
    QCOMPARE(stored[0].code, QStringLiteral("L1A+L3K+3"));
    QVERIFY(stored[0].kill); // the bracket's kind word is not read

    // The kind passed for prefix forms (the command line's --kind) becomes the current kind.
    QVERIFY(addFormula(workspace, QStringLiteral("[第二杀]第一码+连跳号+4"), false).ok());
    QVERIFY(!workspace.currentKindIsKill());
    stored = storedFormulas(session, 2);
    QCOMPARE(stored.size(), std::size_t(2));
    QVERIFY(!stored[1].kill);
    QCOMPARE(std::size_t(workspace.formulaList().count()), std::size_t(1));
    QCOMPARE(workspace.formulaList().rows()[0].code, QStringLiteral("L1A+L3K+4"));

    // Adding the same text twice stores two rows.
    QVERIFY(addFormula(workspace, QStringLiteral("[第二杀]第一码+连跳号+4"), false).ok());
    QCOMPARE(storedFormulas(session, 2).size(), std::size_t(3));
}

void TestWorkspace::yansuanRenumbersMixedKindTable()
{
    TestSession session;
    Workspace& workspace = session.open({1, false, std::nullopt, false});
    std::mt19937_64 random(11);
    storeDraws(session, workspace, oracle::randomHistory(120, random));
    // idx 1, 2, 5, 9 with kill formulas at 2 and 9.
    appendFormula(session, 1, QStringLiteral("L1A+3"), QStringLiteral("a"), false, 4, 1);
    appendFormula(session, 1, QStringLiteral("L2A+L3B"), QStringLiteral("b"), true, std::nullopt, 2);
    appendFormula(session, 1, QStringLiteral("L4A*2"), QStringLiteral("c"), false, std::nullopt, 5);
    appendFormula(session, 1, QStringLiteral("L5C+7"), QStringLiteral("d"), true, std::nullopt, 9);

    QVERIFY(workspace.AddGongshi().ok());
    QCOMPARE(std::size_t(workspace.formulaList().count()), std::size_t(2));
    QCOMPARE(workspace.formulaList().rows()[1].idx, 5);
    QSignalSpy listChanged(&workspace, &Workspace::formulaListChanged);
    QVERIFY(workspace.Yansuan().ok());

    // The list shows the numbers of the renumbered table.
    QCOMPARE(workspace.formulaList().rows()[0].idx, 1);
    QCOMPARE(workspace.formulaList().rows()[1].idx, 3);
    QCOMPARE(listChanged.count(), 1);
    std::vector<FormulaRecord> stored = storedFormulas(session, 1);
    QCOMPARE(stored.size(), std::size_t(4));
    const QStringList codes{QStringLiteral("L1A+3"), QStringLiteral("L2A+L3B"), QStringLiteral("L4A*2"),
                            QStringLiteral("L5C+7")};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(stored[std::size_t(i)].idx, std::optional<int>(i + 1));
        QCOMPARE(stored[std::size_t(i)].code, codes[i]);
    }
    QCOMPARE(stored[0].statistics,
             std::optional<RunStatistics>(workspace.formulaList().results()[0].statistics));
    QCOMPARE(stored[2].statistics,
             std::optional<RunStatistics>(workspace.formulaList().results()[1].statistics));
    QVERIFY(!stored[1].statistics && !stored[3].statistics);
    QCOMPARE(stored[0].limit, std::optional<int>(4)); // the pass never writes the limit

    // Verifying the kill formulas (a kill/keep click refills the list and verifies) leaves the keep
    // formulas' statistics as they were.
    const std::optional<RunStatistics> keepStatistics = stored[0].statistics;
    QVERIFY(workspace.setCurrentKind(true).ok());
    stored = storedFormulas(session, 1);
    const Verifier killVerifier(*workspace.history(), 1, true, workspace.verificationSettings());
    QCOMPARE(stored[0].statistics, keepStatistics);
    QCOMPARE(stored[1].statistics,
             std::optional<RunStatistics>(killVerifier.verify(codes[1], false).statistics));
    QCOMPARE(stored[3].statistics,
             std::optional<RunStatistics>(killVerifier.verify(codes[3], false).statistics));
    QCOMPARE(workspace.formulaList().rows()[0].code, codes[1]);
    QVERIFY(session.prompts().notices().isEmpty());
}

void TestWorkspace::unselectedFormulaKeepsComputedValue()
{
    TestSession session;
    Workspace& workspace = session.open();
    QVERIFY(addDraw(workspace, QStringLiteral("25120701"), numbers({1, 2, 3, 4, 5, 6, 7, 8})).ok());
    QVERIFY(addFormula(workspace, QStringLiteral("[第一生]第一码+1")).ok());
    QVERIFY(addFormula(workspace, QStringLiteral("[第一生]第一码+2")).ok());
    QCOMPARE(workspace.computedValue(1), QStringLiteral("2"));
    QCOMPARE(workspace.computedValue(2), QStringLiteral("3"));

    QSignalSpy selectionChanged(&workspace, &Workspace::selectionChanged);
    workspace.toggleSelection(1);
    QCOMPARE(selectionChanged.count(), 1);
    QVERIFY(!workspace.isSelected(1));
    QVERIFY(addDraw(workspace, QStringLiteral("25120702"), numbers({10, 2, 3, 4, 5, 6, 7, 8})).ok());

    QCOMPARE(workspace.computedValue(1), QStringLiteral("2")); // kept from the earlier pass
    QCOMPARE(workspace.computedValue(2), QStringLiteral("12"));
    QCOMPARE(workspace.formulaList().results()[0].statistics.lastMisses,
             1); // statistics are refreshed all the same
}

void TestWorkspace::computedValuesFollowSelectionAndLightPassCountsHits()
{
    TestSession session;
    Workspace& workspace = session.open();
    // Position 2 draws 2, 3, 4: "第二码+1" kept on position 2 is right on the second and third
    // draws; "第二码" is never right.
    QVERIFY(addDraw(workspace, QStringLiteral("25120701"), numbers({1, 2, 5, 6, 7, 8, 9, 10})).ok());
    QVERIFY(addDraw(workspace, QStringLiteral("25120702"), numbers({1, 3, 5, 6, 7, 8, 9, 10})).ok());
    QVERIFY(addDraw(workspace, QStringLiteral("25120703"), numbers({1, 4, 5, 6, 7, 8, 9, 10})).ok());
    QVERIFY(addFormula(workspace, QStringLiteral("第二码+1=下期生第二")).ok());
    QVERIFY(addFormula(workspace, QStringLiteral("第二码=下期生第二")).ok());

    // Unlike the verification pass, the computed-value refresh empties unselected formulas.
    workspace.toggleSelection(1);
    QVERIFY(workspace.AddGongshiCsZhonglei().ok());
    QVERIFY(!workspace.isSelected(1));
    QCOMPARE(workspace.computedValue(1), QString());
    QCOMPARE(workspace.computedValue(2), QStringLiteral("4"));

    const std::vector<LightPassRow> rows = *workspace.YansuanCalcu(2);
    QCOMPARE(int(rows.size()), 2);
    QCOMPARE(rows[0].displayText, QStringLiteral("第二码+1=下期生第二"));
    QCOMPARE(rows[0].lastHits, 2);
    QCOMPARE(rows[1].lastHits, 0);
    QVERIFY(workspace.YansuanCalcu(3)->empty());
}

void TestWorkspace::formulaThatDoesNotEvaluateIsMarked()
{
    TestSession session;
    Workspace& workspace = session.open();
    std::mt19937_64 random(3);
    storeDraws(session, workspace, oracle::randomHistory(40, random));
    appendFormula(session, 1, QStringLiteral("L1A+第二某某"), QStringLiteral("x"), false, std::nullopt, 1);
    appendFormula(session, 1, QStringLiteral("L1A+1"), QStringLiteral("y"), false, std::nullopt, 2);

    QVERIFY(workspace.AddGongshi().ok());
    QVERIFY(workspace.Yansuan().ok());

    QVERIFY(!workspace.formulaList().results()[0].evaluable);
    QCOMPARE(workspace.formulaList().results()[0].statistics, RunStatistics{});
    QCOMPARE(workspace.computedValue(1), QString());
    QVERIFY(workspace.formulaList().results()[1].evaluable);
    QVERIFY(!workspace.computedValue(2).isEmpty());
    const std::vector<FormulaRecord> stored = storedFormulas(session, 1);
    QCOMPARE(stored[0].statistics, std::optional<RunStatistics>(RunStatistics{}));
}

void TestWorkspace::selectionSurvivesRefillAndFullFillSelectsAll()
{
    TestSession session;
    Workspace& workspace = session.open();
    for (int i = 1; i <= 3; ++i)
        QVERIFY(addFormula(workspace, QStringLiteral("[第一生]第一码+%1").arg(i)).ok());
    workspace.toggleSelection(3);

    // A formula removed from the table takes its mark with it; the others keep theirs.
    QVERIFY(session.openDatabase()->formulas().deleteByIdx(1, workspace.formulaList().rows()[0].idx).ok());
    QVERIFY(workspace.AddGongshiZhonglei().ok());
    QCOMPARE(std::size_t(workspace.formulaList().count()), std::size_t(2));
    QVERIFY(workspace.isSelected(1));
    QVERIFY(!workspace.isSelected(2));

    QVERIFY(workspace.selectPosition(2).ok());
    QVERIFY(workspace.selectPosition(1).ok());
    QVERIFY(workspace.isSelected(1) && workspace.isSelected(2));
    workspace.toggleSelection(1);
    QVERIFY(workspace.setChineseDisplay(false).ok());
    QVERIFY(!workspace.chineseDisplay());
    QVERIFY(workspace.isSelected(1));
    QVERIFY(!workspace.isSelected(0) && !workspace.isSelected(3));
}

void TestWorkspace::pickedLotteryTypeAndRestart_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("whenPicked");
    QTest::addColumn<int>("afterRestart");

    // The type's D is the same whether it was picked now or read at start-up.
    QTest::newRow("重庆幸运农场: 97 picked and after restart") << 3 << 97 << 97;
    QTest::newRow("陕西快乐十分: 71 picked and after restart") << 4 << 71 << 71;
    QTest::newRow("云南快乐十分: 72 both") << 6 << 72 << 72;
}

void TestWorkspace::pickedLotteryTypeAndRestart()
{
    QFETCH(int, index);
    QFETCH(int, whenPicked);
    QFETCH(int, afterRestart);

    TestSession session;
    Workspace& workspace = session.open();
    QSignalSpy settingsChanged(&session.settings(), &Settings::changed);
    SettingsMenu(workspace).pickLotteryType(index);
    QCOMPARE(session.settings().lotteryTypeIndex(), index);
    QCOMPARE(workspace.drawsPerDay(), whenPicked);
    QCOMPARE(session.settings().rawValue(QStringLiteral("IniSetting"), QStringLiteral("GsZl")),
             QString::number(index));
    QCOMPARE(settingsChanged.count(), 1);

    SettingsMenu(workspace).pickLotteryType(kNoLotteryType); // not selectable
    QCOMPARE(session.settings().lotteryTypeIndex(), index);

    Workspace& restarted = session.open();
    QCOMPARE(session.settings().lotteryTypeIndex(), index);
    QCOMPARE(restarted.drawsPerDay(), afterRestart);
}

void TestWorkspace::historyDaysDialog_data()
{
    QTest::addColumn<QStringList>("answers"); // "<cancel>" cancels
    QTest::addColumn<int>("refusals");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("stored");

    const QString cancel = QStringLiteral("<cancel>");
    QTest::newRow("11 and 1 refused, then 10 accepted")
        << QStringList{QStringLiteral("11"), QStringLiteral("1"), QStringLiteral("10")} << 2 << 10
        << QStringLiteral("10");
    QTest::newRow("2 accepted") << QStringList{QStringLiteral("2")} << 0 << 2 << QStringLiteral("2");
    QTest::newRow("words and fractions refused, then 7")
        << QStringList{QStringLiteral("abc"), QStringLiteral("5.5"), QStringLiteral("-3"),
                       QStringLiteral("7")}
        << 3 << 7 << QStringLiteral("7");
    QTest::newRow("cancel keeps the value") << QStringList{cancel} << 0 << 3 << QString();
    QTest::newRow("refused then cancelled")
        << QStringList{QStringLiteral("0"), cancel} << 1 << 3 << QString();
    QTest::newRow("empty answer ends the dialog") << QStringList{QString()} << 0 << 3 << QString();
}

void TestWorkspace::historyDaysDialog()
{
    QFETCH(QStringList, answers);
    QFETCH(int, refusals);
    QFETCH(int, days);
    QFETCH(QString, stored);

    TestSession session;
    Workspace& workspace = session.open();
    for (const QString& answer : answers)
        session.prompts().queueInputText(
            answer == QLatin1String("<cancel>") ? std::nullopt : std::optional<QString>(answer));
    SettingsMenu(workspace).editHistoryDays();

    const auto inputs = session.prompts().records(ScriptedPrompts::Kind::InputText);
    QCOMPARE(inputs.size(), answers.size());
    QCOMPARE(inputs.first().title, kHistoryDaysTitle);
    QCOMPARE(inputs.first().message, kHistoryDaysPrompt);
    QCOMPARE(inputs.first().defaultText, QStringLiteral("3"));
    const auto notices = session.prompts().notices();
    QCOMPARE(notices.size(), refusals);
    for (const auto& notice : notices) {
        QCOMPARE(notice.title, QStringLiteral("输入有误"));
        QCOMPARE(notice.message, kHistoryDaysRefused);
    }
    QCOMPARE(session.prompts().unexpectedCalls(), 0);
    QCOMPARE(workspace.historyDays(), days);
    QCOMPARE(session.settings().rawValue(QStringLiteral("IniSetting"), QStringLiteral("IniSerchDay")),
             stored);
}

void TestWorkspace::restoreDefaultsThenRestart()
{
    TestSession session;
    Workspace& workspace = session.open();
    SettingsMenu(workspace).setResultsAtCurrentPeriod(true);
    SettingsMenu(workspace).toggleExcludeCurrentPeriod();
    SettingsMenu(workspace).toggleWeightedAccuracy();
    QVERIFY(SettingsMenu(workspace).setRetrievalPeriodsIndex(0).ok());
    SettingsMenu(workspace).pickLotteryType(2);
    session.settings().setComputeSelectedFormulas(false);
    QVERIFY(session.settings().resultsAtCurrentPeriod());
    QCOMPARE(workspace.verificationSettings().periods, 0);

    QVERIFY(SettingsMenu(workspace).restoreDefaults().ok());
    QVERIFY(!session.settings().resultsAtCurrentPeriod());
    QCOMPARE(workspace.verificationSettings().periods, 300);
    QCOMPARE(session.settings().retrievalPeriodsIndex(), 3);
    QVERIFY(workspace.verificationSettings().excludeCurrentPeriod);
    QVERIFY(workspace.verificationSettings().weighted);
    QCOMPARE(workspace.historyDays(), 3); // the days in use wait for the next start
    const auto raw = [&](const char* key) {
        return session.settings().rawValue(QStringLiteral("IniSetting"), QLatin1String(key));
    };
    QCOMPARE(raw("IniSerchDay"), QStringLiteral("6"));
    QCOMPARE(raw("JSQS"), QStringLiteral("3"));
    QCOMPARE(raw("LsXs"), QStringLiteral("False"));
    QCOMPARE(raw("SyBq"), QStringLiteral("True"));
    QCOMPARE(raw("ZqlJq"), QStringLiteral("True"));
    QCOMPARE(raw("GsZl"), QStringLiteral("2"));     // untouched
    QCOMPARE(raw("JSFF"), QStringLiteral("False")); // untouched

    Workspace& restarted = session.open();
    QCOMPARE(restarted.historyDays(), 6);
    QCOMPARE(restarted.verificationSettings().periods, 300);
    QCOMPARE(session.settings().lotteryTypeIndex(), 2);
}

void TestWorkspace::retrievalChoiceVerifiesAndTogglesOnlySave()
{
    TestSession session;
    Workspace& workspace = session.open();
    std::mt19937_64 random(5);
    storeDraws(session, workspace, oracle::randomHistory(150, random));
    QVERIFY(addFormula(workspace, QStringLiteral("[第一生]第一码+第二码")).ok());
    QSignalSpy results(&workspace, &Workspace::resultsChanged);

    SettingsMenu(workspace).toggleExcludeCurrentPeriod();
    SettingsMenu(workspace).toggleWeightedAccuracy();
    SettingsMenu(workspace).setResultsAtCurrentPeriod(true);
    QCOMPARE(results.count(), 0);
    const qint64 weightedTotal = workspace.formulaList().results()[0].totalWeight;

    QVERIFY(SettingsMenu(workspace)
                .setRetrievalPeriodsIndex(1)
                .ok()); // 100 periods, now without weights and with the current period
    QCOMPARE(results.count(), 1);
    QCOMPARE(session.settings().rawValue(QStringLiteral("IniSetting"), QStringLiteral("JSQS")),
             QStringLiteral("1"));
    QCOMPARE(workspace.formulaList().results()[0].totalWeight, qint64(101));
    QVERIFY(weightedTotal > 101);

    QVERIFY(SettingsMenu(workspace).setRetrievalPeriodsIndex(10).ok()); // no such choice
    QCOMPARE(results.count(), 1);
    QCOMPARE(session.settings().retrievalPeriodsIndex(), 1);
}

void TestWorkspace::yansuanMatchesOracle_data()
{
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<int>("drawCount");

    QTest::newRow("80 draws: every window reaches the oldest draw") << quint64(101) << 80;
    QTest::newRow("301 draws: 300 periods with B off meets draw 1") << quint64(202) << 301;
    QTest::newRow("420 draws") << quint64(303) << 420;
}

void TestWorkspace::yansuanMatchesOracle()
{
    QFETCH(quint64, seed);
    QFETCH(int, drawCount);

    std::mt19937_64 random(seed);
    const std::vector<Draw> draws = oracle::randomHistory(drawCount, random);
    oracle::Oracle reference(draws);
    oracle::RandomFormula formulas(random);
    const int position = int(random() % kPositionCount) + 1;

    TestSession session;
    {
        Workspace& setup = session.open({position, false, std::nullopt, false});
        storeDraws(session, setup, draws);
        std::vector<NewFormula> stored;
        for (int i = 0; i < 24; ++i)
            stored.push_back(
                {formulas.any(), QStringLiteral("f%1").arg(i), i % 3 == 0, std::nullopt, std::nullopt});
        QVERIFY(session.openDatabase()->formulas().append(position, stored).ok());
    }

    for (const int periods : {0, 100, 300}) {
        for (const bool exclude : {true, false}) {
            for (const bool kill : {true, false}) {
                const VerificationSettings settings{periods, exclude, periods != 100};
                Workspace& workspace = session.open({position, kill, settings, false});
                QVERIFY(workspace.Yansuan().ok());
                const auto& rows = workspace.formulaList().rows();
                QVERIFY(!rows.empty());
                for (std::size_t k = 0; k < rows.size(); ++k) {
                    const FormulaVerdict expected = reference.verify(rows[k].code, position, kill, settings);
                    const FormulaListResult& actual = workspace.formulaList().results()[k];
                    const QString context = QStringLiteral("seed %1, N %2, B %3, %4, position %5, code %6")
                                                .arg(seed)
                                                .arg(periods)
                                                .arg(exclude)
                                                .arg(kill ? QStringLiteral("kill") : QStringLiteral("keep"))
                                                .arg(position)
                                                .arg(rows[k].code);
                    QVERIFY2(actual.statistics == expected.statistics, qPrintable(context));
                    QVERIFY2(actual.hitWeight == expected.hitWeight, qPrintable(context));
                    QVERIFY2(actual.totalWeight == expected.totalWeight, qPrintable(context));
                    const QString expectedValue =
                        expected.computedValue ? QString::number(*expected.computedValue) : QString();
                    QVERIFY2(workspace.computedValue(int(k + 1)) == expectedValue, qPrintable(context));
                }
                QVERIFY(session.prompts().notices().isEmpty());
            }
        }
    }
}

void TestWorkspace::databaseFailureIsReturned()
{
    TestSession session;
    Workspace& workspace = session.open();
    QVERIFY(addFormula(workspace, QStringLiteral("[第一生]第一码+1")).ok());
    QVERIFY(addFormula(workspace, QStringLiteral("[第二生]第一码+2")).ok());
    QCOMPARE(std::size_t(workspace.formulaList().count()), std::size_t(1));
    QVERIFY(workspace.selectPosition(1).ok());
    {
        // Another program damages the file while the workspace has it open.
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(session.dataFolder() + QStringLiteral("/formula.db"));
        QVERIFY(other.open());
        QSqlQuery drop(other);
        QVERIFY(drop.exec(QStringLiteral("DROP TABLE Gongshi2")));
        drop.finish();
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    QSignalSpy results(&workspace, &Workspace::resultsChanged);

    const Status failed = workspace.selectPosition(2);

    // The failure names what failed and is left to the caller to show, once.
    QVERIFY(!failed.ok());
    QVERIFY(failed.error().contains(QStringLiteral("Gongshi2")));
    QVERIFY(session.prompts().notices().isEmpty());
    // The list does not go on showing the formulas of position 1 under position 2.
    QVERIFY((workspace.formulaList().count() == 0));
    QCOMPARE(results.count(), 0);
}

void TestWorkspace::readOnlyDatabaseIsShownAndVerified()
{
    TestSession session;
    QVERIFY(session.seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 50));
    Workspace& setup = session.open();
    QVERIFY(addFormula(setup, QStringLiteral("[第一生]第一码+1")).ok());
    const std::vector<FormulaRecord> before = storedFormulas(session, 1);

    const QString file = QDir(session.dataFolder()).filePath(QStringLiteral("formula.db"));
    ReadOnlyScope readOnly(file, ReadOnlyScope::What::File);
    const Status started = session.start();
    QVERIFY2(started.ok(), qPrintable(started.error()));
    Workspace& workspace = session.workspace();
    QVERIFY(workspace.isReadOnly());
    QVERIFY(workspace.readOnlyReason().contains(QDir::toNativeSeparators(file)));
    QCOMPARE(workspace.history()->drawCount(), 50);
    QCOMPARE(workspace.formulaList().count(), 1);
    QVERIFY(!workspace.computedValue(1).isEmpty());
    // Passes run on without saving; a change is refused with the reason.
    QVERIFY(workspace.selectPosition(1).ok());
    const Status refused = addFormula(workspace, QStringLiteral("[第一生]第一码+2"));
    QVERIFY(!refused.ok());
    QVERIFY(refused.error().contains(QDir::toNativeSeparators(file)));
    QCOMPARE(storedFormulas(session, 1).size(), before.size());
}

void TestWorkspace::secondPassWritesNothingBack()
{
    TestSession session;
    QVERIFY(session.seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 80));
    Workspace& workspace = session.open();
    for (int i = 1; i <= 3; ++i)
        QVERIFY(addFormula(workspace, QStringLiteral("[第一生]第一码+%1").arg(i)).ok());
    // After a pass has written its statistics, the same pass again changes no stored row.
    QVERIFY(workspace.Yansuan().ok());
    QVERIFY(workspace.formulaList().writeBackUpdates().empty());
    const std::vector<FormulaRecord> stored = storedFormulas(session, 1);
    for (std::size_t i = 0; i < stored.size(); ++i)
        QCOMPARE(stored[i].statistics,
                 std::optional<RunStatistics>(workspace.formulaList().results()[i].statistics));
}

void TestWorkspace::handEditedRowsAreReadWithChecks()
{
    TestSession session;
    QVERIFY(session.seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 40));
    session.open();
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("editor"));
    other.setDatabaseName(QDir(session.dataFolder()).filePath(QStringLiteral("formula.db")));
    QVERIFY(other.open());
    QSqlQuery edit(other);
    // Another program repeats a number in one draw, writes an impossible issue, and flags kinds its
    // own way: -1 (Access's True) and "True" are kill; 2, "x" and empty are keep.
    QVERIFY(edit.exec(
        QStringLiteral("UPDATE Lishi SET L2A = L1A WHERE strQQH = (SELECT MIN(strQQH) FROM Lishi)")));
    QVERIFY(edit.exec(
        QStringLiteral("UPDATE Lishi SET strQQH = 14023001 WHERE strQQH = (SELECT MAX(strQQH) FROM Lishi)")));
    // ... and writes values that are no whole number: a fraction, text, a number beyond 32 bits.
    for (const char* value : {"3.7", "'xyz'", "4294967297"})
        QVERIFY(edit.exec(QStringLiteral("UPDATE Lishi SET L1A = %1 WHERE strQQH = (SELECT MAX(strQQH) FROM Lishi "
                                         "WHERE typeof(L1A) = 'integer' AND L1A <= 20 AND strQQH <> 14023001)")
                              .arg(QLatin1String(value))));
    QVERIFY(edit.exec(QStringLiteral("UPDATE Lishi SET L8N = 2.5 WHERE strQQH = (SELECT MAX(strQQH) FROM Lishi "
                                     "WHERE typeof(L1A) = 'integer' AND L1A <= 20 AND strQQH <> 14023001)")));
    for (const char* flag : {"-1", "'True'", "2", "'x'", "NULL"})
        QVERIFY(edit.exec(
            QStringLiteral(
                "INSERT INTO Gongshi1 (idx, gongshi, gongshiCN, bolKill) VALUES (1, 'L1A+1', 'f', %1)")
                .arg(QLatin1String(flag))));
    edit.finish();
    other.close();
    QSqlDatabase::removeDatabase(QStringLiteral("editor"));

    Workspace& workspace = session.open();
    QCOMPARE(workspace.history()->drawCount(), 34);
    QCOMPARE(workspace.leftOutDraws().size(), 6);
    QVERIFY(workspace.leftOutDraws().first().startsWith(QStringLiteral("14023001"))); // oldest first
    const QString leftOut = workspace.leftOutDraws().join(u'|');
    for (const QString& fault : {QStringLiteral("L1A列的值“3.7”不是整数"), QStringLiteral("L1A列的值“xyz”不是整数"),
                                 QStringLiteral("L1A列的值“4294967297”不是整数"), QStringLiteral("L8N列的值“2.5”不是整数")})
        QVERIFY2(leftOut.contains(fault), qPrintable(leftOut));
    QCOMPARE(*session.openDatabase()->history().count(), 40);                         // nothing deleted
    QCOMPARE(workspace.formulaList().count(), 3);                                     // the keep ones
    QVERIFY(workspace.setCurrentKind(true).ok());
    QCOMPARE(workspace.formulaList().count(), 2);
}

QTEST_GUILESS_MAIN(TestWorkspace)
#include "tst_workspace.moc"
