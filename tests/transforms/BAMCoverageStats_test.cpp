// Coverage statistics of BAM files over features: known depths of a hand-made BAM, the figures of
// samtools on real BAMs, and the command that builds the transform.
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/Cli.h"
#include "support/FormatTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace FormatTest;

namespace {

const QString kPysamData =
    QStringLiteral(VARKIT_CORPUS "/python-pysam-tests/usr/share/doc/python-pysam/tests/pysam_data/");

// The statistics of one feature in one BAM file, as the transform gives them.
struct Stats {
    int span = 0;
    float mean = 0;
    bool meanMissing = false;
    int atLeast[4] = {};
    int atTarget = 0;
};

// Reads that exercise every filter and CIGAR operation on chr1 (depths worked out by hand in
// HandMadeDepthsAreCountedAsAligned), piles of 120, 250 and 520 reads on chr2 for the thresholds,
// and one read on chr3 across the point where a long feature is split.
QByteArray handMadeSam() {
    QByteArray sam = "@HD\tVN:1.6\tSO:coordinate\n@SQ\tSN:chr1\tLN:1000\n@SQ\tSN:chr2\tLN:1000\n"
                     "@SQ\tSN:chr3\tLN:3000000\n";
    const char* const chr1[] = {
        "plain\t0\tchr1\t11\t60\t10M\t*\t0\t0\t*\t*",
        "supplementary\t2048\tchr1\t11\t60\t5M\t*\t0\t0\t*\t*",
        "deletion\t0\tchr1\t16\t60\t5M3D5M\t*\t0\t0\t*\t*",
        "duplicate\t1024\tchr1\t16\t60\t10M\t*\t0\t0\t*\t*",
        "secondary\t256\tchr1\t16\t60\t10M\t*\t0\t0\t*\t*",
        "qcfail\t512\tchr1\t16\t60\t10M\t*\t0\t0\t*\t*",
        "unmapped\t4\tchr1\t16\t0\t*\t*\t0\t0\tACGT\t*",
        "insertion\t0\tchr1\t16\t60\t4M2I4M\t*\t0\t0\t*\t*",
        "spliced\t0\tchr1\t21\t60\t3M100N3M\t*\t0\t0\t*\t*",
    };
    for (const char* read : chr1)
        sam += QByteArray(read) + '\n';
    const std::pair<int, int> piles[] = {{101, 120}, {111, 250}, {121, 520}};
    for (const auto& [position, copies] : piles)
        for (int i = 0; i < copies; ++i)
            sam += "pile" + QByteArray::number(position) + "_" + QByteArray::number(i) + "\t0\tchr2\t" +
                   QByteArray::number(position) + "\t60\t10M\t*\t0\t0\t*\t*\n";
    sam += "boundary\t0\tchr3\t1048571\t60\t20M\t*\t0\t0\t*\t*\n";
    return sam;
}

QString coverageUrl(const QString& input, const QStringList& bams, int targetDepth) {
    return QStringLiteral(R"(transform://BAMCoverageStatsTransform/json/ {"fields":{"sourceUrl":"%1",)"
                          R"("bamFiles":["%2"],"targetDepth":%3}})")
        .arg(input, bams.join(QStringLiteral("\",\"")))
        .arg(targetDepth);
}

class CoverageStatsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    // An indexed BAM file of the SAM text.
    QString bamOf(const QByteArray& sam, const QString& name) {
        const QString samPath = m_dir.filePath(name + QStringLiteral(".sam"));
        writeFile(samPath, sam);
        const QString bam = m_dir.filePath(name + QStringLiteral(".bam"));
        runTool(QStringLiteral("samtools"),
                {QStringLiteral("view"), QStringLiteral("-b"), QStringLiteral("-o"), bam, samPath});
        runTool(QStringLiteral("samtools"), {QStringLiteral("index"), bam});
        return bam;
    }
    QString bedOf(const QByteArray& regions) {
        const QString bed = m_dir.filePath(QStringLiteral("regions%1.bed").arg(++m_files));
        writeFile(bed, regions);
        return bed;
    }

