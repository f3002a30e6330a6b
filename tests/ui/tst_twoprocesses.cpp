// The window beside another program working on the same data folder (quorvel-cli): it notices the
// other's changes, it refuses to delete by a list number what the other has changed, a failed
// compaction after a deletion is a second line, and a setting that cannot be saved is said.

#include "core/BusyWait.h"
#include "support/TestSession.h"
#include "ui/BusyNotice.h"
#include "ui/GridView.h"
#include "ui/MainWindow.h"
#include "workspace/FormulaEntry.h"
#include "workspace/Workspace.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

#include <memory>
#include <thread>

using namespace quorvel;

class TwoProcessesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void changeOfAnotherProgramIsShown();
    void staleListNumberIsRefused();
    void staleNewestDrawIsRefused();
    void failedCompactionIsASecondLine();
    void busyDatabaseShowsTheWait();
    void unsavedSettingIsSaidAndTheValueInForceShown();

private:
    void openWindow();
    // quorvel-cli on the session's folders, as another program; its exit code.
    int cli(const QStringList& arguments) const;
    void addFormulas(const QStringList& texts);
    QStringList shownCodes() const;
    void stopWatching() { m_window->findChild<QTimer*>(QStringLiteral("outsideChangesTimer"))->stop(); }

    std::unique_ptr<TestSession> m_session;
    std::unique_ptr<MainWindow> m_window;
};

void TwoProcessesTest::init()
{
    m_session = std::make_unique<TestSession>();
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 40));
}

void TwoProcessesTest::cleanup()
{
    m_window.reset();
    m_session.reset();
}

void TwoProcessesTest::openWindow()
{
    QVERIFY(m_session->start());
    m_window = std::make_unique<MainWindow>(m_session->workspace(), m_session->prompts());
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

int TwoProcessesTest::cli(const QStringList& arguments) const
{
    QProcess process;
    process.setProgram(QStringLiteral(QUORVEL_CLI_PATH));
    process.setArguments(QStringList{QStringLiteral("--data-dir"), m_session->dataFolder(),
                                     QStringLiteral("--settings-file"),
                                     QDir(m_session->dataFolder()).filePath(QStringLiteral("cli.ini")),
                                     QStringLiteral("--today"), QStringLiteral("2026-12-09")} +
                         arguments);
    process.start();
    if (!process.waitForFinished(60000))
        return -1;
    if (process.exitCode() != 0)
        qWarning("quorvel-cli: %s", process.readAllStandardError().constData());
    return process.exitCode();
}

void TwoProcessesTest::addFormulas(const QStringList& texts)
{
    const Result<TypedFormulaOutcome> added = FormulaEntry(m_session->workspace()).addTyped(texts, std::nullopt);
    QVERIFY(added && added->refused.empty());
}

QStringList TwoProcessesTest::shownCodes() const
{
    QStringList codes;
    const FormulaList& list = m_session->workspace().formulaList();
    for (int listNumber = 1; listNumber <= list.count(); ++listNumber)
        codes << list.row(listNumber).code;
    return codes;
}

void TwoProcessesTest::changeOfAnotherProgramIsShown()
{
    openWindow();
    addFormulas({"[第一生]第一码+1"});
    auto* grid = m_window->findChild<GridView*>(QStringLiteral("MSFlexGrid2"));
    QCOMPARE(grid->model()->rowCount(), 1);
    const int draws = m_session->workspace().history()->drawCount();
    QCOMPARE(cli({QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("[第一生]第一码+2")}), 0);
    QCOMPARE(cli({QStringLiteral("history"), QStringLiteral("delete"), QStringLiteral("--last")}), 0);
    // Seen within a second or so of idling, without any click.
    QTRY_COMPARE_WITH_TIMEOUT(grid->model()->rowCount(), 2, 5000);
    QCOMPARE(shownCodes(), (QStringList{QStringLiteral("L1A+1"), QStringLiteral("L1A+2")}));
    QCOMPARE(m_session->workspace().history()->drawCount(), draws - 1);
    // Verified as well: the new formula has its statistics.
    QVERIFY(m_session->workspace().formulaList().results().size() == 2);
    QVERIFY(m_session->prompts().notices().isEmpty());
}

void TwoProcessesTest::staleListNumberIsRefused()
{
    openWindow();
    addFormulas({"[第一生]第一码+1", "[第一生]第一码+2", "[第一生]第一码+3"});
    stopWatching();
    // Another program empties the table and stores other formulas, which take the old rows.
    QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("formulas"), QStringLiteral("clear")}), 0);
    QCOMPARE(cli({QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("[第一生]第一码+7"),
                  QStringLiteral("[第一生]第一码+8"), QStringLiteral("[第一生]第一码+9")}),
             0);
    QCOMPARE(shownCodes(), (QStringList{QStringLiteral("L1A+1"), QStringLiteral("L1A+2"), QStringLiteral("L1A+3")}));

    // "删除该公式" on the first row as shown: refused, nothing deleted, the list shows the table.
    auto* grid = m_window->findChild<GridView*>(QStringLiteral("MSFlexGrid2"));
    grid->setCurrentIndex(grid->model()->index(0, 1));
    m_window->findChild<QAction*>(QStringLiteral("mnuDelGS"))->trigger();
    QCOMPARE(m_session->prompts().notices().size(), 1);
    QVERIFY2(m_session->prompts().notices().first().message.startsWith(QStringLiteral("该公式已被其他程序修改或删除")),
             qPrintable(m_session->prompts().notices().first().message));
    QCOMPARE(shownCodes(), (QStringList{QStringLiteral("L1A+7"), QStringLiteral("L1A+8"), QStringLiteral("L1A+9")}));

    // The list as it is now deletes what it shows.
    grid->setCurrentIndex(grid->model()->index(1, 1));
    m_window->findChild<QAction*>(QStringLiteral("mnuDelGS"))->trigger();
    QCOMPARE(m_session->prompts().notices().size(), 1);
    QCOMPARE(shownCodes(), (QStringList{QStringLiteral("L1A+7"), QStringLiteral("L1A+9")}));
}

