#include "formats/bbi/BbiSourceTypeManager.h"
#include "source/readers/ReadMode.h"
#include "source/readers/ReadMode.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/Cli.h"
#include "support/FormatTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <bigWig.h>

#include <gtest/gtest.h>

using namespace FormatTest;

namespace {
struct Interval {
    const char* chromosome;
    uint32_t start, end;
    float value;
};

// bedGraph-like intervals on chr1, fixed-span values on chr2, fixed steps on chr3, nothing on chr4.
QVector<Interval> writeBigWig(const QString& path) {
    QVector<Interval> written;
    bigWigFile_t* file = bwOpen(QFile::encodeName(path).constData(), nullptr, "w");
    EXPECT_NE(file, nullptr);
    const char* names[] = {"chr1", "chr2", "chr3", "chr4"};
    const uint32_t lengths[] = {100000, 50000, 20000, 1000};
    bwCreateHdr(file, 10);
    file->cl = bwCreateChromList(names, lengths, 4);
    bwWriteHdr(file);

    std::vector<const char*> chromosomes;
    std::vector<uint32_t> starts, ends;
    std::vector<float> values;
    for (uint32_t i = 0, pos = 10; i < 3000; ++i, pos += 7 + i % 23) {
        chromosomes.push_back("chr1");
        starts.push_back(pos);
        ends.push_back(pos + 1 + i % 5);
        values.push_back(float(i) / 4);
        written.append({"chr1", pos, pos + 1 + i % 5, float(i) / 4});
    }
    EXPECT_EQ(bwAddIntervals(file, chromosomes.data(), starts.data(), ends.data(), values.data(), 3000), 0);

    std::vector<uint32_t> spanStarts;
    std::vector<float> spanValues;
    for (uint32_t i = 0; i < 500; ++i) {
        spanStarts.push_back(1000 + 40 * i);
        spanValues.push_back(-float(i));
        written.append({"chr2", 1000 + 40 * i, 1000 + 40 * i + 25, -float(i)});
    }
    EXPECT_EQ(bwAddIntervalSpans(file, "chr2", spanStarts.data(), 25, spanValues.data(), 500), 0);

    std::vector<float> stepValues;
    for (uint32_t i = 0; i < 200; ++i) {
        stepValues.push_back(0.5f * float(i));
        written.append({"chr3", 500 + 50 * i, 500 + 50 * i + 10, 0.5f * float(i)});
    }
    EXPECT_EQ(bwAddIntervalSpanSteps(file, "chr3", 500, 10, 50, stepValues.data(), 200), 0);
    bwClose(file);
    return written;
}

VkFeature featureOf(const Interval& interval) {
    return VkFeature(VkSegment(interval.chromosome, int32_t(interval.start), int32_t(interval.end)),
                     {PVariant(interval.value)});
}

class BigWigSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("signal.bw"));
        m_written = writeBigWig(m_path);
    }
    VkSourcePtr open(const QString& path) const { return VkSourceTypeRegistry::instance().open(path); }

    QTemporaryDir m_dir;
    QString m_path;
    QVector<Interval> m_written;
};
} // namespace

TEST_F(BigWigSourceTest, DescribesADataSequenceWithAFloatValue) {
    const VkSourcePtr source = open(m_path);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->typeId(), BbiSourceTypeManager::TypeId);
    EXPECT_EQ(source->featureType(), QStringLiteral("Data Sequence"));
    ASSERT_EQ(source->schema().size(), 1);
    EXPECT_EQ(source->schema()[0].symbol, QByteArray("VALUE"));
    EXPECT_EQ(source->schema()[0].valueType, ValueType::Float);
    const PVariantMap extents = source->info().properties.value("ValueExtents").map();
    EXPECT_EQ(extents.value("min").float64Value(), -499.0);
    EXPECT_EQ(extents.value("max").float64Value(), 2999.0 / 4);
}

