#include "tasks/AppLoop.h"
#include "tasks/CmdWorkerRunnerLogger.h"
#include "tasks/TaskListRunnerLogger.h"
#include "tasks/VkSourceTaskListRunner.h"
#include "tasks/workers/VkWorkerRunner.h"

#include <QThread>
#include <gtest/gtest.h>

namespace {

class FailingRunner : public VkWorkerRunner {
public:
    FailingRunner() : VkWorkerRunner(nullptr, nullptr) {}
    using VkWorkerRunner::setError;
};

std::string stderrOf(const std::function<void()>& action) {
    testing::internal::CaptureStderr();
    action();
    return testing::internal::GetCapturedStderr();
}

} // namespace

TEST(TaskListRunnerLoggerTest, PrintsPercentagesInThreeColumnsAndMessagesOnce) {
    VkSourceTaskListRunner runner;
    TaskListRunnerLogger logger(&runner);
    const std::string out = stderrOf([&] {
        emit runner.taskStarted(0, false, "Writing new file");
        emit runner.curTaskPercentDone(0, "About 2 Seconds remaining");
        emit runner.curTaskPercentDone(7, "About 2 Seconds remaining");
        emit runner.curTaskPercentDone(100, "Less than 1 Millisecond remaining");
    });
    EXPECT_EQ(out, "Writing new file\n"
                   "  0%\tAbout 2 Seconds remaining\n"
                   "  7%\t\n"
                   "100%\tLess than 1 Millisecond remaining\n");
}

TEST(CmdWorkerRunnerLoggerTest, EstimatesAfterTheFirstReportAndReportsTheOutcome) {
    FailingRunner runner;
    CmdWorkerRunnerLogger logger(&runner);
    const std::string progress = stderrOf([&] {
        emit runner.percentDone(3, &runner);
        QThread::msleep(30);
        emit runner.percentDone(50, &runner);
    });
    const std::string firstLine = "3% - Estimating time remaining...\n";
    ASSERT_EQ(progress.substr(0, firstLine.size()), firstLine);
    const std::string second = progress.substr(firstLine.size());
    EXPECT_EQ(second.rfind("50% - About ", 0), 0u) << second;
    EXPECT_NE(second.find(" remaining\n"), std::string::npos) << second;

    const std::string done = stderrOf([&] {
        QTimer::singleShot(0, &runner, [&] { emit runner.currentWorkerDestroyed(); });
        EXPECT_TRUE(runAppLoop());
    });
    EXPECT_EQ(done, "Complete: shutting down\n");

    runner.setError(2, "broken record 7");
    const std::string failed = stderrOf([&] {
        QTimer::singleShot(0, &runner, [&] { emit runner.currentWorkerDestroyed(); });
        EXPECT_TRUE(runAppLoop());
    });
    EXPECT_EQ(failed, "Ran into errors: broken record 7\n");
}
