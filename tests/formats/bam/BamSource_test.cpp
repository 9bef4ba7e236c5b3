#include "formats/bam/BamFile.h"
#include "formats/bam/BamSourceTypeManager.h"
#include "source/readers/ReadMode.h"
#include "source/model/SchemaText.h"
#include "source/readers/VkFeatureStream.h"
#include "source/registry/VkSourceTypeManager.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/FormatTestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <htslib/hts.h>

#include <gtest/gtest.h>

using namespace FormatTest;

namespace {
enum Column { QName, FlagCol, RName, Pos, MapQ, Cigar, RNext, PNext, TLen, SeqCol, QualCol };

// Hand-picked reads that exercise every CIGAR operation and the missing values, then many
// generated ones so that reads span several batches and index bins.
QByteArray samText() {
    QByteArray sam = "@HD\tVN:1.6\tSO:coordinate\n"
                     "@SQ\tSN:chr1\tLN:50000\tAS:GRCh37\n"
                     "@SQ\tSN:chr2\tLN:30000\n"
                     "@RG\tID:rg1\tSM:sampleA\n";
    QList<QByteArray> records = {
        "match\t0\tchr1\t100\t60\t10M\t*\t0\t0\tACGTACGTAC\tIIIIIIIIII",
        "deletion\t16\tchr1\t120\t30\t5M2D5M\t*\t0\t0\tACGTAACGTA\t##########",
        "insertion\t0\tchr1\t130\t20\t4M2I4M\t*\t0\t0\tACGTTTACGT\t*",
        "clipped\t0\tchr1\t140\t20\t3S7M\t*\t0\t0\tGGGACGTACG\tABCDEFGHIJ",
        "spliced\t0\tchr1\t150\t50\t5M100N5M\t*\t0\t0\tACGTAACGTA\tIIIIIIIIII",
        "paired\t99\tchr1\t300\t60\t8M\tchr2\t500\t-250\tACGTACGT\tIIIIIIII",
        "noseq\t0\tchr1\t310\t0\t6M\t=\t400\t96\t*\t*",
        "placed_unmapped\t69\tchr1\t300\t0\t*\t=\t300\t0\tACGT\tIIII",
    };
    uint32_t state = 7;
    auto next = [&state](uint32_t bound) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % bound;
    };
    for (int chr = 1; chr <= 2; ++chr) {
        int pos = 1000;
        for (int i = 0; i < 1500; ++i) {
            pos += int(next(30));
            const int left = 20 + int(next(40));
            const int del = int(next(4));
            const QByteArray cigar = del ? QByteArray::number(left) + "M" + QByteArray::number(del) + "D30M"
                                         : QByteArray::number(left + 30) + "M";
            records.append("r" + QByteArray::number(chr) + "_" + QByteArray::number(i) + "\t" +
                           QByteArray::number(next(2) * 16) + "\tchr" + QByteArray::number(chr) + "\t" +
                           QByteArray::number(pos) + "\t" + QByteArray::number(next(61)) + "\t" + cigar +
                           "\t*\t0\t0\t" + QByteArray(left + 30, "ACGT"[next(4)]) + "\t*");
        }
    }
    records.append("unplaced\t4\t*\t0\t0\t*\t*\t0\t0\tACGT\tIIII");
    // samtools needs the hand-picked chr1 reads sorted among the generated ones.
    std::stable_sort(records.begin(), records.end() - 1, [](const QByteArray& a, const QByteArray& b) {
        const QList<QByteArray> x = a.split('\t');
        const QList<QByteArray> y = b.split('\t');
        return x[RName] < y[RName] || (x[RName] == y[RName] && x[Pos].toInt() < y[Pos].toInt());
    });
    return sam + records.join('\n') + "\n";
}

