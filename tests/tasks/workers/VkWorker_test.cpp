#include "tasks/workers/VkWorker.h"
#include "tasks/WorkerTestSupport.h"

#include <QPointer>
#include <gtest/gtest.h>

#include <thread>

namespace {

class ProgressWorker : public VkWorker {
public:
    using VkWorker::reportProgress;
};

TEST(VkWorkerSlots, IgnoreOtherIdsAndCancelWakesAndEndsTheWorker) {
    QPointer<VkWorker> worker = new VkWorker;
    const int id = worker->workerId();
    const VkSharedFlag pauseFlag = worker->pauseFlag();
    int canceled = 0, shutdowns = 0;
    QList<int> pings;
    QObject::connect(worker, &VkWorker::workerCanceled, [&] { ++canceled; });
    QObject::connect(worker, qOverload<>(&VkWorker::workerShutdown), [&] { ++shutdowns; });
    QObject::connect(worker, &VkWorker::workerPingRespone, [&](int sender) { pings << sender; });

    pauseFlag->storeRelease(1);
    worker->cancel(id + 1);
    worker->ping(id + 1);
    worker->ping(id);
    EXPECT_EQ(canceled + shutdowns, 0);
    EXPECT_EQ(pauseFlag->loadAcquire(), 1);
    EXPECT_EQ(pings, QList<int>{id});

    worker->cancel(id);
    worker->shutdown();
    EXPECT_EQ(pauseFlag->loadAcquire(), 0);
    EXPECT_EQ(canceled, 1);
    EXPECT_EQ(shutdowns, 1);
    EXPECT_TRUE(waitUntil([&] { return worker.isNull(); }));
}

TEST(VkWorkerProgress, ReportsOnlyChangedWholePercentages) {
    ProgressWorker worker;
    QList<int> percents;
    QObject::connect(&worker, &VkWorker::percentDone, [&](int percent, int) { percents << percent; });
    for (qint64 done : {1, 5, 10, 15, 500, 1000, 1000}) {
        worker.reportProgress(done, 1000);
    }
    worker.reportProgress(3, 0);
    EXPECT_EQ(percents, (QList<int>{1, 50, 100}));
}

TEST(VkWorkerPause, WaitReturnsWhenResumedAndFailsWhenCanceled) {
    VkWorker worker;
    worker.pauseFlag()->storeRelease(1);
    std::thread resumer([flag = worker.pauseFlag()] {
        QThread::msleep(30);
        flag->storeRelease(0);
    });
    EXPECT_TRUE(worker.waitWhilePaused());
    resumer.join();

    worker.pauseFlag()->storeRelease(1);
    std::thread canceler([flag = worker.cancelFlag()] {
        QThread::msleep(30);
        flag->ref();
    });
    EXPECT_FALSE(worker.waitWhilePaused());
    canceler.join();
    EXPECT_TRUE(worker.isCanceled());
}

} // namespace
