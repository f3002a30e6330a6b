#include "core/HttpDownload.h"
#include "support/LocalHttpServer.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using namespace quorvel;
using namespace std::chrono_literals;

class TestHttpDownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void outcome_data();
    void outcome();
    void refusedConnectionFails();
    void deadlineEndsATrickle();
    void cancelEndsWithFailure();

private:
    LocalHttpServer m_server;
};

void TestHttpDownload::initTestCase()
{
    QVERIFY(m_server.isListening());
    const QByteArray page(3000, 'x');
    m_server.setAnswer("/page", {200, page, true, 1, 0, false});
    m_server.setAnswer("/unannounced", {200, page, false, 3, 0, false});
    m_server.setAnswer("/trickle", {200, page, true, 6, 150, false}); // longer in all than the idle timeout
    m_server.setAnswer("/empty", {200, QByteArray(), true, 1, 0, false});
    m_server.setAnswer("/missing", {404, "<html>not here, but readable</html>", true, 1, 0, false});
    m_server.setAnswer("/failing", {500, "oops", true, 1, 0, false});
    m_server.setAnswer("/stall", {200, page, true, 1, 0, true});
}

void TestHttpDownload::outcome_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<QString>("failure"); // part of the message; empty on success

    QTest::newRow("a body of exactly the cap") << QByteArray("/page") << qint64(3000) << QString();
    QTest::newRow("a body without length ends at close")
        << QByteArray("/unannounced") << qint64(3000) << QString();
    QTest::newRow("data keeps the timeout from running out")
        << QByteArray("/trickle") << qint64(3000) << QString();
    QTest::newRow("an empty body is a body") << QByteArray("/empty") << qint64(3000) << QString();
    QTest::newRow("announced length over the cap") << QByteArray("/page") << qint64(2999) << "超过";
    QTest::newRow("unannounced body over the cap") << QByteArray("/unannounced") << qint64(2999) << "超过";
    QTest::newRow("HTTP 404 with a readable page") << QByteArray("/missing") << qint64(3000) << "HTTP错误404";
    QTest::newRow("HTTP 500") << QByteArray("/failing") << qint64(3000) << "HTTP错误500";
    QTest::newRow("no data after the headers")
        << QByteArray("/stall") << qint64(3000) << "0.6秒内没有收到数据";
}

void TestHttpDownload::outcome()
{
    QFETCH(QByteArray, path);
    QFETCH(qint64, maxBytes);
    QFETCH(QString, failure);

    HttpDownload download;
    download.setIdleTimeout(600ms);
    QSignalSpy downloaded(&download, &HttpDownload::downloaded);
    QSignalSpy failed(&download, &HttpDownload::failed);
    QSignalSpy progress(&download, &HttpDownload::progress);
    const QUrl url = m_server.url(path.constData());
    download.start(url, maxBytes);
    QVERIFY(download.isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(downloaded.count() + failed.count() > 0, 10000);
    QTest::qWait(50); // nothing more may follow the outcome
    QCOMPARE(downloaded.count() + failed.count(), 1);
    QVERIFY(!download.isRunning());

    if (failure.isEmpty()) {
        QCOMPARE(downloaded.count(), 1);
        QCOMPARE(downloaded.first().first().toByteArray(), m_server.answer(path).body);
        if (!m_server.answer(path).body.isEmpty())
            QCOMPARE(progress.last().first().toLongLong(), m_server.answer(path).body.size());
    } else {
        const QString message = failed.first().first().toString();
        QVERIFY2(message.contains(failure), qPrintable(message));
        QVERIFY2(message.contains(url.toDisplayString()), qPrintable(message));
    }
}

void TestHttpDownload::refusedConnectionFails()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();

    HttpDownload download;
    QSignalSpy failed(&download, &HttpDownload::failed);
    download.start(QUrl(QStringLiteral("http://127.0.0.1:%1/?n=420").arg(port)), 100);
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 10000);
    QVERIFY2(failed.first().first().toString().contains(QStringLiteral("无法连接服务器")),
             qPrintable(failed.first().first().toString()));
}

void TestHttpDownload::deadlineEndsATrickle()
{
    // Data arrives more often than the idle timeout, but the whole page takes longer than the
    // deadline.
    HttpDownload download;
    download.setIdleTimeout(600ms);
    download.setDeadline(300ms);
    QSignalSpy downloaded(&download, &HttpDownload::downloaded);
    QSignalSpy failed(&download, &HttpDownload::failed);
    download.start(m_server.url("/trickle"), 3000);
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 10000);
    QVERIFY2(failed.first().first().toString().contains(HttpDownload::kDeadlineReason),
             qPrintable(failed.first().first().toString()));
    QTest::qWait(1000);
    QCOMPARE(downloaded.count(), 0);
}

void TestHttpDownload::cancelEndsWithFailure()
{
    HttpDownload download;
    QSignalSpy downloaded(&download, &HttpDownload::downloaded);
    QSignalSpy failed(&download, &HttpDownload::failed);
    download.start(m_server.url("/stall"), 3000);
    QTRY_COMPARE(m_server.lastRequestPath(), QByteArray("/stall"));
    download.cancel();
    QCOMPARE(failed.count(), 1);
    QVERIFY(failed.first().first().toString().contains(QStringLiteral("已取消")));
    QTest::qWait(50);
    QCOMPARE(failed.count() + downloaded.count(), 1);

    // The object can be used again after an outcome.
    download.start(m_server.url("/page"), 3000);
    QTRY_COMPARE(downloaded.count(), 1);
}

QTEST_GUILESS_MAIN(TestHttpDownload)
#include "tst_httpdownload.moc"
