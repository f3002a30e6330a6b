#include "core/Database.h"
#include "core/FormulaTables.h"
#include "support/ReadOnlyScope.h"
#include "support/TestSession.h"
#include "support/WorkbookReader.h"
#include "workspace/DetailListContent.h"
#include "workspace/PredictionRun.h"
#include "workspace/PredictionState.h"
#include "workspace/SpreadsheetExport.h"
#include "workspace/Workspace.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace quorvel;
using WorkbookReader::readSheet;

namespace {

// Keep formulas of position 1 that name 7, 12 and 3, the last one without a limit value.
void storeFormulas(const TestSession& session)
{
    const std::vector<NewFormula> formulas{
        {QStringLiteral("7"), QStringLiteral("七"), false, 4, 1},
        {QStringLiteral("12"), QStringLiteral("十二"), false, 2, 2},
        {QStringLiteral("L1A-L1A+3"), QStringLiteral("第一码-第一码+3"), false, std::nullopt, 3},
    };
    const Status stored = session.openDatabase()->formulas().append(1, formulas);
    QVERIFY2(stored.ok(), qPrintable(stored.error()));
}

QString cellValue(const std::map<QString, SheetCell>& cells, const char* reference)
{
    const auto found = cells.find(QLatin1String(reference));
    return found == cells.end() ? QStringLiteral("<absent>") : found->second.value;
}

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestSpreadsheetExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void formulaListWithItsHiddenColumn();
    void detailListReplacesTheFormulaList();
    void historyResultsAskFirst_data();
    void historyResultsAskFirst();
    void failureNamesTheCauseWithTheExportsTitle_data();
    void failureNamesTheCauseWithTheExportsTitle();

private:
    Workspace& start()
    {
        storeFormulas(*m_session);
        return m_session->open();
    }

    std::unique_ptr<TestSession> m_session;
};

void TestSpreadsheetExport::init()
{
    m_session = std::make_unique<TestSession>();
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 30));
}

void TestSpreadsheetExport::cleanup()
{
    m_session.reset();
}

void TestSpreadsheetExport::formulaListWithItsHiddenColumn()
{
    Workspace& workspace = start();
    const SpreadsheetExport exporter(workspace);
    const Result<QString> path = exporter.run(exporter.formulaList());
    QVERIFY2(path.ok(), qPrintable(path.error()));
    QCOMPARE(*path, QDir(m_session->dataFolder()).filePath(QStringLiteral("gongshi.xlsx")));
    QCOMPARE(m_session->prompts().shownFiles(), QStringList{*path});
    QCOMPARE(WorkbookReader::sheetNames(*path), QStringList{QStringLiteral("Sheet1")});

    const std::map<QString, SheetCell> cells = readSheet(*path);
    QCOMPARE(cellValue(cells, "A1"), QStringLiteral("序号"));
    QCOMPARE(cellValue(cells, "J1"), QStringLiteral("最后连对"));
    QVERIFY(cells.count(QStringLiteral("K1")) == 0); // the hidden column has no header
    QCOMPARE(cellValue(cells, "B2"), QStringLiteral("七"));
    QCOMPARE(cellValue(cells, "C2"), QStringLiteral("第一"));
    QCOMPARE(cellValue(cells, "D2"), QStringLiteral("生"));
    QCOMPARE(cellValue(cells, "E2"), QStringLiteral("7"));
    QVERIFY(cells.at(QStringLiteral("E2")).number);
    QCOMPARE(cellValue(cells, "F2"), QStringLiteral("4"));
    QVERIFY(cells.count(QStringLiteral("F4")) == 0); // an empty limit stays an empty cell
    QCOMPARE(cellValue(cells, "E4"), QStringLiteral("3"));
    QCOMPARE(cellValue(cells, "K2") + cellValue(cells, "K3") + cellValue(cells, "K4"), QStringLiteral("123"));
    QVERIFY(cells.count(QStringLiteral("A5")) == 0);
    for (const auto& [reference, cell] : cells)
        QVERIFY2(cell.fill.isEmpty(), qPrintable(reference));
}

void TestSpreadsheetExport::detailListReplacesTheFormulaList()
{
    Workspace& workspace = start();
    const SpreadsheetExport exporter(workspace);
    QVERIFY(exporter.run(exporter.formulaList()).ok());
    PredictionState state;
    workspace.toggleSelection(1);
    QVERIFY(PredictionRun(workspace, state).run(PredictionMethod::SelectedFormulas).ok());
    const Result<QString> path = exporter.run(exporter.detailList(DetailListContent::of(workspace, state)));
    QVERIFY(path.ok());

    const std::map<QString, SheetCell> cells = readSheet(*path);
    QCOMPARE(cellValue(cells, "E1"), QStringLiteral("结果"));
    QCOMPARE(cellValue(cells, "A2"), QStringLiteral("1"));
    QCOMPARE(cellValue(cells, "B2"), QStringLiteral("十二"));
    QCOMPARE(cellValue(cells, "E2"), QStringLiteral("12"));
    QCOMPARE(cellValue(cells, "B3"), QStringLiteral("第一码-第一码+3"));
    // Nothing of the formula list is left.
    QCOMPARE(cells.size(), std::size_t(5 + 5 + 5));
    QCOMPARE(folderEntries(m_session->dataFolder()).filter(QStringLiteral(".xlsx")),
             QStringList{QStringLiteral("gongshi.xlsx")});
}

