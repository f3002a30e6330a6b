#include "core/Database.h"
#include "core/DrawParameters.h"
#include "core/HistoryTable.h"
#include "core/Settings.h"
#include "support/LocalHttpServer.h"
#include "support/TestSession.h"
#include "workspace/HistoryDeletion.h"
#include "workspace/HistoryExport.h"
#include "workspace/HistoryFileImport.h"
#include "workspace/MissingDrawsCheck.h"
#include "workspace/OnlineHistoryUpdate.h"
#include "workspace/ResultsAddressSetting.h"
#include "workspace/UndoHistory.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using namespace quorvel;
using namespace std::chrono_literals;

namespace {

// Eight different numbers that change from issue to issue.
DrawNumbers numbersOf(qint32 issue)
{
    DrawNumbers numbers{};
    for (int i = 0; i < 8; ++i)
        numbers[std::size_t(i)] = (issue + i * 3) % 20 + 1;
    return numbers;
}

QString pageLine(qint32 issue)
{
    QString line = QString::number(issue);
    for (int i = 0; i < 8; ++i)
        line += (i ? QStringLiteral(" ") : QString()) +
                QStringLiteral("%1").arg(numbersOf(issue)[std::size_t(i)], 2, 10, QLatin1Char('0'));
    return QStringLiteral("<tr><td>") + line + QStringLiteral("</td></tr>\n");
}

QByteArray page(const QList<qint32>& issues)
{
    QString text = QStringLiteral("<html><body><table>\n");
    for (const qint32 issue : issues)
        text += pageLine(issue);
    return (text + QStringLiteral("</table></body></html>\n")).toUtf8();
}

QList<qint32> issuesFrom(qint32 first, int count)
{
    QList<qint32> list;
    for (int i = 0; i < count; ++i)
        list << first + i;
    return list;
}

void seed(TestSession& session, const QList<qint32>& issues)
{
    std::vector<Draw> draws;
    std::optional<DrawNumbers> previous;
    for (const qint32 issue : issues) {
        draws.push_back(makeDraw(numbersOf(issue), issue, previous, 84, EntryPath::Online));
        previous = numbersOf(issue);
    }
    QVERIFY(session.openDatabase()->history().insert(draws).ok());
}

QList<qint32> storedIssues(const TestSession& session)
{
    const Result<std::vector<qint32>> issues = session.openDatabase()->history().issues();
    return issues ? QList<qint32>(issues->begin(), issues->end()) : QList<qint32>{-1};
}

QList<qint32> snapshotIssues(const Workspace& workspace)
{
    const std::vector<qint32>& issues = workspace.history()->issues();
    return QList<qint32>(issues.begin(), issues.end());
}

// Runs an update to its end; the outcome, or the failure.
Result<OnlineUpdateOutcome> runUpdate(OnlineHistoryUpdate& update, const std::optional<QString>& base = {})
{
    QSignalSpy finished(&update, &OnlineHistoryUpdate::finished);
    const Result<bool> started = update.start(base);
    if (!started)
        return started.failure();
    if (!*started)
        return Failure{QStringLiteral("cancelled")};
    if (!finished.wait(15000) && finished.isEmpty())
        return Failure{QStringLiteral("did not finish")};
    return update.outcome();
}

} // namespace

class TestHistoryMaintenance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void onlineUpdate_data();
    void onlineUpdate();
    void failedFetchChangesNothing_data();
    void failedFetchChangesNothing();
    void updateAsksBeforeAnything_data();
    void updateAsksBeforeAnything();
    void deletions_data();
    void deletions();
    void exportReadsBackUnchanged();
    void fileImportPreview_data();
    void fileImportPreview();

private:
    Workspace& open(const QList<qint32>& seeded);

    std::unique_ptr<TestSession> m_session;
    std::unique_ptr<LocalHttpServer> m_server;
};

void TestHistoryMaintenance::init()
{
    m_session = std::make_unique<TestSession>();
    if (!m_server)
        m_server = std::make_unique<LocalHttpServer>();
    QVERIFY(m_server->isListening());
}

