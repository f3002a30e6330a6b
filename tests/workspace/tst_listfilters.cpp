#include "core/Database.h"
#include "core/FormulaTables.h"
#include "support/TestSession.h"
#include "workspace/FormulaFilters.h"
#include "workspace/LimitUpdate.h"
#include "workspace/Workspace.h"

#include <QTest>

#include <algorithm>

using namespace quorvel;

class TestListFilters : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void limitFilterClearsMarksOnly();
    void rangeFilterKeepsPrefilledAndNarrows();
    void limitUpdateRaisesBothKindsAfterQuestion();

private:
    void store(int position, const QString& code, bool kill, std::optional<int> limit);
    std::unique_ptr<TestSession> m_session;
};

void TestListFilters::init()
{
    m_session = std::make_unique<TestSession>();
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 120));
}

void TestListFilters::cleanup()
{
    m_session.reset();
}

void TestListFilters::store(int position, const QString& code, bool kill, std::optional<int> limit)
{
    const Status stored = m_session->openDatabase()->formulas().append(
        position, {NewFormula{code, code, kill, limit, std::nullopt}});
    QVERIFY2(stored.ok(), qPrintable(stored.error()));
}

void TestListFilters::limitFilterClearsMarksOnly()
{
    store(1, QStringLiteral("L1A+3"), false, 0);    // limit 0: always stays
    store(1, QStringLiteral("L2A+7"), false, 999);  // never reaches its limit
    store(1, QStringLiteral("L3A+L4B"), false, {}); // an empty limit reads 0
    store(1, QStringLiteral("L5A+1"), false, 0);    // unselected before: stays unselected
    Workspace& workspace = m_session->open();
    workspace.toggleSelection(4);

    QCOMPARE(FormulaFilters(workspace).applyLimitFilter(), 2);
    QCOMPARE(workspace.formulaList().selectionMarks(), (std::vector<char>{1, 0, 1, 0}));
}

void TestListFilters::rangeFilterKeepsPrefilledAndNarrows()
{
    for (const char* code : {"L1A+3", "L2A+7", "L3A+L4B", "L5A+1", "L6B+L2C+4", "L8A+11"})
        store(2, QLatin1String(code), true, {});
    WorkspaceStartOptions options;
    options.position = 2;
    options.kill = true;
    Workspace& workspace = m_session->open(options);
    FormulaFilters filters(workspace);

    const std::array<int, 8> prefilled = filters.prefilledBounds();
    std::array<QString, 8> texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = QString::number(prefilled[i]);
    QCOMPARE(filters.applyRangeFilter(texts), 6);

    // Max misses up to the lowest one found: only the formulas having it stay.
    const std::vector<FormulaListResult>& results = workspace.formulaList().results();
    const int lowest = prefilled[0];
    const auto atLowest = std::count_if(results.begin(), results.end(), [lowest](const FormulaListResult& r) {
        return r.statistics.maxMisses == lowest;
    });
    texts[1] = QString::number(lowest) + QStringLiteral(".00009");
    QCOMPARE(filters.applyRangeFilter(texts), int(atLowest));
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(workspace.isSelected(k), results[std::size_t(k - 1)].statistics.maxMisses == lowest);
}

void TestListFilters::limitUpdateRaisesBothKindsAfterQuestion()
{
    store(3, QStringLiteral("L1A+3"), false, 0);
    store(3, QStringLiteral("L2A+7"), false, 999);
    store(3, QStringLiteral("L3A+5"), true, {});
    // A pass over the kill formulas stores their statistics; the session then shows the keep ones.
    WorkspaceStartOptions options;
    options.position = 3;
    options.kill = true;
    QVERIFY(m_session->start(options));
    options.kill = false;
    Workspace& workspace = m_session->open(options);
    const auto stored = [this] { return *m_session->openDatabase()->formulas().read(3); };
    const std::vector<FormulaRecord> before = stored();
    QVERIFY(before[0].statistics && before[0].statistics->maxMisses > 0);
    QVERIFY(before[2].statistics && before[2].statistics->maxMisses > 0);

    m_session->prompts().queueQuestionAnswer(false);
    QVERIFY(!LimitUpdate(workspace).confirm());
    QCOMPARE(m_session->prompts().last(ScriptedPrompts::Kind::Question).message,
             QStringLiteral("是否将每条公式的最大连错更新为其极限值？"));

    const Result<int> raised = LimitUpdate(workspace).apply();
    QVERIFY2(raised, qPrintable(raised.error()));
    QCOMPARE(*raised, 2);
    const std::vector<FormulaRecord> after = stored();
    QCOMPARE(after[0].limit, std::optional<int>(before[0].statistics->maxMisses));
    QCOMPARE(after[1].limit, std::optional<int>(999));
    QCOMPARE(after[2].limit, std::optional<int>(before[2].statistics->maxMisses));
    // The list is read again with the new limit values.
    QCOMPARE(workspace.formulaList().row(1).limit, after[0].limit);
    QCOMPARE(m_session->prompts().unexpectedCalls(), 0);
}

QTEST_GUILESS_MAIN(TestListFilters)
#include "tst_listfilters.moc"
