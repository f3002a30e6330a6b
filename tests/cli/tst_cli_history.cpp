#include "support/CliRun.h"
#include "support/LocalHttpServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTest>

#include <memory>

using namespace quorvel;

namespace {

// A results page line: the issue, then its numbers directly, three characters apart.
QByteArray pageLine(qint32 issue, const char* numbers)
{
    return QByteArray::number(issue) + numbers + "<br>\n";
}

const char* const kNumbers = "01 02 03 04 05 06 07 08";

} // namespace

class TestCliHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void update_data();
    void update();
    void updateUsesTheStoredAddress();
    void remove_data();
    void remove();
    void exportWritesTheNamedFile_data();
    void exportWritesTheNamedFile();
    void missingListsIssuesThenCount();

private:
    void chooseLotteryType(const QString& index, const QString& resultsHost = QString());
    QStringList storedIssues() const;

    std::unique_ptr<CliRun> m_run;
    LocalHttpServer m_server;
    int m_rows = 0;
};

void TestCliHistory::init()
{
    m_run = std::make_unique<CliRun>();
    QVERIFY(m_server.isListening());
}

void TestCliHistory::chooseLotteryType(const QString& index, const QString& resultsHost)
{
    QSettings settings(m_run->settingsPath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("IniSetting/GsZl"), index);
    if (!resultsHost.isEmpty())
        settings.setValue(QStringLiteral("IniSetting/KjUrl"), resultsHost);
}

QStringList TestCliHistory::storedIssues() const
{
    QStringList issues;
    for (const QString& line : (*m_run)({QStringLiteral("history"), QStringLiteral("list")}).out)
        issues << line.left(8);
    return issues;
}

// Today is 2026-12-09, H = 3, 广东快乐十分 (D = 84) unless a row says otherwise.
void TestCliHistory::update_data()
{
    QTest::addColumn<QString>("seeded"); // draw lines stored first
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("path"); // served under this path
    QTest::addColumn<LocalHttpServer::Answer>("answer");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // the only stdout line; empty when none
    QTest::addColumn<QString>("err"); // part of the one stderr line; empty when none
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QByteArray>("request"); // empty: no request was sent

    const QStringList yes{QStringLiteral("--yes")};
    const QByteArray twoDraws = pageLine(26120902, kNumbers) + pageLine(26120901, "08 07 06 05 04 03 02 01");
    QTest::newRow("empty history, newest first on the page")
        << QString() << yes << QByteArray("/a/") << LocalHttpServer::Answer{200, twoDraws} << 0
        << "requested 420, stored 2" << QString() << QStringList{"26120901", "26120902"}
        << QByteArray("/a/?n=420");
    QTest::newRow("a page without a new draw")
        << "26120902 1 2 3 4 5 6 7 8" << yes << QByteArray("/a/") << LocalHttpServer::Answer{200, twoDraws}
        << 0 << "requested 168, stored 0" << QString() << QStringList{"26120902"} << QByteArray("/a/?n=168");
    QTest::newRow("HTTP error with a readable page")
        << "26120401 1 2 3 4 5 6 7 8" << yes << QByteArray("/a/") << LocalHttpServer::Answer{503, twoDraws}
        << 1 << QString() << "HTTP错误503" << QStringList{"26120401"} << QByteArray("/a/?n=420");
    QTest::newRow("a page sent slower than the deadline")
        << QString() << QStringList{QStringLiteral("--yes"), QStringLiteral("--deadline"), QStringLiteral("1")}
        << QByteArray("/a/") << LocalHttpServer::Answer{200, twoDraws, true, 8, 400} << 1 << QString()
        << "下载超时" << QStringList{} << QByteArray("/a/?n=420");
    QTest::newRow("a stored issue dated after today")
        << "99123184 1 2 3 4 5 6 7 8" << QStringList{QStringLiteral("--yes"), QStringLiteral("--seed-as-of-2099")}
        << QByteArray("/a/") << LocalHttpServer::Answer{200, twoDraws} << 1 << QString() << "期号日期晚于今天"
        << QStringList{"99123184"} << QByteArray();
    QTest::newRow("deadline of 0 seconds")
        << QString() << QStringList{QStringLiteral("--yes"), QStringLiteral("--deadline"), QStringLiteral("0")}
        << QByteArray("/a/") << LocalHttpServer::Answer{200, twoDraws} << 2 << QString() << "--deadline"
        << QStringList{} << QByteArray();
    QTest::newRow("without --yes no request is sent")
        << QString() << QStringList{} << QByteArray("/a/") << LocalHttpServer::Answer{200, twoDraws} << 1
        << QString() << "--yes" << QStringList{} << QByteArray();
    QTest::newRow("no lottery type chosen") << QString() << QStringList{QStringLiteral("--no-type")}
                                            << QByteArray("/a/") << LocalHttpServer::Answer{200, twoDraws}
                                            << 1 << QString() << "选择彩种" << QStringList{} << QByteArray();
    QTest::newRow("no address set and no --url")
        << QString() << QStringList{QStringLiteral("--yes"), QStringLiteral("--no-url")} << QByteArray("/a/")
        << LocalHttpServer::Answer{200, twoDraws} << 1 << QString() << "KjUrl" << QStringList{}
        << QByteArray();
}

