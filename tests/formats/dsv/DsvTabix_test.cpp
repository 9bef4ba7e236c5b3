#include "formats/dsv/DsvSourceTypeManager.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/FormatTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using FormatTest::readRegions;
using FormatTest::runTool;

// A feature as "chromosome start stop gene", with the chromosome as the file writes it trimmed.
QByteArray describe(const VkFeature& feature) {
    const VkSegment& s = feature.segment();
    return s.chromosome() + ' ' + QByteArray::number(s.start()) + ' ' + QByteArray::number(s.stop()) + ' ' +
           feature.value(3).bytes();
}

QByteArray describeLine(const QByteArray& line) {
    const QList<QByteArray> cells = line.split('\t');
    return cells[0].mid(3) + ' ' + cells[1] + ' ' + cells[2] + ' ' + cells[3];
}

class DsvTabixTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_text = m_dir.filePath("genes.tsv");
        ASSERT_TRUE(QFile::copy(VARKIT_TEST_DATA "/dsv/genes.tsv", m_text));
        m_bgzip = m_text + ".gz";
        runTool("bgzip", {"-k", m_text});
        ASSERT_TRUE(QFileInfo(m_bgzip).isFile()) << "bgzip is needed for this test";
    }
    void index() {
        runTool("tabix", {"-0", "-s", "1", "-b", "2", "-e", "3", "-S", "1", m_bgzip});
        ASSERT_TRUE(QFileInfo(m_bgzip + ".tbi").isFile()) << "tabix is needed for this test";
    }

    QTemporaryDir m_dir;
    QString m_text;
    QString m_bgzip;
};

} // namespace

TEST_F(DsvTabixTest, RegistryClaimsBgzipFilesWithAnIndexOnly) {
    VkSourceTypeRegistry& registry = VkSourceTypeRegistry::instance();
    EXPECT_EQ(registry.managerForPath(m_bgzip), nullptr);
    EXPECT_EQ(registry.managerForPath(m_text), nullptr);
    index();
    ASSERT_NE(registry.managerForPath(m_bgzip), nullptr);
    EXPECT_EQ(registry.managerForPath(m_bgzip)->typeId(), DsvSourceTypeManager::TypeId);
    const QString vcf = m_dir.filePath("calls.vcf.gz");
    QFile::copy(m_bgzip, vcf);
    QFile::copy(m_bgzip + ".tbi", vcf + ".tbi");
    EXPECT_EQ(registry.managerForPath(vcf)->typeId(), 3);

    const VkSourcePtr source = registry.open(m_bgzip);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->info().format, "Delimited");
    EXPECT_EQ(source->info().properties.value("IndexFile").bytes(),
              QFileInfo(m_bgzip + ".tbi").absoluteFilePath().toUtf8());
}

TEST_F(DsvTabixTest, GenomicIndexIsNeededUntilTheFileIsCompressedAndIndexed) {
    QString message;
    const VkSourcePtr plain = DsvSourceTypeManager::openPath(m_text);
    ASSERT_TRUE(plain->isValid());
    VkSourceTypeManager* manager = plain->manager();
    EXPECT_TRUE(manager->precomputeNeeded(*plain, "GenomicIndex", &message));
    EXPECT_EQ(message, "Compressing and indexing this Delimited Text source. Please wait...");
    const VkSourcePtr compressed = DsvSourceTypeManager::openPath(m_bgzip);
    EXPECT_TRUE(manager->precomputeNeeded(*compressed, "GenomicIndex", &message));
    EXPECT_EQ(message, "Computing a tabix TBI index for this Delimited Text source. Please wait...");
    index();
    const VkSourcePtr indexed = DsvSourceTypeManager::openPath(m_bgzip);
    EXPECT_FALSE(manager->precomputeNeeded(*indexed, "GenomicIndex", &message));
    EXPECT_FALSE(manager->precomputeNeeded(*plain, "AlignmentCoverage", &message));
}

TEST_F(DsvTabixTest, RegionReadsAgreeWithTabix) {
    index();
    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(m_bgzip);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    // tabix regions are 1-based and inclusive; ours 0-based and half-open.
    // Each end of a feature, one base either side of it, and chromosomes with names trimmed or absent.
    const QList<QPair<QString, VkSegment>> regions = {
        {"chr1:2300-2400", VkSegment("1", 2299, 2400)}, {"chr1:1-1000000", VkSegment("1", 0, 1000000)},
        {"chr1:1999-1999", VkSegment("1", 1998, 1999)}, {"chr1:2000-2000", VkSegment("1", 1999, 2000)},
        {"chr1:1381-1381", VkSegment("1", 1380, 1381)}, {"chr1:1382-1382", VkSegment("1", 1381, 1382)},
        {"chr2:3000-6000", VkSegment("2", 2999, 6000)}, {"chrX:1900-2200", VkSegment("X", 1899, 2200)},
        {"chrM:1-100000", VkSegment("M", 0, 100000)},   {"chr9:1-1000", VkSegment("9", 0, 1000)}};
    int found = 0;
    for (const auto& region : regions) {
        QList<QByteArray> expected;
        for (const QByteArray& line : runTool("tabix", {m_bgzip, region.first}).split('\n'))
            if (!line.isEmpty())
                expected.append(describeLine(line));
        QList<QByteArray> actual;
        for (const VkFeature& feature : readRegions(source, {region.second}))
            actual.append(describe(feature));
        EXPECT_EQ(actual, expected) << region.first.toStdString();
        found += actual.size();
    }
    EXPECT_GT(found, 20);
    // Overlapping regions return each feature once.
    const VkFeatureList merged = readRegions(
        source, {VkSegment("1", 2299, 2400), VkSegment("1", 2350, 2600), VkSegment("1", 0, 2400)});
    const QByteArray union_ = runTool("tabix", {m_bgzip, "chr1:1-2600"});
    EXPECT_EQ(merged.size(), union_.count('\n'));
}
