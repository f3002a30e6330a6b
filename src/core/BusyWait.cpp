#include "core/BusyWait.h"

#include <QDir>

#include <sqlite3.h>

#include <atomic>
#include <iterator>
#include <utility>

namespace quorvel {

namespace {

std::atomic<BusyWait::Observer*> g_observer{nullptr};
std::atomic<int> g_timeoutMs{BusyWait::kTimeoutMs};

} // namespace

const QString BusyWait::kWaitingMessage = QStringLiteral("数据库正被另一个程序使用，正在等待…");
const QString BusyWait::kBusyText = QStringLiteral("数据库正被另一个程序使用");

void BusyWait::setObserver(Observer* observer)
{
    g_observer = observer;
}

QString BusyWait::busyMessage(const QString& filePath)
{
    return QStringLiteral("%1：%2（已等待 %3 秒）")
        .arg(kBusyText, QDir::toNativeSeparators(filePath))
        .arg((timeoutMs() + 999) / 1000);
}

int BusyWait::timeoutMs()
{
    return g_timeoutMs;
}

void BusyWait::setTimeoutMs(int milliseconds)
{
    g_timeoutMs = milliseconds;
}

BusyWait::BusyWait(QString filePath) : m_filePath(std::move(filePath)) {}

void BusyWait::install(sqlite3* connection)
{
    if (connection)
        sqlite3_busy_handler(connection, &BusyWait::handler, this);
}

// SQLite calls this each time a lock it needs is held by another connection, `count` times before
// for the same lock; returning 0 gives up with SQLITE_BUSY.
int BusyWait::handler(void* self, int count)
{
    auto* wait = static_cast<BusyWait*>(self);
    if (count == 0)
        wait->m_since.start();
    const qint64 elapsed = wait->m_since.elapsed();
    if (elapsed >= timeoutMs())
        return 0;
    if (Observer* observer = g_observer)
        observer->waiting(wait->m_filePath, elapsed);
    // Short naps first (a commit holds the file for a moment), then 20 ms at a time.
    static constexpr int kNaps[] = {1, 2, 5, 10, 10, 20};
    sqlite3_sleep(count < int(std::size(kNaps)) ? kNaps[count] : 20);
    return 1;
}

} // namespace quorvel
