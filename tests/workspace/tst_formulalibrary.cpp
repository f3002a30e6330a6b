#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/TextFile.h"
#include "support/LocalHttpServer.h"
#include "support/TestSession.h"
#include "workspace/FormulaExport.h"
#include "workspace/FormulaFileImport.h"
#include "workspace/FormulaMaintenance.h"
#include "workspace/OnlineFormulaUpdate.h"
#include "workspace/Workspace.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace quorvel;
using namespace std::chrono_literals;

namespace {

const QString kUnrecognisedTitle = QStringLiteral("无法识别公式");
const QString kUpdateTitle = QStringLiteral("公式在线更新");

QStringList storedTexts(const TestSession& session, int position)
{
    QStringList texts;
    const Result<std::vector<FormulaRecord>> rows = session.openDatabase()->formulas().read(position);
    for (const FormulaRecord& row : rows.value_or(std::vector<FormulaRecord>{}))
        texts << row.displayText;
    return texts;
}

// The numbers of a table in stored order run 1..n.
bool numberedInOrder(const TestSession& session, int position)
{
    const Result<std::vector<FormulaRecord>> rows = session.openDatabase()->formulas().read(position);
    for (std::size_t i = 0; i < rows->size(); ++i) {
        if ((*rows)[i].idx != int(i + 1))
            return false;
    }
    return true;
}

void store(const TestSession& session, int position, const QStringList& codes, bool kill = false)
{
    std::vector<NewFormula> formulas;
    for (const QString& code : codes)
        formulas.push_back(NewFormula{code, code, kill, std::nullopt, std::nullopt});
    QVERIFY(session.openDatabase()->formulas().append(position, formulas).ok());
    QVERIFY(session.openDatabase()->formulas().renumber(position).ok());
}

QString writeFile(const TestSession& session, const QString& name, const QByteArray& bytes)
{
    const QString path = QDir(session.dataFolder()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

WorkspaceStartOptions onList(int position)
{
    WorkspaceStartOptions options;
    options.position = position;
    return options;
}

QByteArray gb18030(const QStringList& lines)
{
    return TextFile::encodeLines(lines).value_or(QByteArray());
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A formula file of exactly `size` bytes: formulas of position 2, then a remark that fills it up.
QByteArray formulaFileOfSize(qsizetype size, const QStringList& formulas)
{
    QByteArray bytes = gb18030(formulas) + "\xc1\xac\xd7\xbc"; // "连准" in GB18030
    bytes += QByteArray(size - bytes.size(), 'x');
    return bytes;
}

} // namespace

class TestFormulaLibrary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void importSwitchesAndRebuilds_data();
    void importSwitchesAndRebuilds();
    void importFileOutcome_data();
    void importFileOutcome();
    void fileDialogStartsInFormulaFolder();
    void databaseFailureRollsBackTheImport();
    void onlineUpdate_data();
    void onlineUpdate();
    void onlineUpdateAppendsWithoutRebuildOrTrace();
    void onlineUpdateAsksForAddressAndStoresIt();
    void deletionsAndMarks_data();
    void deletionsAndMarks();
    void clearAndSelection();
    void exportImportsBack();

private:
    LocalHttpServer m_server;
};

void TestFormulaLibrary::initTestCase()
{
    QVERIFY(m_server.isListening());
    const QStringList formulas{"第一码+1=下期杀第二", "第一码+2=下期杀第二"};
    m_server.setAnswer("/1024", {200, formulaFileOfSize(1024, formulas)});
    m_server.setAnswer("/1025", {200, formulaFileOfSize(1025, formulas)});
    m_server.setAnswer("/missing", {404, formulaFileOfSize(2000, formulas)});
    m_server.setAnswer("/stall", {200, formulaFileOfSize(2000, formulas), true, 1, 0, true});
    m_server.setAnswer("/repeats",
                       {200, formulaFileOfSize(1500, {"第一码+2=下期杀第二", "第一码+2=下期杀第二",
                                                      "第一码+第二某某=下期杀第二", "第一码+4=下期杀第二"})});
}

// ---- file import ---------------------------------------------------------------------------------

void TestFormulaLibrary::importSwitchesAndRebuilds_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("table2");
    QTest::addColumn<QStringList>("table3");
    QTest::addColumn<bool>("finalKill");

    // The shown list is position 3, keep; both tables hold a duplicate pair before the import.
    const QStringList dup{QStringLiteral("L1A+9"), QStringLiteral("L1A+9")};
    QTest::newRow("lines of the shown table: no rebuild, duplicates stay")
        << QStringList{"[第三杀]第一码+1", "[第三杀]第一码+1"} << dup
        << (dup + QStringList{"[第三杀]第一码+1", "[第三杀]第一码+1"}) << false;
    QTest::newRow("bracket lines 3 then 2: table 2 rebuilt before its first formula only")
        << QStringList{"[第三杀]第一码+1", "[第二杀]第一码+2", "[第二杀]第一码+2"}
        << QStringList{"L1A+9", "[第二杀]第一码+2", "[第二杀]第一码+2"}
        << (dup + QStringList{"[第三杀]第一码+1"}) << false;
    QTest::newRow("suffix lines of another table: a rebuild before every line")
        << QStringList{"第一码+2=下期杀第二", "第一码+2=下期杀第二", "第一码+4=下期杀第二"}
        << QStringList{"L1A+9", "第一码+2=下期杀第二", "第一码+4=下期杀第二"} << dup << true;
    QTest::newRow("the last duplicate waits for the next rebuild")
        << QStringList{"第一码+2=下期杀第二", "第一码+2=下期杀第二"}
        << QStringList{"L1A+9", "第一码+2=下期杀第二", "第一码+2=下期杀第二"} << dup << true;
}

void TestFormulaLibrary::importSwitchesAndRebuilds()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, table2);
    QFETCH(QStringList, table3);
    QFETCH(bool, finalKill);

    TestSession session;
    QVERIFY(session.seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 30));
    store(session, 2, {QStringLiteral("L1A+9"), QStringLiteral("L1A+9")});
    store(session, 3, {QStringLiteral("L1A+9"), QStringLiteral("L1A+9")});
    Workspace& workspace = session.open(onList(3));

    const QString path = writeFile(session, QStringLiteral("f.txt"), gb18030(lines));
    const Result<FormulaImportOutcome> outcome = FormulaFileImport(workspace).importFile(path);
    QVERIFY2(outcome.ok(), qPrintable(outcome.error()));
    QCOMPARE(outcome->imported, int(lines.size()));
    QCOMPARE(storedTexts(session, 2), table2);
    QCOMPARE(storedTexts(session, 3), table3);
    QVERIFY(numberedInOrder(session, 2));
    QVERIFY(numberedInOrder(session, 3));
    // The shown table is current again, with the kind the last suffix line left, all selected.
    QCOMPARE(workspace.currentPosition(), 3);
    QCOMPARE(workspace.currentKindIsKill(), finalKill);
    for (int listNumber = 1; listNumber <= workspace.formulaList().count(); ++listNumber)
        QVERIFY(workspace.isSelected(listNumber));
}