    // The statistics of every feature of the BED file in one BAM file.
    QVector<Stats> measure(const QString& bed, const QString& bam, int targetDepth) {
        const VkSourcePtr source =
            VkSourceTypeRegistry::instance().open(coverageUrl(bed, {bam}, targetDepth));
        if (!source->isValid()) {
            ADD_FAILURE() << source->errorText().toStdString();
            return {};
        }
        const int span = source->info().fieldIndex("FEATURE_SPAN");
        QVector<Stats> rows;
        for (const VkFeature& feature : readAll(source)) {
            Stats stats;
            stats.span = feature.value(span).intValue();
            stats.mean = feature.value(span + 1).floatValue();
            stats.meanMissing = feature.value(span + 1).isMissing();
            for (int t = 0; t < 4; ++t)
                stats.atLeast[t] = feature.value(span + 2 + t).intValue();
            stats.atTarget = feature.value(span + 6).intValue();
            rows << stats;
        }
        return rows;
    }

    QTemporaryDir m_dir;
    int m_files = 0;
};

TEST_F(CoverageStatsTest, HandMadeDepthsAreCountedAsAligned) {
    const QString bam = bamOf(handMadeSam(), QStringLiteral("hand"));
    // chr1 [10,30): 10-14 plain+supplementary (2), 15-19 plain+deletion+insertion (3), 20-22 insertion's
    // second block and spliced (2; the deletion's bases do not count), 23-27 deletion (1), 28-29 none.
    const QString bed = bedOf("chr1\t10\t30\n1\t25\t26\nchr1\t22\t22\nchr2\t95\t135\nchrUn\t0\t10\n"
                              "chr3\t0\t2000000\n");
    const QVector<Stats> rows = measure(bed, bam, 3);
    ASSERT_EQ(rows.size(), 6);
    const Stats& chr1 = rows[0];
    EXPECT_EQ(chr1.span, 20);
    EXPECT_FLOAT_EQ(chr1.mean, 36.0f / 20);
    EXPECT_EQ(chr1.atLeast[0], 18);
    EXPECT_EQ(chr1.atLeast[1], 0);
    EXPECT_EQ(chr1.atTarget, 5);
    // A chromosome named without "chr" finds the file's "chr1".
    EXPECT_FLOAT_EQ(rows[1].mean, 1.0f);
    // A zero-length feature covers no base.
    EXPECT_EQ(rows[2].span, 0);
    EXPECT_TRUE(rows[2].meanMissing);
    // chr2 [95,135): 10 bases at 120 reads, 10 at 250, 10 at 520.
    const Stats& piles = rows[3];
    EXPECT_FLOAT_EQ(piles.mean, (1200 + 2500 + 5200) / 40.0f);
    EXPECT_EQ(QVector<int>(piles.atLeast, piles.atLeast + 4), QVector<int>({30, 30, 20, 10}));
    EXPECT_EQ(piles.atTarget, 30);
    // A chromosome the file lacks has no reads.
    EXPECT_EQ(rows[4].span, 10);
    EXPECT_FLOAT_EQ(rows[4].mean, 0.0f);
    // A feature measured in windows counts the read across a window's end once.
    EXPECT_FLOAT_EQ(rows[5].mean, 20.0f / 2000000);
    EXPECT_EQ(rows[5].atLeast[0], 20);
}

