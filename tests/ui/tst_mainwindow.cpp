#include "core/BuildInfo.h"
#include "core/Database.h"
#include "core/FormulaTables.h"
#include "support/TestSession.h"
#include "ui/FormulaListModel.h"
#include "ui/GridView.h"
#include "ui/MainWindow.h"
#include "ui/Translations.h"
#include "ui/UserManual.h"
#include "workspace/FormulaEntry.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <memory>

using namespace quorvel;

class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void controlsCarryCaptions_data();
    void controlsCarryCaptions();
    void oneDigitLastNumberAndPastedLinesAreStored();
    void mnemonicsAreUniqueAndPressTheirButton();
    void menuItemsInOrder_data();
    void menuItemsInOrder();
    void firstStartOnEmptyFolder();
    void popupMenus();
    void documentationButtons_data();
    void documentationButtons();
    void aboutNamesVersionAndDataFolder();
    void qtButtonsSpeakChinese();

    void typedDrawIsStoredAndNextIssueProposed();
    void refusedDrawKeepsNumbers_data();
    void refusedDrawKeepsNumbers();
    void focusIntoFirstBoxEmptiesAll();
    void keyInLastBoxScrollsHistory();
    void numberBoxesReplaceSelectionAndTakeEnter();
    void keyboardMovesBetweenControls();

    void typedFormulaShowsStatistics();
    void typedFormulaRefusals_data();
    void typedFormulaRefusals();
    void positionAndKindChoice();
    void displayTabShowsCode();
    void formulaListClicks();

    void menuItemStoresSetting_data();
    void menuItemStoresSetting();
    void checkMarksAreExclusive();
    void restoreDefaults();
    void methodOptionStoresSetting();

    void fillScrollsNewestIntoView_data();
    void fillScrollsNewestIntoView();
    void wheelMovesOneRow_data();
    void wheelMovesOneRow();

private:
    // Starts the session (after any seeding) and shows an active main window.
    void openWindow();
    // Types characters, each into the widget that has the focus at that moment.
    void typeIntoFocus(const QString& text);
    void typeDraw(const QString& issue, const QString& digits);
    // Chinese text arrives as an input method's commit, as it does from a real keyboard.
    static void typeText(QWidget* widget, const QString& text);
    // Clicks an option button on its indicator (a stretched button takes clicks only there and
    // on its caption).
    static void clickOption(QRadioButton* option);
    template <typename T> T* child(const char* name) const
    {
        return m_window ? m_window->findChild<T*>(QLatin1String(name)) : nullptr;
    }
    GridView* historyGrid() const { return child<GridView>("MSFlexGrid1"); }
    GridView* formulaGrid() const { return child<GridView>("MSFlexGrid2"); }
    QAction* action(const char* name) const { return child<QAction>(name); }
    void clickCell(GridView* grid, int row, int column, bool twice = false);

    std::unique_ptr<TestSession> m_session;
    std::unique_ptr<MainWindow> m_window;
};

void MainWindowTest::init()
{
    m_session = std::make_unique<TestSession>();
}

void MainWindowTest::cleanup()
{
    m_window.reset();
    m_session.reset();
}

void MainWindowTest::openWindow()
{
    QVERIFY(m_session->start());
    m_window = std::make_unique<MainWindow>(m_session->workspace(), m_session->prompts());
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void MainWindowTest::typeIntoFocus(const QString& text)
{
    for (const QChar c : text) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY2(focus, "no widget has the focus");
        QTest::keyClick(focus, c.toLatin1());
    }
}

void MainWindowTest::typeDraw(const QString& issue, const QString& digits)
{
    auto* issueBox = child<QLineEdit>("Text1");
    QVERIFY(issueBox);
    issueBox->selectAll();
    QTest::keyClicks(issueBox, issue);
    QTest::mouseClick(child<QLineEdit>("txtIpt1"), Qt::LeftButton);
    typeIntoFocus(digits);
}

void MainWindowTest::typeText(QWidget* widget, const QString& text)
{
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(widget, &commit);
}

void MainWindowTest::clickOption(QRadioButton* option)
{
    QVERIFY(option);
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
}

void MainWindowTest::clickCell(GridView* grid, int row, int column, bool twice)
{
    grid->scrollTo(grid->model()->index(row, column));
    const QPoint centre = grid->visualRect(grid->model()->index(row, column)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
    if (twice) // the second press of a double click arrives as the double-click event
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre);
}

// ---- controls and menus --------------------------------------------------------------------------