void TestFormulaLibrary::importFileOutcome_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("look");

    const QStringList lines{"[第二杀]第一码+第三大小+7　　　　连准：12期",
                            "",
                            "　连准：3期",
                            "[第二x",
                            "第一码+第二某某+5=下期杀第二",
                            "第二码+5=下期生第二"};
    QTest::newRow("GB18030 with CR LF, the file looked at") << gb18030(lines) << true;
    QTest::newRow("UTF-8 with BOM and LF, not looked at")
        << QByteArray("\xEF\xBB\xBF" + lines.join(QLatin1Char('\n')).toUtf8()) << false;
}

void TestFormulaLibrary::importFileOutcome()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, look);

    TestSession session;
    Workspace& workspace = session.open();
    session.prompts().queueQuestionAnswer(look);
    const QString path = writeFile(session, QStringLiteral("f.txt"), bytes);
    const Result<FormulaImportOutcome> outcome = FormulaFileImport(workspace).importFile(path);
    QVERIFY2(outcome.ok(), qPrintable(outcome.error()));

    QCOMPARE(outcome->imported, 2);
    QCOMPARE(outcome->unrecognised, 2);
    QCOMPARE(storedTexts(session, 2), (QStringList{"[第二杀]第一码+第三大小+7", "第二码+5=下期生第二"}));
    const QString unrecognised = QDir(session.dataFolder()).filePath(QStringLiteral("无法识别公式.txt"));
    QCOMPARE(outcome->unrecognisedFile, unrecognised);
    QCOMPARE(fileBytes(unrecognised), gb18030({"[L2x", "L1A+L2某某+5"}));
    QCOMPARE(session.prompts().last(ScriptedPrompts::Kind::Question).title, kUnrecognisedTitle);
    QCOMPARE(session.prompts().last(ScriptedPrompts::Kind::Question).message,
             QStringLiteral("公式文本文件中含有无法识别公式，是否查看这些公式？"));
    QCOMPARE(session.prompts().shownFiles(), look ? QStringList{unrecognised} : QStringList{});
    QCOMPARE(workspace.currentPosition(), 1);
    QVERIFY(!workspace.currentKindIsKill()); // the suffix line that named 杀 was not recognised

    // Rewritten by the next import: empty, and no question, when every line is recognised.
    session.prompts().clear();
    const QString clean = writeFile(session, QStringLiteral("g.txt"), gb18030({"[第一杀]第一码+1"}));
    QVERIFY(FormulaFileImport(workspace).importFile(clean).ok());
    QCOMPARE(fileBytes(unrecognised), QByteArray());
    QCOMPARE(session.prompts().count(ScriptedPrompts::Kind::Question), 0);
}

