#include "core/Settings.h"
#include "support/TestSession.h"
#include "ui/FoundLinesModel.h"
#include "ui/GridView.h"
#include "ui/MainWindow.h"
#include "ui/tools/SearchWindow.h"
#include "workspace/SearchResultStore.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QTest>

#include <memory>

using namespace quorvel;

// The search window as a user reaches it from the main window: a search found and stored, its
// settings, and the scheme with its automatic store.
class TestSearchWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void searchStoresIntoTheMainList();
    void settingsFollowPositionAndKind();
    void schemeStoresByItself();
    void tuningFillsTheBoxesAndTuneAllShowsTheLastPosition();
    void invertedBoundsStartNothing();

private:
    template <typename T> T* child(const char* name) const
    {
        return m_search ? m_search->findChild<T*>(QLatin1String(name)) : nullptr;
    }
    QString text(const char* box) const { return child<QLineEdit>(box)->text(); }
    void setText(const char* box, const QString& value) const { child<QLineEdit>(box)->setText(value); }
    void click(const char* button) const { child<QAbstractButton>(button)->click(); }
    QStringList boundTexts() const;
    int mainListRows() const
    {
        return m_window->findChild<GridView*>(QStringLiteral("MSFlexGrid2"))->model()->rowCount();
    }

    std::unique_ptr<TestSession> m_session;
    std::unique_ptr<MainWindow> m_window;
    SearchWindow* m_search = nullptr;
};

void TestSearchWindow::init()
{
    m_session = std::make_unique<TestSession>();
    QVERIFY(m_session->seedHistory(QStringLiteral("cqxync-168bet-funyule.txt"), -1, 97));
    QVERIFY(m_session->start());
    m_window = std::make_unique<MainWindow>(m_session->workspace(), m_session->prompts());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->findChild<QAbstractButton*>(QStringLiteral("Command22"))->click();
    m_search = m_window->findChild<SearchWindow*>(QStringLiteral("frmGSGL"));
    QVERIFY(m_search && m_search->isVisible() && m_search->isModal());
    m_search->setPrompts(m_session->prompts());
}

void TestSearchWindow::cleanup()
{
    m_search = nullptr;
    m_window.reset();
    m_session.reset();
}

QStringList TestSearchWindow::boundTexts() const
{
    QStringList texts;
    for (int bound = 2; bound <= 9; ++bound)
        texts << child<QLineEdit>(qPrintable(QStringLiteral("Text1_%1").arg(bound)))->text();
    return texts;
}

void TestSearchWindow::searchStoresIntoTheMainList()
{
    QCOMPARE(mainListRows(), 0);
    QCOMPARE(child<QLabel>("Label5_1")->text(), QStringLiteral("0"));
    setText("txtSeed", QStringLiteral("7"));
    child<QAbstractButton>("Check1")->setChecked(true);
    setText("Text1_15", QStringLiteral("3"));
    QAbstractItemModelTester tester(child<QListView>("List1")->model());
    click("Command1");
    QVERIFY(!child<QAbstractButton>("Command1")->isEnabled());
    QVERIFY(!child<QAbstractButton>("Command5")->isEnabled()); // one run at a time
    QTRY_VERIFY(child<QAbstractButton>("Command1")->isEnabled());
    QCOMPARE(text("Text4"), QStringLiteral("3"));
    QVERIFY(text("Text3").toULongLong() >= 3);
    QCOMPARE(text("txtSeed"), QStringLiteral("7"));
    // Once stopped, the run's share, the count of its candidates luck alone accepts, and then the
    // family-wise chance of each found formula.
    QTRY_VERIFY2(child<QLabel>("lblLuck")->text().contains(
                     QStringLiteral("，打乱 20 次，最佳偶然公式的随机概率中位数 ")),
                 qPrintable(child<QLabel>("lblLuck")->text()));
    QVERIFY(child<QLabel>("lblLuck")->text().startsWith(QStringLiteral("本次合格率 ")));
    QVERIFY(child<QLabel>("lblLuck")->text().contains(QStringLiteral(" 条，")));
    const QAbstractItemModel* list = child<QListView>("List1")->model();
    QCOMPARE(list->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        const QString line = list->index(row, 0).data().toString();
        QVERIFY2(line.startsWith(m_search->foundList().at(row).displayText + QStringLiteral("    族概率 ")),
                 qPrintable(line));
    }
    child<QListView>("List1")->findChild<QAction*>(QStringLiteral("mnuSortFamilywise"))->trigger();
    QVERIFY(static_cast<const FoundLinesModel*>(list)->isSortedByFamilywise());

    click("Command3");
    QCOMPARE(m_session->prompts().last(ScriptedPrompts::Kind::Notice).message,
             SearchResultStore::kDoneMessage + QStringLiteral("\n写入 3 条"));
    QCOMPARE(mainListRows(), 3);
    QCOMPARE(text("Text4"), QStringLiteral("0"));
    QCOMPARE(child<QLabel>("Label5_1")->text(), QStringLiteral("3"));
    QCOMPARE(list->rowCount(), 3); // List1 keeps its lines

    // Seed 7 from its first candidate again, after a run of another seed: its first three finds
    // are stored now, so they are repeats beside the found count.
    for (const char* seed : {"8", "7"}) {
        setText("txtSeed", QString::fromLatin1(seed));
        click("Command1");
        QTRY_VERIFY(child<QAbstractButton>("Command1")->isEnabled());
        click("Command3");
    }
    QCOMPARE(child<QLabel>("lblRepeats")->text(), QStringLiteral("重复 3"));
    QCOMPARE(child<QLabel>("Label5_1")->text(), QStringLiteral("9"));
    QCOMPARE(m_session->prompts().unexpectedCalls(), 0);
}

