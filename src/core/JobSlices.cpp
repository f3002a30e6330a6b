#include "core/JobSlices.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace quorvel {

namespace {

// What the calling thread and its helpers share. Helpers hold it beyond the call, so that one the
// pool starts after the call returned touches only this, never the caller's work.
struct SliceState
{
    explicit SliceState(int sliceCount, const std::function<void(int)>& sliceWork)
        : count(sliceCount), work(&sliceWork)
    {
    }

    // Takes slices until none is left.
    void takeSlices()
    {
        for (int slice = next++; slice < count; slice = next++)
            (*work)(slice);
    }

    // A helper's turn: nothing once the caller has closed the work.
    void help()
    {
        {
            const std::lock_guard lock(mutex);
            if (closed)
                return;
            ++running;
        }
        takeSlices();
        const std::lock_guard lock(mutex);
        if (--running == 0)
            idle.notify_all();
    }

    // After the caller's own share: no helper starts any more, and those at work are waited for.
    void close()
    {
        std::unique_lock lock(mutex);
        closed = true;
        idle.wait(lock, [this] { return running == 0; });
    }

    const int count;
    const std::function<void(int)>* work;
    std::atomic<int> next{0};
    std::mutex mutex;
    std::condition_variable idle;
    int running = 0;
    bool closed = false;
};

} // namespace

void runSlices(int count, const std::function<void(int)>& work, QThreadPool* pool)
{
    if (count <= 0)
        return;
    const auto state = std::make_shared<SliceState>(count, work);
    const int helpers = std::min(QThread::idealThreadCount(), count) - 1;
    if (pool) {
        for (int h = 0; h < helpers; ++h)
            pool->start([state] { state->help(); });
    }
    state->takeSlices();
    state->close();
}

} // namespace quorvel