void MainWindowTest::controlsCarryCaptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("enabled");

    const struct
    {
        const char* name;
        const char* caption;
        bool enabled;
    } controls[] = {
        {"Command1", "添加所输公式(&A)", true},
        {"Command10", "读取公式文本(N)", true},
        {"cmdGsgx", "公式在线更新（&W)", true},
        {"Command22", "公式搜索(&F)", true},
        {"Command23", "计算公式(&C)", true},
        {"Command7", "公式过滤设置(&G)", true},
        {"Command133", "滤非极限公式(&L)", true},
        {"cmdUpdLim", "更新极限值(&U)", true},
        {"Command8", "选中所有公式(&S)", true},
        {"Command5", "反选所有公式(&V)", true},
        {"Command2", "清空所有公式(&E)", true},
        {"Command11", "所有类公式中文导出", true},
        {"Command20", "所选类公式中文导出", true},
        {"Command4", "公式参数对照说明(&I)", true},
        {"Command9", "软件设置(&T)", true},
        {"Command21", "开奖历史号在线更新(&O)", true},
        {"Command3", "删除最后历史(&D)", true},
        {"cmdLsdcTxt", "历史号码导出文本文件(&X)", true},
        {"cmdDcexl", "导出列表到Excel", true},
        {"Command18", "使用说明文档下载(&H)", true},
        {"Command139", "幻灯图示说明下载(&P)", true},
        {"Command6", "演示说明录像下载(&M)", true},
        {"cmdAbout", "关于(&Y)", true},
        {"Check1", "历史列表显示公式各期验算结果(时间较长，请耐性等待...)", true},
        {"Label12", "手工输入已经开出的历史号码记录下一期:", true},
        {"lblIssue", "期号：", true},
        {"optXing1", "第一", true},
        {"optXing2", "第二", true},
        {"optXing3", "第三", true},
        {"optXing4", "第四", true},
        {"optXing5", "第五", true},
        {"optXing6", "第六", true},
        {"optXing7", "第七", true},
        {"optXing8", "第八", true},
        {"Option2_0", "杀", true},
        {"Option2_1", "生", true},
        {"Option6_0", "最优公式法", true},
        {"Option6_1", "计算选中公式", true},
        {"framePosition", "位数选择", true},
        {"frameKind", "生杀", true},
        {"frameMethod", "计算方法", true},
        {"Text1", "", true},
        {"Text2", "", true},
        {"HScroll1", "", false},
        {"MSFlexGrid1", "", true},
        {"MSFlexGrid2", "", true},
        {"TabStrip1", "", true},
    };
    for (const auto& control : controls)
        QTest::newRow(control.name) << QString::fromLatin1(control.name) << QString::fromUtf8(control.caption)
                                    << control.enabled;
    for (int p = 1; p <= 8; ++p) {
        const QString name = QStringLiteral("txtIpt%1").arg(p);
        QTest::newRow(qPrintable(name)) << name << QString() << true;
    }
}

void MainWindowTest::mnemonicsAreUniqueAndPressTheirButton()
{
    openWindow();
    QMap<QChar, QString> owners;
    for (const QAbstractButton* button : m_window->findChildren<QAbstractButton*>()) {
        const qsizetype mark = button->text().indexOf(u'&');
        if (!button->isVisible() || mark < 0 || mark + 1 >= button->text().size())
            continue;
        const QChar letter = button->text().at(mark + 1).toUpper();
        QVERIFY2(!owners.contains(letter),
                 qPrintable(owners.value(letter) + QStringLiteral(" / ") + button->text()));
        owners.insert(letter, button->text());
    }
    QVERIFY(owners.size() >= 18);

    QSignalSpy clicked(child<QAbstractButton>("Command5"), &QAbstractButton::clicked);
    QTest::keyClick(m_window.get(), Qt::Key_V, Qt::AltModifier);
    QTRY_COMPARE(clicked.count(), 1);
}

void MainWindowTest::controlsCarryCaptions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, enabled);
    openWindow();

    QCOMPARE(m_window->objectName(), QStringLiteral("frmMain"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Quorvel"));
    auto* widget = m_window->findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->isEnabled(), enabled);
    QString shown;
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        shown = button->text();
    else if (auto* label = qobject_cast<QLabel*>(widget))
        shown = label->text();
    else if (auto* frame = qobject_cast<QGroupBox*>(widget))
        shown = frame->title();
    if (!caption.isEmpty())
        QCOMPARE(shown, caption);
    if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("公式中文显示"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("公式英文显示"));
    }
}

void MainWindowTest::menuItemsInOrder_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("captions");

    QTest::newRow("formula menu 管理")
        << "mnuMang" << QStringList{"mnuExl",    "mnuCulate",   "mnuDelGS",          "mnuDelXzGS",
                                    "mnuDelLst", "mnuDelNXzGS", "mnuUnselectRepeats"}
        << QStringList{"导出到EXCEL表格(&E)",  "查询该公式历史计算式(&U)", "删除该公式(&D)",
                       "删除选中所有公式(&C)", "删除最后公式(&E)",         "删除未选中公式(&X)",
                       "取消重复公式的选中"};
    QTest::newRow("settings menu 设置")
        << "mnuSetup"
        << QStringList{"mnuYsXs_0", "mnuYsXs_1", "mnuQsJs",     "mnuZqlJq", "mnuSjGl", "mnuSetDay",
                       "mnuKjUrl",  "mnuGsUrl",  "mnuCaizhong", "meuHfmr",  "mnuUndo", "mnuBeifen"}
        << QStringList{"历史列表公式验算结果显示在下期(&N)",
                       "历史列表公式验算结果显示在当期(&T)",
                       "检索期数设置(&Q)",
                       "正确率使用期数加权算法(&A)",
                       "公式列表显示随机概率(&G)",
                       "历史号码更新检索天数设置(&D)",
                       "开奖数据地址设置(&K)",
                       "公式下载地址设置(&W)",
                       "彩种选择",
                       "恢复默认设置(&R)",
                       "撤销上次修改(&Z)",
                       "恢复备份…"};
    QTest::newRow("retrieval submenu")
        << "mnuQsJs" << QStringList{"mnuBuhan", "mnuQs_0", "mnuQs_1", "mnuQs_2", "mnuQs_3", "mnuQs_4",
                                    "mnuQs_5",  "mnuQs_6", "mnuQs_7", "mnuQs_8", "mnuQs_9"}
        << QStringList{"检索期数前溯不含当前期",
                       "前所有期",
                       "前100期",
                       "前200期",
                       "前300期",
                       "前500期",
                       "前600期",
                       "前800期",
                       "前1000期",
                       "前1500期",
                       "前3000期"};
    QTest::newRow("lottery submenu") << "mnuCaizhong"
                                     << QStringList{"mnuKL10_0", "mnuKL10_1", "mnuKL10_2", "mnuKL10_3",
                                                    "mnuKL10_4", "mnuKL10_5", "mnuKL10_6", "mnuKL10_7"}
                                     << QStringList{"广东快乐十分", "天津快乐十分",  "湖南快乐十分",
                                                    "重庆幸运农场", "陕西快乐十分",  "山西快乐十分",
                                                    "云南快乐十分", "黑龙江快乐十分"};
}

