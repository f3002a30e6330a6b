#include "core/TextFile.h"
#include "support/CliRun.h"
#include "support/LocalHttpServer.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

using namespace quorvel;

namespace {

const QString kDraws = QStringLiteral("25120701 3 4 6 15 20 11 9 17\n25120702 4 15 8 1 19 20 11 2\n"
                                      "25120703 10 1 2 3 4 5 6 7\n");

QByteArray gb18030(const QStringList& lines)
{
    return TextFile::encodeLines(lines).value_or(QByteArray());
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A formula file of exactly `size` bytes: two formulas, then a remark that fills it up.
QByteArray formulaFileOfSize(qsizetype size)
{
    QByteArray bytes = gb18030({"[第二生]第一码+1", "[第二生]第一码+2"}) + "\xc1\xac\xd7\xbc"; // "连准"
    return bytes + QByteArray(size - bytes.size(), 'x');
}

} // namespace

class TestCliFormulas : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void importPrintsCountsAndNumbersEveryTable();
    void exportFormats_data();
    void exportFormats();
    void update_data();
    void update();
    void clearAndDelete();
    void equivalent();
    void reference();

private:
    CliResult cli(const QStringList& arguments) const { return (*m_run)(arguments); }
    QStringList formulaList() const;

    LocalHttpServer m_server;
    std::unique_ptr<CliRun> m_run;
};

void TestCliFormulas::initTestCase()
{
    QVERIFY(m_server.isListening());
    m_server.setAnswer("/1024", {200, formulaFileOfSize(1024)});
    m_server.setAnswer("/1025", {200, formulaFileOfSize(1025)});
    m_server.setAnswer("/missing", {404, formulaFileOfSize(2000)});
    m_server.setAnswer("/stall", {200, formulaFileOfSize(2000), true, 1, 0, true});
    m_server.setAnswer("/slow", {200, formulaFileOfSize(2000), true, 8, 400, false});
}

void TestCliFormulas::init()
{
    m_run = std::make_unique<CliRun>();
    QVERIFY(m_run->importDraws(kDraws));
}

QStringList TestCliFormulas::formulaList() const
{
    return cli({QStringLiteral("formulas"), QStringLiteral("list")}).out;
}

void TestCliFormulas::importPrintsCountsAndNumbersEveryTable()
{
    const QString path = m_run->writeFile(QStringLiteral("f.txt"),
                                          gb18030({"第一码+1=下期杀第三", "", "[第二杀]第一码+2　连准：5期",
                                                   "第一码+某某=下期杀第二", "[第三杀]L9Z+1"}));
    const CliResult run = cli({QStringLiteral("formulas"), QStringLiteral("import"), path,
                               QStringLiteral("--position"), QStringLiteral("2")});
    QCOMPARE(run.exitCode, 0);
    const QString unrecognised = QDir(m_run->dataFolder()).filePath(QStringLiteral("无法识别公式.txt"));
    QCOMPARE(run.out, (QStringList{QStringLiteral("imported 2, unrecognised 2"), unrecognised}));
    QCOMPARE(fileBytes(unrecognised), gb18030({"L1A+某某", "L9Z+1"}));
    // Both tables that received formulas are numbered; the kind of the suffix line carries on.
    QCOMPARE(formulaList(), (QStringList{"2\t1\tkill\tL1A+2\t[第二杀]第一码+2\t\t0\t2\t0\t2",
                                         "3\t1\tkill\tL1A+1\t第一码+1=下期杀第三\t\t\t\t\t"}));

    const CliResult missing =
        cli({QStringLiteral("formulas"), QStringLiteral("import"), path + QLatin1Char('x')});
    QCOMPARE(missing.exitCode, 1);
    QCOMPARE(missing.err.size(), 1);
}

void TestCliFormulas::exportFormats_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QStringList>("formulas"); // typed before the export
    QTest::addColumn<int>("formulaLines");

    QTest::newRow("all positions") << "--all" << QStringList{"[第一生]第一码+1", "[第五生]第二码+2"} << 2;
    QTest::newRow("the shown list") << "--shown" << QStringList{"[第一生]第一码+1", "[第一生]第二码+222"}
                                    << 2;
    QTest::newRow("an empty list") << "--shown" << QStringList{} << 0;
}

void TestCliFormulas::exportFormats()
{
    QFETCH(QString, which);
    QFETCH(QStringList, formulas);
    QFETCH(int, formulaLines);

    if (!formulas.isEmpty())
        QCOMPARE(cli(QStringList{QStringLiteral("formulas"), QStringLiteral("add")} + formulas).exitCode, 0);
    const CliResult run = cli({QStringLiteral("formulas"), QStringLiteral("export"), which});
    QCOMPARE(run.exitCode, 0);
    const QString path = QDir(m_run->dataFolder()).filePath(QStringLiteral("25120704期Pellmor.txt"));
    QCOMPARE(run.out, QStringList{path});

    const QByteArray bytes = fileBytes(path);
    QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
    const QStringList lines = TextFile::splitLines(*TextFile::decode(bytes));
    QCOMPARE(lines.size(), 4 + formulaLines + 1);
    for (int line : {1, 2}) {
        QVERIFY(lines[line].startsWith(QString(10, u' ')));
        QVERIFY(!lines[line].at(10).isSpace());
    }
    QCOMPARE(lines[3], QString());
    const QString dashes12(12, QChar(0x2014));
    QVERIFY(lines.last().startsWith(dashes12 + QString::number(formulaLines) + QString(14, QChar(0x2014))));
    for (int i = 0; i < formulaLines; ++i)
        QVERIFY2(lines[4 + i].contains(QStringLiteral("\u3000连准：")) &&
                     lines[4 + i].endsWith(QStringLiteral("期")),
                 qPrintable(lines[4 + i]));
}

