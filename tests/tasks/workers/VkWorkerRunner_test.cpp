#include "tasks/workers/VkWorkerRunner.h"
#include "tasks/WorkerTestSupport.h"

#include <QPointer>
#include <gtest/gtest.h>

namespace {

// Counts what a runner tells its consumer.
struct RunnerProbe {
    explicit RunnerProbe(VkWorkerRunner& runner) {
        QObject::connect(&runner, &VkWorkerRunner::percentDone, &context,
                         [this](int percent, VkWorkerRunner*) { percents << percent; });
        QObject::connect(&runner, &VkWorkerRunner::errorOccurred, &context, [this] { ++errors; });
        QObject::connect(&runner, &VkWorkerRunner::currentWorkerDestroyed, &context, [this] { ++destroyed; });
        QObject::connect(&runner, &VkWorkerRunner::canceled, &context, [this] { ++canceled; });
        QObject::connect(&runner, &VkWorkerRunner::pingReceivedFromWorker, &context, [this] { ++pings; });
    }
    QObject context;
    QList<int> percents;
    int errors = 0;
    int destroyed = 0;
    int canceled = 0;
    int pings = 0;
};

TEST(VkWorkerRunnerRelay, DropsRepeatedPercentagesAndReportsOfReplacedWorkers) {
    VkWorkerRunner runner(nullptr, nullptr);
    RunnerProbe probe(runner);
    QPointer<VkWorker> first = new VkWorker;
    const int firstId = first->workerId();
    EXPECT_EQ(runner.setupNewWorker(first), 0);

    emit first->percentDone(40, firstId);
    emit first->percentDone(40, firstId);
    emit first->percentDone(55, firstId);
    EXPECT_EQ(probe.percents, (QList<int>{40, 55}));

    auto* second = new VkWorker;
    EXPECT_EQ(runner.setupNewWorker(second), firstId);
    EXPECT_EQ(runner.currentWorkerId(), second->workerId());
    EXPECT_EQ(probe.destroyed, 0) << "replacing a worker is not the end of the current one";

    // What a queued report of the replaced worker would deliver.
    runner.percentDoneFromWorker(70, firstId);
    runner.errOccurredFromWorker(3, QStringLiteral("stale"), firstId);
    EXPECT_EQ(probe.percents, (QList<int>{40, 55}));
    EXPECT_EQ(probe.errors, 0);
    EXPECT_FALSE(runner.hasError());

    emit second->percentDone(40, second->workerId());
    EXPECT_EQ(probe.percents, (QList<int>{40, 55, 40}));
    EXPECT_TRUE(waitUntil([&] { return first.isNull(); }));
}

TEST(VkWorkerRunnerSameThread, ErrorThenShutdownEndsTheCurrentWorkerOnce) {
    VkWorkerRunner runner(nullptr, nullptr);
    RunnerProbe probe(runner);
    QPointer<VkWorker> worker = new VkWorker;
    runner.setupNewWorker(worker);
    EXPECT_TRUE(runner.isRunning());

    worker->shutdownWithError(0, QStringLiteral("bad header"));
    EXPECT_EQ(probe.errors, 1);
    EXPECT_TRUE(runner.hasError()) << "an error text alone marks the runner failed";
    EXPECT_EQ(runner.errorText(), QStringLiteral("bad header"));
    EXPECT_EQ(probe.destroyed, 1);
    EXPECT_EQ(runner.currentWorkerId(), 0);
    EXPECT_FALSE(runner.isRunning());
    ASSERT_TRUE(waitUntil([&] { return worker.isNull(); }));
    EXPECT_EQ(probe.destroyed, 1);
}

class HostedRunnerTest : public ::testing::Test {
protected:
    void TearDown() override {
        VkEventedThread::shutdownAndWait(thread);
        EXPECT_TRUE(thread.isNull());
    }
    QPointer<VkEventedThread> thread = new VkEventedThread(QStringLiteral("Runner Test Thread"));
};

TEST_F(HostedRunnerTest, CancellingAPausedWorkerWakesItAndEmitsCanceledOnce) {
    VkWorkerRunner runner(thread, nullptr);
    RunnerProbe probe(runner);
    auto state = std::make_shared<LoopState>();
    auto* worker = new LoopWorker(state);
    const VkSharedFlag pauseFlag = worker->pauseFlag();
    int workerCanceled = 0;
    QObject::connect(worker, &VkWorker::workerCanceled, &probe.context, [&] { ++workerCanceled; });
    runner.setupNewWorker(worker);
    EXPECT_EQ(thread->aliveWorkerCount(), 1);
    worker->start();
    ASSERT_TRUE(waitUntil([&] { return state->started.load(); }));

    runner.pauseCurrentWorker();
    ASSERT_TRUE(waitUntil([&] { return state->sawPause.load(); }));
    EXPECT_FALSE(state->finished);

    runner.cancel();
    EXPECT_EQ(probe.canceled, 1);
    ASSERT_TRUE(waitUntil([&] { return probe.destroyed == 1; }));
    EXPECT_TRUE(state->finished);
    EXPECT_EQ(pauseFlag->loadAcquire(), 0);
    EXPECT_EQ(workerCanceled, 1);
    EXPECT_EQ(probe.canceled, 1);
    EXPECT_TRUE(waitUntil([&] { return thread->aliveWorkerCount() == 0; }));
}

TEST_F(HostedRunnerTest, PauseResumeAndPingReachTheHostedWorker) {
    VkWorkerRunner runner(thread, nullptr);
    RunnerProbe probe(runner);
    auto* worker = new VkWorker;
    int paused = 0, resumed = 0;
    QObject::connect(worker, &VkWorker::workerPaused, &probe.context, [&] { ++paused; });
    QObject::connect(worker, &VkWorker::workerResumed, &probe.context, [&] { ++resumed; });
    runner.setThreadSlot(3);
    runner.setupNewWorker(worker);
    EXPECT_EQ(worker->threadSlot(), 3);

    runner.pauseCurrentWorker();
    runner.pauseCurrentWorker();
    ASSERT_TRUE(waitUntil([&] { return paused == 1; }));
    runner.resumeCurrentWorker();
    ASSERT_TRUE(waitUntil([&] { return resumed == 1; }));
    emit runner.pingWorker(runner.currentWorkerId());
    ASSERT_TRUE(waitUntil([&] { return probe.pings == 1; }));
    spinFor(20);
    EXPECT_EQ(paused, 1);
}

} // namespace