// The reference length a CIGAR covers.
int referenceLength(const QByteArray& cigar) {
    int length = 0;
    int number = 0;
    for (char c : cigar) {
        if (c >= '0' && c <= '9') {
            number = number * 10 + (c - '0');
            continue;
        }
        if (QByteArray("MDN=X").contains(c))
            length += number;
        number = 0;
    }
    return length;
}

QList<QList<QByteArray>> samtoolsView(const QString& bam, const QStringList& regions = {}) {
    QList<QList<QByteArray>> reads;
    // -M reads each read once, however many regions it overlaps.
    const QStringList arguments =
        regions.isEmpty() ? QStringList{QStringLiteral("view"), bam}
                          : QStringList{QStringLiteral("view"), QStringLiteral("-M"), bam} + regions;
    const QByteArray text = runTool(QStringLiteral("samtools"), arguments);
    for (const QByteArray& line : text.split('\n'))
        if (!line.isEmpty())
            reads.append(line.split('\t'));
    return reads;
}

// Checks a feature against the line samtools printed for the same read.
void expectSameRead(const VkFeature& feature, const QList<QByteArray>& sam) {
    const QByteArray name = sam[QName];
    const int start = sam[Pos].toInt() - 1;
    const int span = sam[Cigar] == "*" ? 1 : referenceLength(sam[Cigar]);
    EXPECT_EQ(feature.segment(), VkSegment(sam[RName], start, start + span)) << name.constData();
    EXPECT_EQ(feature.value(BamField::Name).bytes(), name);
    EXPECT_EQ(feature.value(BamField::Flag).intValue(), sam[FlagCol].toInt()) << name.constData();
    EXPECT_EQ(feature.value(BamField::MapQual).intValue(), sam[MapQ].toInt()) << name.constData();
    EXPECT_EQ(feature.value(BamField::Bin).intValue(), hts_reg2bin(start, start + span, 14, 5))
        << name.constData();
    QByteArray cigar;
    const QVector<int32_t> lengths = feature.value(BamField::CigarLen).intVector();
    const QByteArray ops = feature.value(BamField::CigarOp).bytes();
    ASSERT_EQ(lengths.size(), ops.size());
    for (int i = 0; i < ops.size(); ++i)
        cigar += QByteArray::number(lengths[i]) + ops[i];
    EXPECT_EQ(cigar.isEmpty() ? QByteArray("*") : cigar, sam[Cigar]) << name.constData();
    const QByteArray mate = sam[RNext] == "=" ? sam[RName] : sam[RNext] == "*" ? QByteArray() : sam[RNext];
    EXPECT_EQ(feature.value(BamField::MateChr).bytes(), mate) << name.constData();
    const int matePos = sam[PNext] == "0" ? PVariant::MissingInt : sam[PNext].toInt() - 1;
    EXPECT_EQ(feature.value(BamField::MatePos).intValue(), matePos) << name.constData();
    EXPECT_EQ(feature.value(BamField::TemplateLen).intValue(), sam[TLen].toInt()) << name.constData();
    EXPECT_EQ(feature.value(BamField::Seq).bytes(), sam[SeqCol] == "*" ? QByteArray() : sam[SeqCol]);
    EXPECT_EQ(feature.value(BamField::Qual).bytes(), sam[QualCol] == "*" ? QByteArray() : sam[QualCol]);
}

class BamSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        const QString sam = m_dir.filePath(QStringLiteral("reads.sam"));
        writeFile(sam, samText());
        m_bam = m_dir.filePath(QStringLiteral("reads.bam"));
        runTool(QStringLiteral("samtools"),
                {QStringLiteral("view"), QStringLiteral("-b"), QStringLiteral("-o"), m_bam, sam});
        runTool(QStringLiteral("samtools"), {QStringLiteral("index"), m_bam});
    }

    VkSourcePtr open(const QString& path) const { return VkSourceTypeRegistry::instance().open(path); }
    QString copyWithoutIndex() const {
        const QString copy = m_dir.filePath(QStringLiteral("unindexed.bam"));
        QFile::copy(m_bam, copy);
        return copy;
    }

    QTemporaryDir m_dir;
    QString m_bam;
};
} // namespace