void MainWindowTest::menuItemsInOrder()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, names);
    QFETCH(QStringList, captions);
    openWindow();

    auto* popup = m_window->findChild<QMenu*>(menu);
    QVERIFY(popup);
    QStringList shownNames, shownCaptions;
    for (QAction* item : popup->actions()) {
        if (item->isSeparator())
            continue;
        shownNames << item->objectName();
        shownCaptions << item->text();
        QVERIFY2(item->isEnabled(), qPrintable(item->objectName()));
    }
    QCOMPARE(shownNames, names);
    QCOMPARE(shownCaptions, captions);
}

void MainWindowTest::firstStartOnEmptyFolder()
{
    openWindow();

    QCOMPARE(historyGrid()->model()->rowCount(), 0);
    QCOMPARE(formulaGrid()->model()->rowCount(), 0);
    QCOMPARE(historyGrid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("期号"));
    QCOMPARE(formulaGrid()->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("最大连错"));
    QVERIFY(formulaGrid()->isColumnHidden(FormulaListModel::IdxColumn));
    // An empty history proposes the first draw of today, so typing can begin at once.
    QCOMPARE(child<QLineEdit>("Text1")->text(), QStringLiteral("26120901"));
    QCOMPARE(QApplication::focusWidget(), child<QLineEdit>("txtIpt1"));
    QCOMPARE(child<QLabel>("statusLottery")->text(), QStringLiteral("未选择彩种"));
    QCOMPARE(child<QLabel>("statusRetrieval")->text(), QStringLiteral("检索：前300期"));
    QCOMPARE(child<QLabel>("statusDraws")->text(), QStringLiteral("历史：0期"));
    QCOMPARE(child<QLabel>("statusFormulas")->text(), QStringLiteral("第一生公式：0个"));

    QVERIFY(child<QRadioButton>("optXing1")->isChecked());
    QVERIFY(child<QRadioButton>("Option2_1")->isChecked()); // keep
    QVERIFY(child<QRadioButton>("Option6_1")->isChecked()); // compute selected formulas
    QCOMPARE(child<QTabBar>("TabStrip1")->currentIndex(), 0);
    for (int i = 0; i < 8; ++i)
        QVERIFY2(!action(qPrintable(QStringLiteral("mnuKL10_%1").arg(i)))->isChecked(),
                 "no lottery type yet");
    for (int i = 0; i < 10; ++i)
        QCOMPARE(action(qPrintable(QStringLiteral("mnuQs_%1").arg(i)))->isChecked(), i == 3);
    QVERIFY(action("mnuBuhan")->isChecked());
    QVERIFY(action("mnuZqlJq")->isChecked());
    QVERIFY(action("mnuYsXs_0")->isChecked());
    QVERIFY(!action("mnuYsXs_1")->isChecked());
    QCOMPARE(m_session->prompts().records().size(), 0);
}

void MainWindowTest::popupMenus()
{
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 5));
    openWindow();

    QTest::mouseClick(child<QAbstractButton>("Command9"), Qt::LeftButton);
    QTRY_VERIFY(m_window->setupMenu()->isVisible());
    m_window->setupMenu()->hide();

    QTest::mouseClick(historyGrid()->viewport(), Qt::RightButton, {}, QPoint(20, 10));
    QTRY_VERIFY(m_window->historyMenu()->isVisible());
    m_window->historyMenu()->hide();

    QTest::mouseClick(formulaGrid()->viewport(), Qt::RightButton, {}, QPoint(20, 10));
    QTRY_VERIFY(m_window->formulaMenu()->isVisible());
    m_window->formulaMenu()->hide();
}

void MainWindowTest::documentationButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("section");
    QTest::newRow("使用说明") << "Command18"
                              << "manual";
    QTest::newRow("图示说明") << "Command139"
                              << "slides";
    QTest::newRow("演示说明") << "Command6"
                              << "video";
}

void MainWindowTest::documentationButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, section);
    openWindow();

    QTest::mouseClick(m_window->findChild<QAbstractButton*>(button), Qt::LeftButton);
    ScriptedPrompts& prompts = m_session->prompts();
    QCOMPARE(prompts.openedUrls().size(), 1);
    const QUrl url = prompts.openedUrls().first();
    QCOMPARE(url.fragment(), section);
    QCOMPARE(url.toLocalFile(), QDir(m_session->dataFolder()).filePath(QStringLiteral("说明/index.html")));
    QFile page(url.toLocalFile());
    QVERIFY(page.open(QIODevice::ReadOnly));
    // The page written out carries the section the button opens, and names the buttons by their
    // captions as the user reads them, without the marks of their shortcuts.
    const QString text = QString::fromUtf8(page.readAll());
    QVERIFY(text.contains(QStringLiteral("id=\"%1\"").arg(section)));
    QVERIFY(!text.contains(QStringLiteral("&amp;")));
}

