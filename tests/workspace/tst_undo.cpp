#include "core/BackupStore.h"
#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/Settings.h"
#include "core/TextFile.h"
#include "search/FoundList.h"
#include "support/TestSession.h"
#include "workspace/FormulaFileImport.h"
#include "workspace/FormulaMaintenance.h"
#include "workspace/HistoryDeletion.h"
#include "workspace/SearchResultStore.h"
#include "workspace/SettingsMenu.h"
#include "workspace/UndoHistory.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <functional>
#include <memory>

using namespace quorvel;

namespace {

// Every stored row of the history and the eight formula tables, row ids included, as text.
QStringList storedRows(const QString& databasePath)
{
    QStringList rows;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("undo-test-reader"));
        db.setDatabaseName(databasePath);
        if (!db.open())
            return {QStringLiteral("<cannot open>")};
        QStringList tables{QStringLiteral("Lishi")};
        for (int position = 1; position <= kPositionCount; ++position)
            tables << Database::formulaTableName(position);
        for (const QString& table : tables) {
            QSqlQuery query(db);
            query.exec(QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(table));
            while (query.next()) {
                QStringList fields{table};
                for (int i = 0; i < query.record().count(); ++i)
                    fields << query.value(i).toString();
                rows << fields.join(QLatin1Char('|'));
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("undo-test-reader"));
    return rows;
}

FoundList foundList(bool kill)
{
    FoundList list;
    FoundFormula formula;
    formula.code = QStringLiteral("L6A+1");
    formula.displayText = QStringLiteral("第六码+1");
    formula.position = 1;
    formula.statistics = RunStatistics{3, 1, 3, 0};
    formula.kill = kill;
    list.append(formula);
    return list;
}

// One destructive operation as the workspace runs it, with the questions it asks answered OK.
using Operation = std::function<bool(TestSession&)>;

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestUndo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void undoneToIdenticalRows_data();
    void undoneToIdenticalRows();
    void restoreIsUndoneInTurn();
    void restoreDefaultsUndone();
    void nothingKeptIsNoUndo();

private:
    QString databasePath() const { return QDir(m_session->dataFolder()).filePath(Database::kFileName); }
    std::unique_ptr<TestSession> m_session;
};

void TestUndo::init()
{
    m_session = std::make_unique<TestSession>();
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 60));
    Workspace& workspace = m_session->open();
    const std::unique_ptr<Database> database = m_session->openDatabase();
    // Position 1 holds two keep formulas and a kill formula, position 2 one keep formula.
    QVERIFY(database->formulas().append(
        1, {NewFormula{QStringLiteral("L1A+L2B+3"), QStringLiteral("第一码+第二大小+3"), false, 3, 1},
            NewFormula{QStringLiteral("L3A+1"), QStringLiteral("第三码+1"), false, 2, 2},
            NewFormula{QStringLiteral("L4A+2"), QStringLiteral("第四码+2"), true, std::nullopt, 3}}));
    QVERIFY(database->formulas().append(
        2, {NewFormula{QStringLiteral("L5A+4"), QStringLiteral("第五码+4"), false, 5, 1}}));
    // Verified, so that the statistics stored are those every later verification writes again.
    QVERIFY(workspace.AddGongshi());
    QVERIFY(workspace.Yansuan());
}

void TestUndo::undoneToIdenticalRows_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("caption");

    QTest::newRow("the newest draw deleted")
        << Operation([](TestSession& s) { return bool(HistoryDeletion(s.workspace()).deleteNewestDraw()); })
        << QStringLiteral("删除最后历史(D)");
    QTest::newRow("the newest five draws deleted")
        << Operation([](TestSession& s) { return bool(HistoryDeletion(s.workspace()).deleteNewest(5)); })
        << QStringLiteral("删除最后指定数量期历史(E)");
    QTest::newRow("the draws after an issue deleted") << Operation([](TestSession& s) {
        return bool(HistoryDeletion(s.workspace()).deleteAfter(s.workspace().history()->issues()[9]));
    }) << QStringLiteral("删除到选定期(D)");
    QTest::newRow("the whole history deleted")
        << Operation([](TestSession& s) { return bool(HistoryDeletion(s.workspace()).deleteAll()); })
        << QStringLiteral("删除所有历史(A）");
    QTest::newRow("a formula of the list deleted")
        << Operation([](TestSession& s) { return bool(FormulaMaintenance(s.workspace()).deleteFormula(1)); })
        << QStringLiteral("删除该公式(D)");
    QTest::newRow("the last formula deleted")
        << Operation([](TestSession& s) { return bool(FormulaMaintenance(s.workspace()).deleteLast()); })
        << QStringLiteral("删除最后公式(E)");
    QTest::newRow("the unselected formulas deleted") << Operation([](TestSession& s) {
        s.workspace().toggleSelection(2);
        s.prompts().queueQuestionAnswer(true);
        return bool(FormulaMaintenance(s.workspace()).deleteMarked(false));
    }) << QStringLiteral("删除未选中公式(X)");
    QTest::newRow("every formula cleared") << Operation([](TestSession& s) {
        s.prompts().queueQuestionAnswer(true);
        return bool(FormulaMaintenance(s.workspace()).clearAll());
    }) << QStringLiteral("清空所有公式(C)");
    QTest::newRow("an import whose rebuild drops a duplicate") << Operation([](TestSession& s) {
        const QString path = QDir(s.dataFolder()).filePath(QStringLiteral("import.txt"));
        QFile file(path);
        const Result<QByteArray> bytes =
            TextFile::encodeLines({QStringLiteral("[第二生]第五码+4"), QStringLiteral("[第二生]第五码+4")});
        if (!bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size())
            return false;
        file.close();
        return bool(FormulaFileImport(s.workspace()).importFile(path));
    }) << QStringLiteral("读取公式文本(N)");
    QTest::newRow("found keep formulas stored in place of the stored ones") << Operation([](TestSession& s) {
        s.prompts().queueQuestionAnswer(true);
        return bool(SearchResultStore(s.workspace()).store(foundList(false), FoundStoreMode::Replace, true));
    }) << QStringLiteral("公式更新到数据库(N)");
    QTest::newRow("the scheme's automatic store of kill formulas") << Operation([](TestSession& s) {
        return bool(SearchResultStore(s.workspace()).store(foundList(true), FoundStoreMode::Replace, false));
    }) << QStringLiteral("搜索完毕公式自动更新到数据库");
    QTest::newRow("found formulas appended") << Operation([](TestSession& s) {
        return bool(SearchResultStore(s.workspace()).store(foundList(false), FoundStoreMode::Append, true));
    }) << QStringLiteral("公式追加到数据库(A)");
}