void TwoProcessesTest::staleNewestDrawIsRefused()
{
    openWindow();
    stopWatching();
    const std::shared_ptr<const DrawTable> shown = m_session->workspace().history();
    const int draws = shown->drawCount();
    // Another program deletes the newest draw: the window still shows it.
    QCOMPARE(cli({QStringLiteral("history"), QStringLiteral("delete"), QStringLiteral("--last")}), 0);
    QCOMPARE(m_session->workspace().history()->drawCount(), draws);
    m_window->findChild<QAbstractButton*>(QStringLiteral("Command3"))->click();
    // "删除最后历史" refuses: the draw before it is not deleted in its place.
    QCOMPARE(m_session->prompts().notices().size(), 1);
    QVERIFY2(m_session->prompts().notices().first().message.startsWith(QStringLiteral("该期历史已被其他程序修改或删除")),
             qPrintable(m_session->prompts().notices().first().message));
    QCOMPARE(m_session->workspace().history()->drawCount(), draws - 1);
    QCOMPARE(m_session->workspace().history()->issues().back(), shown->issues()[std::size_t(draws - 2)]);
    // Now it deletes the newest it shows.
    m_window->findChild<QAbstractButton*>(QStringLiteral("Command3"))->click();
    QCOMPARE(m_session->prompts().notices().size(), 1);
    QCOMPARE(m_session->workspace().history()->drawCount(), draws - 2);
}

void TwoProcessesTest::failedCompactionIsASecondLine()
{
    openWindow();
    addFormulas({"[第一生]第一码+1", "[第一生]第一码+2"});
    const QString copy = QDir(m_session->dataFolder()).filePath(QStringLiteral("formulaTmp.db"));
    QFile::remove(copy);
    QVERIFY(QDir().mkpath(copy + QStringLiteral("/inner")));
    auto* grid = m_window->findChild<GridView*>(QStringLiteral("MSFlexGrid2"));
    grid->setCurrentIndex(grid->model()->index(0, 1));
    m_window->findChild<QAction*>(QStringLiteral("mnuDelGS"))->trigger();
    // The deletion stands; the notice says so first and the compaction's failure second.
    QCOMPARE(shownCodes(), QStringList{QStringLiteral("L1A+2")});
    QTRY_COMPARE(m_session->prompts().notices().size(), 1);
    const QStringList lines = m_session->prompts().notices().first().message.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.first(), QStringLiteral("删除已保存到公式数据库。"));
    QVERIFY2(lines.last().contains(QStringLiteral("formulaTmp.db")), qPrintable(lines.last()));
}

void TwoProcessesTest::busyDatabaseShowsTheWait()
{
    BusyNotice notice;
    openWindow();
    notice.setWindow(m_window.get());
    // Another program holds the write lock for 1.5 s.
    sqlite3* holder = nullptr;
    const QByteArray path = QFile::encodeName(QDir(m_session->dataFolder()).filePath(QStringLiteral("formula.db")));
    QCOMPARE(sqlite3_open_v2(path.constData(), &holder, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    });
    addFormulas({"[第一生]第一码+1"});
    release.join();
    sqlite3_close_v2(holder);
    // It waited with the wait cursor and the message, then stored the formula.
    QCOMPARE(notice.lastMessage(), BusyWait::kWaitingMessage);
    QCOMPARE(m_window->statusBar()->currentMessage(), BusyWait::kWaitingMessage);
    QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    QCOMPARE(shownCodes(), QStringList{QStringLiteral("L1A+1")});
    QVERIFY(m_session->prompts().notices().isEmpty());
    // Both go once the window is back in its event loop.
    QTRY_VERIFY(!notice.isWaiting());
    QVERIFY(m_window->statusBar()->currentMessage().isEmpty());
    QVERIFY(!QApplication::overrideCursor());
}

void TwoProcessesTest::unsavedSettingIsSaidAndTheValueInForceShown()
{
    openWindow();
    auto* weighted = m_window->findChild<QAction*>(QStringLiteral("mnuZqlJq"));
    const bool before = m_session->settings().weightedAccuracy();
    QCOMPARE(weighted->isChecked(), before);
    // A folder in the place of the settings file.
    QFile::remove(m_session->settingsPath());
    QVERIFY(QDir().mkdir(m_session->settingsPath()));
    weighted->trigger();
    QTRY_COMPARE(m_session->prompts().notices().size(), 1);
    const ScriptedPrompts::Record notice = m_session->prompts().notices().first();
    QCOMPARE(notice.title, QStringLiteral("设置未保存"));
    QVERIFY2(notice.message.contains(QDir::toNativeSeparators(m_session->settingsPath())), qPrintable(notice.message));
    QCOMPARE(m_session->settings().weightedAccuracy(), before);
    QCOMPARE(weighted->isChecked(), before);
    QVERIFY(QDir().rmdir(m_session->settingsPath()));
}

QTEST_MAIN(TwoProcessesTest)
#include "tst_twoprocesses.moc"