void MainWindowTest::aboutNamesVersionAndDataFolder()
{
    openWindow();
    QTest::mouseClick(m_window->findChild<QAbstractButton*>(QStringLiteral("cmdAbout")), Qt::LeftButton);
    const ScriptedPrompts::Record about = m_session->prompts().last(ScriptedPrompts::Kind::Notice);
    QCOMPARE(about.title, QStringLiteral("关于"));
    QVERIFY(about.message.contains(BuildInfo::version()));
    QVERIFY(about.message.contains(QDir::toNativeSeparators(m_session->dataFolder())));
}

void MainWindowTest::qtButtonsSpeakChinese()
{
    QVERIFY(installChineseTranslations(*QCoreApplication::instance()));
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("m"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
}

// ---- manual draw entry ---------------------------------------------------------------------------

void MainWindowTest::oneDigitLastNumberAndPastedLinesAreStored()
{
    openWindow();
    QAbstractItemModel* history = historyGrid()->model();
    // Enter after a last number of one digit stores the draw.
    typeDraw(QStringLiteral("25120783"), QStringLiteral("030406152011097"));
    QCOMPARE(history->rowCount(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(history->rowCount(), 1);
    QCOMPARE(history->index(0, 8).data().toString(), QStringLiteral("7"));

    // A whole draw line pasted into the issue box fills every box and is stored.
    auto* issueBox = child<QLineEdit>("Text1");
    m_session->prompts().setClipboardText(QStringLiteral("25120784\t01,02,03 04 05 06 07 08\n"));
    QTest::keySequence(issueBox, QKeySequence::Paste);
    QCOMPARE(history->rowCount(), 2);
    QCOMPARE(history->index(1, 0).data().toString(), QStringLiteral("25120784"));
    QCOMPARE(history->index(1, 8).data().toString(), QStringLiteral("8"));
    QCOMPARE(m_session->prompts().notices().size(), 0);

    // Text of several fields that is no draw fills nothing.
    const QString proposed = issueBox->text();
    m_session->prompts().setClipboardText(QStringLiteral("第一码 第二码"));
    QTest::keySequence(child<QLineEdit>("txtIpt1"), QKeySequence::Paste);
    QCOMPARE(m_session->prompts().notices().size(), 1);
    QCOMPARE(issueBox->text(), proposed);
    QVERIFY(child<QLineEdit>("txtIpt1")->text().isEmpty());
    QCOMPARE(history->rowCount(), 2);
}

void MainWindowTest::typedDrawIsStoredAndNextIssueProposed()
{
    openWindow();
    auto* issueBox = child<QLineEdit>("Text1");
    auto* firstBox = child<QLineEdit>("txtIpt1");

    typeDraw(QStringLiteral("25120783"), QStringLiteral("0304061520110917"));
    QAbstractItemModel* history = historyGrid()->model();
    QCOMPARE(history->rowCount(), 1);
    QCOMPARE(history->index(0, 0).data().toString(), QStringLiteral("25120783"));
    QCOMPARE(history->index(0, 1).data().toString(), QStringLiteral("3"));
    QCOMPARE(history->index(0, 8).data().toString(), QStringLiteral("17"));
    QCOMPARE(issueBox->text(), QStringLiteral("25120784"));
    QCOMPARE(QApplication::focusWidget(), firstBox);
    for (int p = 1; p <= 8; ++p)
        QVERIFY(child<QLineEdit>(qPrintable(QStringLiteral("txtIpt%1").arg(p)))->text().isEmpty());

    // The proposal is taken as it stands: the last draw of the day is followed by the next day's first.
    QTest::mouseClick(firstBox, Qt::LeftButton);
    typeIntoFocus(QStringLiteral("0102030405060708"));
    QCOMPARE(history->rowCount(), 2);
    QCOMPARE(history->index(1, 0).data().toString(), QStringLiteral("25120784"));
    QCOMPARE(issueBox->text(), QStringLiteral("25120801"));
    QCOMPARE(m_session->prompts().notices().size(), 0);
}

void MainWindowTest::refusedDrawKeepsNumbers_data()
{
    QTest::addColumn<QString>("issue");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("lastBox");

    QTest::newRow("repeated number") << "25120701"
                                     << "0303061520110917"
                                     << "17";
    QTest::newRow("number above 20") << "25120701"
                                     << "2104061520110917"
                                     << "17";
    QTest::newRow("zero as a number") << "25120701"
                                      << "0004061520110917"
                                      << "17";
    QTest::newRow("issue of seven digits") << "2512071"
                                           << "0304061520110917"
                                           << "17";
    QTest::newRow("issue that is no date") << "25133101"
                                           << "0304061520110917"
                                           << "17";
}

void MainWindowTest::refusedDrawKeepsNumbers()
{
    QFETCH(QString, issue);
    QFETCH(QString, digits);
    QFETCH(QString, lastBox);
    openWindow();

    typeDraw(issue, digits);
    QCOMPARE(historyGrid()->model()->rowCount(), 0);
    QCOMPARE(m_session->prompts().notices().size(), 1);
    QVERIFY(!m_session->prompts().notices().first().message.isEmpty());
    for (int p = 1; p <= 7; ++p) {
        QCOMPARE(child<QLineEdit>(qPrintable(QStringLiteral("txtIpt%1").arg(p)))->text(),
                 digits.mid(2 * (p - 1), 2));
    }
    QCOMPARE(child<QLineEdit>("txtIpt8")->text(), lastBox);
    QCOMPARE(child<QLineEdit>("Text1")->text(), issue);
}

void MainWindowTest::focusIntoFirstBoxEmptiesAll()
{
    openWindow();
    QTest::mouseClick(child<QLineEdit>("txtIpt1"), Qt::LeftButton);
    typeIntoFocus(QStringLiteral("0102035"));
    QCOMPARE(child<QLineEdit>("txtIpt4")->text(), QStringLiteral("5"));

    // A box other than the first keeps its text when it gets the focus; the one-digit number
    // left behind shows as two digits.
    QTest::mouseClick(child<QLineEdit>("txtIpt2"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>("txtIpt2")->text(), QStringLiteral("02"));
    QCOMPARE(child<QLineEdit>("txtIpt4")->text(), QStringLiteral("05"));

    QTest::mouseClick(child<QLineEdit>("txtIpt1"), Qt::LeftButton);
    for (int p = 1; p <= 8; ++p)
        QVERIFY(child<QLineEdit>(qPrintable(QStringLiteral("txtIpt%1").arg(p)))->text().isEmpty());
}

void MainWindowTest::keyInLastBoxScrollsHistory()
{
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 100));
    openWindow();
    GridView* grid = historyGrid();
    grid->setTopRow(0);
    QCOMPARE(grid->topRow(), 0);

    // Any key, also one that completes nothing, brings the newest draws into view.
    auto* lastBox = child<QLineEdit>("txtIpt8");
    lastBox->setFocus();
    QTest::keyClick(lastBox, Qt::Key_Left);
    QVERIFY(grid->topRow() > 0);
    QCOMPARE(grid->topRow(), grid->verticalScrollBar()->maximum());
}

void MainWindowTest::numberBoxesReplaceSelectionAndTakeEnter()
{
    openWindow();
    auto* second = child<QLineEdit>("txtIpt2");
    auto* third = child<QLineEdit>("txtIpt3");
    auto* last = child<QLineEdit>("txtIpt8");
    QTest::mouseClick(child<QLineEdit>("txtIpt1"), Qt::LeftButton);
    typeIntoFocus(QStringLiteral("0321"));
    third->setText(QStringLiteral("07"));

    // Typing over a selected number replaces it in its own box.
    second->setFocus();
    second->selectAll();
    typeIntoFocus(QStringLiteral("02"));
    QCOMPARE(second->text(), QStringLiteral("02"));
    QCOMPARE(third->text(), QStringLiteral("07"));
    QCOMPARE(QApplication::focusWidget(), third);

    // Enter after two digits moves on; a single digit is shown with two when the box is left.
    third->selectAll();
    typeIntoFocus(QStringLiteral("1"));
    QTest::keyClick(third, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), third);
    typeIntoFocus(QStringLiteral("5"));
    QCOMPARE(QApplication::focusWidget(), child<QLineEdit>("txtIpt4"));
    child<QLineEdit>("txtIpt4")->setText(QStringLiteral("4"));
    last->setFocus();
    QCOMPARE(child<QLineEdit>("txtIpt4")->text(), QStringLiteral("04"));

    // In the last box a selected number is replaced too, and only the second digit stores.
    last->setText(QStringLiteral("20"));
    last->selectAll();
    typeIntoFocus(QStringLiteral("2"));
    QCOMPARE(last->text(), QStringLiteral("2"));
    QCOMPARE(historyGrid()->model()->rowCount(), 0);
}

void MainWindowTest::keyboardMovesBetweenControls()
{
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 5));
    openWindow();
    // Alt+Q moves to the issue box with its text selected.
    QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::AltModifier);
    auto* issueBox = child<QLineEdit>("Text1");
    QCOMPARE(QApplication::focusWidget(), issueBox);
    QCOMPARE(issueBox->selectedText(), issueBox->text());

    // Tab leaves a grid instead of moving from cell to cell.
    historyGrid()->setFocus();
    historyGrid()->setCurrentIndex(historyGrid()->model()->index(0, 0));
    QTest::keyClick(historyGrid(), Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != historyGrid());
}

