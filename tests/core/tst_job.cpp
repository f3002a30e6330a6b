#include "core/Job.h"

#include <QSignalSpy>
#include <QTest>

#include <atomic>

using namespace quorvel;

namespace {

// Counts up until cancelled, stopping where a pause asks it to.
void countUntilCancelled(QPromise<int>& promise, std::atomic<int>& count)
{
    while (!promise.isCanceled()) {
        promise.suspendIfRequested();
        ++count;
        QThread::yieldCurrentThread();
    }
}

} // namespace

class TestJob : public QObject
{
    Q_OBJECT

private slots:
    void resultAndProgressArriveBeforeFinished();
    void runWaitsWithoutAnEventLoop();
    void cancelledRunEndsWithoutResult();
    void pausedRunHoldsUntilContinued();
    void workOutOfMemoryEndsWithoutResult();
};

void TestJob::resultAndProgressArriveBeforeFinished()
{
    Job<int> job;
    QSignalSpy progress(&job, &JobSignals::progressValueChanged);
    QSignalSpy finished(&job, &JobSignals::finished);
    QVERIFY(job.start([](QPromise<int>& promise) {
        promise.setProgressRange(0, 3);
        promise.setProgressValue(3);
        promise.addResult(42);
    }));
    QVERIFY(!job.start([](QPromise<int>&) {})); // one run at a time
    QVERIFY(finished.wait());
    QCOMPARE(finished.size(), 1);
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().first().toInt(), 3);
    QVERIFY(!job.isRunning() && job.hasResult() && !job.ranOutOfMemory());
    QCOMPARE(job.result(), 42);
}

void TestJob::runWaitsWithoutAnEventLoop()
{
    Job<int> job;
    QSignalSpy finished(&job, &JobSignals::finished);
    QVERIFY(job.run([](QPromise<int>& promise) { promise.addResult(7); }));
    QCOMPARE(finished.size(), 1);
    QVERIFY(!job.isRunning());
    QCOMPARE(job.result(), 7);
}

void TestJob::cancelledRunEndsWithoutResult()
{
    Job<int> job;
    QSignalSpy finished(&job, &JobSignals::finished);
    std::atomic<int> count{0};
    job.start([&count](QPromise<int>& promise) {
        countUntilCancelled(promise, count);
        promise.addResult(1);
    });
    QTRY_VERIFY(count > 0);
    job.cancel();
    QVERIFY(finished.wait());
    QVERIFY(job.isCanceled() && !job.hasResult());
}

void TestJob::pausedRunHoldsUntilContinued()
{
    Job<int> job;
    QSignalSpy finished(&job, &JobSignals::finished);
    std::atomic<int> count{0};
    job.start([&count](QPromise<int>& promise) { countUntilCancelled(promise, count); });
    job.setPaused(true);
    QVERIFY(job.isPaused());
    QTRY_VERIFY(job.future().isSuspended()); // the worker is held inside suspendIfRequested()
    job.setPaused(false);
    QVERIFY(!job.isPaused());
    const int before = count;
    QTRY_VERIFY(count > before);
    job.cancel();
    QVERIFY(finished.wait());
}

void TestJob::workOutOfMemoryEndsWithoutResult()
{
    Job<int> job;
    QSignalSpy finished(&job, &JobSignals::finished);
    job.start([](QPromise<int>&) { throw std::bad_alloc(); });
    QVERIFY(finished.wait());
    QVERIFY(job.ranOutOfMemory() && !job.hasResult());
}

QTEST_GUILESS_MAIN(TestJob)
#include "tst_job.moc"
