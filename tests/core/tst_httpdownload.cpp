#include "core/HttpDownload.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <map>

using namespace quorvel;
using namespace std::chrono_literals;

namespace {

// What the local server answers for one path.
struct Answer
{
    int status = 200;
    QByteArray body;
    bool announceLength = true; // without Content-Length the body ends when the connection closes
    int chunks = 1;             // the body is sent in this many parts ...
    int chunkGapMs = 0;         // ... this far apart
    bool stall = false;         // headers, then silence
};

// A minimal HTTP/1.0 server on 127.0.0.1 answering each path as configured.
class LocalHttpServer : public QObject
{
public:
    std::map<QByteArray, Answer> answers;
    QByteArray lastRequestPath;

    bool listen() { return m_server.listen(QHostAddress::LocalHost); }
    QUrl url(const char* path) const
    {
        return QUrl(
            QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(QLatin1String(path)));
    }

    LocalHttpServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

private:
    void serve(QTcpSocket* socket)
    {
        QByteArray& request = m_requests[socket];
        request.append(socket->readAll());
        if (!request.contains("\r\n\r\n"))
            return;
        lastRequestPath = request.split(' ').value(1);
        const Answer answer = answers[lastRequestPath];
        m_requests.erase(socket);

        QByteArray head = "HTTP/1.0 " + QByteArray::number(answer.status) + " Status\r\n";
        if (answer.announceLength)
            head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
        socket->write(head + "Content-Type: text/plain\r\nConnection: close\r\n\r\n");
        if (answer.stall)
            return;
        const qsizetype part = (answer.body.size() + answer.chunks - 1) / answer.chunks;
        for (int i = 0; i < answer.chunks; ++i) {
            const QByteArray piece = answer.body.mid(i * part, part);
            const bool last = i == answer.chunks - 1;
            QPointer<QTcpSocket> guard(socket);
            QTimer::singleShot(i * answer.chunkGapMs, this, [guard, piece, last] {
                if (!guard)
                    return;
                guard->write(piece);
                if (last)
                    guard->disconnectFromHost();
            });
        }
    }

    QTcpServer m_server;
    std::map<QTcpSocket*, QByteArray> m_requests;
};

} // namespace

class TestHttpDownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void outcome_data();
    void outcome();
    void refusedConnectionFails();
    void cancelEndsWithFailure();

private:
    LocalHttpServer m_server;
};

void TestHttpDownload::initTestCase()
{
    QVERIFY(m_server.listen());
    const QByteArray page(3000, 'x');
    m_server.answers["/page"] = {200, page, true, 1, 0, false};
    m_server.answers["/unannounced"] = {200, page, false, 3, 0, false};
    m_server.answers["/trickle"] = {200, page, true, 6, 150, false}; // longer in all than the idle timeout
    m_server.answers["/empty"] = {200, QByteArray(), true, 1, 0, false};
    m_server.answers["/missing"] = {404, "<html>not here, but readable</html>", true, 1, 0, false};
    m_server.answers["/failing"] = {500, "oops", true, 1, 0, false};
    m_server.answers["/stall"] = {200, page, true, 1, 0, true};
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
        QCOMPARE(downloaded.first().first().toByteArray(), m_server.answers[path].body);
        if (!m_server.answers[path].body.isEmpty())
            QCOMPARE(progress.last().first().toLongLong(), m_server.answers[path].body.size());
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

void TestHttpDownload::cancelEndsWithFailure()
{
    HttpDownload download;
    QSignalSpy downloaded(&download, &HttpDownload::downloaded);
    QSignalSpy failed(&download, &HttpDownload::failed);
    download.start(m_server.url("/stall"), 3000);
    QTRY_COMPARE(m_server.lastRequestPath, QByteArray("/stall"));
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
