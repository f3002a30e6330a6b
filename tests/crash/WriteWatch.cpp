#include "crash/WriteWatch.h"

#include <QFile>

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>

namespace quorvel::crash {

WriteWatch::WriteWatch(const QString& folder)
{
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    if (inotify_add_watch(m_fd, QFile::encodeName(folder).constData(),
                          IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO) < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

WriteWatch::~WriteWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void WriteWatch::open(qint64& since, qint64 nowMs, std::vector<qint64>& starts)
{
    if (since >= 0)
        return;
    since = nowMs;
    starts.push_back(nowMs);
}

void WriteWatch::close(qint64& since, qint64 nowMs, bool compaction)
{
    if (since < 0)
        return;
    // Windows that overlap (a journal during a compaction) are kept apart; a kill time is drawn
    // from their union, so the overlap only weighs twice.
    m_windows.push_back({since, nowMs, compaction});
    since = -1;
}

void WriteWatch::poll(int timeoutMs, qint64 nowMs)
{
    if (m_fd < 0)
        return;
    pollfd waiting{m_fd, POLLIN, 0};
    if (::poll(&waiting, 1, timeoutMs) <= 0)
        return;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            return;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            const char* name = event->len > 0 ? event->name : "";
            if (std::strcmp(name, "formula.db-journal") == 0) {
                if (event->mask & IN_CREATE) {
                    open(m_journalSince, nowMs, m_journalStarts);
                    m_compactionJournal = m_compactingSince >= 0;
                } else if (event->mask & (IN_DELETE | IN_MOVED_FROM)) {
                    close(m_journalSince, nowMs, false);
                    // The VACUUM after the copy has committed: the compaction is over.
                    if (m_compactionJournal) {
                        m_compactionJournal = false;
                        close(m_compactingSince, nowMs, true);
                    }
                }
            } else if (std::strcmp(name, "formulaTmp.db") == 0 && (event->mask & IN_CREATE)) {
                open(m_compactingSince, nowMs, m_compactionStarts);
            } else if (std::strcmp(name, "formula.db") == 0) {
                if (event->mask & (IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO))
                    m_removed = true;
            }
        }
    }
}

void WriteWatch::finish(qint64 nowMs)
{
    close(m_journalSince, nowMs, false);
    close(m_compactingSince, nowMs, true);
}

} // namespace quorvel::crash
