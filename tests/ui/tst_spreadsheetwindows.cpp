#include "core/Database.h"
#include "core/FormulaTables.h"
#include "core/Workbook.h"
#include "support/ReadOnlyScope.h"
#include "support/TestSession.h"
#include "support/WorkbookReader.h"
#include "ui/GridView.h"
#include "ui/MainWindow.h"
#include "ui/SpreadsheetExportRunner.h"

#include <QAction>
#include <QApplication>
#include <QBrush>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

using namespace quorvel;
using WorkbookReader::readSheet;

// Every trigger of a spreadsheet export writes its workbook from what its window shows and opens
// it; a failure is reported once with the export's title.
class SpreadsheetWindowsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void historyGridIsCopiedCellForCell();
    void formulaListIsCopiedInTheOrderShown();
    void toolWindowsExportTheirGrids();
    void rankingFailureIsReportedWithItsTitle();
    void cancelLeavesTheEarlierFile();

private:
    void openWindow();
    template <typename T> T* child(const QString& name) const
    {
        return m_window ? m_window->findChild<T*>(name) : nullptr;
    }
    // The path of the workbook the trigger opened, once it is written.
    QString shownWorkbook(const QString& fileName);
    // Sheet cells against the model's texts, header row included; `except` names cells that differ.
    static void compareWithModel(const QString& path, const QAbstractItemModel& model, bool fills,
                                 const std::function<bool(int row, int column)>& except = {});
    QAbstractButton* rankingButton(const char* name);

    std::unique_ptr<TestSession> m_session;
    std::unique_ptr<MainWindow> m_window;
};

void SpreadsheetWindowsTest::init()
{
    m_session = std::make_unique<TestSession>();
    QVERIFY(m_session->seedHistory(QStringLiteral("gdklsf-168bet-funyule.txt"), 40));
    // Limits 9, 7, 5, 3: sorting by the limit reverses the list.
    std::vector<NewFormula> formulas;
    int limit = 11;
    for (const char* code : {"7", "L1A+L3B+7", "12", "L2A*2"})
        formulas.push_back(NewFormula{QLatin1String(code), QStringLiteral("公式") + QLatin1String(code),
                                      false, limit -= 2, std::nullopt});
    QVERIFY(m_session->openDatabase()->formulas().append(1, formulas).ok());
    QVERIFY(m_session->openDatabase()->formulas().renumber(1).ok());
}

void SpreadsheetWindowsTest::cleanup()
{
    m_window.reset();
    m_session.reset();
}

