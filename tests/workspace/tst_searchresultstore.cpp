#include "core/Database.h"
#include "core/FormulaTables.h"
#include "search/FoundList.h"
#include "support/TestSession.h"
#include "workspace/FormulaEntry.h"
#include "workspace/SearchResultStore.h"

#include <QTest>

#include <memory>

using namespace quorvel;

namespace {

// A found formula of a position; the text tells them apart, the limit is its longest miss run.
FoundFormula found(int position, const QString& code, int limit = 3, bool kill = false)
{
    FoundFormula formula;
    formula.code = code;
    formula.displayText = QStringLiteral("[%1]%2").arg(position).arg(code);
    formula.position = position;
    formula.statistics = RunStatistics{limit, 1, limit, 0};
    formula.kill = kill;
    return formula;
}

using Found = QList<FoundFormula>;
// Per position 1..8: the stored rows as "code/limit/kind" in table order.
using Tables = QList<QStringList>;

} // namespace

class TestSearchResultStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void store_data();
    void store();
    void declinedReplaceChangesNothing();
    void failurePartWayLeavesTablesAsTheyWere();

private:
    Tables tables() const;

    std::unique_ptr<TestSession> m_session;
};

void TestSearchResultStore::init()
{
    m_session = std::make_unique<TestSession>();
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 60));
    Workspace& workspace = m_session->open();
    // Position 1 holds L1A+L2B+3 (limit 3), position 3 holds L3A+1; both keep formulas.
    const std::unique_ptr<Database> database = m_session->openDatabase();
    QVERIFY(database->formulas().append(
        1, {NewFormula{QStringLiteral("L1A+L2B+3"), QStringLiteral("[1]L1A+L2B+3"), false, 3, 1}}));
    QVERIFY(database->formulas().append(
        3, {NewFormula{QStringLiteral("L3A+1"), QStringLiteral("[3]L3A+1"), false, 3, 1}}));
    QVERIFY(workspace.AddGongshi());
}

Tables TestSearchResultStore::tables() const
{
    const std::unique_ptr<Database> database = m_session->openDatabase();
    Tables result;
    for (int position = 1; position <= kPositionCount; ++position) {
        QStringList rows;
        const Result<std::vector<FormulaRecord>> records = database->formulas().read(position);
        for (const FormulaRecord& record : *records)
            rows << QStringLiteral("%1/%2/%3")
                        .arg(record.code)
                        .arg(record.limit.value_or(-1))
                        .arg(record.kill ? QStringLiteral("kill") : QStringLiteral("keep"));
        result << rows;
    }
    return result;
}

void TestSearchResultStore::store_data()
{
    QTest::addColumn<bool>("replace");
    QTest::addColumn<Found>("foundList");
    QTest::addColumn<Tables>("expected");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("repeats"); // found formulas not written

    const QString kept1 = QStringLiteral("L1A+L2B+3/3/keep");
    const QString kept3 = QStringLiteral("L3A+1/3/keep");
    const QStringList none;
    QTest::newRow("append skips what the table's kind or an earlier found formula says, each with its kind")
        << false
        << Found{found(1, QStringLiteral("L2B+L1A+3"), 4), found(1, QStringLiteral("L5A+2"), 3, true),
                 found(1, QStringLiteral("L6A+L7A")), found(1, QStringLiteral("L7A+L6A")),
                 found(1, QStringLiteral("L6A+L7A"), 3, true)}
        << Tables{{kept1, QStringLiteral("L5A+2/3/kill"), QStringLiteral("L6A+L7A/3/keep"),
                   QStringLiteral("L6A+L7A/3/kill")},
                  none,
                  {kept3},
                  none,
                  none,
                  none,
                  none,
                  none}
        << 0 << 2;
    QTest::newRow("replace empties only the positions found, then skips only repeats among the found")
        << true
        << Found{found(1, QStringLiteral("L1A+L2B+3")), found(2, QStringLiteral("L7A+2")),
                 found(1, QStringLiteral("L2B+L1A+3"))}
        << Tables{{QStringLiteral("L1A+L2B+3/3/keep")},
                  {QStringLiteral("L7A+2/3/keep")},
                  {kept3},
                  none,
                  none,
                  none,
                  none,
                  none}
        << 1 << 1;
    QTest::newRow("replace with two groups of one position keeps both")
        << true
        << Found{found(1, QStringLiteral("L6A+1")), found(3, QStringLiteral("L8A+1")),
                 found(1, QStringLiteral("L7A+2"))}
        << Tables{{QStringLiteral("L6A+1/3/keep"), QStringLiteral("L7A+2/3/keep")},
                  none,
                  {QStringLiteral("L8A+1/3/keep")},
                  none,
                  none,
                  none,
                  none,
                  none}
        << 2 << 0;
    QTest::newRow("replace deletes only the kind it stores: the keep formula stays")
        << true << Found{found(1, QStringLiteral("L5A+2"), 3, true)}
        << Tables{{kept1, QStringLiteral("L5A+2/3/kill")}, none, {kept3}, none, none, none, none, none} << 0
        << 0;
    QTest::newRow("an empty found list writes nothing")
        << true << Found{} << Tables{{kept1}, none, {kept3}, none, none, none, none, none} << 0 << 0;
}