Workspace& TestHistoryMaintenance::open(const QList<qint32>& seeded)
{
    seed(*m_session, seeded);
    Workspace& workspace = m_session->open();
    workspace.settings().setLotteryTypeIndex(0); // 广东快乐十分, D = 84
    workspace.settings().setResultsHost(m_server->base("/gd"));
    return workspace;
}

// Today is 2026-12-09 and H = 3 throughout.
void TestHistoryMaintenance::onlineUpdate_data()
{
    QTest::addColumn<QList<qint32>>("seeded");
    QTest::addColumn<QList<qint32>>("onPage"); // in page order
    QTest::addColumn<QByteArray>("request");   // empty: no request
    QTest::addColumn<QList<qint32>>("after");
    QTest::addColumn<bool>("replaced");

    QTest::newRow("empty history loads H + 1 days")
        << QList<qint32>{} << issuesFrom(26120601, 3) + QList<qint32>{26120901} << QByteArray("/gd/?n=420")
        << issuesFrom(26120601, 3) + QList<qint32>{26120901} << false;
    QTest::newRow("continues after yesterday's draw, newest first on the page")
        << issuesFrom(26120880, 3) << QList<qint32>{26120902, 26120901, 26120884, 26120883, 26120882}
        << QByteArray("/gd/?n=252") << issuesFrom(26120880, 5) + QList<qint32>{26120901, 26120902} << false;
    QTest::newRow("an old history is replaced with the new draws")
        << QList<qint32>{26120484, 26120501} << QList<qint32>{26120601, 26120602} << QByteArray("/gd/?n=420")
        << QList<qint32>{26120601, 26120602} << true;
    QTest::newRow("today's last draw stored: nothing is asked for")
        << QList<qint32>{26120883, 26120984} << QList<qint32>{} << QByteArray()
        << QList<qint32>{26120883, 26120984} << false;
}

void TestHistoryMaintenance::onlineUpdate()
{
    QFETCH(QList<qint32>, seeded);
    QFETCH(QList<qint32>, onPage);
    QFETCH(QByteArray, request);
    QFETCH(QList<qint32>, after);
    QFETCH(bool, replaced);

    Workspace& workspace = open(seeded);
    m_server->setAnswer("/gd/", {200, page(onPage)});
    const qsizetype requestsBefore = m_server->requests().size();
    m_session->prompts().queueQuestionAnswer(true);
    OnlineHistoryUpdate update(workspace);
    const Result<OnlineUpdateOutcome> outcome = runUpdate(update);
    QVERIFY2(outcome.ok(), qPrintable(outcome.error()));
    QVERIFY2(outcome->refreshed.ok(), qPrintable(outcome->refreshed.error()));

    const QList<QByteArray> requests = m_server->requests().mid(requestsBefore);
    QCOMPARE(requests, request.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{request});
    QCOMPARE(storedIssues(*m_session), after);
    QCOMPARE(snapshotIssues(workspace), after);
    QCOMPARE(outcome->replacedHistory, replaced);
    // A replacement says what it deletes, Enter keeps the history, and it can be undone.
    const ScriptedPrompts::Record question = m_session->prompts().last(ScriptedPrompts::Kind::Question);
    QCOMPARE(
        question.message.endsWith(QStringLiteral("将删除现有 2 期历史（最早 26120484），重新下载最近 3 天")),
        replaced);
    QCOMPARE(question.defaultButton, replaced ? Prompts::DefaultButton::Cancel : Prompts::DefaultButton::Ok);
    const int stored = int(after.size()) - int(replaced ? 0 : seeded.size());
    QCOMPARE(outcome->stored, stored);
    QCOMPARE(OnlineHistoryUpdate::outcomeMessage(*outcome).startsWith(QStringLiteral("没有找到新的开奖号码")),
             stored == 0);
    if (stored > 0) // the issue after the newest draw is proposed
        QCOMPARE(workspace.issueText(), QString::number(after.last() + 1));
    // What the page lacks between the oldest and newest draw is reported.
    QCOMPARE(outcome->missing, MissingDrawsCheck(workspace).missing());
    if (replaced) {
        QVERIFY(UndoHistory(workspace).undo());
        QCOMPARE(storedIssues(*m_session), seeded);
    }
}