void TestSearchWindow::settingsFollowPositionAndKind()
{
    QVERIFY(child<QAbstractButton>("Option2_1")->isChecked());
    QCOMPARE(boundTexts(), (QStringList{"96", "32768", "0", "2", "96", "32768", "0", "0"}));
    click("Option2_0");
    QCOMPARE(boundTexts(), (QStringList{"2", "32768", "0", "64", "2", "32768", "0", "0"}));

    // The operand count belongs to the position and is stored as it moves.
    child<QScrollBar>("HScroll1")->setValue(5);
    QCOMPARE(text("Text2"), QStringLiteral("5"));
    QCOMPARE(m_session->settings().operandCount(1), 5);
    click("optXing2");
    QCOMPARE(text("Text2"), QStringLiteral("8"));
    click("optXing1");
    QCOMPARE(text("Text2"), QStringLiteral("5"));

    QVERIFY(child<QAbstractButton>("chkAutApd_1")->isChecked());
    click("chkAutApd_0");
    QVERIFY(!child<QAbstractButton>("chkAutApd_1")->isChecked());

    // Nothing saved: every target loads as 80; the new-count mode is the one selected.
    QVERIFY(child<QAbstractButton>("Option4_1")->isChecked());
    click("Command10");
    QCOMPARE(text("Text5_8"), QStringLiteral("80"));
    QCOMPARE(child<QLabel>("Label6")->text(), QStringLiteral("640"));
}

void TestSearchWindow::schemeStoresByItself()
{
    setText("Text5_1", QStringLiteral("2"));
    setText("Text5_3", QStringLiteral("1"));
    setText("txtSeed", QStringLiteral("5"));
    click("chkAutApd_0"); // append when done
    click("Command5");
    QTRY_VERIFY(child<QAbstractButton>("Command5")->isEnabled());
    QVERIFY(m_session->prompts()
                .last(ScriptedPrompts::Kind::Notice)
                .message.startsWith(SearchResultStore::kDoneMessage + QStringLiteral("\n写入 ")));
    for (int position = 1; position <= 8; ++position)
        QCOMPARE(child<QLabel>(qPrintable(QStringLiteral("Label4_%1").arg(position)))
                     ->palette()
                     .color(QPalette::WindowText),
                 QColor(Qt::blue));
    QCOMPARE(mainListRows(), 2);
    QCOMPARE(child<QLabel>("Label5_3")->text(), QStringLiteral("1"));
    QCOMPARE(child<QListView>("List1")->model()->rowCount(), 3);
    QCOMPARE(m_session->prompts().count(ScriptedPrompts::Kind::Question), 0);
}

void TestSearchWindow::tuningFillsTheBoxesAndTuneAllShowsTheLastPosition()
{
    click("Command11");
    QTRY_VERIFY(child<QAbstractButton>("Command11")->isEnabled());
    QCOMPARE(text("Text3"), QStringLiteral("20"));
    QCOMPARE(text("Text1_3"), QStringLiteral("32767"));                  // the tuning's open upper end
    QCOMPARE(m_session->settings().categoryBound(1, false, 3), 32768.0); // not saved by itself

    click("Option2_0");
    m_session->prompts().queueQuestionAnswer(true);
    click("Command12");
    QTRY_VERIFY(child<QAbstractButton>("Command12")->isEnabled());
    QVERIFY(child<QAbstractButton>("optXing8")->isChecked());
    QCOMPARE(text("Text1_2"), SearchSettings::numberText(m_session->settings().categoryBound(8, true, 2)));
    QCOMPARE(m_session->prompts().unexpectedCalls(), 0);
}

void TestSearchWindow::invertedBoundsStartNothing()
{
    setText("Text1_2", QStringLiteral("40"));
    setText("Text1_3", QStringLiteral("3"));
    click("Command1");
    QVERIFY(child<QAbstractButton>("Command1")->isEnabled());
    QCOMPARE(text("Text3"), QStringLiteral("0"));
    QVERIFY(m_session->prompts()
                .last(ScriptedPrompts::Kind::Notice)
                .message.startsWith(QStringLiteral("最大连错下限大于上限")));
    click("Command8");
    QVERIFY(m_session->prompts()
                .last(ScriptedPrompts::Kind::Notice)
                .message.startsWith(QStringLiteral("最大连错下限大于上限")));
    QCOMPARE(m_session->settings().categoryBound(1, false, 2), 96.0);
}

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
