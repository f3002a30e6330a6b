#include "support/LocalHttpServer.h"

#include <QMutexLocker>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

namespace quorvel {

// The sockets live on the thread that serves.
class LocalHttpServer::Engine : public QObject
{
public:
    explicit Engine(LocalHttpServer& owner) : m_owner(owner), m_server(this)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    bool listen() { return m_server.listen(QHostAddress::LocalHost); }
    quint16 port() const { return m_server.serverPort(); }

private:
    void serve(QTcpSocket* socket)
    {
        QByteArray& request = m_requests[socket];
        request.append(socket->readAll());
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray path = request.split(' ').value(1);
        m_requests.erase(socket);
        Answer answer;
        {
            QMutexLocker lock(&m_owner.m_mutex);
            m_owner.m_lastRequestPath = path;
            const auto found = m_owner.m_answers.find(path);
            if (found != m_owner.m_answers.end())
                answer = found->second;
        }

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

    LocalHttpServer& m_owner;
    QTcpServer m_server; // a child, so that it moves with the engine to the serving thread
    std::map<QTcpSocket*, QByteArray> m_requests;
};

LocalHttpServer::LocalHttpServer() = default;

LocalHttpServer::~LocalHttpServer()
{
    if (m_thread) {
        QObject::connect(m_thread, &QThread::finished, m_engine, &QObject::deleteLater);
        m_thread->quit();
        m_thread->wait();
        delete m_thread;
    } else {
        delete m_engine;
    }
}

bool LocalHttpServer::listenOnEngine()
{
    if (!m_engine->listen())
        return false;
    QMutexLocker lock(&m_mutex);
    m_port = m_engine->port();
    return true;
}

bool LocalHttpServer::listen()
{
    Q_ASSERT(!m_engine);
    m_engine = new Engine(*this);
    return listenOnEngine();
}

bool LocalHttpServer::listenOnOwnThread()
{
    Q_ASSERT(!m_engine);
    m_thread = new QThread;
    m_engine = new Engine(*this);
    m_engine->moveToThread(m_thread);
    m_thread->start();
    bool listening = false;
    QMetaObject::invokeMethod(
        m_engine, [this, &listening] { listening = listenOnEngine(); }, Qt::BlockingQueuedConnection);
    return listening;
}

void LocalHttpServer::setAnswer(const QByteArray& path, const Answer& answer)
{
    QMutexLocker lock(&m_mutex);
    m_answers[path] = answer;
}

LocalHttpServer::Answer LocalHttpServer::answer(const QByteArray& path) const
{
    QMutexLocker lock(&m_mutex);
    const auto found = m_answers.find(path);
    return found == m_answers.end() ? Answer{} : found->second;
}

QByteArray LocalHttpServer::lastRequestPath() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastRequestPath;
}

QUrl LocalHttpServer::url(const char* path) const
{
    QMutexLocker lock(&m_mutex);
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QLatin1String(path)));
}

} // namespace quorvel