void TestHistoryMaintenance::failedFetchChangesNothing_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<LocalHttpServer::Answer>("answer");
    QTest::addColumn<QString>("reason");

    const QByteArray good = page({26120601, 26120602});
    QTest::newRow("HTTP error with a readable page")
        << QByteArray("/gd/") << LocalHttpServer::Answer{500, good} << QStringLiteral("HTTP错误500");
    QTest::newRow("no data before the timeout")
        << QByteArray("/gd/") << LocalHttpServer::Answer{200, good, true, 1, 0, true}
        << QStringLiteral("没有收到数据");
    QTest::newRow("larger than the size cap")
        << QByteArray("/gd/") << LocalHttpServer::Answer{200, good + QByteArray(8 << 20, ' ')}
        << QStringLiteral("上限");
    QTest::newRow("no server") << QByteArray() << LocalHttpServer::Answer{}
                               << QStringLiteral("无法连接服务器");
}

void TestHistoryMaintenance::failedFetchChangesNothing()
{
    QFETCH(QByteArray, path);
    QFETCH(LocalHttpServer::Answer, answer);
    QFETCH(QString, reason);

    // An old history, which a successful update would replace.
    const QList<qint32> seeded{26120484, 26120701};
    Workspace& workspace = open(seeded);
    if (path.isEmpty()) {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        workspace.settings().setResultsHost(QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort()));
    } else {
        m_server->setAnswer(path, answer);
    }
    m_session->prompts().queueQuestionAnswer(true);
    OnlineHistoryUpdate update(workspace);
    update.setIdleTimeout(300ms);
    const Result<OnlineUpdateOutcome> outcome = runUpdate(update);
    QVERIFY(!outcome.ok());
    QVERIFY2(outcome.error().contains(reason), qPrintable(outcome.error()));
    QCOMPARE(outcome.failure().title, QStringLiteral("在线更新"));
    QCOMPARE(storedIssues(*m_session), seeded);
    QCOMPARE(snapshotIssues(workspace), seeded);
}

void TestHistoryMaintenance::updateAsksBeforeAnything_data()
{
    QTest::addColumn<bool>("typeChosen");
    QTest::addColumn<QString>("storedHost");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<std::optional<QString>>("hostAnswer");
    QTest::addColumn<bool>("requested");

    QTest::newRow("no lottery type: refused before the question")
        << false << "x" << false << std::optional<QString>() << false;
    QTest::newRow("question cancelled") << true << "x" << false << std::optional<QString>() << false;
    QTest::newRow("no address: the input box is cancelled")
        << true << "" << true << std::optional<QString>() << false;
    QTest::newRow("no address: the answer is stored and used")
        << true << "" << true << std::optional<QString>(QStringLiteral("ok")) << true;
}

void TestHistoryMaintenance::updateAsksBeforeAnything()
{
    QFETCH(bool, typeChosen);
    QFETCH(QString, storedHost);
    QFETCH(bool, confirm);
    QFETCH(std::optional<QString>, hostAnswer);
    QFETCH(bool, requested);

    Workspace& workspace = open({});
    if (!typeChosen)
        workspace.settings().setLotteryTypeIndex(544);
    const QString answer = hostAnswer ? m_server->base("/ok") : QString();
    workspace.settings().setResultsHost(storedHost == QLatin1String("x") ? m_server->base("/gd")
                                                                         : storedHost);
    m_server->setAnswer("/ok/", {200, page({26120901})});
    m_server->setAnswer("/gd/", {200, page({26120901})});
    if (typeChosen)
        m_session->prompts().queueQuestionAnswer(confirm);
    if (storedHost.isEmpty() && confirm)
        m_session->prompts().queueInputText(hostAnswer ? std::optional<QString>(answer) : std::nullopt);
    const qsizetype requestsBefore = m_server->requests().size();

    OnlineHistoryUpdate update(workspace);
    const Result<OnlineUpdateOutcome> outcome = runUpdate(update);
    QCOMPARE(outcome.ok(), requested);
    if (!typeChosen) {
        QVERIFY2(outcome.error().contains(QStringLiteral("选择彩种")), qPrintable(outcome.error()));
        QCOMPARE(m_session->prompts().count(ScriptedPrompts::Kind::Question), 0);
    } else {
        QCOMPARE(m_session->prompts().last(ScriptedPrompts::Kind::Question).title,
                 QStringLiteral("在线更新"));
    }
    QCOMPARE(m_session->prompts().unexpectedCalls(), 0);
    QCOMPARE(m_server->requests().size() - requestsBefore, qsizetype(requested ? 1 : 0));
    if (storedHost.isEmpty() && confirm)
        QCOMPARE(m_session->storedSetting(QStringLiteral("KjUrl")), answer);
}

