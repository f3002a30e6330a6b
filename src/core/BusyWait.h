#pragma once

// Only the storage classes of this folder install the handler; the window and the companion set
// the observer that shows the wait.

#include <QElapsedTimer>
#include <QString>

struct sqlite3;

namespace quorvel {

// Waiting for formula.db while another program holds it (a write in progress, a compaction). Every
// connection of the program waits the same way: up to kTimeoutMs, then the statement fails with
// busyMessage(), which names the file. A busy file is never taken for one that cannot be written.
class BusyWait
{
public:
    static constexpr int kTimeoutMs = 10000;
    // The observer hears of a wait at once (the window shows the wait cursor) and, once it has
    // lasted this long, is asked to say so.
    static constexpr int kNoticeAfterMs = 1000;
    static const QString kWaitingMessage; // "数据库正被另一个程序使用，正在等待…"
    static const QString kBusyText;       // "数据库正被另一个程序使用"

    // What the window or the companion does while a connection waits. Called on the thread that
    // waits, from inside SQLite: it must not touch the database.
    class Observer
    {
    public:
        virtual ~Observer() = default;
        // Every few milliseconds of a wait; `elapsedMs` counts from its start.
        virtual void waiting(const QString& filePath, qint64 elapsedMs) = 0;
    };
    // The observer of the process (none: waits silently). Not owned.
    static void setObserver(Observer* observer);

    // "数据库正被另一个程序使用：FILE（已等待 10 秒）"
    static QString busyMessage(const QString& filePath);
    // The time a connection waits; tests shorten it.
    static int timeoutMs();
    static void setTimeoutMs(int milliseconds);

    explicit BusyWait(QString filePath);
    BusyWait(const BusyWait&) = delete;
    BusyWait& operator=(const BusyWait&) = delete;
    // Makes `connection` wait through this object (which must outlive the connection's use).
    void install(sqlite3* connection);

private:
    static int handler(void* self, int count);

    QString m_filePath;
    QElapsedTimer m_since;
};

} // namespace quorvel