void TestFormulaLibrary::fileDialogStartsInFormulaFolder()
{
    TestSession session;
    Workspace& workspace = session.open();
    const QString folder = QDir(session.dataFolder()).filePath(QStringLiteral("公式文本"));
    QVERIFY(!QFileInfo::exists(folder));
    session.prompts().queueOpenFileName(QStringLiteral("/x/a.TXT"));
    session.prompts().queueOpenFileName(QStringLiteral("/x/a.dat"));
    session.prompts().queueOpenFileName(QString());

    QCOMPARE(FormulaFileImport(workspace).chooseFile(), QStringLiteral("/x/a.TXT"));
    QCOMPARE(FormulaFileImport(workspace).chooseFile(), QString());
    QCOMPARE(FormulaFileImport(workspace).chooseFile(), QString());
    QVERIFY(QFileInfo(folder).isDir());
    const ScriptedPrompts::Record dialog = session.prompts().last(ScriptedPrompts::Kind::OpenFileName);
    QCOMPARE(dialog.defaultText, folder);
    QCOMPARE(dialog.message, QStringLiteral("Text(*.txt)|*.txt"));
}

void TestFormulaLibrary::databaseFailureRollsBackTheImport()
{
    TestSession session;
    store(session, 2, {QStringLiteral("L1A+9"), QStringLiteral("L1A+9")});
    Workspace& workspace = session.open();
    {
        // The shown table refuses one formula when the import writes it, after table 2 was rebuilt.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("trigger"));
        db.setDatabaseName(QDir(session.dataFolder()).filePath(QStringLiteral("formula.db")));
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(
            QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Gongshi1 "
                           "WHEN NEW.gongshi = 'L1A+1' BEGIN SELECT RAISE(ABORT, 'refused'); END")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("trigger"));
    const QString path = writeFile(session, QStringLiteral("f.txt"),
                                   gb18030({"[第一杀]第一码+1", "[第二杀]第一码+2", "第一某某=下期杀第一"}));
    const Result<FormulaImportOutcome> outcome = FormulaFileImport(workspace).importFile(path);
    QVERIFY(!outcome);
    QCOMPARE(outcome.failure().title, QStringLiteral("数据库错误"));
    QVERIFY2(outcome.error().contains(QStringLiteral("refused")), qPrintable(outcome.error()));
    QCOMPARE(storedTexts(session, 1), QStringList());
    QCOMPARE(storedTexts(session, 2), (QStringList{"L1A+9", "L1A+9"})); // its rebuild was undone too
    QCOMPARE(session.prompts().count(ScriptedPrompts::Kind::Question), 0);
}

// ---- online update -------------------------------------------------------------------------------

void TestFormulaLibrary::onlineUpdate_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("imported"); // -1: a failure
    QTest::addColumn<QString>("failure");

    QTest::newRow("1024 bytes is a failed download") << QByteArray("/1024") << -1 << "1024字节";
    QTest::newRow("1025 bytes is imported") << QByteArray("/1025") << 2 << "";
    QTest::newRow("HTTP error") << QByteArray("/missing") << -1 << "HTTP错误404";
    QTest::newRow("no data for the idle timeout") << QByteArray("/stall") << -1 << "没有收到数据";
}

