#include "core/JobSlices.h"

#include <QSemaphore>
#include <QTest>

#include <atomic>
#include <vector>

using namespace quorvel;

class TestJobSlices : public QObject
{
    Q_OBJECT

private slots:
    void everySliceRunsOnce();
    void aBusyPoolLeavesTheWorkToTheCaller();
};

void TestJobSlices::everySliceRunsOnce()
{
    for (const int count : {0, 1, 7, 1000}) {
        std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count));
        runSlices(count, [&runs](int slice) { ++runs[std::size_t(slice)]; });
        for (const std::atomic<int>& run : runs)
            QCOMPARE(run.load(), 1);
    }
}

void TestJobSlices::aBusyPoolLeavesTheWorkToTheCaller()
{
    // Every thread of the pool waits until the slices are done: the caller must not wait for
    // helpers that cannot start.
    QThreadPool pool;
    pool.setMaxThreadCount(1);
    QSemaphore release;
    pool.start([&release] { release.acquire(); });
    std::atomic<int> done{0};
    runSlices(16, [&done](int) { ++done; }, &pool);
    QCOMPARE(done.load(), 16);
    release.release();
    pool.waitForDone();
}

QTEST_GUILESS_MAIN(TestJobSlices)
#include "tst_jobslices.moc"