void TestCliHistory::update()
{
    QFETCH(QString, seeded);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, path);
    QFETCH(LocalHttpServer::Answer, answer);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QStringList, after);
    QFETCH(QByteArray, request);

    const bool noType = options.removeAll(QStringLiteral("--no-type")) > 0;
    chooseLotteryType(noType ? QStringLiteral("544") : QStringLiteral("0"));
    // A draw dated after today is refused by the import; it is seeded on a later day.
    if (options.removeAll(QStringLiteral("--seed-as-of-2099")) > 0)
        QCOMPARE((*m_run)({QStringLiteral("--today"), QStringLiteral("2099-12-31"), QStringLiteral("history"),
                           QStringLiteral("import"), m_run->writeFile(QStringLiteral("later.txt"), seeded.toUtf8())})
                     .exitCode,
                 0);
    else if (!seeded.isEmpty())
        QVERIFY(m_run->importDraws(seeded));
    // Each row serves its own path, so no request of an earlier row is counted.
    const QByteArray served = "/row" + QByteArray::number(++m_rows) + path;
    m_server.setAnswer(served, answer);
    const qsizetype requestsBefore = m_server.requests().size();

    QStringList arguments{QStringLiteral("history"), QStringLiteral("update")};
    // Options of the command itself go after its name.
    if (const qsizetype deadline = options.indexOf(QStringLiteral("--deadline")); deadline >= 0) {
        arguments << options.mid(deadline, 2);
        options.remove(deadline, 2);
    }
    if (options.removeAll(QStringLiteral("--no-url")) == 0)
        arguments << QStringLiteral("--url") << m_server.base(served.chopped(1).constData());
    const CliResult result = (*m_run)(options + arguments);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.out, out.isEmpty() ? QStringList{} : QStringList{out});
    if (err.isEmpty()) {
        QCOMPARE(result.err, QStringList{});
    } else {
        QCOMPARE(result.err.size(), 1);
        QVERIFY2(result.err.first().contains(err), qPrintable(result.err.first()));
    }
    const QList<QByteArray> requests = m_server.requests().mid(requestsBefore);
    QCOMPARE(requests,
             request.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{served + request.mid(path.size())});
    QCOMPARE(storedIssues(), after);
}

void TestCliHistory::updateUsesTheStoredAddress()
{
    // A host without a scheme is joined after "http://" and the type code; a whole base is used
    // as it stands.
    chooseLotteryType(QStringLiteral("1"), m_server.base("/tj"));
    m_server.setAnswer("/tj/", {200, pageLine(26120901, kNumbers)});
    const CliResult result =
        (*m_run)({QStringLiteral("--yes"), QStringLiteral("history"), QStringLiteral("update")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QStringList{QStringLiteral("requested 420, stored 1")});
    QCOMPARE(m_server.lastRequestPath(), QByteArray("/tj/?n=420"));
}

void TestCliHistory::remove_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<int>("kept");

    QTest::newRow("--last") << "--last" << 0 << "deleted 1" << 2;
    QTest::newRow("--newest 2") << "--newest 2" << 0 << "deleted 2" << 1;
    QTest::newRow("--after keeps the issue") << "--after 26120802" << 0 << "deleted 1" << 2;
    QTest::newRow("--all") << "--all" << 0 << "deleted 3" << 0;
    QTest::newRow("no choice") << "" << 2 << "" << 3;
    QTest::newRow("two choices") << "--last --all" << 2 << "" << 3;
    QTest::newRow("--newest 0") << "--newest 0" << 2 << "" << 3;
    QTest::newRow("--newest of a word") << "--newest two" << 2 << "" << 3;
}

void TestCliHistory::remove()
{
    QFETCH(QString, options);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(int, kept);

    QVERIFY(m_run->importDraws(QStringLiteral("26120801 1 2 3 4 5 6 7 8\n26120802 1 2 3 4 5 6 7 9\n"
                                              "26120803 1 2 3 4 5 6 7 10\n")));
    const CliResult result = (*m_run)(QStringList{QStringLiteral("history"), QStringLiteral("delete")} +
                                      options.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.out, out.isEmpty() ? QStringList{} : QStringList{out});
    QCOMPARE(result.err.size(), exitCode == 0 ? 0 : 1);
    QCOMPARE(storedIssues(), (QStringList{"26120801", "26120802", "26120803"}.mid(0, kept)));
}

void TestCliHistory::exportWritesTheNamedFile_data()
{
    QTest::addColumn<QString>("draws");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("named after the proposed next issue")
        << "26120802 8 7 6 5 4 3 2 1\n26120801 1 2 3 4 5 6 7 8\n"
        << "更新至26120803期历史号码.txt"
        << QByteArray("26120801 01 02 03 04 05 06 07 08\r\n26120802 08 07 06 05 04 03 02 01\r\n");
    QTest::newRow("an empty history gives an empty file of today's first issue")
        << QString() << "更新至26120901期历史号码.txt" << QByteArray();
}

void TestCliHistory::exportWritesTheNamedFile()
{
    QFETCH(QString, draws);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);

    if (!draws.isEmpty())
        QVERIFY(m_run->importDraws(draws));
    const CliResult result = (*m_run)({QStringLiteral("history"), QStringLiteral("export")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(!result.out.isEmpty());
    const QString path = result.out.last();
    QCOMPARE(path, QDir(m_run->dataFolder()).absoluteFilePath(fileName));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void TestCliHistory::missingListsIssuesThenCount()
{
    chooseLotteryType(QStringLiteral("6")); // 云南快乐十分, D = 72
    QVERIFY(m_run->importDraws(QStringLiteral("26120771 1 2 3 4 5 6 7 8\n26120802 1 2 3 4 5 6 7 9\n")));
    const CliResult result = (*m_run)({QStringLiteral("history"), QStringLiteral("missing")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, (QStringList{"26120772", "26120801", "missing 2"}));
}

QTEST_GUILESS_MAIN(TestCliHistory)
#include "tst_cli_history.moc"