// ---- formulas ------------------------------------------------------------------------------------

void MainWindowTest::typedFormulaShowsStatistics()
{
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt")));
    openWindow();
    auto* text = child<QLineEdit>("Text2");

    typeText(text, QStringLiteral("第一码+第二大小+5=下期杀第一"));
    QTest::mouseClick(child<QAbstractButton>("Command1"), Qt::LeftButton);
    QVERIFY(text->text().isEmpty());
    QVERIFY(child<QRadioButton>("Option2_0")->isChecked()); // the suffix form chose kill

    QAbstractItemModel* list = formulaGrid()->model();
    QCOMPARE(list->rowCount(), 1);
    QCOMPARE(list->index(0, 1).data().toString(), QStringLiteral("第一码+第二大小+5=下期杀第一"));
    QCOMPARE(list->index(0, 2).data().toString(), QStringLiteral("第一"));
    QCOMPARE(list->index(0, 3).data().toString(), QStringLiteral("杀"));
    const int computed = list->index(0, 4).data().toInt();
    QVERIFY(computed >= 1 && computed <= 20);
    const int maxMisses = list->index(0, 6).data().toInt();
    const int maxHits = list->index(0, 7).data().toInt();
    const int lastMisses = list->index(0, 8).data().toInt();
    const int lastHits = list->index(0, 9).data().toInt();
    QVERIFY(maxHits > 0);
    QVERIFY(lastMisses <= maxMisses && lastHits <= maxHits);
    QVERIFY(lastMisses == 0 || lastHits == 0);
    QVERIFY(list->index(0, 7).data(Qt::ToolTipRole).toString().contains(QLatin1Char('%')));

    // A formula naming another position switches the list to it.
    typeText(text, QStringLiteral("和数个位+连跳号+3=下期生第三"));
    QTest::keyClick(text, Qt::Key_Return);
    QVERIFY(child<QRadioButton>("optXing3")->isChecked());
    QVERIFY(child<QRadioButton>("Option2_1")->isChecked());
    QCOMPARE(list->rowCount(), 1);
    QCOMPARE(list->index(0, 2).data().toString(), QStringLiteral("第三"));
    QCOMPARE(m_session->prompts().notices().size(), 0);
}