void TestSpreadsheetExport::historyResultsAskFirst_data()
{
    QTest::addColumn<bool>("withResults");
    QTest::addColumn<bool>("answer");

    QTest::newRow("results shown, OK") << true << true;
    QTest::newRow("results shown, Cancel writes nothing") << true << false;
    QTest::newRow("numbers only, no question") << false << true;
}

void TestSpreadsheetExport::historyResultsAskFirst()
{
    QFETCH(bool, withResults);
    QFETCH(bool, answer);
    Workspace& workspace = start();
    if (withResults)
        m_session->prompts().queueQuestionAnswer(answer);
    const std::optional<SpreadsheetJob> job = SpreadsheetExport(workspace).history(withResults);
    QCOMPARE(m_session->prompts().unusedAnswers(), 0);
    QCOMPARE(m_session->prompts().unexpectedCalls(), 0);
    if (withResults) {
        const ScriptedPrompts::Record asked = m_session->prompts().last(ScriptedPrompts::Kind::Question);
        QCOMPARE(asked.title, QStringLiteral("查询等待确认"));
        QCOMPARE(asked.message,
                 QStringLiteral(
                     "将本表导出到EXCEL，因为公式每一期验证数据较多可能需要数分钟，确认需要执行并等待吗？"));
    }
    QCOMPARE(job.has_value(), answer);
    if (!job)
        return;
    const Result<QString> path = SpreadsheetExport(workspace).run(*job);
    QVERIFY(path.ok());
    QCOMPARE(QFileInfo(*path).fileName(), QStringLiteral("lishi.xlsx"));
    const std::map<QString, SheetCell> cells = readSheet(*path);
    QCOMPARE(cellValue(cells, "A1"), QStringLiteral("期号"));
    QCOMPARE(cellValue(cells, "A31"), QString::number(workspace.history()->issues().back()));
    if (!withResults) {
        QCOMPARE(cells.size(), std::size_t(31 * 9));
        return;
    }
    QCOMPARE(cellValue(cells, "J1"), QStringLiteral("1公式"));
    QCOMPARE(cellValue(cells, "L2"), QStringLiteral("第一码-第一码+3"));
}

void TestSpreadsheetExport::failureNamesTheCauseWithTheExportsTitle_data()
{
    QTest::addColumn<QString>("exportName");
    QTest::addColumn<bool>("readOnlyFolder"); // else a folder stands where the file should be
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("cause");

    QTest::newRow("ranking into a read-only folder") << "ranking" << true << "列表显示错误"
                                                     << "无法在";
    QTest::newRow("steps into a read-only folder") << "steps" << true << "导出到Excel"
                                                   << "无法在";
    QTest::newRow("formula list onto a folder") << "formulas" << false << "导出到EXCEL表格"
                                                << "同名文件夹";
    QTest::newRow("history onto a folder") << "history" << false << "导出列表到Excel"
                                           << "同名文件夹";
}

void TestSpreadsheetExport::failureNamesTheCauseWithTheExportsTitle()
{
    QFETCH(QString, exportName);
    QFETCH(bool, readOnlyFolder);
    QFETCH(QString, title);
    QFETCH(QString, cause);
    Workspace& workspace = start();
    PredictionState state;
    QVERIFY(PredictionRun(workspace, state).run(PredictionMethod::SelectedFormulas).ok());
    const SpreadsheetExport exporter(workspace);
    const SpreadsheetJob job = exportName == QLatin1String("ranking") ? exporter.ranking(state)
                               : exportName == QLatin1String("steps")
                                   ? exporter.calculationSteps("L1A", "第一码", workspace.history())
                               : exportName == QLatin1String("formulas") ? exporter.formulaList()
                                                                         : *exporter.history(false);
    if (!readOnlyFolder)
        QVERIFY(QDir(m_session->dataFolder()).mkdir(QFileInfo(job.path).fileName()));
    const QStringList before = folderEntries(m_session->dataFolder());
    Result<QString> written = QString();
    {
        std::optional<ReadOnlyScope> readOnly;
        if (readOnlyFolder)
            readOnly.emplace(m_session->dataFolder(), ReadOnlyScope::What::Folder);
        written = exporter.run(job);
    }
    QVERIFY(!written.ok());
    QCOMPARE(written.failure().title, title);
    QVERIFY2(written.error().contains(QDir::toNativeSeparators(job.path)), qPrintable(written.error()));
    QVERIFY2(written.error().contains(cause), qPrintable(written.error()));
    QVERIFY(m_session->prompts().shownFiles().isEmpty());
    QCOMPARE(folderEntries(m_session->dataFolder()), before);
}

QTEST_GUILESS_MAIN(TestSpreadsheetExport)
#include "tst_spreadsheetexport.moc"