TEST_F(BamSourceTest, DescribesReadsWithTheFixedSchema) {
    const VkSourcePtr source = open(m_bam);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->typeName(), QStringLiteral("BAM"));
    EXPECT_EQ(SchemaText::write(source->schema()), QByteArray(BamSourceTypeManager::SchemaLine));
    EXPECT_EQ(source->schema()[BamField::MateChr].symbol, QByteArray("MateChr"));
    EXPECT_EQ(source->featureType(), QStringLiteral("Interval"));
    EXPECT_EQ(source->info().locusCount, 8 + 3000);
    EXPECT_EQ(source->info().coordInfo.coordSysId, QStringLiteral("GRCh_37,Chromosome,Homo sapiens"));
    EXPECT_EQ(source->info().properties.value("IndexFile").bytes(), (m_bam + ".bai").toUtf8());
    EXPECT_EQ(source->info().properties.value("SampleNames").stringVector(), QVector<QByteArray>{"sampleA"});

    QString message;
    EXPECT_FALSE(source->manager()->precomputeNeeded(*source, QStringLiteral("GenomicIndex"), &message));
    const VkSourcePtr unindexed = open(copyWithoutIndex());
    EXPECT_EQ(unindexed->info().locusCount, -1);
    EXPECT_TRUE(unindexed->manager()->precomputeNeeded(*unindexed, QStringLiteral("GenomicIndex"), &message));
    EXPECT_EQ(message, QStringLiteral("Computing a BAM Index (BAI) for this source. Please wait..."));
}

TEST_F(BamSourceTest, ReadsEveryPlacedReadAsSamtoolsDoes) {
    const VkFeatureList features = readAll(open(m_bam));
    QList<QList<QByteArray>> expected = samtoolsView(m_bam);
    ASSERT_EQ(expected.last()[QName], QByteArray("unplaced"));
    expected.removeLast();
    ASSERT_EQ(features.size(), expected.size());
    for (int i = 0; i < features.size(); ++i)
        expectSameRead(features[i], expected[i]);

    ReadRequest fromOffset;
    fromOffset.offset = 3000;
    const VkFeatureList tail = readAll(open(m_bam), fromOffset);
    ASSERT_EQ(tail.size(), 8);
    EXPECT_EQ(tail.first(), features[3000]);
}

TEST_F(BamSourceTest, LaysReadsOverTheReference) {
    VkFeatureList features = readRegions(open(m_bam), {VkSegment("chr1", 99, 320)});
    QHash<QByteArray, QByteArray> aligned;
    for (const VkFeature& feature : features)
        aligned.insert(feature.value(BamField::Name).bytes(), feature.value(BamField::Align).bytes());
    EXPECT_EQ(aligned.value("deletion"), QByteArray("ACGTA--ACGTA"));
    EXPECT_EQ(aligned.value("insertion"), QByteArray("ACGTACGT"));
    EXPECT_EQ(aligned.value("clipped"), QByteArray("ACGTACG"));
    EXPECT_EQ(aligned.value("spliced"), QByteArray("ACGTA") + QByteArray(100, '.') + "ACGTA");
    EXPECT_EQ(aligned.value("noseq"), QByteArray());
}

TEST_F(BamSourceTest, RegionReadsAgreeWithSamtoolsWithOrWithoutIndex) {
    const QStringList regions = {QStringLiteral("chr1:101-600"), QStringLiteral("chr1:400-2500"),
                                 QStringLiteral("chr2:9000-9100"), QStringLiteral("chr2:20000-20001")};
    const QList<VkSegment> segments = {VkSegment("chr1", 100, 600), VkSegment("chr1", 399, 2500),
                                       VkSegment("chr2", 8999, 9100), VkSegment("chr2", 19999, 20001),
                                       VkSegment("chrX", 0, 1000)};
    const QList<QList<QByteArray>> expected = samtoolsView(m_bam, regions);
    ASSERT_GT(expected.size(), 20);
    for (const QString& path : {m_bam, copyWithoutIndex()}) {
        const VkFeatureList features = readRegions(open(path), segments);
        ASSERT_EQ(features.size(), expected.size()) << path.toStdString();
        for (int i = 0; i < features.size(); ++i)
            expectSameRead(features[i], expected[i]);
    }
}

