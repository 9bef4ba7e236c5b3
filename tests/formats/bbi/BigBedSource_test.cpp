#include "formats/bbi/BbiSourceTypeManager.h"
#include "source/readers/ReadMode.h"
#include "source/readers/VkFeatureStream.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/BigBedWriter.h"
#include "support/FormatTestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace FormatTest;

namespace {
const QByteArray AutoSql = "table peaks\n"
                           "\"Peaks with blocks\"\n"
                           "(\n"
                           "string chrom;      \"Reference sequence chromosome or scaffold\"\n"
                           "uint   chromStart; \"Start position in chromosome\"\n"
                           "uint   chromEnd;   \"End position in chromosome\"\n"
                           "string name;       \"Name of item\"\n"
                           "uint   score;      \"Score from 0-1000\"\n"
                           "char[1] strand;    \"+ or -\"\n"
                           "float  signal;     \"Signal value\"\n"
                           "int    blockCount; \"Number of blocks\"\n"
                           "int[blockCount] blockSizes; \"Comma separated list of block sizes\"\n"
                           "double pValue;     \"P value\"\n"
                           "lstring note;      \"Free text\"\n"
                           ")\n";

struct Peak {
    BigBedWriter::Item item;
    VkFeature feature;
};

QVector<Peak> samplePeaks() {
    QVector<Peak> peaks;
    for (int i = 0; i < 500; ++i) {
        const QByteArray chromosome = i < 400 ? "chr1" : "chr2";
        const quint32 start = quint32((i % 400) * 250 + (i % 7) * 10);
        const quint32 end = start + 100 + quint32(i % 5) * 80;
        const QByteArray name = "peak" + QByteArray::number(i);
        const QByteArray strand = i % 2 ? "-" : "+";
        const QVector<int32_t> sizes = {10, 20 + i % 3};
        const QByteArray note = i % 10 ? QByteArray("note ") + QByteArray::number(i) : QByteArray();
        const QByteArray rest = name + "\t" + QByteArray::number(i * 2) + "\t" + strand + "\t" +
                                QByteArray::number(i / 8.0) + "\t2\t10," + QByteArray::number(20 + i % 3) +
                                ",\t" + QByteArray::number(i / 1024.0, 'g', 17) + "\t" + note;
        VkFeature feature(VkSegment(chromosome, int32_t(start), int32_t(end)),
                          {PVariant(name), PVariant(i * 2), PVariant(strand), PVariant(float(i / 8.0)),
                           PVariant(2), PVariant(sizes), PVariant(i / 1024.0), PVariant(note)});
        peaks.append({{chromosome, start, end, rest}, feature});
    }
    return peaks;
}

class BigBedSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("peaks.bb"));
        m_peaks = samplePeaks();
        QVector<BigBedWriter::Item> items;
        for (const Peak& peak : m_peaks)
            items.append(peak.item);
        ASSERT_TRUE(BigBedWriter::write(m_path, m_chromosomes, items, 11, AutoSql));
    }
    VkSourcePtr open(const QString& path) const { return VkSourceTypeRegistry::instance().open(path); }

    QTemporaryDir m_dir;
    QString m_path;
    const QVector<BigBedWriter::Chromosome> m_chromosomes = {
        {"chr1", 200000}, {"chr2", 100000}, {"chr3", 5000}};
    QVector<Peak> m_peaks;
};
} // namespace

TEST_F(BigBedSourceTest, TakesItsSchemaFromTheAutoSql) {
    const VkSourcePtr source = open(m_path);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->featureType(), QStringLiteral("Interval"));
    const VkFieldList& schema = source->schema();
    ASSERT_EQ(schema.size(), 8);
    const QVector<QPair<QByteArray, ValueType>> expected = {
        {"name", ValueType::String},    {"score", ValueType::Int},      {"strand", ValueType::String},
        {"signal", ValueType::Float},   {"blockCount", ValueType::Int}, {"blockSizes", ValueType::IntArray},
        {"pValue", ValueType::Float64}, {"note", ValueType::String}};
    for (int i = 0; i < schema.size(); ++i) {
        EXPECT_EQ(schema[i].idx, i);
        EXPECT_EQ(schema[i].symbol, expected[i].first);
        EXPECT_EQ(schema[i].valueType, expected[i].second) << i;
    }
    EXPECT_EQ(schema[3].doc, QStringLiteral("Signal value"));
}

