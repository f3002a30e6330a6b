#include "support/LocalHttpServer.h"

#include <QMutexLocker>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace quorvel {

// Lives on the server's thread: accepts connections and writes the configured answers.
class LocalHttpServer::Worker : public QObject
{
public:
    explicit Worker(LocalHttpServer& owner) : m_owner(owner) {}

    quint16 listen()
    {
        m_server = new QTcpServer(this);
        if (!m_server->listen(QHostAddress::LocalHost))
            return 0;
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server->nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        return m_server->serverPort();
    }

private:
    void serve(QTcpSocket* socket)
    {
        QByteArray& request = m_requests[socket];
        request.append(socket->readAll());
        if (!request.contains("\r\n\r\n"))
            return;
        const Answer answer = m_owner.answerFor(request.split(' ').value(1));
        m_requests.erase(socket);

        QByteArray head = "HTTP/1.0 " + QByteArray::number(answer.status) + " Status\r\n";
        if (answer.announceLength)
            head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
        socket->write(head + "Content-Type: text/plain; charset=utf-8\r\nConnection: close\r\n\r\n");
        if (answer.stall)
            return;
        const int chunks = std::max(1, answer.chunks);
        const qsizetype part = (answer.body.size() + chunks - 1) / chunks;
        for (int i = 0; i < chunks; ++i) {
            const QByteArray piece = answer.body.mid(i * part, part);
            const bool last = i == chunks - 1;
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

    LocalHttpServer& m_owner;
    QTcpServer* m_server = nullptr;
    std::map<QTcpSocket*, QByteArray> m_requests;
};

LocalHttpServer::LocalHttpServer()
{
    m_worker = new Worker(*this);
    m_worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_worker, [this] { return m_worker->listen(); }, Qt::BlockingQueuedConnection, &m_port);
}

LocalHttpServer::~LocalHttpServer()
{
    m_thread.quit();
    m_thread.wait();
}

void LocalHttpServer::setAnswer(const QByteArray& path, const Answer& answer)
{
    const QMutexLocker lock(&m_mutex);
    m_answers[path] = answer;
}

LocalHttpServer::Answer LocalHttpServer::answer(const QByteArray& path) const
{
    const QMutexLocker lock(&m_mutex);
    const auto found = m_answers.find(path);
    return found == m_answers.end() ? Answer{} : found->second;
}

LocalHttpServer::Answer LocalHttpServer::answerFor(const QByteArray& path)
{
    const QMutexLocker lock(&m_mutex);
    m_requests.append(path);
    auto found = m_answers.find(path);
    if (found == m_answers.end())
        found = m_answers.find(path.left(path.indexOf('?')));
    if (found == m_answers.end())
        return Answer{404, "not found"};
    return found->second;
}

QUrl LocalHttpServer::url(const char* path) const
{
    return QUrl(base(path));
}

QString LocalHttpServer::base(const char* path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QLatin1String(path));
}

QList<QByteArray> LocalHttpServer::requests() const
{
    const QMutexLocker lock(&m_mutex);
    return m_requests;
}

QByteArray LocalHttpServer::lastRequestPath() const
{
    const QMutexLocker lock(&m_mutex);
    return m_requests.isEmpty() ? QByteArray() : m_requests.last();
}

} // namespace quorvel