void TestSearchResultStore::store()
{
    QFETCH(bool, replace);
    QFETCH(Found, foundList);
    QFETCH(Tables, expected);
    QFETCH(int, deleted);
    QFETCH(int, repeats);

    FoundList list;
    for (const FoundFormula& formula : foundList)
        QVERIFY(list.append(formula));
    if (replace && !list.isEmpty())
        m_session->prompts().queueQuestionAnswer(true);
    Workspace& workspace = m_session->workspace();
    const Result<FoundStoreOutcome> outcome = SearchResultStore(workspace).store(
        list, replace ? FoundStoreMode::Replace : FoundStoreMode::Append, /*ask=*/true);
    QVERIFY2(outcome, qPrintable(outcome.error()));
    QVERIFY(!outcome->declined);
    QVERIFY(outcome->refreshed);
    QCOMPARE(m_session->prompts().unexpectedCalls(), 0);
    if (replace && !list.isEmpty()) {
        // The question names what it deletes and how to get it back; Enter cancels.
        const ScriptedPrompts::Record question = m_session->prompts().last(ScriptedPrompts::Kind::Question);
        QCOMPARE(question.title, SearchResultStore::kReplaceTitle);
        QVERIFY2(question.message.contains(QStringLiteral("共 %1 条").arg(deleted)),
                 qPrintable(question.message));
        QVERIFY(question.message.contains(QStringLiteral("撤销上次修改")));
        QCOMPARE(question.defaultButton, Prompts::DefaultButton::Cancel);
    }
    QCOMPARE(tables(), expected);
    QCOMPARE(outcome->deleted, deleted);
    QCOMPARE(outcome->repeats, repeats);
    const qsizetype written = foundList.size() - repeats;
    QCOMPARE(
        SearchResultStore::doneMessage(*outcome, replace ? FoundStoreMode::Replace : FoundStoreMode::Append),
        SearchResultStore::kDoneMessage +
            (replace ? QStringLiteral("\n删除原有公式 %1 条，写入 %2 条").arg(deleted).arg(written)
                     : QStringLiteral("\n写入 %1 条").arg(written)) +
            (repeats > 0 ? QStringLiteral("，同输出公式 %1 条未写入").arg(repeats) : QString()));

    // The main list (position 1, keep) shows the table as stored, renumbered and verified.
    int keepRows = 0;
    for (const QString& row : expected[0])
        keepRows += row.endsWith(QLatin1String("/keep")) ? 1 : 0;
    QCOMPARE(workspace.formulaList().count(), keepRows);
    const std::unique_ptr<Database> database = m_session->openDatabase();
    const Result<std::vector<FormulaRecord>> read = database->formulas().read(1);
    const std::vector<FormulaRecord>& stored = *read;
    for (std::size_t i = 0; i < stored.size(); ++i)
        QCOMPARE(stored[i].idx, std::optional<int>(int(i + 1)));
}

void TestSearchResultStore::declinedReplaceChangesNothing()
{
    const Tables before = tables();
    FoundList list;
    QVERIFY(list.append(found(1, QStringLiteral("L6A+1"))));
    m_session->prompts().queueQuestionAnswer(false);
    const Result<FoundStoreOutcome> outcome =
        SearchResultStore(m_session->workspace()).store(list, FoundStoreMode::Replace, true);
    QVERIFY(outcome && outcome->declined);
    QCOMPARE(tables(), before);
}

void TestSearchResultStore::failurePartWayLeavesTablesAsTheyWere()
{
    // The group of an impossible position comes after position 1 has been emptied and refilled.
    const Tables before = tables();
    FoundList list;
    QVERIFY(list.append(found(1, QStringLiteral("L6A+1"))));
    QVERIFY(list.append(found(9, QStringLiteral("L7A+1"))));
    const Result<FoundStoreOutcome> outcome =
        SearchResultStore(m_session->workspace()).store(list, FoundStoreMode::Replace, /*ask=*/false);
    QVERIFY(!outcome);
    QCOMPARE(tables(), before);
}

QTEST_GUILESS_MAIN(TestSearchResultStore)
#include "tst_searchresultstore.moc"
