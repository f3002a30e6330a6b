#include "core/HttpDownload.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace quorvel {

namespace {

// The system's proxy settings for every address except this machine's own: a proxy elsewhere
// cannot reach a server that listens on the loopback interface.
class SystemProxyFactory : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override
    {
        const QString host = query.peerHostName();
        if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
            QHostAddress(host).isLoopback())
            return {QNetworkProxy(QNetworkProxy::NoProxy)};
        return systemProxyForQuery(query);
    }
};

QString seconds(std::chrono::milliseconds duration)
{
    const auto ms = duration.count();
    return ms % 1000 == 0 ? QString::number(ms / 1000) : QString::number(double(ms) / 1000.0, 'f', 1);
}

QString mebibytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'g', 4);
}

} // namespace

const QString HttpDownload::kDeadlineReason = QStringLiteral("下载超时");

HttpDownload::HttpDownload(QObject* parent) : QObject(parent), m_manager(new QNetworkAccessManager(this))
{
    m_manager->setProxyFactory(new SystemProxyFactory);
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(kDefaultIdleTimeout);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("%1秒内没有收到数据").arg(seconds(m_idleTimer.intervalAsDuration())));
    });
    m_deadlineTimer.setSingleShot(true);
    m_deadlineTimer.setInterval(kDefaultDeadline);
    connect(&m_deadlineTimer, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("%1（%2秒内没有下载完）")
                 .arg(kDeadlineReason, seconds(m_deadlineTimer.intervalAsDuration())));
    });
}

HttpDownload::~HttpDownload()
{
    release();
}

void HttpDownload::setIdleTimeout(std::chrono::milliseconds timeout)
{
    m_idleTimer.setInterval(timeout);
}

void HttpDownload::setDeadline(std::chrono::milliseconds deadline)
{
    m_deadlineTimer.setInterval(deadline);
}

void HttpDownload::start(const QUrl& url, qint64 maxBytes)
{
    Q_ASSERT(!isRunning());
    m_url = url;
    m_maxBytes = maxBytes;
    m_body.clear();

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Quorvel"));
    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &HttpDownload::checkAnnouncedSize);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpDownload::readAvailable);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        m_idleTimer.start();
        Q_EMIT progress(received, total);
    });
    connect(m_reply, &QNetworkReply::finished, this, &HttpDownload::replyFinished);
    m_idleTimer.start();
    m_deadlineTimer.start();
}

void HttpDownload::cancel()
{
    if (isRunning())
        fail(QStringLiteral("已取消"));
}

void HttpDownload::checkAnnouncedSize()
{
    // A body announced larger than the cap is refused before it arrives; an error page is
    // reported by its status when the reply ends.
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (status >= 200 && status < 300 && length.isValid() && length.toLongLong() > m_maxBytes)
        fail(QStringLiteral("数据超过%1 MiB的上限").arg(mebibytes(m_maxBytes)));
}

void HttpDownload::readAvailable()
{
    m_idleTimer.start();
    m_body.append(m_reply->readAll());
    if (m_body.size() > m_maxBytes)
        fail(QStringLiteral("数据超过%1 MiB的上限").arg(mebibytes(m_maxBytes)));
}

void HttpDownload::replyFinished()
{
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() >= 300)) {
        fail(QStringLiteral("服务器返回HTTP错误%1").arg(status.toInt()));
        return;
    }
    if (m_reply->error() != QNetworkReply::NoError) {
        const QString cause = m_reply->errorString();
        fail(status.isValid() ? QStringLiteral("连接中断（%1）").arg(cause)
                              : QStringLiteral("无法连接服务器（%1）").arg(cause));
        return;
    }
    readAvailable();
    if (!isRunning())
        return; // the last bytes passed the cap
    const QByteArray body = std::move(m_body);
    m_body = QByteArray();
    release();
    Q_EMIT downloaded(body);
}

void HttpDownload::fail(const QString& reason)
{
    release();
    m_body.clear();
    Q_EMIT failed(QStringLiteral("下载%1失败：%2").arg(m_url.toDisplayString(), reason));
}

void HttpDownload::release()
{
    m_idleTimer.stop();
    m_deadlineTimer.stop();
    if (m_reply.isNull())
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    // Nothing of this reply may reach the slots any more, not even the finished() that abort()
    // emits.
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

} // namespace quorvel