void SpreadsheetWindowsTest::openWindow()
{
    QVERIFY(m_session->start());
    m_window = std::make_unique<MainWindow>(m_session->workspace(), m_session->prompts());
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

QString SpreadsheetWindowsTest::shownWorkbook(const QString& fileName)
{
    const QString path = QDir(m_session->dataFolder()).filePath(fileName);
    if (!QTest::qWaitFor([&] { return m_session->prompts().shownFiles().contains(path); }, 20000))
        qWarning("%s was not opened", qPrintable(fileName));
    m_session->prompts().clear();
    return path;
}

void SpreadsheetWindowsTest::compareWithModel(const QString& path, const QAbstractItemModel& model,
                                              bool fills, const std::function<bool(int, int)>& except)
{
    const std::map<QString, SheetCell> cells = readSheet(path);
    QVERIFY(!cells.empty());
    for (int row = 0; row <= model.rowCount(); ++row) {
        for (int column = 0; column < model.columnCount(); ++column) {
            if (except && except(row, column))
                continue;
            const QString reference = WorkbookReader::reference(row + 1, column + 1);
            const auto found = cells.find(reference);
            const QString expected = row == 0 ? model.headerData(column, Qt::Horizontal).toString()
                                              : model.index(row - 1, column).data().toString();
            QVERIFY2((found == cells.end() ? QString() : found->second.value) == expected,
                     qPrintable(reference));
            if (!fills || row == 0)
                continue;
            const QColor background =
                model.index(row - 1, column).data(Qt::BackgroundRole).value<QBrush>().color();
            const QString fill = background == QColor(0, 0, 255)   ? QStringLiteral("0000FF")
                                 : background == QColor(0, 255, 0) ? QStringLiteral("00FF00")
                                                                   : QString();
            QVERIFY2((found == cells.end() ? QString() : found->second.fill) == fill, qPrintable(reference));
        }
    }
}

QAbstractButton* SpreadsheetWindowsTest::rankingButton(const char* name)
{
    auto* ranking = child<QWidget>(QStringLiteral("frmErrarrLei"));
    return ranking ? ranking->findChild<QPushButton*>(QLatin1String(name)) : nullptr;
}

void SpreadsheetWindowsTest::historyGridIsCopiedCellForCell()
{
    openWindow();
    auto* grid = child<GridView>(QStringLiteral("MSFlexGrid1"));
    auto* button = child<QPushButton>(QStringLiteral("cmdDcexl"));
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    compareWithModel(shownWorkbook(QStringLiteral("lishi.xlsx")), *grid->model(), true);
    QCOMPARE(m_session->prompts().count(ScriptedPrompts::Kind::Question), 0);

    // With the results shown: the question, then the results with their colours, and the
    // formulas' display texts on the oldest draw's row.
    auto* check = child<QCheckBox>(QStringLiteral("Check1"));
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
    QCOMPARE(grid->model()->columnCount(), 13);
    m_session->prompts().queueQuestionAnswer(true);
    child<QAction>(QStringLiteral("mnuDcls"))->trigger();
    QCOMPARE(m_session->prompts().last(ScriptedPrompts::Kind::Question).title,
             QStringLiteral("查询等待确认"));
    const QString path = shownWorkbook(QStringLiteral("lishi.xlsx"));
    compareWithModel(path, *grid->model(), true, [](int row, int column) { return row == 1 && column >= 9; });
    QCOMPARE(readSheet(path).at(QStringLiteral("K2")).value, QStringLiteral("公式L1A+L3B+7"));

    // Cancel: nothing is written.
    QVERIFY(QFile::remove(path));
    m_session->prompts().queueQuestionAnswer(false);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_session->prompts().unusedAnswers(), 0);
    QTest::qWait(200);
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(m_session->prompts().shownFiles().isEmpty());
}

void SpreadsheetWindowsTest::formulaListIsCopiedInTheOrderShown()
{
    openWindow();
    auto* list = child<GridView>(QStringLiteral("MSFlexGrid2"));
    // Sorted by 极限值 with a double click.
    const QModelIndex cell = list->model()->index(0, 5);
    list->scrollTo(cell);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(cell).center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(cell).center());
    QCOMPARE(list->model()->index(0, 1).data().toString(), QStringLiteral("公式L2A*2"));
    QAction* action = child<QAction>(QStringLiteral("mnuExl"));
    QVERIFY(action->isEnabled());
    action->trigger();
    compareWithModel(shownWorkbook(QStringLiteral("gongshi.xlsx")), *list->model(), false);
}

void SpreadsheetWindowsTest::toolWindowsExportTheirGrids()
{
    openWindow();
    QTest::mouseClick(child<QPushButton>(QStringLiteral("Command23")), Qt::LeftButton);
    QTRY_VERIFY(rankingButton("Command1") && rankingButton("Command1")->isVisible());
    QTest::mouseClick(rankingButton("Command1"), Qt::LeftButton);
    const std::map<QString, SheetCell> ranking = readSheet(shownWorkbook(QStringLiteral("ErrarrLei.xlsx")));
    const QAbstractItemModel* page = child<GridView>(QStringLiteral("MSFlexGrid1_1"))->model();
    for (int rank = 1; rank <= 20; ++rank) {
        QCOMPARE(ranking.at(WorkbookReader::reference(rank + 1, 2)).value,
                 page->index(rank - 1, 1).data().toString());
        QCOMPARE(ranking.at(WorkbookReader::reference(rank + 1, 3)).value,
                 page->index(rank - 1, 2).data().toString());
    }

    QTest::mouseClick(rankingButton("Command2"), Qt::LeftButton);
    auto* detail = child<QDialog>(QStringLiteral("frmXxlb"));
    QTRY_VERIFY(detail && detail->isVisible());
    auto* exportDetail = detail->findChild<QPushButton*>(QStringLiteral("Command1"));
    QVERIFY(exportDetail->isEnabled());
    QTest::mouseClick(exportDetail, Qt::LeftButton);
    compareWithModel(shownWorkbook(QStringLiteral("gongshi.xlsx")),
                     *detail->findChild<GridView*>(QStringLiteral("MSFlexGrid1"))->model(), false);
    detail->close();

    auto* list = child<GridView>(QStringLiteral("MSFlexGrid2"));
    list->setCurrentIndex(list->model()->index(1, 1));
    child<QAction>(QStringLiteral("mnuCulate"))->trigger();
    auto* steps = child<QWidget>(QStringLiteral("frmGsbz"));
    QTRY_VERIFY(steps && steps->isVisible());
    auto* stepsGrid = steps->findChild<GridView*>(QStringLiteral("MSFlexGrid1"));
    QTest::mouseClick(stepsGrid->viewport(), Qt::LeftButton, {},
                      stepsGrid->visualRect(stepsGrid->model()->index(2, 2)).center());
    compareWithModel(shownWorkbook(QStringLiteral("LSJS.xlsx")), *stepsGrid->model(), false);
    QCOMPARE(m_session->prompts().notices().size(), 0);
}