void TestFormulaLibrary::onlineUpdate()
{
    QFETCH(QByteArray, path);
    QFETCH(int, imported);
    QFETCH(QString, failure);

    TestSession session;
    Workspace& workspace = session.open();
    session.settings().setFormulaDownloadUrl(m_server.url(path.constData()).toString());
    session.prompts().queueQuestionAnswer(true);

    OnlineFormulaUpdate update(workspace);
    update.setIdleTimeout(300ms);
    QSignalSpy finished(&update, &OnlineFormulaUpdate::finished);
    const Result<bool> started = update.start();
    QVERIFY(started.ok() && *started);
    QCOMPARE(session.prompts().last(ScriptedPrompts::Kind::Question).title, QStringLiteral("读入历史"));
    QVERIFY(finished.wait(10000));
    QVERIFY(update.outcome().has_value());
    const Result<OnlineFormulaUpdateOutcome>& outcome = *update.outcome();
    const QString saved = QDir(session.dataFolder()).filePath(QStringLiteral("Quorvel.txt"));
    if (imported < 0) {
        QVERIFY(!outcome);
        QCOMPARE(outcome.failure().title, kUpdateTitle);
        QVERIFY2(outcome.error().contains(failure), qPrintable(outcome.error()));
        QCOMPARE(storedTexts(session, 2), QStringList());
    } else {
        QVERIFY2(outcome.ok(), qPrintable(outcome.error()));
        QCOMPARE(outcome->imported, imported);
        QCOMPARE(outcome->downloadedBytes, qint64(1025));
        QCOMPARE(storedTexts(session, 2).size(), imported);
    }
    // Whatever arrived is kept unchanged; nothing is written when nothing arrived.
    const bool arrived = path == "/1024" || path == "/1025";
    QCOMPARE(QFileInfo::exists(saved), arrived);
    if (arrived)
        QCOMPARE(fileBytes(saved), m_server.answer(path).body);
}

void TestFormulaLibrary::onlineUpdateAppendsWithoutRebuildOrTrace()
{
    TestSession session;
    store(session, 2, {QStringLiteral("L1A+9"), QStringLiteral("L1A+9")});
    Workspace& workspace = session.open();
    session.prompts().queueQuestionAnswer(true);

    OnlineFormulaUpdate update(workspace);
    QSignalSpy finished(&update, &OnlineFormulaUpdate::finished);
    QVERIFY(*update.start(m_server.url("/repeats")));
    QVERIFY(finished.wait(10000));
    QVERIFY2(update.outcome()->ok(), qPrintable(update.outcome()->error()));
    QCOMPARE((*update.outcome())->imported, 3);
    // No rebuild at the table switches: every duplicate stays.
    QCOMPARE(storedTexts(session, 2), (QStringList{"L1A+9", "L1A+9", "第一码+2=下期杀第二",
                                                   "第一码+2=下期杀第二", "第一码+4=下期杀第二"}));
    QVERIFY(numberedInOrder(session, 2));
    QVERIFY(!QFileInfo::exists(QDir(session.dataFolder()).filePath(QStringLiteral("无法识别公式.txt"))));
    QCOMPARE(session.prompts().count(ScriptedPrompts::Kind::Question), 1);
    // An address given for the run is not stored.
    QCOMPARE(session.settings().formulaDownloadUrl(), QString());
}

