#include "core/Database.h"
#include "core/DrawParameters.h"
#include "core/HistoryTable.h"
#include "core/Settings.h"
#include "support/LocalHttpServer.h"
#include "support/TestSession.h"
#include "ui/GridView.h"
#include "ui/MainWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace quorvel;

namespace {

DrawNumbers numbersOf(qint32 issue)
{
    DrawNumbers numbers{};
    for (int i = 0; i < 8; ++i)
        numbers[std::size_t(i)] = (issue + i * 3) % 20 + 1;
    return numbers;
}

QByteArray pageOf(const QList<qint32>& issues)
{
    QByteArray page;
    for (const qint32 issue : issues) {
        page += QByteArray::number(issue);
        for (int i = 0; i < 8; ++i)
            page += (i ? " " : "") + QByteArray::number(numbersOf(issue)[std::size_t(i)] + 100).right(2);
        page += "<br>\n";
    }
    return page;
}

} // namespace

// The history maintenance commands of the main window, as a user reaches them.
class HistoryWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void historyMenuItems();
    void onlineUpdateShowsProgressThenTheCount();
    void cancelledUpdateChangesNothing();
    void deletionsFromButtonAndMenu();
    void exportImportAndMissingFromTheMenu();
    void resultsAddressFromTheSettingsMenu();

private:
    void openWindow(int seeded);
    int gridRows() const
    {
        return m_window->findChild<GridView*>(QStringLiteral("MSFlexGrid1"))->model()->rowCount();
    }
    void click(const char* button) const
    {
        QTest::mouseClick(m_window->findChild<QAbstractButton*>(QLatin1String(button)), Qt::LeftButton);
    }
    void trigger(const char* action) const
    {
        m_window->findChild<QAction*>(QLatin1String(action))->trigger();
    }

    std::unique_ptr<TestSession> m_session;
    std::unique_ptr<MainWindow> m_window;
    LocalHttpServer m_server;
};

void HistoryWindowTest::init()
{
    m_session = std::make_unique<TestSession>();
}

void HistoryWindowTest::cleanup()
{
    m_window.reset();
    m_session.reset();
}

void HistoryWindowTest::openWindow(int seeded)
{
    std::vector<Draw> draws;
    std::optional<DrawNumbers> previous;
    for (qint32 issue = 26120801; issue < 26120801 + seeded; ++issue) {
        draws.push_back(makeDraw(numbersOf(issue), issue, previous, 84, EntryPath::Online));
        previous = numbersOf(issue);
    }
    QVERIFY(m_session->openDatabase()->history().insert(draws).ok());
    QVERIFY(m_session->start());
    m_session->settings().setLotteryTypeIndex(0);
    m_session->settings().setResultsHost(m_server.base("/gd"));
    m_window = std::make_unique<MainWindow>(m_session->workspace(), m_session->prompts());
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void HistoryWindowTest::historyMenuItems()
{
    openWindow(0);
    QStringList names, captions, enabled;
    for (QAction* item : m_window->historyMenu()->actions()) {
        if (item->isSeparator())
            continue;
        names << item->objectName();
        captions << item->text();
        if (item->isEnabled())
            enabled << item->objectName();
    }
    QCOMPARE(names, (QStringList{"mnuDcls", "mnuDlAll", "mnuDlzd", "mnuEszhzd", "mnuDrls", "mnuJcqh"}));
    QCOMPARE(captions,
             (QStringList{"导出历史号码(&O)", "删除所有历史(&A）", "删除到选定期(&D)",
                          "删除最后指定数量期历史(&E)", "从文本文件导入历史号码(&I)", "检查缺失期号(&M)"}));
    QCOMPARE(enabled, names);
}

void HistoryWindowTest::onlineUpdateShowsProgressThenTheCount()
{
    openWindow(0);
    // The page arrives in parts, so the update runs for a while.
    m_server.setAnswer("/gd/", {200, pageOf({26120901, 26120902, 26120903}), true, 4, 100});
    m_session->prompts().queueQuestionAnswer(true);
    click("Command21");
    // While it runs a modal progress dialog keeps every other command from starting.
    QTRY_VERIFY(qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()));
    QTRY_COMPARE(m_session->prompts().count(ScriptedPrompts::Kind::Notice), 1);
    const ScriptedPrompts::Record notice = m_session->prompts().last(ScriptedPrompts::Kind::Notice);
    QCOMPARE(notice.title, QStringLiteral("在线更新"));
    QVERIFY2(notice.message.startsWith(QStringLiteral("已保存3期新的开奖号码。")),
             qPrintable(notice.message));
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(gridRows(), 3);
    QCOMPARE(m_window->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("26120904"));
}

void HistoryWindowTest::cancelledUpdateChangesNothing()
{
    openWindow(2);
    m_server.setAnswer("/gd/", {200, pageOf({26120901}), true, 1, 0, true}); // never sends the body
    m_session->prompts().queueQuestionAnswer(true);
    click("Command21");
    QProgressDialog* progress = nullptr;
    QTRY_VERIFY((progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget())));
    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(m_session->prompts().count(ScriptedPrompts::Kind::Notice), 0);
    QCOMPARE(gridRows(), 2);
}

void HistoryWindowTest::deletionsFromButtonAndMenu()
{
    openWindow(6);
    ScriptedPrompts& prompts = m_session->prompts();
    click("Command3");
    QCOMPARE(gridRows(), 5);
    QCOMPARE(QApplication::focusWidget(), m_window->findChild<QLineEdit*>(QStringLiteral("txtIpt1")));

    prompts.queueInputText(QStringLiteral("2"));
    trigger("mnuEszhzd");
    QCOMPARE(gridRows(), 3);
    prompts.queueInputText(QStringLiteral("26120801"));
    trigger("mnuDlzd");
    QCOMPARE(gridRows(), 1);
    trigger("mnuDlAll");
    QCOMPARE(gridRows(), 0);
    QCOMPARE(prompts.unexpectedCalls(), 0);
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Notice), 0);
}

void HistoryWindowTest::exportImportAndMissingFromTheMenu()
{
    openWindow(3);
    ScriptedPrompts& prompts = m_session->prompts();
    click("cmdLsdcTxt");
    QCOMPARE(prompts.shownFiles().size(), 1);
    const QString exported = prompts.shownFiles().first();
    QVERIFY(exported.endsWith(QStringLiteral("更新至26120804期历史号码.txt")));

    trigger("mnuDlAll");
    prompts.queueOpenFileName(exported);
    prompts.queueQuestionAnswer(true);
    trigger("mnuDrls");
    QCOMPARE(gridRows(), 3);
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Question).title, QStringLiteral("导入历史号码"));
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Notice).message, QStringLiteral("已导入3期开奖号码。"));

    trigger("mnuJcqh");
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Notice).title, QStringLiteral("检查缺失期号"));
}

void HistoryWindowTest::resultsAddressFromTheSettingsMenu()
{
    openWindow(0);
    ScriptedPrompts& prompts = m_session->prompts();
    prompts.queueInputText(QStringLiteral("http://"));
    prompts.queueInputText(QStringLiteral(".example.org"));
    trigger("mnuKjUrl");
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::InputText).title, QStringLiteral("开奖数据地址设置"));
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::InputText).defaultText, m_server.base("/gd"));
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Notice).title, QStringLiteral("输入有误"));
    QCOMPARE(m_session->storedSetting(QStringLiteral("KjUrl")), QStringLiteral(".example.org"));
}

QTEST_MAIN(HistoryWindowTest)
#include "tst_historywindow.moc"
