#include "formats/track/IntervalIndex.h"
#include "source/readers/ReadMode.h"

#include <gtest/gtest.h>

#include <random>

namespace {
struct Interval {
    QByteArray chromosome;
    int32_t start;
    int32_t stop;
};

std::vector<qint64> bruteForce(const std::vector<Interval>& intervals, const QList<VkSegment>& regions) {
    std::vector<qint64> records;
    for (size_t i = 0; i < intervals.size(); ++i) {
        const VkSegment segment(intervals[i].chromosome, intervals[i].start, intervals[i].stop);
        for (const VkSegment& region : regions) {
            if (Vk::matches(segment, region, Vk::Overlap)) {
                records.push_back(qint64(i));
                break;
            }
        }
    }
    return records;
}
} // namespace

TEST(IntervalIndex, AgreesWithABruteForceScan) {
    std::mt19937 random(7);
    const QByteArray chromosomes[] = {"1", "2", "X"};
    std::vector<Interval> intervals;
    IntervalIndex index;
    for (int i = 0; i < 5000; ++i) {
        const int32_t start = int32_t(random() % 1000000);
        // Mostly short intervals, some zero-length points, a few spanning much of the chromosome.
        const uint32_t kind = random() % 100;
        const int32_t length = kind < 5   ? 0
                               : kind < 8 ? int32_t(random() % 800000)
                                          : int32_t(random() % 2000);
        intervals.push_back({chromosomes[random() % 3], start, start + length});
        index.add(intervals.back().chromosome, start, start + length, i);
    }
    index.finish();
    EXPECT_EQ(index.size(), 5000);
    for (int q = 0; q < 300; ++q) {
        QList<VkSegment> regions;
        for (uint32_t r = 0; r <= random() % 3; ++r) {
            const int32_t start = int32_t(random() % 1100000);
            regions.append(
                VkSegment(chromosomes[random() % 3], start, start + 1 + int32_t(random() % 20000)));
        }
        ASSERT_EQ(index.overlapping(regions), bruteForce(intervals, regions)) << q;
    }
    EXPECT_TRUE(index.overlapping({VkSegment("Y", 0, 1000000)}).empty());
}

TEST(IntervalIndex, HalfOpenEndsAndPoints) {
    IntervalIndex index;
    index.add("1", 100, 200, 0);
    index.add("1", 200, 200, 1); // an insertion point before base 200
    index.add("1", 50, 100, 2);
    index.finish();
    EXPECT_EQ(index.overlapping({VkSegment("1", 199, 200)}), std::vector<qint64>({0}));
    EXPECT_EQ(index.overlapping({VkSegment("1", 200, 201)}), std::vector<qint64>({1}));
    EXPECT_EQ(index.overlapping({VkSegment("1", 0, 1000)}), std::vector<qint64>({0, 1, 2}));
    EXPECT_TRUE(index.overlapping({VkSegment("1", 0, 50)}).empty());
}
