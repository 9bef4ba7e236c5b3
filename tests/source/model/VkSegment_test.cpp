#include "source/readers/SegmentQuery.h"

#include <gtest/gtest.h>

TEST(VkSegmentTest, OrderOnlyWithinAChromosome) {
    const VkSegment a("1", 100, 200);
    const VkSegment other("2", 50, 60);
    EXPECT_FALSE(a < other);
    EXPECT_FALSE(other < a);

    const VkSegment enclosing("1", 100, 300);
    EXPECT_TRUE(enclosing < a);
    EXPECT_FALSE(a < enclosing);
    EXPECT_TRUE(VkSegment("1", 99, 100) < a);
    EXPECT_FALSE(a < a);
}

TEST(VkSegmentTest, EqualityAndOverlap) {
    EXPECT_EQ(VkSegment("chr1", 5, 10), VkSegment(QByteArray("chr1"), 5, 10));
    EXPECT_NE(VkSegment("chr1", 5, 10), VkSegment("chr2", 5, 10));
    EXPECT_NE(VkSegment("chr1", 5, 10), VkSegment("chr1", 5, 11));
    EXPECT_TRUE(VkSegment("chr1", 5, 10).overlaps(VkSegment("chr1", 9, 20)));
    // Half-open: touching intervals do not overlap.
    EXPECT_FALSE(VkSegment("chr1", 5, 10).overlaps(VkSegment("chr1", 10, 20)));
    EXPECT_FALSE(VkSegment("chr1", 5, 10).overlaps(VkSegment("chr2", 5, 10)));
}

TEST(VkSegmentTest, TextShowsStoredCoordinates) {
    EXPECT_EQ(VkSegment("chr1", 851548, 891052).toString(), "chr1:851548-891052");
    EXPECT_EQ(VkSegment().toString(), ":0--1");
}

TEST(SegmentQueryTest, UserCoordinatesBecomeHalfOpen) {
    QString error;
    QList<VkSegment> segments = SegmentQuery::parse("chr1:851549-891052", &error);
    ASSERT_EQ(segments.size(), 1) << error.toStdString();
    EXPECT_EQ(segments.first(), VkSegment("chr1", 851548, 891052));

    segments = SegmentQuery::parse("chr1:1,000-2,000,000");
    ASSERT_EQ(segments.size(), 1);
    EXPECT_EQ(segments.first(), VkSegment("chr1", 999, 2000000));

    segments = SegmentQuery::parse("chrX:5000");
    ASSERT_EQ(segments.size(), 1);
    EXPECT_EQ(segments.first(), VkSegment("chrX", 4999, 5000));

    segments = SegmentQuery::parse("chr2");
    ASSERT_EQ(segments.size(), 1);
    EXPECT_EQ(segments.first(), VkSegment("chr2", 0, SegmentQuery::WholeChromosomeStop));
}

TEST(SegmentQueryTest, SeveralRegions) {
    const QList<VkSegment> segments = SegmentQuery::parse(" chr1:100-200,chr2:1,500-1,600; chr3 chr4:7 ");
    ASSERT_EQ(segments.size(), 4);
    EXPECT_EQ(segments.at(0), VkSegment("chr1", 99, 200));
    EXPECT_EQ(segments.at(1), VkSegment("chr2", 1499, 1600));
    EXPECT_EQ(segments.at(2), VkSegment("chr3", 0, SegmentQuery::WholeChromosomeStop));
    EXPECT_EQ(segments.at(3), VkSegment("chr4", 6, 7));

    // A comma not followed by exactly three digits separates regions.
    const QList<VkSegment> numbered = SegmentQuery::parse("1:100-200,2:5-10");
    ASSERT_EQ(numbered.size(), 2);
    EXPECT_EQ(numbered.at(1), VkSegment("2", 4, 10));
}

TEST(SegmentQueryTest, BadRegionsAreRejectedWithAMessage) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "Empty query"},
        {" ;, ", "Empty query"},
        {":100-200", "Missing chromosome in query region: :100-200"},
        {"chr1:abc", "Invalid position in query region: chr1:abc"},
        {"chr1:100-", "Invalid position in query region: chr1:100-"},
        {"chr1:100x", "Invalid position in query region: chr1:100x"},
        {"chr1:0-10", "Position out of range in query region: chr1:0-10"},
        {"chr1:1-99999999999", "Position out of range in query region: chr1:1-99999999999"},
        {"chr1:200-100", "Start is after stop in query region: chr1:200-100"},
        {"chr1:1-2 chr2:x", "Invalid position in query region: chr2:x"},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_TRUE(SegmentQuery::parse(c.text, &error).isEmpty()) << c.text;
        EXPECT_EQ(error, c.message) << c.text;
    }
}
