#include "core/Workbook.h"
#include "support/WorkbookReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <map>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using namespace quorvel;
using WorkbookReader::readSheet;

namespace {

constexpr quint32 kBlue = 0x0000FF;
constexpr quint32 kGreen = 0x00FF00;

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

Q_DECLARE_METATYPE(WorkbookCell)

class TestWorkbook : public QObject
{
    Q_OBJECT

private slots:
    void gridText_data();
    void gridText();
    void cellsLandOnePlaceDownAndRight();
    void rowsComeFromTheSource();
    void replacesAnEarlierFileWhole();
    void abandonedWorkbookLeavesTheTargetAlone();
    void failureNamesWhatFailed_data();
    void failureNamesWhatFailed();
    void replacementFailureKeepsNothingHalfWritten();
    void fullDiskFailsTheWorkbook();
};

void TestWorkbook::gridText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");

    QTest::newRow("whole number is a number") << "12" << true;
    QTest::newRow("negative number is a number") << "-3" << true;
    QTest::newRow("zero is a number") << "0" << true;
    QTest::newRow("decimal fraction is a number") << "0.05" << true;
    QTest::newRow("15 significant digits are a number") << "123456789012345" << true;
    QTest::newRow("issue with a leading zero stays text") << "05010101" << false;
    QTest::newRow("trailing fraction zero stays text") << "1.50" << false;
    QTest::newRow("plus sign stays text") << "+3" << false;
    QTest::newRow("minus zero stays text") << "-0" << false;
    QTest::newRow("exponent stays text") << "1e5" << false;
    QTest::newRow("16 significant digits stay text") << "1234567890123456" << false;
    QTest::newRow("padded number stays text") << " 7" << false;
    QTest::newRow("Chinese text stays text") << "第一码" << false;
}

void TestWorkbook::gridText()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    const WorkbookCell cell = WorkbookCell::fromGridText(text);
    QCOMPARE(std::holds_alternative<double>(cell.value), isNumber);
    if (isNumber)
        QCOMPARE(QString::number(std::get<double>(cell.value), 'g', 15), text);
    else
        QCOMPARE(std::get<QString>(cell.value), text);
    QVERIFY(WorkbookCell::fromGridText(QString()).isEmpty());
}

void TestWorkbook::cellsLandOnePlaceDownAndRight()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("lishi.xlsx"));
    const std::vector<std::vector<WorkbookCell>> grid{
        {WorkbookCell::text(QStringLiteral("期号")), WorkbookCell::text(QStringLiteral("第一"))},
        {WorkbookCell::fromGridText(QStringLiteral("25120702")), WorkbookCell::number(4, kBlue),
         WorkbookCell::text(QStringLiteral("7"), kGreen), WorkbookCell{}, WorkbookCell::text({}, 0xFFFFFF)},
    };
    QVERIFY2(Workbook::write(path, grid).ok(), "write");

    const std::map<QString, SheetCell> cells = readSheet(path);
    QCOMPARE(cells.size(), std::size_t(6)); // D2 is empty and absent
    QCOMPARE(cells.at("A1").value, QStringLiteral("期号"));
    QVERIFY(!cells.at("A1").number);
    QCOMPARE(cells.at("B1").value, QStringLiteral("第一"));
    QVERIFY(cells.at("A2").number);
    QCOMPARE(cells.at("A2").value, QStringLiteral("25120702"));
    QVERIFY(cells.at("B2").number);
    QCOMPARE(cells.at("B2").fill, QStringLiteral("0000FF"));
    QVERIFY(!cells.at("C2").number);
    QCOMPARE(cells.at("C2").value, QStringLiteral("7"));
    QCOMPARE(cells.at("C2").fill, QStringLiteral("00FF00"));
    QVERIFY(cells.count("D2") == 0);
    QCOMPARE(cells.at("E2").value, QString());
    QCOMPARE(cells.at("E2").fill, QStringLiteral("FFFFFF"));
    QCOMPARE(cells.at("A1").fill, QString());
    QCOMPARE(folderEntries(folder.path()), QStringList{QStringLiteral("lishi.xlsx")});
}

void TestWorkbook::rowsComeFromTheSource()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("gongshi.xlsx"));
    const Status written = Workbook::write(path, 300, [](int row, std::vector<WorkbookCell>& cells) {
        if (row % 100 != 99) // a row left empty stays in its place
            cells.push_back(WorkbookCell::number(row));
    });
    QVERIFY2(written.ok(), qPrintable(written.error()));
    const std::map<QString, SheetCell> cells = readSheet(path);
    QCOMPARE(cells.size(), std::size_t(297));
    QCOMPARE(cells.at("A1").value, QStringLiteral("0"));
    QCOMPARE(cells.at("A299").value, QStringLiteral("298"));
    QVERIFY(cells.count("A100") == 0);
}

