#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;

namespace quorvel {

// Fetches one HTTP address as bytes without blocking: start() returns at once and the download
// ends with exactly one of downloaded() or failed(). It uses the system's proxy settings (none
// for this machine's own loopback addresses), gives up when no data arrives for the idle timeout
// or when the whole download has not ended by its deadline (a server trickling a byte now and
// then keeps the idle timer from ever running out), and stops as soon as the body passes the
// size cap. An HTTP error status is a failure even when
// the server sends a readable page with it. Failure messages are for the user: they name the
// address and what went wrong.
class HttpDownload : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 kResultsPageMaxBytes = qint64(8) << 20;
    static constexpr qint64 kFormulaFileMaxBytes = qint64(16) << 20;
    static constexpr std::chrono::milliseconds kDefaultIdleTimeout{30000};
    static constexpr std::chrono::milliseconds kDefaultDeadline{120000};
    static const QString kDeadlineReason; // "下载超时", the failure when the deadline passes

    explicit HttpDownload(QObject* parent = nullptr);
    ~HttpDownload() override;

    void setIdleTimeout(std::chrono::milliseconds timeout);
    // The time the whole download may take, counted from start().
    void setDeadline(std::chrono::milliseconds deadline);

    // Starts fetching url; the body may hold at most maxBytes. One download at a time.
    void start(const QUrl& url, qint64 maxBytes);
    // Stops a running download; it ends with failed() saying it was cancelled.
    void cancel();
    bool isRunning() const { return !m_reply.isNull(); }

Q_SIGNALS:
    // total is -1 while the size is unknown.
    void progress(qint64 received, qint64 total);
    void downloaded(const QByteArray& body);
    void failed(const QString& message);

private:
    void readAvailable();
    void checkAnnouncedSize();
    void replyFinished();
    void fail(const QString& reason);
    void release();

    QNetworkAccessManager* m_manager;
    QPointer<QNetworkReply> m_reply;
    QTimer m_idleTimer;
    QTimer m_deadlineTimer;
    QUrl m_url;
    QByteArray m_body;
    qint64 m_maxBytes = 0;
};

} // namespace quorvel
