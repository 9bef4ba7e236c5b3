#include "tasks/ProgressTracker.h"

#include <QThread>
#include <gtest/gtest.h>

TEST(ProgressTrackerTest, RemainingTimeShowsTheTwoLeadingUnits) {
    EXPECT_EQ(ProgressTracker::remainingTimeText(0), "Less than 1 Millisecond remaining");
    EXPECT_EQ(ProgressTracker::remainingTimeText(1), "About 1 Millisecond remaining");
    EXPECT_EQ(ProgressTracker::remainingTimeText(1500), "About 1 Second, 500 Milliseconds remaining");
    EXPECT_EQ(ProgressTracker::remainingTimeText(61000), "About 1 Minute, 1 Second remaining");
    EXPECT_EQ(ProgressTracker::remainingTimeText(2 * 3600000 + 59000), "About 2 Hours remaining");
    EXPECT_EQ(ProgressTracker::remainingTimeText(31557600000LL + 2 * 86400000LL + 5000),
              "About 1 Year, 2 Days remaining");
    EXPECT_EQ(ProgressTracker::remainingTimeText(-1), "Estimating time remaining...");
    EXPECT_EQ(ProgressTracker().remainingTimeText(), "Estimating time remaining...");
}

TEST(ProgressTrackerTest, EstimateFollowsTheRateAndGrowsWhileStalled) {
    ProgressTracker tracker;
    tracker.setRange(0, 100);
    int changes = 0;
    QObject::connect(&tracker, &ProgressTracker::estimateChanged, [&changes] { ++changes; });
    tracker.start();
    tracker.setValue(0, true);
    EXPECT_EQ(tracker.estimatedRemainingMs(), -1);

    QThread::msleep(30);
    tracker.setValue(50, false);
    EXPECT_EQ(tracker.estimatedRemainingMs(), -1) << "only a refresh takes a sample";
    tracker.setValue(50, true);
    const qint64 first = tracker.estimatedRemainingMs();
    EXPECT_GE(first, 25);
    EXPECT_LT(first, 5000);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(tracker.remainingTimeText().endsWith(" remaining"));

    QThread::msleep(60);
    tracker.autoUpdate();
    EXPECT_GT(tracker.estimatedRemainingMs(), first);

    tracker.setValue(100, true);
    EXPECT_EQ(tracker.estimatedRemainingMs(), 0);
    tracker.start();
    EXPECT_EQ(tracker.estimatedRemainingMs(), -1) << "a restart forgets the old rate";
}