void TestCliFormulas::update_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // stdout's first line, or a part of the one stderr line

    QTest::newRow("1025 bytes") << QStringList{"--url", "/1025"} << 0 << "downloaded 1025 bytes, imported 2";
    QTest::newRow("1024 bytes is a failure") << QStringList{"--url", "/1024"} << 1 << "1024字节";
    QTest::newRow("HTTP error") << QStringList{"--url", "/missing"} << 1 << "HTTP错误404";
    QTest::newRow("timeout") << QStringList{"--url", "/stall", "--timeout", "1"} << 1 << "1秒内没有收到数据";
    QTest::newRow("sent slower than the deadline")
        << QStringList{"--url", "/slow", "--deadline", "1"} << 1 << "下载超时";
    QTest::newRow("deadline beyond an hour")
        << QStringList{"--url", "/1025", "--deadline", "3601"} << 2 << "--deadline";
    QTest::newRow("no address") << QStringList{} << 1 << "GsUrl";
}

void TestCliFormulas::update()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    const qsizetype url = arguments.indexOf(QStringLiteral("--url"));
    if (url >= 0)
        arguments[url + 1] = m_server.url(qPrintable(arguments[url + 1])).toString();
    const QStringList command = QStringList{QStringLiteral("formulas"), QStringLiteral("update")} + arguments;

    // Without --yes nothing is fetched or changed.
    const CliResult unanswered = cli(command);
    QCOMPARE(unanswered.exitCode, exitCode == 2 ? 2 : 1);
    const CliResult run = cli(QStringList{QStringLiteral("--yes")} + command);
    QCOMPARE(run.exitCode, exitCode);
    const QString saved = QDir(m_run->dataFolder()).filePath(QStringLiteral("Quorvel.txt"));
    if (exitCode == 0) {
        QCOMPARE(run.out, (QStringList{output, saved}));
        QCOMPARE(fileBytes(saved), formulaFileOfSize(1025));
        QCOMPARE(formulaList().size(), 2);
    } else {
        QVERIFY(run.out.isEmpty());
        QCOMPARE(run.err.size(), 1);
        QVERIFY2(run.err.first().contains(output), qPrintable(run.err.first()));
        QVERIFY(formulaList().isEmpty());
    }
}

void TestCliFormulas::clearAndDelete()
{
    QCOMPARE(cli({QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("[第一生]第一码+1"),
                  QStringLiteral("[第一生]第一码+2"), QStringLiteral("[第三生]第一码+3")})
                 .exitCode,
             0);
    CliResult run = cli({QStringLiteral("formulas"), QStringLiteral("delete"), QStringLiteral("--list-no"),
                         QStringLiteral("1")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(formulaList().size(), 2);
    QVERIFY(formulaList().first().startsWith(QStringLiteral("1\t1\tkeep\tL1A+2\t")));
    run = cli({QStringLiteral("formulas"), QStringLiteral("delete"), QStringLiteral("--list-no"),
               QStringLiteral("2")});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.size(), 1);

    QCOMPARE(cli({QStringLiteral("formulas"), QStringLiteral("clear")}).exitCode, 1);
    QCOMPARE(formulaList().size(), 2);
    QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("formulas"), QStringLiteral("clear")}).exitCode, 0);
    QVERIFY(formulaList().isEmpty());
}

void TestCliFormulas::equivalent()
{
    // 2 repeats 1 with its terms reordered, 4 repeats 3 with a constant 20 higher; 5 is a kill formula.
    QCOMPARE(cli({QStringLiteral("formulas"), QStringLiteral("add"), QStringLiteral("[第一生]第一码+第二码"),
                  QStringLiteral("[第一生]第二码+第一码"), QStringLiteral("[第一生]第一码+1"),
                  QStringLiteral("[第一生]第一码+21"), QStringLiteral("第一码+1=下期杀第一")})
                 .exitCode,
             0);
    CliResult run = cli({QStringLiteral("formulas"), QStringLiteral("equivalent")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, (QStringList{"1\t1", "2\t1", "3\t3", "4\t3", "classes\t2\tformulas\t4"}));
    run = cli({QStringLiteral("formulas"), QStringLiteral("equivalent"), QStringLiteral("--kind"),
               QStringLiteral("kill")});
    QCOMPARE(run.out, (QStringList{"1\t1", "classes\t1\tformulas\t1"}));
    run = cli({QStringLiteral("formulas"), QStringLiteral("equivalent"), QStringLiteral("--position"),
               QStringLiteral("2")});
    QCOMPARE(run.out, (QStringList{"classes\t0\tformulas\t0"}));

    for (const QStringList& refused : {QStringList{"--position", "9"}, QStringList{"--kind", "both"},
                                       QStringList{"--periods", "5"}, QStringList{"extra"}}) {
        run = cli(QStringList{QStringLiteral("formulas"), QStringLiteral("equivalent")} + refused);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err.size(), 1);
    }
}

void TestCliFormulas::reference()
{
    const CliResult run = cli({QStringLiteral("reference")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.size(), 41);
    for (const QString& line : run.out)
        QCOMPARE(line.count(QLatin1Char('\t')), 9);
    QVERIFY(run.out.first().startsWith(QStringLiteral("\t第一\t")));
    // The newest draw 25120703: 10 1 2 3 4 5 6 7.
    QCOMPARE(run.out[1], QStringLiteral("号码\t10\t1\t2\t3\t4\t5\t6\t7\t"));
    QVERIFY(run.out[22].startsWith(QStringLiteral("年份\t\t")));
    QVERIFY(run.out[22].endsWith(QStringLiteral("\t2025")));
}

QTEST_GUILESS_MAIN(TestCliFormulas)
#include "tst_cli_formulas.moc"