// Sorted, non-overlapping regions over the parts of each chromosome that hold reads, and some beyond.
QByteArray regionsOver(const QString& bam) {
    QHash<QByteArray, QPair<int, int>> extents;
    QList<QByteArray> order;
    for (const QByteArray& line :
         runTool(QStringLiteral("samtools"), {QStringLiteral("view"), bam}).split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() < 4 || fields[2] == "*")
            continue;
        const int position = fields[3].toInt();
        if (!extents.contains(fields[2])) {
            order << fields[2];
            extents[fields[2]] = {position, position};
        }
        extents[fields[2]].second = position;
    }
    QByteArray bed;
    uint32_t state = 11;
    const auto next = [&state](uint32_t bound) {
        state = state * 1664525u + 1013904223u;
        return int((state >> 8) % bound);
    };
    for (const QByteArray& chromosome : qAsConst(order)) {
        const auto [first, last] = extents[chromosome];
        for (int start = std::max(0, first - 150); start < last + 300; start += next(40)) {
            const int stop = start + 1 + next(120);
            bed += chromosome + '\t' + QByteArray::number(start) + '\t' + QByteArray::number(stop) + '\n';
            start = stop;
        }
    }
    return bed;
}

// Per region: the depth sum and the bases at or above the depth, from samtools bedcov without
// deleted and skipped bases (-j) and its default filter (UNMAP,SECONDARY,QCFAIL,DUP).
QList<QPair<qint64, int>> bedcov(const QString& bed, const QString& bam, int depth) {
    QList<QPair<qint64, int>> rows;
    const QByteArray text =
        runTool(QStringLiteral("samtools"), {QStringLiteral("bedcov"), QStringLiteral("-j"),
                                             QStringLiteral("-d"), QString::number(depth), bed, bam});
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 5)
            rows << qMakePair(fields[3].toLongLong(), fields[4].toInt());
    }
    return rows;
}

// The depth of every base of the regions, from samtools depth -a with the same filter; each
// chromosome is bounded by -r, as -a alone walks all of it.
QHash<QPair<QByteArray, int>, int> depths(const QString& bed, const QList<QByteArray>& regions,
                                          const QString& bam) {
    QMap<QByteArray, QPair<int, int>> extents;
    for (const QByteArray& region : regions) {
        const QList<QByteArray> fields = region.split('\t');
        const int start = fields[1].toInt();
        const int stop = fields[2].toInt();
        if (!extents.contains(fields[0]))
            extents.insert(fields[0], qMakePair(start, stop));
        QPair<int, int>& extent = extents[fields[0]];
        extent = qMakePair(std::min(extent.first, start), std::max(extent.second, stop));
    }
    QHash<QPair<QByteArray, int>, int> result;
    for (auto extent = extents.constBegin(); extent != extents.constEnd(); ++extent) {
        const QString range = QStringLiteral("%1:%2-%3")
                                  .arg(QString::fromUtf8(extent.key()))
                                  .arg(extent->first + 1)
                                  .arg(extent->second);
        const QByteArray text = runTool(QStringLiteral("samtools"),
                                        {QStringLiteral("depth"), QStringLiteral("-a"), QStringLiteral("-r"),
                                         range, QStringLiteral("-b"), bed, bam});
        for (const QByteArray& line : text.split('\n')) {
            const QList<QByteArray> fields = line.split('\t');
            if (fields.size() == 3)
                result.insert(qMakePair(fields[0], fields[1].toInt() - 1), fields[2].toInt());
        }
    }
    return result;
}