void TestFormulaLibrary::onlineUpdateAsksForAddressAndStoresIt()
{
    TestSession session;
    Workspace& workspace = session.open();
    OnlineFormulaUpdate update(workspace);

    session.prompts().queueQuestionAnswer(false);
    QCOMPARE(update.start().value_or(true), false);
    QCOMPARE(session.prompts().count(ScriptedPrompts::Kind::InputText), 0);

    session.prompts().queueQuestionAnswer(true);
    session.prompts().queueInputText(QStringLiteral("ftp://example.org/f.txt"));
    const Result<bool> refused = update.start();
    QVERIFY(!refused);
    QCOMPARE(refused.failure().title, kUpdateTitle);
    QCOMPARE(session.settings().formulaDownloadUrl(), QString());

    // The settings item: "host/path" is taken as http; Cancel keeps what is stored.
    session.prompts().queueInputText(QStringLiteral(" example.org/SOFT/Ostrel/Vantro/Quorvel.txt "));
    QVERIFY(OnlineFormulaUpdate::editAddress(workspace).ok());
    QCOMPARE(session.storedSetting(QStringLiteral("GsUrl")),
             QStringLiteral("http://example.org/SOFT/Ostrel/Vantro/Quorvel.txt"));
    session.prompts().queueInputText(std::nullopt);
    QVERIFY(OnlineFormulaUpdate::editAddress(workspace).ok());
    QCOMPARE(session.settings().formulaDownloadUrl(),
             QStringLiteral("http://example.org/SOFT/Ostrel/Vantro/Quorvel.txt"));
    QCOMPARE(session.prompts().unexpectedCalls(), 0);
}

// ---- maintenance ---------------------------------------------------------------------------------

void TestFormulaLibrary::deletionsAndMarks_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("marks"); // of list numbers 1..5 before, "1" selected
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<QString>("marksAfter");

    const QStringList all{"L1A+1", "L1A+2", "L1A+3", "L1A+4", "L1A+5"};
    QTest::newRow("this formula: the marks after it move up")
        << "this 3"
        << "11100" << true << QStringList{"L1A+1", "L1A+2", "L1A+4", "L1A+5"} << "1100";
    QTest::newRow("the last formula: the marks stay")
        << "last"
        << "10101" << true << QStringList{"L1A+1", "L1A+2", "L1A+3", "L1A+4"} << "1010";
    QTest::newRow("selected ones") << "selected"
                                   << "10101" << true << QStringList{"L1A+2", "L1A+4"} << "11";
    QTest::newRow("unselected ones") << "unselected"
                                     << "10101" << true << QStringList{"L1A+1", "L1A+3", "L1A+5"} << "111";
    QTest::newRow("unselected ones when all are selected") << "unselected"
                                                           << "11111" << true << all << "11111";
    QTest::newRow("selected ones, all selected: the other kind stays")
        << "selected"
        << "11111" << true << QStringList{} << "";
    QTest::newRow("Cancel keeps everything") << "selected"
                                             << "10101" << false << all << "10101";
}

void TestFormulaLibrary::deletionsAndMarks()
{
    QFETCH(QString, operation);
    QFETCH(QString, marks);
    QFETCH(bool, confirm);
    QFETCH(QStringList, remaining);
    QFETCH(QString, marksAfter);

    TestSession session;
    QVERIFY(session.seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 30));
    store(session, 1, {QStringLiteral("L1A+1"), QStringLiteral("L1A+2"), QStringLiteral("L1A+3")});
    store(session, 1, {QStringLiteral("L2A+7")}, true);
    store(session, 1, {QStringLiteral("L1A+4"), QStringLiteral("L1A+5")});
    Workspace& workspace = session.open();
    std::vector<char> before;
    for (const QChar c : marks)
        before.push_back(c == u'1' ? 1 : 0);
    workspace.setSelection(before);

    FormulaMaintenance maintenance(workspace);
    Status done = success();
    if (operation.startsWith(QLatin1String("this")))
        done = maintenance.deleteFormula(operation.section(QLatin1Char(' '), 1).toInt());
    else if (operation == QLatin1String("last"))
        done = maintenance.deleteLast();
    else {
        session.prompts().queueQuestionAnswer(confirm);
        done = maintenance.deleteMarked(operation == QLatin1String("selected"));
        QCOMPARE(session.prompts().last(ScriptedPrompts::Kind::Question).title, QStringLiteral("删除公式"));
    }
    QVERIFY2(done.ok(), qPrintable(done.error()));

    QStringList codes;
    QString shownMarks;
    for (int listNumber = 1; listNumber <= workspace.formulaList().count(); ++listNumber) {
        codes << workspace.formulaList().row(listNumber).code;
        shownMarks += workspace.isSelected(listNumber) ? u'1' : u'0';
    }
    QCOMPARE(codes, remaining);
    QCOMPARE(shownMarks, marksAfter);
    QCOMPARE(storedTexts(session, 1).size(), remaining.size() + 1); // the kill formula stays
    QVERIFY(numberedInOrder(session, 1));
    QCOMPARE(QFileInfo::exists(QDir(session.dataFolder()).filePath(QStringLiteral("formulaTmp.db"))),
             confirm);
}

