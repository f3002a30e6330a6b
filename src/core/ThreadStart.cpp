#include "core/ThreadStart.h"

#include <QThread>

#include <memory>
#include <new>

namespace quorvel {

bool threadCanStart()
{
    try {
        const std::unique_ptr<QThread> probe(QThread::create([] {}));
        probe->start();
        // A thread that could not be created is neither running nor finished.
        const bool started = probe->isRunning() || probe->isFinished();
        probe->wait();
        return started;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

QString outOfMemoryMessage()
{
    return QStringLiteral("内存不足");
}

} // namespace quorvel
