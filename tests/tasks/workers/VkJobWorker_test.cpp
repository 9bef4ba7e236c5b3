#include "tasks/WorkerTestSupport.h"
#include "tasks/workers/VkJobWorker.h"
#include "tasks/workers/VkWorkerRunner.h"

#include <QThread>
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace {

class SumJob : public VkJobWorker {
protected:
    bool doWork(const QVariantList& args, QVariantList& results, QString&) override {
        int sum = 0;
        for (const QVariant& arg : args) {
            sum += arg.toInt();
        }
        results << sum << QThread::currentThread()->objectName();
        return true;
    }
};

class FailingJob : public VkJobWorker {
protected:
    bool doWork(const QVariantList&, QVariantList&, QString&) override { return false; }
};

// A job that fails the way library code can: by throwing.
class ThrowingJob : public VkJobWorker {
protected:
    bool doWork(const QVariantList& args, QVariantList&, QString&) override {
        if (args.value(0).toBool())
            throw std::bad_alloc();
        throw std::runtime_error("index out of range");
    }
};

class VkJobWorkerTest : public ::testing::Test {
protected:
    void TearDown() override { VkEventedThread::shutdownAndWait(thread); }

    // Starts the job through the event queue, as consumers do, and waits for its end.
    bool runToEnd(VkJobWorker* job, const QVariantList& args) {
        bool ended = false;
        QObject::connect(&runner, &VkWorkerRunner::currentWorkerDestroyed, &context, [&] { ended = true; });
        runner.setupNewWorker(job);
        QMetaObject::invokeMethod(job, "startJob", Qt::QueuedConnection, Q_ARG(QVariantList, args));
        return waitUntil([&] { return ended; });
    }

    QPointer<VkEventedThread> thread = new VkEventedThread(QStringLiteral("Job Test Thread"));
    VkWorkerRunner runner{thread, nullptr};
    QObject context;
};

TEST_F(VkJobWorkerTest, SucceedingJobDeliversItsResultsToTheConsumersThread) {
    auto* job = new SumJob;
    QVariantList delivered;
    int deliveredId = 0;
    QThread* receivingThread = nullptr;
    const int jobId = job->workerId();
    QObject::connect(job, &VkJobWorker::workComplete, &context, [&](int workerId, QVariantList results) {
        deliveredId = workerId;
        delivered = results;
        receivingThread = QThread::currentThread();
    });
    ASSERT_TRUE(runToEnd(job, {1, 2, 3}));
    EXPECT_EQ(deliveredId, jobId);
    EXPECT_EQ(delivered, (QVariantList{6, QStringLiteral("Job Test Thread")}));
    EXPECT_EQ(receivingThread, QThread::currentThread());
    EXPECT_FALSE(runner.hasError());
}

TEST_F(VkJobWorkerTest, FailingJobWithoutMessageReportsTheFixedText) {
    ASSERT_TRUE(runToEnd(new FailingJob, {}));
    EXPECT_TRUE(runner.hasError());
    EXPECT_EQ(runner.errorText(), QStringLiteral("Do work function returned false!"));
}

TEST_F(VkJobWorkerTest, ExceptionsOutOfAJobBecomeItsErrorAndEndIt) {
    ASSERT_TRUE(runToEnd(new ThrowingJob, {true}));
    EXPECT_EQ(runner.errorText(), QStringLiteral("Out of memory"));
    ASSERT_TRUE(runToEnd(new ThrowingJob, {false}));
    EXPECT_EQ(runner.errorText(), QStringLiteral("Unexpected error: index out of range"));
}

} // namespace
