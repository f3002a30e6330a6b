#pragma once

#include <QString>

#include <vector>

namespace quorvel::crash {

// Watches a data folder (inotify) while quorvel-cli runs in it, to tell when the program is in
// the middle of a write: while formula.db's rollback journal exists, and during a compaction
// (from the creation of the copy formulaTmp.db to the end of the journal of the in-place VACUUM
// that follows it). It also notices the moment formula.db itself is removed, moved away or
// replaced by another file renamed over it, none of which may ever happen.
class WriteWatch
{
public:
    struct Window
    {
        qint64 startMs = 0;
        qint64 endMs = 0;
        bool compaction = false; // else a transaction (the journal's lifetime)
    };

    explicit WriteWatch(const QString& folder);
    ~WriteWatch();
    WriteWatch(const WriteWatch&) = delete;
    WriteWatch& operator=(const WriteWatch&) = delete;

    bool isWatching() const { return m_fd >= 0; }
    // Takes the events that have arrived, waiting up to timeoutMs for the first; nowMs stamps them.
    void poll(int timeoutMs, qint64 nowMs);
    // Closes the windows still open (the program has ended).
    void finish(qint64 nowMs);

    bool isWriting() const { return m_journalSince >= 0 || m_compactingSince >= 0; }
    // When the windows of one kind began, in order (open ones included).
    const std::vector<qint64>& starts(bool compaction) const
    {
        return compaction ? m_compactionStarts : m_journalStarts;
    }
    const std::vector<Window>& windows() const { return m_windows; }
    // Removed, moved away or replaced by a rename.
    bool formulaDbWasRemoved() const { return m_removed; }

private:
    void open(qint64& since, qint64 nowMs, std::vector<qint64>& starts);
    void close(qint64& since, qint64 nowMs, bool compaction);

    int m_fd = -1;
    qint64 m_journalSince = -1;
    qint64 m_compactingSince = -1;
    std::vector<Window> m_windows;
    std::vector<qint64> m_journalStarts;
    std::vector<qint64> m_compactionStarts;
    bool m_removed = false;
    // The journal of the in-place compaction has begun (after the copy was made).
    bool m_compactionJournal = false;
};

} // namespace quorvel::crash