void TestFormulaLibrary::clearAndSelection()
{
    TestSession session;
    store(session, 1, {QStringLiteral("L1A+1"), QStringLiteral("L1A+2"), QStringLiteral("L1A+3")});
    store(session, 8, {QStringLiteral("L8A+1")}, true);
    Workspace& workspace = session.open();
    FormulaMaintenance maintenance(workspace);

    workspace.setSelection({1, 0, 1});
    maintenance.invertSelection();
    QVERIFY(!workspace.isSelected(1) && workspace.isSelected(2) && !workspace.isSelected(3));
    maintenance.invertSelection();
    QVERIFY(workspace.isSelected(1) && !workspace.isSelected(2) && workspace.isSelected(3));
    maintenance.selectAll();
    QVERIFY(workspace.isSelected(2));

    session.prompts().queueQuestionAnswer(false);
    QVERIFY(maintenance.clearAll().ok());
    QCOMPARE(storedTexts(session, 8).size(), 1);
    session.prompts().queueQuestionAnswer(true);
    QVERIFY(maintenance.clearAll().ok());
    const ScriptedPrompts::Record question = session.prompts().last(ScriptedPrompts::Kind::Question);
    QCOMPARE(question.title, QStringLiteral("清空所有公式"));
    QCOMPARE(question.message, QStringLiteral("清空所有公式后将无法恢复，是否清空所有类别的公式？"));
    QCOMPARE(question.defaultButton, Prompts::DefaultButton::Cancel);
    for (int p = 1; p <= 8; ++p)
        QCOMPARE(storedTexts(session, p), QStringList());
    QCOMPARE(workspace.formulaList().count(), 0);
}

// ---- export --------------------------------------------------------------------------------------

void TestFormulaLibrary::exportImportsBack()
{
    TestSession session;
    QVERIFY(session.seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 40));
    Workspace& workspace = session.open(onList(2));
    const QString source = writeFile(session, QStringLiteral("f.txt"),
                                     gb18030({"[第一生]第一码+1", "[第一生]第二码+3", "第三码+2=下期生第二",
                                              "[第二杀]第四码+4", "[第八生]年份+1"}));
    QVERIFY(FormulaFileImport(workspace).importFile(source).ok());
    QVERIFY(workspace.setChineseDisplay(false).ok());

    const Result<QString> path = FormulaExport(workspace).exportAll();
    QVERIFY2(path.ok(), qPrintable(path.error()));
    QCOMPARE(*path,
             QDir(session.dataFolder()).filePath(workspace.issueText() + QStringLiteral("期Pellmor.txt")));
    QCOMPARE(session.prompts().shownFiles().last(), *path);
    QVERIFY(workspace.chineseDisplay());
    QCOMPARE(workspace.currentPosition(), 2);

    // Importing the export gives back the keep formulas of every position, and nothing else.
    std::array<QStringList, 8> exported;
    for (int p = 1; p <= 8; ++p)
        exported[std::size_t(p - 1)] = storedTexts(session, p);
    exported[1].removeAll(QStringLiteral("第四码+4=下期杀第二"));
    for (int p = 1; p <= 8; ++p)
        QVERIFY(session.openDatabase()->formulas().deleteAll(p).ok());
    session.prompts().clear();
    session.prompts().queueQuestionAnswer(false);
    const Result<FormulaImportOutcome> back = FormulaFileImport(workspace).importFile(*path);
    QVERIFY2(back.ok(), qPrintable(back.error()));
    QCOMPARE(back->unrecognised, 4); // the three text lines of the header and the separator
    for (int p = 1; p <= 8; ++p)
        QCOMPARE(storedTexts(session, p), exported[std::size_t(p - 1)]);

    workspace.setIssueText(QStringLiteral("../26120901"));
    const Result<QString> refused = FormulaExport(workspace).exportShown();
    QVERIFY(!refused);
    QCOMPARE(refused.failure().title, QStringLiteral("公式中文导出"));
}

QTEST_GUILESS_MAIN(TestFormulaLibrary)
#include "tst_formulalibrary.moc"