TEST_F(BamSourceTest, RegionModesFilterTheOverlappingReads) {
    const VkSegment region("chr1", 119, 300);
    const VkFeatureList overlapping = readRegions(open(m_bam), {region});
    const VkFeatureList within = readRegions(open(m_bam), {region}, Vk::Within);
    const VkFeatureList exact = readRegions(open(m_bam), {VkSegment("chr1", 119, 131)}, Vk::Exact);
    int inside = 0;
    for (const VkFeature& feature : overlapping)
        inside += feature.segment().start() >= 119 && feature.segment().stop() <= 300;
    EXPECT_EQ(within.size(), inside);
    EXPECT_LT(within.size(), overlapping.size());
    ASSERT_EQ(exact.size(), 1);
    EXPECT_EQ(exact[0].value(BamField::Name).bytes(), QByteArray("deletion"));
}

TEST_F(BamSourceTest, ReportsMissingForeignAndDamagedFiles) {
    const QString missing = m_dir.filePath(QStringLiteral("none.bam"));
    EXPECT_EQ(open(missing)->errorText(), missing + QStringLiteral(" does not exist"));

    const QString text = m_dir.filePath(QStringLiteral("text.bam"));
    writeFile(text, "this is not a bam file\n");
    EXPECT_EQ(open(text)->errorText(), text + QStringLiteral(" is not a BAM file"));

    QFile whole(m_bam);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString truncated = m_dir.filePath(QStringLiteral("truncated.bam"));
    writeFile(truncated, bytes.left(bytes.size() / 2));
    const VkSourcePtr source = open(truncated);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    VkFeatureStream stream(source, ReadRequest());
    ASSERT_TRUE(stream.start());
    VkFeatureList batch;
    int read = 0;
    while (stream.next(batch))
        read += batch.size();
    EXPECT_GT(read, 0);
    EXPECT_LT(read, 3008);
    EXPECT_EQ(stream.errorText(), truncated + QStringLiteral(" is damaged: a read cannot be decoded"));
}

TEST_F(BamSourceTest, BuildsTheIndexOfASortedFileOnly) {
    const QString copy = copyWithoutIndex();
    QString error;
    ASSERT_TRUE(BamFile::buildIndex(copy, &error)) << error.toStdString();
    const VkSourcePtr source = open(copy);
    QString message;
    EXPECT_FALSE(source->manager()->precomputeNeeded(*source, QStringLiteral("GenomicIndex"), &message));
    EXPECT_EQ(source->info().locusCount, 3008);

    const QString unsortedSam = m_dir.filePath(QStringLiteral("unsorted.sam"));
    writeFile(unsortedSam, "@SQ\tSN:chr1\tLN:1000\n"
                           "b\t0\tchr1\t500\t60\t4M\t*\t0\t0\tACGT\t*\n"
                           "a\t0\tchr1\t100\t60\t4M\t*\t0\t0\tACGT\t*\n");
    const QString unsorted = m_dir.filePath(QStringLiteral("unsorted.bam"));
    runTool(QStringLiteral("samtools"),
            {QStringLiteral("view"), QStringLiteral("-b"), QStringLiteral("-o"), unsorted, unsortedSam});
    EXPECT_FALSE(BamFile::buildIndex(unsorted, &error));
    EXPECT_EQ(error,
              unsorted +
                  QStringLiteral(" cannot be indexed: its reads are not sorted by position or are damaged"));
}