void MainWindowTest::typedFormulaRefusals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("focusOnBox");

    QTest::newRow("empty box") << ""
                               << "添加公式失败" << true;
    QTest::newRow("only spaces") << "   "
                                 << "添加公式失败" << true;
    QTest::newRow("下期 at the very start") << "下期杀第一"
                                            << "无法识别公式" << false;
    QTest::newRow("no position mark") << "第一码+5"
                                      << "无法识别公式" << false;
}

void MainWindowTest::typedFormulaRefusals()
{
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(bool, focusOnBox);
    openWindow();
    auto* box = child<QLineEdit>("Text2");
    typeText(box, text);
    auto* add = child<QAbstractButton>("Command1");
    add->setFocus();

    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(m_session->prompts().notices().size(), 1);
    QCOMPARE(m_session->prompts().notices().first().title, title);
    QCOMPARE(box->text(), text);
    QCOMPARE(QApplication::focusWidget() == box, focusOnBox);
    QCOMPARE(formulaGrid()->model()->rowCount(), 0);
}

void MainWindowTest::positionAndKindChoice()
{
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 60));
    openWindow();
    Workspace& workspace = m_session->workspace();
    QVERIFY(FormulaEntry(workspace).addTyped(QStringLiteral("第一码+5=下期生第一")));
    QVERIFY(FormulaEntry(workspace).addTyped(QStringLiteral("第二码+7=下期杀第二")));
    QVERIFY(FormulaEntry(workspace).addTyped(QStringLiteral("第二码+9=下期生第二")));
    QAbstractItemModel* list = formulaGrid()->model();
    QAbstractItemModel* history = historyGrid()->model();

    clickOption(child<QRadioButton>("optXing1"));
    QCOMPARE(list->rowCount(), 1);
    QCOMPARE(list->index(0, 1).data().toString(), QStringLiteral("第一码+5=下期生第一"));
    QVERIFY(history->index(0, 1).data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(!history->index(0, 2).data(Qt::FontRole).value<QFont>().bold());

    clickOption(child<QRadioButton>("optXing2"));
    QCOMPARE(workspace.currentPosition(), 2);
    QCOMPARE(list->index(0, 1).data().toString(), QStringLiteral("第二码+9=下期生第二"));
    QCOMPARE(list->index(0, 2).data().toString(), QStringLiteral("第二"));
    QVERIFY(history->index(0, 2).data(Qt::FontRole).value<QFont>().bold());
    QCOMPARE(history->index(0, 2).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::blue));
    QVERIFY(!history->index(0, 1).data(Qt::FontRole).value<QFont>().bold());

    // The kind choice shows that kind's formulas at once, verified.
    clickOption(child<QRadioButton>("Option2_0"));
    QVERIFY(workspace.currentKindIsKill());
    QCOMPARE(list->rowCount(), 1);
    QCOMPARE(list->index(0, 1).data().toString(), QStringLiteral("第二码+7=下期杀第二"));
    QCOMPARE(list->index(0, 3).data().toString(), QStringLiteral("杀"));
    QVERIFY(!list->index(0, 6).data().toString().isEmpty());
    QCOMPARE(child<QLabel>("statusFormulas")->text(), QStringLiteral("第二杀公式：1个"));
}

void MainWindowTest::displayTabShowsCode()
{
    openWindow();
    QVERIFY(FormulaEntry(m_session->workspace()).addTyped(QStringLiteral("[第一生]第一码+连跳号+3")));
    QAbstractItemModel* list = formulaGrid()->model();
    QCOMPARE(list->index(0, 1).data().toString(), QStringLiteral("[第一生]第一码+连跳号+3"));

    auto* tabs = child<QTabBar>("TabStrip1");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QCOMPARE(list->index(0, 1).data().toString(), QStringLiteral("L1A+L3K+3"));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QCOMPARE(list->index(0, 1).data().toString(), QStringLiteral("[第一生]第一码+连跳号+3"));
}

