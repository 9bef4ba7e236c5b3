#include "source/model/ChromosomeOrder.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/Cli.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

TEST(ChromosomeOrder, ListedChromosomesFirstThenNaturalOrder) {
    QList<QByteArray> names = {"chr10", "chrX", "chr2", "chr1", "chrM", "chr1_random", "chr02b", "chrY"};
    std::sort(names.begin(), names.end(), [](const QByteArray& a, const QByteArray& b) {
        return ChromosomeOrder::naturalCompare(a, b) < 0;
    });
    EXPECT_EQ(names,
              QList<QByteArray>({"chr1", "chr1_random", "chr2", "chr02b", "chr10", "chrM", "chrX", "chrY"}));

    const ChromosomeOrder order({"2", "1"}, ChromosomeOrder::Sortedness::Sorted);
    EXPECT_TRUE(order.less(VkSegment("2", 500, 600), VkSegment("1", 10, 20)));
    EXPECT_TRUE(order.less(VkSegment("1", 10, 20), VkSegment("3", 0, 1)));
    EXPECT_TRUE(order.less(VkSegment("3", 0, 1), VkSegment("10", 0, 1)));
    EXPECT_TRUE(order.less(VkSegment("1", 10, 30), VkSegment("1", 10, 20)));
    EXPECT_FALSE(order.less(VkSegment("1", 10, 20), VkSegment("1", 10, 20)));

    const ChromosomeOrder both =
        ChromosomeOrder::merged({order, ChromosomeOrder({"1", "X"}, ChromosomeOrder::Sortedness::Unknown)});
    EXPECT_EQ(both.names(), QList<QByteArray>({"2", "1", "X"}));
    EXPECT_FALSE(both.isSorted());
}

TEST(ChromosomeOrder, SourcesKnowTheirOrderAndWhetherTheyFollowIt) {
    const VkSourcePtr indexed =
        VkSourceTypeRegistry::instance().open(QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz"));
    EXPECT_TRUE(indexed->info().chromosomeOrder.isSorted());
    EXPECT_EQ(indexed->info().chromosomeOrder.names().value(0), QByteArray("20"));

    const VkSourcePtr plain =
        VkSourceTypeRegistry::instance().open(QStringLiteral(VARKIT_EXAMPLES "/example.vcf"));
    EXPECT_FALSE(plain->info().chromosomeOrder.isSorted());

    QTemporaryDir dir;
    const QString tsf = dir.filePath("example.tsf");
    ASSERT_EQ(runVarkit({"writetsf", QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz"), tsf}).exitCode, 0);
    const VkSourcePtr stored = VkSourceTypeRegistry::instance().open(tsf);
    EXPECT_TRUE(stored->info().chromosomeOrder.isSorted());
    EXPECT_EQ(stored->info().chromosomeOrder.names(), QList<QByteArray>({"20", "21"}));
}
