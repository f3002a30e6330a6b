#include "core/TextFile.h"
#include "support/LocalHttpServer.h"
#include "support/TestSession.h"
#include "ui/FormulaFileCommands.h"
#include "ui/GridView.h"
#include "ui/MainWindow.h"
#include "ui/OperationProgress.h"
#include "workspace/FormulaEntry.h"
#include "workspace/ManualDrawEntry.h"
#include "workspace/Workspace.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace quorvel;

class FormulaLibraryWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void importButtonReadsBehindProgress();
    void onlineUpdateButton_data();
    void onlineUpdateButton();
    void maintenanceButtonsAndMenu();
    void exportButtonsShowTheFile();
    void referenceWindow();
    void modalProgressClosesBeforeAnyMessage();

private:
    void openWindow();
    template <typename T> T* child(const char* name) const
    {
        return m_window->findChild<T*>(QLatin1String(name));
    }
    void click(const char* button) { QTest::mouseClick(child<QAbstractButton>(button), Qt::LeftButton); }
    void addFormulas(const QStringList& texts);
    FormulaFileCommands* fileCommands() const { return m_window->findChild<FormulaFileCommands*>(); }
    static void clickCell(GridView* grid, int row, int column, Qt::MouseButton button = Qt::LeftButton);

    std::unique_ptr<TestSession> m_session;
    std::unique_ptr<MainWindow> m_window;
};

void FormulaLibraryWindowTest::init()
{
    m_session = std::make_unique<TestSession>();
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 40));
}

void FormulaLibraryWindowTest::cleanup()
{
    m_window.reset();
    m_session.reset();
}

void FormulaLibraryWindowTest::openWindow()
{
    QVERIFY(m_session->start());
    m_window = std::make_unique<MainWindow>(m_session->workspace(), m_session->prompts());
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void FormulaLibraryWindowTest::addFormulas(const QStringList& texts)
{
    const Result<TypedFormulaOutcome> added =
        FormulaEntry(m_session->workspace()).addTyped(texts, std::nullopt);
    QVERIFY(added && added->refused.empty());
}

void FormulaLibraryWindowTest::clickCell(GridView* grid, int row, int column, Qt::MouseButton button)
{
    const QPoint centre = grid->visualRect(grid->model()->index(row, column)).center();
    QTest::mouseClick(grid->viewport(), button, {}, centre);
}

void FormulaLibraryWindowTest::importButtonReadsBehindProgress()
{
    openWindow();
    QStringList lines;
    for (int i = 0; i < 3000; ++i)
        lines << QStringLiteral("[第一生]第一码+%1").arg(i);
    lines << QStringLiteral("第一某某+1=下期生第一");
    const QString path = QDir(m_session->dataFolder()).filePath(QStringLiteral("f.txt"));
    QVERIFY(TextFile::writeLines(path, lines).ok());
    m_session->prompts().queueOpenFileName(path);
    m_session->prompts().queueQuestionAnswer(true);

    QSignalSpy idle(fileCommands(), &FormulaFileCommands::idle);
    click("Command10");
    QVERIFY(fileCommands()->progressDialog() && fileCommands()->progressDialog()->isVisible());
    QVERIFY(idle.wait(20000));
    QVERIFY(!fileCommands()->progressDialog());
    QCOMPARE(child<GridView>("MSFlexGrid2")->model()->rowCount(), 3000);
    QCOMPARE(m_session->prompts().shownFiles(),
             QStringList{QDir(m_session->dataFolder()).filePath(QStringLiteral("无法识别公式.txt"))});
}

void FormulaLibraryWindowTest::onlineUpdateButton_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("rows");
    QTest::newRow("a file of formulas") << 200 << 40;
    QTest::newRow("an HTTP error is said") << 500 << 0;
}

void FormulaLibraryWindowTest::onlineUpdateButton()
{
    QFETCH(int, status);
    QFETCH(int, rows);
    LocalHttpServer server;
    QVERIFY(server.isListening());
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines << QStringLiteral("[第一生]第二码+%1　　　　连准：3期").arg(i);
    server.setAnswer("/f", {status, TextFile::encodeLines(lines).value_or(QByteArray())});
    m_session->settings().setFormulaDownloadUrl(server.url("/f").toString());
    openWindow();
    m_session->prompts().queueQuestionAnswer(true);

    QSignalSpy idle(fileCommands(), &FormulaFileCommands::idle);
    click("cmdGsgx");
    QVERIFY(fileCommands()->progressDialog());
    QCOMPARE(fileCommands()->progressDialog()->windowTitle(), QStringLiteral("公式在线更新"));
    QVERIFY(idle.wait(20000));
    for (const QProgressDialog* dialog : m_window->findChildren<QProgressDialog*>())
        QVERIFY(!dialog->isVisible());
    QCOMPARE(child<GridView>("MSFlexGrid2")->model()->rowCount(), rows);
    const QList<ScriptedPrompts::Record> notices = m_session->prompts().notices();
    QCOMPARE(notices.size(), rows == 0 ? 1 : 0);
    if (!notices.isEmpty()) {
        QCOMPARE(notices.first().title, QStringLiteral("公式在线更新"));
        QVERIFY(notices.first().message.contains(QStringLiteral("HTTP错误500")));
    }

    // The settings menu item changes the address.
    m_session->prompts().queueInputText(QStringLiteral("http://example.org/Quorvel.txt"));
    child<QAction>("mnuGsUrl")->trigger();
    QCOMPARE(m_session->settings().formulaDownloadUrl(), QStringLiteral("http://example.org/Quorvel.txt"));
}

