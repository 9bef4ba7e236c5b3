#include "tasks/workers/VkEventedThread.h"
#include "tasks/workers/VkWorkerRunner.h"
#include "tasks/WorkerTestSupport.h"

#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

namespace {

TEST(VkEventedThread, IsNamedRunningAndListedUntilDestroyed) {
    QPointer<VkEventedThread> thread = new VkEventedThread;
    EXPECT_EQ(thread->workerThread()->objectName(), QStringLiteral("VkEvented Worker Thread"));
    EXPECT_TRUE(thread->workerThread()->isRunning());
    EXPECT_TRUE(VkEventedThread::allThreads().contains(thread));
    VkEventedThread::shutdownAndWait(thread);
    EXPECT_TRUE(thread.isNull());
    EXPECT_FALSE(VkEventedThread::allThreads().contains(thread)) << "no dangling entry is left";
}

TEST(VkEventedThreadShutdown, WithNoAliveWorkersQuitsAtOnce) {
    QPointer<VkEventedThread> thread = new VkEventedThread;
    bool finished = false;
    QObject probe;
    QObject::connect(thread->workerThread(), &QThread::finished, &probe, [&] { finished = true; });
    thread->shutdown();
    EXPECT_TRUE(waitUntil([&] { return thread.isNull(); }, 1000));
    EXPECT_TRUE(finished);
}

TEST(VkEventedThreadShutdown, WithTwoAliveWorkersQuitsOnlyAfterBothAreDestroyed) {
    QPointer<VkEventedThread> thread = new VkEventedThread;
    QObject probe;
    int destroyedWorkers = 0;
    QList<VkWorker*> workers{new VkWorker, new VkWorker};
    for (VkWorker* worker : workers) {
        QObject::connect(worker, &QObject::destroyed, &probe, [&] { ++destroyedWorkers; });
        worker->moveToThread(thread->workerThread());
        thread->newAliveWorker(worker);
    }
    EXPECT_EQ(thread->aliveWorkerCount(), 2);
    thread->shutdown();
    spinFor(50);
    ASSERT_FALSE(thread.isNull());
    EXPECT_TRUE(thread->workerThread()->isRunning());

    QMetaObject::invokeMethod(workers[0], "shutdown", Qt::QueuedConnection);
    ASSERT_TRUE(waitUntil([&] { return destroyedWorkers == 1; }));
    spinFor(50);
    ASSERT_FALSE(thread.isNull());
    EXPECT_TRUE(thread->workerThread()->isRunning());

    QMetaObject::invokeMethod(workers[1], "shutdown", Qt::QueuedConnection);
    EXPECT_TRUE(waitUntil([&] { return thread.isNull(); }));
}

TEST(VkEventedThreadDestruction, WithoutShutdownCancelsHostedWorkAndDoesNotHang) {
    auto* thread = new VkEventedThread;
    VkWorkerRunner runner(thread, nullptr);
    auto state = std::make_shared<LoopState>();
    auto* worker = new LoopWorker(state);
    runner.setupNewWorker(worker);
    worker->start();
    ASSERT_TRUE(waitUntil([&] { return state->started.load(); }));

    QElapsedTimer timer;
    timer.start();
    delete thread;
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_TRUE(state->finished);
    EXPECT_FALSE(runner.isRunning());
}

} // namespace