TEST_F(BigBedSourceTest, ReadsEveryItemWithItsColumns) {
    const VkFeatureList features = readAll(open(m_path));
    ASSERT_EQ(features.size(), m_peaks.size());
    for (int i = 0; i < features.size(); ++i)
        ASSERT_EQ(features[i], m_peaks[i].feature) << i;

    ReadRequest someFields;
    someFields.fieldList = {0, 5};
    const VkFeature sparse = readAll(open(m_path), someFields).at(3);
    EXPECT_EQ(sparse.value(0).bytes(), QByteArray("peak3"));
    EXPECT_EQ(sparse.value(5).intVector(), QVector<int32_t>({10, 20}));
    EXPECT_FALSE(sparse.value(1).isValid());
}

TEST_F(BigBedSourceTest, RegionReadsMatchABruteForceOverlap) {
    const QList<VkSegment> regions = {VkSegment("chr1", 1000, 5000), VkSegment("chr1", 4000, 4100),
                                      VkSegment("chr2", 0, 300), VkSegment("chr3", 0, 5000)};
    VkFeatureList expected;
    for (const Peak& peak : m_peaks)
        for (const VkSegment& region : regions)
            if (Vk::matches(peak.feature.segment(), region, Vk::Overlap)) {
                expected.append(peak.feature);
                break;
            }
    ASSERT_GT(expected.size(), 15);
    EXPECT_EQ(readRegions(open(m_path), regions), expected);
}

TEST_F(BigBedSourceTest, NamesTheStandardBedColumnsWithoutAutoSql) {
    const QString path = m_dir.filePath(QStringLiteral("plain.bigbed"));
    ASSERT_TRUE(BigBedWriter::write(path, m_chromosomes,
                                    {{"chr1", 10, 20, "a\t5\t+"}, {"chr2", 0, 8, "b\t7\t-"}}, 6));
    const VkSourcePtr source = open(path);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    ASSERT_EQ(source->schema().size(), 3);
    EXPECT_EQ(source->schema()[1].symbol, QByteArray("score"));
    const VkFeatureList features = readAll(source);
    ASSERT_EQ(features.size(), 2);
    EXPECT_EQ(features[1], VkFeature(VkSegment("chr2", 0, 8), {PVariant("b"), PVariant(7), PVariant("-")}));
}

TEST_F(BigBedSourceTest, ReportsDamagedFilesWithoutCrashing) {
    QFile file(m_path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QString cut = m_dir.filePath(QStringLiteral("cut.bb"));
    writeFile(cut, bytes.left(100));
    EXPECT_EQ(open(cut)->errorText(),
              cut + QStringLiteral(" is damaged: its header or chromosome list cannot be read"));

    // The R tree, read on opening, is gone.
    const QString noIndex = m_dir.filePath(QStringLiteral("noindex.bb"));
    writeFile(noIndex, bytes.left(bytes.size() - 200));
    EXPECT_FALSE(open(noIndex)->isValid());

    // The size of the last chr1 block, read in a later step than the first, points past the end of
    // the file. The R tree's one node ends the file: a 48-byte header, 4 bytes, 32 per block.
    const int blockCount = 400 / BigBedWriter::ItemsPerBlock + 100 / BigBedWriter::ItemsPerBlock;
    const int lastChr1Size =
        bytes.size() - 32 * blockCount + 32 * (400 / BigBedWriter::ItemsPerBlock - 1) + 24;
    QByteArray oversized = bytes;
    oversized.replace(lastChr1Size, 8, QByteArray("\x00\x00\x00\x40\x00\x00\x00\x00", 8));
    const QString tail = m_dir.filePath(QStringLiteral("tail.bb"));
    writeFile(tail, oversized);
    const VkSourcePtr source = open(tail);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    VkFeatureStream stream(source, ReadRequest());
    ASSERT_TRUE(stream.start());
    VkFeatureList batch;
    while (stream.next(batch)) {
    }
    EXPECT_EQ(stream.errorText(), tail + QStringLiteral(" is damaged: the data of chr1 cannot be read"));
}