void FormulaLibraryWindowTest::maintenanceButtonsAndMenu()
{
    openWindow();
    addFormulas({"[第一生]第一码+1", "[第一生]第一码+2", "[第一生]第一码+3", "[第一生]第一码+4"});
    Workspace& workspace = m_session->workspace();
    for (const char* button : {"Command8", "Command5", "Command2"})
        QCOMPARE(child<QAbstractButton>(button)->toolTip(), QStringLiteral("执行公式列表中序号为蓝色的公式"));

    click("Command5");
    QVERIFY(!workspace.isSelected(1) && !workspace.isSelected(4));
    click("Command8");
    QVERIFY(workspace.isSelected(1) && workspace.isSelected(4));

    // A right click makes the row under the pointer the one the menu deletes.
    GridView* grid = child<GridView>("MSFlexGrid2");
    grid->setCurrentIndex(grid->model()->index(0, 1));
    clickCell(grid, 2, 1, Qt::RightButton);
    QTRY_VERIFY(m_window->formulaMenu()->isVisible());
    m_window->formulaMenu()->hide();
    child<QAction>("mnuDelGS")->trigger();
    QCOMPARE(workspace.formulaList().count(), 3);
    QCOMPARE(workspace.formulaList().row(3).code, QStringLiteral("L1A+4"));

    m_session->prompts().queueQuestionAnswer(true);
    click("Command2");
    QCOMPARE(m_session->prompts().last(ScriptedPrompts::Kind::Question).title,
             QStringLiteral("清空所有公式"));
    QCOMPARE(grid->model()->rowCount(), 0);
}

void FormulaLibraryWindowTest::exportButtonsShowTheFile()
{
    openWindow();
    addFormulas({"[第一生]第一码+1"});
    const QString path = QDir(m_session->dataFolder())
                             .filePath(m_session->workspace().issueText() + QStringLiteral("期Pellmor.txt"));
    click("Command20");
    click("Command11");
    QCOMPARE(m_session->prompts().shownFiles(), (QStringList{path, path}));
    QVERIFY(m_session->prompts().notices().isEmpty());
}

void FormulaLibraryWindowTest::referenceWindow()
{
    openWindow();
    click("Command4");
    auto* reference = m_window->findChild<QWidget*>(QStringLiteral("frmShuoming"));
    QVERIFY(reference);
    QVERIFY(reference->isVisible());
    QCOMPARE(reference->windowTitle(), QStringLiteral("参数对照"));
    auto* grid = reference->findChild<GridView*>(QStringLiteral("MSFlexGrid1"));
    QAbstractItemModel* model = grid->model();
    QCOMPARE(model->rowCount() + 1, 41);
    QCOMPARE(model->columnCount(), 10);
    QCOMPARE(model->headerData(9, Qt::Horizontal).toString(), QStringLiteral("总位"));
    // The set widths, or more where a value would otherwise be cut short.
    QVERIFY(grid->columnWidth(0) >= 2000 / 15);
    QVERIFY(grid->columnWidth(1) >= 600 / 15);
    QVERIFY(grid->columnWidth(9) >= 800 / 15);
    for (int column = 0; column < model->columnCount(); ++column) {
        for (int row = 0; row < model->rowCount(); ++row) {
            const QString text = model->index(row, column).data().toString();
            QVERIFY2(grid->fontMetrics().horizontalAdvance(text) < grid->columnWidth(column), qPrintable(text));
        }
    }
    const DrawNumbers newest = m_session->workspace().history()->numbers(39);
    QCOMPARE(model->index(0, 3).data().toString(), QString::number(newest[2]));

    clickCell(grid, 0, 3);
    QCOMPARE(m_session->prompts().clipboardText(), QString::number(newest[2]));
    clickCell(grid, 39, 0);
    QCOMPARE(m_session->prompts().clipboardText(), QStringLiteral("总跨度"));

    // One instance, filled again when shown again.
    reference->close();
    Workspace& workspace = m_session->workspace();
    const Result<Status> added =
        ManualDrawEntry(workspace).add(workspace.issueText(), {20, 2, 3, 4, 5, 6, 7, 8});
    QVERIFY(added && *added);
    click("Command4");
    QCOMPARE(m_window->findChildren<QWidget*>(QStringLiteral("frmShuoming")).size(), 1);
    QVERIFY(reference->isVisible());
    QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("20"));
}

void FormulaLibraryWindowTest::modalProgressClosesBeforeAnyMessage()
{
    openWindow();
    OperationProgress modal(m_window.get(), {QStringLiteral("公式在线更新"), QStringLiteral("…"),
                                             QStringLiteral("modal")});
    OperationProgress alongside(m_window.get(), {QStringLiteral("导出"), QStringLiteral("…"),
                                                 QStringLiteral("alongside"), 0, false});
    QSignalSpy cancelled(&modal, &OperationProgress::cancelled);
    QVERIFY(modal.dialog()->isVisible());
    QCOMPARE(modal.dialog()->windowTitle(), QStringLiteral("公式在线更新"));
    OperationProgress::closeModal();
    QVERIFY(!modal.isOpen());
    QVERIFY(alongside.isOpen());
    QCOMPARE(cancelled.count(), 0);
}

QTEST_MAIN(FormulaLibraryWindowTest)
#include "tst_formulalibrarywindow.moc"
