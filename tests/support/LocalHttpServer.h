#pragma once

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QUrl>

#include <map>
#include <memory>

class QThread;

namespace quorvel {

// A minimal HTTP/1.0 server on 127.0.0.1 for network tests, answering each path as configured
// (paths without an answer get an empty 200).
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

    // Serves on the calling thread: its event loop must run while a request is answered.
    bool listen();
    // Serves on a thread of its own, for a test that blocks while another process downloads.
    bool listenOnOwnThread();

    void setAnswer(const QByteArray& path, const Answer& answer);
    Answer answer(const QByteArray& path) const;
    QByteArray lastRequestPath() const;
    QUrl url(const char* path) const;

    class Engine;

private:
    friend class Engine;
    bool listenOnEngine();

    mutable QMutex m_mutex;
    std::map<QByteArray, Answer> m_answers;
    QByteArray m_lastRequestPath;
    quint16 m_port = 0;
    Engine* m_engine = nullptr;
    QThread* m_thread = nullptr;
};

} // namespace quorvel