TEST_F(CoverageStatsTest, RealBamsGiveTheFiguresOfSamtools) {
    const QStringList corpus = {
        "ex1.bam.gz", "ex_spliced.bam.gz",        "example_aligned_pairs.bam.gz",  "softclip.bam",
        "ex10.bam",   "test_mapped_unmapped.bam", "example_reverse_complement.bam"};
    if (!QFileInfo::exists(kPysamData + corpus.first()))
        GTEST_SKIP() << "no corpus: scripts/fetch-corpus.sh fetches it";
    constexpr int kTarget = 5;
    for (const QString& name : corpus) {
        SCOPED_TRACE(name.toStdString());
        // The package ships some BAM files gzip-compressed once more.
        const QString reads = (name.endsWith(QLatin1String(".gz")) ? "zcat '" : "cat '") + kPysamData + name +
                              "' | samtools view -h -";
        const QString bam =
            bamOf(runTool(QStringLiteral("sh"), {QStringLiteral("-c"), reads}), QFileInfo(name).baseName());
        const QString bed = bedOf(regionsOver(bam));
        const QVector<Stats> rows = measure(bed, bam, kTarget);
        const QList<QPair<qint64, int>> atTarget = bedcov(bed, bam, kTarget);
        const QList<QByteArray> regions = regionsOver(bam).trimmed().split('\n');
        const QHash<QPair<QByteArray, int>, int> depth = depths(bed, regions, bam);
        ASSERT_EQ(rows.size(), regions.size());
        ASSERT_EQ(atTarget.size(), regions.size());
        for (int i = 0; i < rows.size(); ++i) {
            const QList<QByteArray> region = regions[i].split('\t');
            const int start = region[1].toInt();
            const int stop = region[2].toInt();
            const Stats& stats = rows[i];
            EXPECT_EQ(stats.span, stop - start);
            EXPECT_NEAR(stats.mean, double(atTarget[i].first) / (stop - start), 1e-4)
                << regions[i].constData();
            EXPECT_EQ(stats.atTarget, atTarget[i].second) << regions[i].constData();
            constexpr int kThresholds[] = {1, 100, 200, 500};
            int atLeast[4] = {};
            for (int base = start; base < stop; ++base)
                for (int t = 0; t < 4; ++t)
                    atLeast[t] += depth.value(qMakePair(region[0], base)) >= kThresholds[t];
            EXPECT_EQ(QVector<int>(stats.atLeast, stats.atLeast + 4), QVector<int>(atLeast, atLeast + 4))
                << regions[i].constData();
        }
    }
}

TEST_F(CoverageStatsTest, CommandBuildsTheTransformOverSeveralFiles) {
    const QString bam = bamOf(handMadeSam(), QStringLiteral("hand"));
    QDir().mkpath(m_dir.filePath(QStringLiteral("again")));
    const QString copy = m_dir.filePath(QStringLiteral("again/hand.bam"));
    QFile::copy(bam, copy);
    QFile::copy(bam + QStringLiteral(".bai"), copy + QStringLiteral(".bai"));
    const QString bed = bedOf("chr1\t10\t30\n");

    const CliResult built =
        runVarkit({"transform", "coveragestats", bed, "--targetDepth=2", "--reference", bam, copy, "--url"});
    ASSERT_EQ(built.exitCode, 0) << built.err.toStdString();
    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(QString::fromUtf8(built.out.trimmed()));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    QByteArrayList symbols;
    for (const VkField& field : source->schema())
        symbols << field.symbol;
    // Two files of one name are told apart.
    EXPECT_EQ(symbols.mid(symbols.indexOf("FEATURE_SPAN")),
              QByteArrayList({"FEATURE_SPAN", "hand_MEAN_DEPTH", "hand_BASES_1X", "hand_BASES_100X",
                              "hand_BASES_200X", "hand_BASES_500X", "hand_BASES_TARGET", "hand_2_MEAN_DEPTH",
                              "hand_2_BASES_1X", "hand_2_BASES_100X", "hand_2_BASES_200X",
                              "hand_2_BASES_500X", "hand_2_BASES_TARGET"}));
    const VkFeatureList features = readAll(source);
    ASSERT_EQ(features.size(), 1);
    EXPECT_EQ(features[0].value(source->info().fieldIndex("hand_2_BASES_TARGET")).intValue(), 13);

    const QString unindexed = m_dir.filePath(QStringLiteral("unindexed.bam"));
    QFile::copy(bam, unindexed);
    const CliResult noIndex =
        runVarkit({"transform", "coveragestats", bed, "--reference", unindexed, "--url"});
    EXPECT_EQ(noIndex.exitCode, 1);
    EXPECT_TRUE(noIndex.err.contains("unindexed.bam has no index")) << noIndex.err.toStdString();
    const CliResult noBam = runVarkit({"transform", "coveragestats", bed, "--url"});
    EXPECT_EQ(noBam.exitCode, 1);
    EXPECT_EQ(noBam.err, "No BAM file was given to read the coverage from\n");
}

} // namespace