void TestWorkbook::replacesAnEarlierFileWhole()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("gongshi.xlsx"));
    QVERIFY(Workbook::write(path, {{WorkbookCell::text("formula list"), WorkbookCell::text("extra")}}).ok());
    QVERIFY(Workbook::write(path, {{WorkbookCell::text("detail list")}}).ok());
    const std::map<QString, SheetCell> cells = readSheet(path);
    QCOMPARE(cells.size(), std::size_t(1));
    QCOMPARE(cells.at("A1").value, QStringLiteral("detail list"));
    QCOMPARE(folderEntries(folder.path()), QStringList{QStringLiteral("gongshi.xlsx")});
}

void TestWorkbook::abandonedWorkbookLeavesTheTargetAlone()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("LSJS.xlsx"));
    QVERIFY(Workbook::write(path, {{WorkbookCell::text("kept")}}).ok());
    const auto openFiles = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
    const uint filesBefore = openFiles();
    {
        Result<std::unique_ptr<Workbook>> workbook = Workbook::create(path);
        QVERIFY(workbook.ok());
        const WorkbookCell cell = WorkbookCell::text("never finished");
        QVERIFY((*workbook)->appendRow({&cell, 1}).ok());
    }
    QCOMPARE(openFiles(), filesBefore); // the scratch file of its rows is closed as well
    QCOMPARE(readSheet(path).at("A1").value, QStringLiteral("kept"));
    QCOMPARE(folderEntries(folder.path()), QStringList{QStringLiteral("LSJS.xlsx")});
}

void TestWorkbook::failureNamesWhatFailed_data()
{
    QTest::addColumn<QString>("target"); // relative to a fresh folder
    QTest::addColumn<QString>("folderMade");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing folder") << "missing/lishi.xlsx" << QString() << "x"
                                    << "无法在";
    QTest::newRow("a folder holds the name") << "ErrarrLei.xlsx"
                                             << "ErrarrLei.xlsx"
                                             << "x"
                                             << "同名文件夹";
    QTest::newRow("text longer than a cell holds")
        << "LSJS.xlsx" << QString() << QString(32768, u'a') << "第1行第1列的文字超过 32767 个字符";
}

void TestWorkbook::failureNamesWhatFailed()
{
    QFETCH(QString, target);
    QFETCH(QString, folderMade);
    QFETCH(QString, text);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    if (!folderMade.isEmpty())
        QVERIFY(QDir(folder.path()).mkdir(folderMade));
    const QStringList before = folderEntries(folder.path());
    const Status written = Workbook::write(folder.filePath(target), {{WorkbookCell::text(text)}});
    QVERIFY(!written.ok());
    QVERIFY2(written.error().contains(QDir::toNativeSeparators(folder.filePath(target))),
             qPrintable(written.error()));
    QVERIFY2(written.error().contains(reason), qPrintable(written.error()));
    QCOMPARE(folderEntries(folder.path()), before);
}

void TestWorkbook::replacementFailureKeepsNothingHalfWritten()
{
    // The target turns into something a file cannot replace while the workbook is written.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("lishi.xlsx"));
    Result<std::unique_ptr<Workbook>> workbook = Workbook::create(path);
    QVERIFY(workbook.ok());
    const WorkbookCell cell = WorkbookCell::number(1);
    QVERIFY((*workbook)->appendRow({&cell, 1}).ok());
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("lishi.xlsx")));
    const Status finished = (*workbook)->finish();
    QVERIFY(!finished.ok());
    QVERIFY2(finished.error().contains(QStringLiteral("无法替换")), qPrintable(finished.error()));
    QVERIFY(!(*workbook)->appendRow({&cell, 1}).ok());
    QCOMPARE(folderEntries(folder.path()), QStringList{QStringLiteral("lishi.xlsx")});
    QVERIFY(QFileInfo(path).isDir());
}

void TestWorkbook::fullDiskFailsTheWorkbook()
{
    // A file size limit stands in for a full disk: the rows' scratch file outgrows it while the
    // packed workbook (the same text on every row) would still fit.
#ifndef Q_OS_UNIX
    QSKIP("file size limits are a Unix feature");
#else
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("lishi.xlsx"));
    rlimit previous{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &previous) == 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 256 * 1024;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
    const Status written = Workbook::write(path, 20000, [](int, std::vector<WorkbookCell>& cells) {
        cells.push_back(WorkbookCell::text(QStringLiteral("the same text on every row")));
    });
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    QVERIFY(!written.ok());
    QVERIFY2(written.error().contains(QStringLiteral("磁盘可能已满")), qPrintable(written.error()));
    QVERIFY(folderEntries(folder.path()).isEmpty());
#endif
}

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