void MainWindowTest::formulaListClicks()
{
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt")));
    openWindow();
    Workspace& workspace = m_session->workspace();
    // Codes chosen so that two formulas predict the same number.
    for (const char* text :
         {"第一码+1=下期杀第一", "第一码+21=下期杀第一", "第一码+2=下期杀第一", "第二码+3=下期杀第一"})
        QVERIFY(FormulaEntry(workspace).addTyped(QString::fromUtf8(text)));
    GridView* grid = formulaGrid();
    QAbstractItemModel* list = grid->model();
    QCOMPARE(list->rowCount(), 4);

    // Left click in column 1 takes the formula out of the selection and back.
    QCOMPARE(list->index(2, 0).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(0, 0, 255));
    clickCell(grid, 2, 1);
    QVERIFY(!workspace.isSelected(3));
    QCOMPARE(list->index(2, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
             QApplication::palette().color(QPalette::Button));
    clickCell(grid, 2, 1);
    QVERIFY(workspace.isSelected(3));

    // Left click in column 4 marks every formula predicting the same number.
    clickCell(grid, 0, 4);
    const QString marked = list->index(0, 4).data().toString();
    QCOMPARE(list->index(1, 4).data().toString(), marked); // +1 and +21 fold alike
    for (int row = 0; row < 4; ++row) {
        const bool same = list->index(row, 4).data().toString() == marked;
        QCOMPARE(list->index(row, 4).data(Qt::BackgroundRole).value<QBrush>().color(),
                 same ? QColor(0, 255, 0) : QColor(Qt::white));
    }

    // Double click on "最后连对" orders by it ascending.
    clickCell(grid, 0, FormulaListModel::LastHitsColumn, true);
    QVERIFY(static_cast<FormulaListModel*>(list)->isSortedOrder());
    for (int row = 1; row < list->rowCount(); ++row)
        QVERIFY(list->index(row - 1, 9).data().toInt() <= list->index(row, 9).data().toInt());
}

// ---- settings ------------------------------------------------------------------------------------

void MainWindowTest::menuItemStoresSetting_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("answers"); // input box answers; "<cancel>" cancels
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");

    QTest::newRow("lottery type 重庆幸运农场") << "mnuKL10_3" << QStringList() << "GsZl"
                                               << "3";
    QTest::newRow("retrieval of all periods") << "mnuQs_0" << QStringList() << "JSQS"
                                              << "0";
    QTest::newRow("retrieval of 3000 periods") << "mnuQs_9" << QStringList() << "JSQS"
                                               << "9";
    QTest::newRow("current period included") << "mnuBuhan" << QStringList() << "SyBq"
                                             << "False";
    QTest::newRow("weighting off") << "mnuZqlJq" << QStringList() << "ZqlJq"
                                   << "False";
    QTest::newRow("chance column on") << "mnuSjGl" << QStringList() << "SjGl"
                                      << "True";
    QTest::newRow("results at the current period") << "mnuYsXs_1" << QStringList() << "LsXs"
                                                   << "True";
    QTest::newRow("results at the next period") << "mnuYsXs_0" << QStringList() << "LsXs"
                                                << "False";
    QTest::newRow("history days 10") << "mnuSetDay" << QStringList{"10"} << "IniSerchDay"
                                     << "10";
    QTest::newRow("history days 11 refused then 2") << "mnuSetDay" << QStringList{"11", "2"} << "IniSerchDay"
                                                    << "2";
    QTest::newRow("history days cancelled") << "mnuSetDay" << QStringList{"<cancel>"} << "IniSerchDay"
                                            << "";
}

void MainWindowTest::menuItemStoresSetting()
{
    QFETCH(QString, item);
    QFETCH(QStringList, answers);
    QFETCH(QString, key);
    QFETCH(QString, stored);
    openWindow();
    for (const QString& answer : answers)
        m_session->prompts().queueInputText(
            answer == QLatin1String("<cancel>") ? std::nullopt : std::optional<QString>(answer));

    QAction* menuItem = action(qPrintable(item));
    QVERIFY(menuItem);
    menuItem->trigger();
    QCOMPARE(m_session->storedSetting(key), stored);
    QCOMPARE(m_session->prompts().unusedAnswers(), 0);
    QCOMPARE(m_session->prompts().unexpectedCalls(), 0);
    if (menuItem->isCheckable() && item != QLatin1String("mnuBuhan") && item != QLatin1String("mnuZqlJq"))
        QVERIFY(menuItem->isChecked());
}

void MainWindowTest::checkMarksAreExclusive()
{
    openWindow();
    auto checkedOf = [this](const char* prefix, int count) {
        QList<int> checked;
        for (int i = 0; i < count; ++i) {
            if (action(qPrintable(QStringLiteral("%1_%2").arg(QLatin1String(prefix)).arg(i)))->isChecked())
                checked << i;
        }
        return checked;
    };

    action("mnuKL10_2")->trigger();
    action("mnuKL10_5")->trigger();
    QCOMPARE(checkedOf("mnuKL10", 8), QList<int>{5});
    action("mnuKL10_5")->trigger(); // the chosen item stays chosen
    QCOMPARE(checkedOf("mnuKL10", 8), QList<int>{5});

    action("mnuQs_1")->trigger();
    QCOMPARE(checkedOf("mnuQs", 10), QList<int>{1});
    action("mnuQs_1")->trigger();
    QCOMPARE(checkedOf("mnuQs", 10), QList<int>{1});

    action("mnuYsXs_1")->trigger();
    QCOMPARE(checkedOf("mnuYsXs", 2), QList<int>{1});
    action("mnuYsXs_1")->trigger();
    QCOMPARE(checkedOf("mnuYsXs", 2), QList<int>{1});

    action("mnuBuhan")->trigger();
    QVERIFY(!action("mnuBuhan")->isChecked());
    action("mnuBuhan")->trigger();
    QVERIFY(action("mnuBuhan")->isChecked());
}

