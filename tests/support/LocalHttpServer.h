#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QUrl>

#include <map>
#include <memory>

namespace quorvel {

// A minimal HTTP/1.0 server on 127.0.0.1 that answers each path as the test configures it. It
// runs on a thread of its own, so it answers while the test waits in a blocking call too (a
// quorvel-cli run). A request is answered by its whole path ("/page/?n=420"), else by the path
// without the query ("/page/"), else with 404.
class LocalHttpServer
{
public:
    struct Answer
    {
        int status = 200;
        QByteArray body;
        bool announceLength = true; // without Content-Length the body ends when the connection closes
        int chunks = 1;             // the body is sent in this many parts ...
        int chunkGapMs = 0;         // ... this far apart
        bool stall = false;         // headers, then silence
    };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    bool isListening() const { return m_port != 0; }
    void setAnswer(const QByteArray& path, const Answer& answer);
    Answer answer(const QByteArray& path) const;
    // "http://127.0.0.1:PORT" + path.
    QUrl url(const char* path) const;
    QString base(const char* path = "") const;
    // The paths asked for so far, oldest first.
    QList<QByteArray> requests() const;
    QByteArray lastRequestPath() const;

private:
    class Worker;
    friend class Worker;
    Answer answerFor(const QByteArray& path);

    mutable QMutex m_mutex;
    std::map<QByteArray, Answer> m_answers;
    QList<QByteArray> m_requests;
    QThread m_thread;
    Worker* m_worker = nullptr;
    quint16 m_port = 0;
};

} // namespace quorvel