void TestUndo::undoneToIdenticalRows()
{
    QFETCH(Operation, operation);
    QFETCH(QString, caption);

    const QStringList before = storedRows(databasePath());
    QVERIFY(operation(*m_session));
    QCOMPARE(m_session->prompts().unexpectedCalls(), 0);
    const QStringList after = storedRows(databasePath());
    QVERIFY(after != before);

    // The kept state outlives the program: a new workspace undoes it.
    Workspace& restarted = m_session->open();
    const Result<std::vector<KeptState>> kept = UndoHistory(restarted).list();
    QVERIFY2(kept, qPrintable(kept.error()));
    QCOMPARE(int(kept->size()), 1);
    QCOMPARE(kept->front().operation, caption);
    const Result<qint64> undone = UndoHistory(restarted).undo();
    QVERIFY2(undone, qPrintable(undone.error()));
    QCOMPARE(*undone, kept->front().id);
    QCOMPARE(storedRows(databasePath()), before);
    QCOMPARE(restarted.history()->drawCount(), kept->front().drawsBefore);
}

void TestUndo::restoreIsUndoneInTurn()
{
    Workspace& workspace = m_session->workspace();
    const QStringList before = storedRows(databasePath());
    QVERIFY(HistoryDeletion(workspace).deleteNewest(3));
    const QStringList after = storedRows(databasePath());
    QVERIFY(UndoHistory(workspace).undo());
    QCOMPARE(storedRows(databasePath()), before);
    QCOMPARE(workspace.history()->drawCount(), 60);

    const Result<std::vector<KeptState>> kept = UndoHistory(workspace).list();
    QCOMPARE(int(kept->size()), 2);
    const KeptState& restore = kept->front();
    QCOMPARE(restore.operation, UndoHistory::kUndoCaption);
    QCOMPARE(std::make_pair(restore.drawsBefore, restore.drawsAfter), std::make_pair(57, 60));
    QVERIFY(UndoHistory(workspace).undo());
    QCOMPARE(storedRows(databasePath()), after);
    QCOMPARE(workspace.history()->drawCount(), 57);
}

void TestUndo::restoreDefaultsUndone()
{
    Settings& settings = m_session->settings();
    settings.setHistoryDays(9);
    settings.setRetrievalPeriodsIndex(4);
    settings.setWeightedAccuracy(false);
    QVERIFY(SettingsMenu(m_session->workspace()).restoreDefaults());
    QCOMPARE(settings.historyDays(), 6);
    QVERIFY(UndoHistory(m_session->workspace()).undo());
    QCOMPARE(settings.historyDays(), 9);
    QCOMPARE(settings.retrievalPeriodsIndex(), 4);
    QCOMPARE(settings.weightedAccuracy(), false);
    QCOMPARE(UndoHistory(m_session->workspace()).list()->back().operation, QStringLiteral("恢复默认设置(R)"));
}

void TestUndo::nothingKeptIsNoUndo()
{
    const Result<qint64> undone = UndoHistory(m_session->workspace()).undo();
    QVERIFY(!undone);
    QCOMPARE(undone.error(), UndoHistory::kNothingToUndo);
    // A deletion that removes nothing keeps nothing either.
    QVERIFY(HistoryDeletion(m_session->workspace()).deleteAfter(99999999));
    QVERIFY(UndoHistory(m_session->workspace()).list()->empty());
}

QTEST_GUILESS_MAIN(TestUndo)
#include "tst_undo.moc"