void SpreadsheetWindowsTest::rankingFailureIsReportedWithItsTitle()
{
    openWindow();
    QTest::mouseClick(child<QPushButton>(QStringLiteral("Command23")), Qt::LeftButton);
    QTRY_VERIFY(rankingButton("Command1") && rankingButton("Command1")->isVisible());
    {
        const ReadOnlyScope readOnly(m_session->dataFolder(), ReadOnlyScope::What::Folder);
        QTest::mouseClick(rankingButton("Command1"), Qt::LeftButton);
        QTRY_COMPARE(m_session->prompts().notices().size(), 1);
    }
    const ScriptedPrompts::Record notice = m_session->prompts().notices().first();
    QCOMPARE(notice.title, QStringLiteral("列表显示错误"));
    QVERIFY2(notice.message.contains(QStringLiteral("ErrarrLei.xlsx")), qPrintable(notice.message));
    QVERIFY(m_session->prompts().shownFiles().isEmpty());
    QVERIFY(!QFileInfo::exists(QDir(m_session->dataFolder()).filePath(QStringLiteral("ErrarrLei.xlsx"))));
}

void SpreadsheetWindowsTest::cancelLeavesTheEarlierFile()
{
    openWindow();
    const QString path = QDir(m_session->dataFolder()).filePath(QStringLiteral("gongshi.xlsx"));
    QVERIFY(Workbook::write(path, {{WorkbookCell::text(QStringLiteral("earlier"))}}).ok());
    // The second row waits until Cancel has been pressed.
    auto pressed = std::make_shared<std::atomic<bool>>(false);
    SheetGrid sheet;
    sheet.rowCount = 3;
    sheet.row = [pressed](int row, std::vector<WorkbookCell>& cells) {
        while (row == 1 && !*pressed)
            QThread::msleep(1);
        cells.push_back(WorkbookCell::number(row));
    };
    SpreadsheetExportRunner runner(m_session->workspace(), m_session->prompts(), m_window.get());
    QSignalSpy finished(&runner, &SpreadsheetExportRunner::finished);
    QVERIFY(runner.start({path, QStringLiteral("导出数据"), sheet}));
    QVERIFY(!runner.start({path, QStringLiteral("导出数据"), sheet})); // one at a time
    auto* dialog = m_window->findChild<QProgressDialog*>(QStringLiteral("exportProgress"));
    QVERIFY(dialog);
    QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
    *pressed = true;
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toBool(), false);
    QCOMPARE(readSheet(path).at(QStringLiteral("A1")).value, QStringLiteral("earlier"));
    QCOMPARE(QDir(m_session->dataFolder()).entryList({QStringLiteral("*.tmp")}, QDir::Files), QStringList());
    QVERIFY(m_session->prompts().notices().isEmpty());
    QVERIFY(m_session->prompts().shownFiles().isEmpty());
}

QTEST_MAIN(SpreadsheetWindowsTest)
#include "tst_spreadsheetwindows.moc"