void MainWindowTest::restoreDefaults()
{
    openWindow();
    for (const char* item : {"mnuKL10_4", "mnuQs_8", "mnuBuhan", "mnuZqlJq", "mnuYsXs_1"})
        action(item)->trigger();

    action("meuHfmr")->trigger();
    QCOMPARE(m_session->storedSetting(QStringLiteral("LsXs")), QStringLiteral("False"));
    QCOMPARE(m_session->storedSetting(QStringLiteral("SyBq")), QStringLiteral("True"));
    QCOMPARE(m_session->storedSetting(QStringLiteral("ZqlJq")), QStringLiteral("True"));
    QCOMPARE(m_session->storedSetting(QStringLiteral("IniSerchDay")), QStringLiteral("6"));
    QCOMPARE(m_session->storedSetting(QStringLiteral("JSQS")), QStringLiteral("3"));
    QCOMPARE(m_session->storedSetting(QStringLiteral("GsZl")), QStringLiteral("4")); // untouched
    QVERIFY(action("mnuYsXs_0")->isChecked());
    QVERIFY(!action("mnuYsXs_1")->isChecked());
    QVERIFY(action("mnuQs_3")->isChecked());
    QVERIFY(!action("mnuQs_8")->isChecked());
    QVERIFY(action("mnuBuhan")->isChecked());
    QVERIFY(action("mnuZqlJq")->isChecked());
    QVERIFY(action("mnuKL10_4")->isChecked());

    // Ctrl+Z in a text box is the box's own; outside one it undoes the restore, and the menu's
    // check marks follow.
    child<QLineEdit>("Text1")->setFocus();
    QTest::keyClick(child<QLineEdit>("Text1"), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_session->storedSetting(QStringLiteral("JSQS")), QStringLiteral("3"));
    formulaGrid()->setFocus();
    QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_session->storedSetting(QStringLiteral("JSQS")), QStringLiteral("8"));
    QVERIFY(action("mnuQs_8")->isChecked());
    QVERIFY(!action("mnuBuhan")->isChecked());
    QCOMPARE(m_session->prompts().last(ScriptedPrompts::Kind::Notice).title, QStringLiteral("撤销上次修改"));

    // "恢复备份…" lists both states, newest first, and restores the chosen one.
    QString listed;
    QTimer::singleShot(0, this, [&listed] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto* list = dialog->findChild<QTableWidget*>(QStringLiteral("lstBeifen"));
        listed = QStringLiteral("%1 %2 %3")
                     .arg(dialog->objectName())
                     .arg(list->rowCount())
                     .arg(list->item(0, 2)->text());
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdRestore")), Qt::LeftButton);
        dialog->accept();
    });
    action("mnuBeifen")->trigger();
    QCOMPARE(listed, QStringLiteral("frmBeifen 2 撤销上次修改"));
    QCOMPARE(m_session->storedSetting(QStringLiteral("JSQS")), QStringLiteral("3"));
}

void MainWindowTest::methodOptionStoresSetting()
{
    openWindow();
    clickOption(child<QRadioButton>("Option6_0"));
    QCOMPARE(m_session->storedSetting(QStringLiteral("JSFF")), QStringLiteral("False"));
    QVERIFY(!child<QRadioButton>("Option6_1")->isChecked());
    clickOption(child<QRadioButton>("Option6_1"));
    QCOMPARE(m_session->storedSetting(QStringLiteral("JSFF")), QStringLiteral("True"));
}

// ---- scrolling -----------------------------------------------------------------------------------

void MainWindowTest::fillScrollsNewestIntoView_data()
{
    QTest::addColumn<int>("draws");
    QTest::addColumn<bool>("scrolled");

    QTest::newRow("28 draws (29 rows) stay at the top") << 28 << false;
    QTest::newRow("29 draws (30 rows) show the newest") << 29 << true;
    QTest::newRow("245 draws show the newest") << 245 << true;
}

void MainWindowTest::fillScrollsNewestIntoView()
{
    QFETCH(int, draws);
    QFETCH(bool, scrolled);
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), draws));
    openWindow();
    GridView* grid = historyGrid();
    // The test relies on a grid shorter than 28 rows.
    QVERIFY(grid->verticalScrollBar()->maximum() > 0);

    if (scrolled) {
        QTRY_COMPARE(grid->topRow(), grid->verticalScrollBar()->maximum());
        const QRect last = grid->visualRect(grid->model()->index(draws - 1, 0));
        QVERIFY(grid->viewport()->rect().contains(last));
    } else {
        QTest::qWait(20);
        QCOMPARE(grid->topRow(), 0);
    }
}

void MainWindowTest::wheelMovesOneRow_data()
{
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("expected");

    QTest::newRow("one notch toward the user") << 10 << -120 << 11;
    QTest::newRow("three notches at once toward the user") << 10 << -360 << 11;
    QTest::newRow("a fine turn toward the user") << 10 << -15 << 11;
    QTest::newRow("one notch away from the user") << 10 << 120 << 9;
    QTest::newRow("away at the first row stays") << 0 << 120 << 0;
    QTest::newRow("toward the user from the first row") << 0 << -120 << 1;
}

void MainWindowTest::wheelMovesOneRow()
{
    QFETCH(int, top);
    QFETCH(int, delta);
    QFETCH(int, expected);
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 120));
    openWindow();
    std::vector<NewFormula> formulas;
    for (int i = 0; i < 70; ++i)
        formulas.push_back(
            {QStringLiteral("L1A+%1").arg(i), QStringLiteral("第一码+%1=下期生第一").arg(i), false, {}, {}});
    QVERIFY(m_session->openDatabase()->formulas().append(1, formulas));
    QVERIFY(m_session->workspace().selectPosition(1));
    QCOMPARE(formulaGrid()->model()->rowCount(), 70);

    for (GridView* grid : {historyGrid(), formulaGrid()}) {
        grid->setTopRow(top);
        QCOMPARE(grid->topRow(), top);
        const QPoint at = grid->viewport()->rect().center();
        QWheelEvent wheel(at, grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &wheel);
        QCOMPARE(grid->topRow(), expected);
    }
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