void TestHistoryMaintenance::deletions_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<int>("seeded");
    QTest::addColumn<int>("deleted");

    const std::optional<QString> none;
    const auto typed = [](const char* text) { return std::optional<QString>(QString::fromLatin1(text)); };
    QTest::newRow("Command3 on an empty history") << "Command3" << none << 0 << 0;
    QTest::newRow("Command3 deletes the newest") << "Command3" << none << 3 << 1;
    QTest::newRow("newest 3 of 2 deletes both") << "mnuEszhzd" << typed("3") << 2 << 2;
    QTest::newRow("newest: the default 1") << "mnuEszhzd" << typed("1") << 3 << 1;
    QTest::newRow("newest: 0 ends") << "mnuEszhzd" << typed("0") << 3 << 0;
    QTest::newRow("newest: not a number ends") << "mnuEszhzd" << typed("2x") << 3 << 0;
    QTest::newRow("newest: cancel ends") << "mnuEszhzd" << none << 3 << 0;
    QTest::newRow("newest: a huge number deletes all") << "mnuEszhzd" << typed("99999999999") << 3 << 3;
    QTest::newRow("after: the default deletes the newest") << "mnuDlzd" << typed("default") << 3 << 1;
    QTest::newRow("after: older than every draw deletes all") << "mnuDlzd" << typed("26120700") << 3 << 3;
    QTest::newRow("after: the newest deletes nothing") << "mnuDlzd" << typed("26120803") << 3 << 0;
    QTest::newRow("after: on an empty history nothing is asked") << "mnuDlzd" << none << 0 << 0;
    QTest::newRow("all") << "mnuDlAll" << none << 3 << 3;
}

void TestHistoryMaintenance::deletions()
{
    QFETCH(QString, command);
    QFETCH(std::optional<QString>, answer);
    QFETCH(int, seeded);
    QFETCH(int, deleted);

    const QList<qint32> issues = issuesFrom(26120801, seeded);
    Workspace& workspace = open(issues);
    ScriptedPrompts& prompts = m_session->prompts();
    const bool asks =
        command == QLatin1String("mnuEszhzd") || (command == QLatin1String("mnuDlzd") && seeded > 0);
    if (asks)
        prompts.queueInputText(
            answer == QLatin1String("default") ? std::optional<QString>(QStringLiteral("26120802")) : answer);
    const QString issueBefore = workspace.issueText();

    HistoryDeletion deletion(workspace);
    const Result<DeletionOutcome> outcome =
        command == QLatin1String("Command3")    ? deletion.deleteNewestDraw()
        : command == QLatin1String("mnuEszhzd") ? deletion.askAndDeleteNewest()
        : command == QLatin1String("mnuDlzd")   ? deletion.askAndDeleteAfter()
                                                : deletion.deleteAll();
    QVERIFY2(outcome.ok(), qPrintable(outcome.error()));
    QVERIFY2(outcome->refreshed.ok(), qPrintable(outcome->refreshed.error()));
    QCOMPARE(outcome->deleted, deleted);
    QCOMPARE(prompts.unexpectedCalls(), 0);
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::InputText), asks ? 1 : 0);
    if (asks) {
        const ScriptedPrompts::Record box = prompts.last(ScriptedPrompts::Kind::InputText);
        QCOMPARE(box.title, QStringLiteral("删除期数"));
        QCOMPARE(box.defaultText, command == QLatin1String("mnuDlzd") ? QString::number(issues.last() - 1)
                                                                      : QStringLiteral("1"));
        if (command == QLatin1String("mnuDlzd"))
            QVERIFY(box.message.contains(QString::number(issues.last())));
    }
    const QList<qint32> kept = issues.mid(0, seeded - deleted);
    QCOMPARE(storedIssues(*m_session), kept);
    QCOMPARE(snapshotIssues(workspace), kept);
    // Only the deletion of the newest draw proposes the next issue again.
    if (command == QLatin1String("Command3") && deleted > 0)
        QCOMPARE(workspace.issueText(), QString::number(issues.last()));
    else
        QCOMPARE(workspace.issueText(), issueBefore);
}