TEST_F(BigWigSourceTest, ReadsEveryIntervalInOrder) {
    const VkFeatureList features = readAll(open(m_path));
    ASSERT_EQ(features.size(), m_written.size());
    for (int i = 0; i < features.size(); ++i)
        ASSERT_EQ(features[i], featureOf(m_written[i])) << i;

    ReadRequest fromOffset;
    fromOffset.offset = 3490;
    const VkFeatureList tail = readAll(open(m_path), fromOffset);
    ASSERT_EQ(tail.size(), m_written.size() - 3490);
    EXPECT_EQ(tail.first(), featureOf(m_written[3490]));
}

// The command loads libBigWig only when it meets a bigWig file: the binary itself must find it.
TEST_F(BigWigSourceTest, TheCommandLineReadsItWithTheLibraryLoadedOnDemand) {
    const QString out = m_dir.filePath(QStringLiteral("signal.txt"));
    const CliResult result = runVarkit({"writetxt", m_path, out});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    QFile text(out);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(text.readAll().count('\n'), m_written.size() + 1);
}

TEST_F(BigWigSourceTest, RegionReadsMatchABruteForceOverlap) {
    const QList<VkSegment> regions = {VkSegment("chr1", 5000, 9000),   VkSegment("chr1", 8000, 12000),
                                      VkSegment("chr1", 30000, 30001), VkSegment("chr2", 0, 1001),
                                      VkSegment("chr3", 4990, 6010),   VkSegment("chr4", 0, 1000),
                                      VkSegment("chrX", 0, 100)};
    for (int mode : {Vk::Overlap, Vk::Within}) {
        VkFeatureList expected;
        for (const Interval& interval : m_written)
            for (const VkSegment& region : regions)
                if (Vk::matches(featureOf(interval).segment(), region, mode)) {
                    expected.append(featureOf(interval));
                    break;
                }
        ASSERT_GT(expected.size(), 100);
        EXPECT_EQ(readRegions(open(m_path), regions, mode), expected) << mode;
    }
}

TEST_F(BigWigSourceTest, ReportsMissingAndForeignFiles) {
    const QString missing = m_dir.filePath(QStringLiteral("none.bw"));
    EXPECT_EQ(open(missing)->errorText(), missing + QStringLiteral(" does not exist"));
    const QString text = m_dir.filePath(QStringLiteral("text.bigwig"));
    writeFile(text, "track type=wiggle_0\nfixedStep chrom=chr1 start=1 step=1\n1\n");
    EXPECT_EQ(open(text)->errorText(), text + QStringLiteral(" is not a bigWig or bigBed file"));
}

// A data block that does not inflate, and a header claiming more chromosomes than the file holds:
// each ends the write with status 1 and the file's name, and leaves no output behind.
TEST_F(BigWigSourceTest, DamagedFilesEndTheWriteWithTheirName) {
    QFile file(m_path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto offsetAt = [&](int at) {
        quint64 value = 0;
        for (int i = 7; i >= 0; --i)
            value = (value << 8) | quint8(bytes.at(at + i));
        return int(value);
    };
    QByteArray badBlock = bytes;
    badBlock.replace(offsetAt(16) + 8, 16, QByteArray(16, '\xff'));
    QByteArray manyChromosomes = bytes;
    manyChromosomes.replace(offsetAt(8) + 16, 8, QByteArray("\x00\x00\x00\x10\x00\x00\x00\x00", 8));
    const struct {
        QByteArray bytes;
        const char* message;
    } damaged[] = {{badBlock, " is damaged: the data of chr1 cannot be read"},
                   {manyChromosomes, " is damaged: its header or chromosome list cannot be read"}};
    for (const auto& bigWig : damaged) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("damaged.bw"));
        writeFile(path, bigWig.bytes);
        const CliResult result = runVarkit({"writewig", path, dir.filePath(QStringLiteral("out.wig"))});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.contains((path + QLatin1String(bigWig.message)).toUtf8()))
            << result.err.toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"damaged.bw"});
    }
}