void TestHistoryMaintenance::exportReadsBackUnchanged()
{
    const QList<qint32> issues = issuesFrom(26120801, 3);
    Workspace& workspace = open(issues);
    const Result<QString> path = HistoryExport(workspace).writeText();
    QVERIFY2(path.ok(), qPrintable(path.error()));
    QCOMPARE(QFileInfo(*path).fileName(), QStringLiteral("更新至26120804期历史号码.txt"));
    QCOMPARE(QFileInfo(*path).absolutePath(), QFileInfo(m_session->dataFolder()).absoluteFilePath());
    QCOMPARE(m_session->prompts().shownFiles(), QStringList{*path});
    QFile file(*path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("26120801 02 05 08 11 14 17 20 03\r\n"));
    QCOMPARE(bytes.count("\r\n"), 3);

    // Deleted and imported again: the same draws.
    QVERIFY(HistoryDeletion(workspace).deleteAll().ok());
    m_session->prompts().queueQuestionAnswer(true);
    const Result<HistoryImportOutcome> imported = HistoryFileImport(workspace).import(*path);
    QVERIFY2(imported.ok(), qPrintable(imported.error()));
    QCOMPARE(imported->stored, 3);
    QCOMPARE(HistoryExport(workspace).writeText().value_or(QString()), *path);
    QVERIFY(file.seek(0));
    QCOMPARE(file.readAll(), bytes);

    // An issue text that would leave the data folder is refused.
    workspace.setIssueText(QStringLiteral("../x"));
    const Result<QString> refused = HistoryExport(workspace).writeText();
    QVERIFY(!refused.ok());
    QVERIFY(!QFileInfo::exists(QFileInfo(m_session->dataFolder()).absolutePath() +
                               QStringLiteral("/x期历史号码.txt")));
}

void TestHistoryMaintenance::fileImportPreview_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("OK stores the new draws") << true;
    QTest::newRow("Cancel stores nothing") << false;
}

void TestHistoryMaintenance::fileImportPreview()
{
    QFETCH(bool, confirm);

    Workspace& workspace = open({26120801});
    const QString path = QFileInfo(m_session->dataFolder()).absolutePath() + QStringLiteral("/draws.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("26120801,02,05,08,11,14,17,20,03\r\n" // stored
               "26120802,1,2,3,4,5,6,7,8\r\n"         // new
               "26120804,1,2,3,4,5,6,7\r\n"           // refused
               "26120805,8,7,6,5,4,3,2,1\r\n");       // new
    file.close();
    ScriptedPrompts& prompts = m_session->prompts();
    prompts.queueOpenFileName(path);
    prompts.queueQuestionAnswer(confirm);

    const Result<HistoryImportOutcome> outcome = HistoryFileImport(workspace).chooseAndImport();
    QVERIFY2(outcome.ok(), qPrintable(outcome.error()));
    const QString preview = prompts.last(ScriptedPrompts::Kind::Question).message;
    for (const QString& part :
         {QStringLiteral("新的开奖号码：2期"), QStringLiteral("已经保存过的：1期"),
          QStringLiteral("无法导入的行：1行"), QStringLiteral("第3行“26120804,1,2,3,4,5,6,7”")})
        QVERIFY2(preview.contains(part), qPrintable(preview));
    QCOMPARE(outcome->cancelled, !confirm);
    const QList<qint32> after =
        confirm ? QList<qint32>{26120801, 26120802, 26120805} : QList<qint32>{26120801};
    QCOMPARE(storedIssues(*m_session), after);
    QCOMPARE(snapshotIssues(workspace), after);
    if (confirm) {
        QCOMPARE(outcome->missing, (std::vector<qint32>{26120803, 26120804}));
        QVERIFY(HistoryFileImport::outcomeMessage(*outcome).contains(QStringLiteral("261208：03 04（2期）")));
    }
}

QTEST_GUILESS_MAIN(TestHistoryMaintenance)
#include "tst_historymaintenance.moc"
