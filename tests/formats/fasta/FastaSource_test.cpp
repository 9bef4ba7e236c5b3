#include "formats/fasta/FastaSourceTypeManager.h"
#include "source/reference/ReferenceSequence.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/FormatTestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <htslib/bgzf.h>
#include <zlib.h>

#include <gtest/gtest.h>

using namespace FormatTest;

namespace {
class FastaSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_chr1 = sampleBases(23456, 1);
        m_chr2 = sampleBases(ReferenceSequence::WindowSize, 2);
        m_chrM = QByteArray("GATCACAGGTCTATCAC");
        m_text = fastaRecord("chr1", m_chr1, 60) + fastaRecord("chr2 second chromosome", m_chr2, 50) +
                 fastaRecord("chrM", m_chrM, 80);
        m_path = m_dir.filePath(QStringLiteral("genome.fa"));
        writeFile(m_path, m_text);
    }

    VkSourcePtr open(const QString& path) { return VkSourceTypeRegistry::instance().open(path); }

    QTemporaryDir m_dir;
    QByteArray m_chr1, m_chr2, m_chrM, m_text;
    QString m_path;
};
} // namespace

TEST_F(FastaSourceTest, OpensWithItsSchemaAndBuildsTheIndex) {
    const VkSourcePtr source = open(m_path);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->typeId(), FastaSourceTypeManager::TypeId);
    EXPECT_EQ(source->typeName(), QStringLiteral("FASTA"));
    EXPECT_EQ(source->featureType(), QStringLiteral("Allele Sequence"));
    ASSERT_EQ(source->schema().size(), 1);
    EXPECT_EQ(source->schema()[0].symbol, QByteArray("SEQ"));
    EXPECT_EQ(source->schema()[0].valueType, ValueType::String);
    EXPECT_EQ(source->info().locusCount, 3 + 1 + 1);
    EXPECT_TRUE(QFile::exists(m_path + ".fai"));

    const ReferenceSequence* reference = ReferenceSequence::of(*source);
    ASSERT_NE(reference, nullptr);
    ASSERT_EQ(reference->sequences().size(), 3);
    EXPECT_EQ(reference->sequences()[1].name, QByteArray("chr2"));
    EXPECT_EQ(reference->length("chr1"), m_chr1.size());
}

TEST_F(FastaSourceTest, ReadsEveryWindowInOrderAndTheySpellTheSequences) {
    const VkFeatureList features = readAll(open(m_path));
    ASSERT_EQ(features.size(), 5);
    QByteArray chr1;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(features[i].segment(), VkSegment("chr1", i * 10000, std::min(23456, (i + 1) * 10000)));
        chr1 += features[i].value(0).bytes();
    }
    EXPECT_EQ(chr1, m_chr1);
    EXPECT_EQ(features[3].segment(), VkSegment("chr2", 0, 10000));
    EXPECT_EQ(features[3].value(0).bytes(), m_chr2);
    EXPECT_EQ(features[4].value(0).bytes(), m_chrM);

    ReadRequest fromOffset;
    fromOffset.offset = 2;
    const VkFeatureList tail = readAll(open(m_path), fromOffset);
    ASSERT_EQ(tail.size(), 3);
    EXPECT_EQ(tail[0].segment(), features[2].segment());

    ReadRequest byIds;
    byIds.kind = ReadRequest::Ids;
    byIds.ids = {4, 0, 4, 99};
    const VkFeatureList picked = readAll(open(m_path), byIds);
    ASSERT_EQ(picked.size(), 2);
    EXPECT_EQ(picked[0], features[0]);
    EXPECT_EQ(picked[1], features[4]);
}

TEST_F(FastaSourceTest, RegionBasesAgreeWithSamtoolsFaidx) {
    const VkSourcePtr source = open(m_path);
    const ReferenceSequence* reference = ReferenceSequence::of(*source);
    ASSERT_NE(reference, nullptr);
    struct Region {
        const char* chromosome;
        int start, stop;
    };
    // Line ends, the soft-masked stretch, the N run, window edges and sequence ends.
    const Region regions[] = {{"chr1", 0, 1},        {"chr1", 59, 61},       {"chr1", 4650, 4750},
                              {"chr1", 9990, 10010}, {"chr1", 11700, 12200}, {"chr1", 23400, 23456},
                              {"chr2", 49, 151},     {"chr2", 0, 10000},     {"chrM", 3, 17}};
    for (const Region& r : regions) {
        const QByteArray expected = samtoolsBases(m_path, r.chromosome, r.start, r.stop);
        EXPECT_EQ(reference->bases(r.chromosome, r.start, r.stop), expected)
            << r.chromosome << ":" << r.start;
        EXPECT_EQ(expected.size(), r.stop - r.start);
    }
    EXPECT_EQ(reference->bases("chr1", 4700, 4702), m_chr1.mid(4700, 2));
    EXPECT_EQ(reference->bases("chr1", 4700, 4702).toUpper(), m_chr1.mid(4700, 2).toUpper());
}

TEST_F(FastaSourceTest, BasesAreCutAtSequenceEndsAndChromosomeNamesResolve) {
    const VkSourcePtr source = open(m_path);
    const ReferenceSequence* reference = ReferenceSequence::of(*source);
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(reference->bases("chrM", 10, 1000), m_chrM.mid(10));
    EXPECT_EQ(reference->bases("chrM", -5, 3), m_chrM.left(3));
    EXPECT_EQ(reference->bases("1", 100, 110), m_chr1.mid(100, 10));
    EXPECT_EQ(reference->bases("MT", 0, 4), QByteArray("GATC"));
    QByteArray out;
    QString error;
    EXPECT_FALSE(reference->bases("chr9", 0, 10, &out, &error));
    EXPECT_EQ(error, QStringLiteral("The reference sequence has no chromosome chr9"));
}

TEST_F(FastaSourceTest, RegionReadsReturnTheOverlappingWindows) {
    const VkSourcePtr source = open(m_path);
    const VkFeatureList features =
        readRegions(source, {VkSegment("chr1", 15000, 20001), VkSegment("chr1", 9999, 10000),
                             VkSegment("chrM", 0, 5), VkSegment("1", 0, 100)});
    ASSERT_EQ(features.size(), 4);
    EXPECT_EQ(features[0].segment(), VkSegment("chr1", 0, 10000));
    EXPECT_EQ(features[1].segment(), VkSegment("chr1", 10000, 20000));
    EXPECT_EQ(features[2].segment(), VkSegment("chr1", 20000, 23456));
    EXPECT_EQ(features[3].segment(), VkSegment("chrM", 0, 17));
    EXPECT_EQ(features[2].value(0).bytes(), m_chr1.mid(20000));

    const VkFeatureList within = readRegions(source, {VkSegment("chr1", 0, 20000)}, 4);
    EXPECT_EQ(within.size(), 2);
    EXPECT_TRUE(readRegions(source, {VkSegment("chr1", 23456, 30000)}).isEmpty());
}

TEST_F(FastaSourceTest, ReadsBgzipCompressedFilesThroughTheirIndexes) {
    const QString path = m_dir.filePath(QStringLiteral("genome.fa.gz"));
    BGZF* out = bgzf_open(QFile::encodeName(path).constData(), "w");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(bgzf_write(out, m_text.constData(), m_text.size()), m_text.size());
    ASSERT_EQ(bgzf_close(out), 0);

    const VkSourcePtr source = open(path);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_TRUE(QFile::exists(path + ".fai"));
    EXPECT_TRUE(QFile::exists(path + ".gzi"));
    const ReferenceSequence* reference = ReferenceSequence::of(*source);
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(reference->bases("chr1", 9990, 10010), samtoolsBases(path, "chr1", 9990, 10010));
    EXPECT_EQ(reference->bases("chr2", 0, 10000), m_chr2);
}

TEST_F(FastaSourceTest, RefusesMissingPlainGzipAndMalformedFiles) {
    const QString missing = m_dir.filePath(QStringLiteral("absent.fa"));
    EXPECT_EQ(open(missing)->errorText(), missing + QStringLiteral(" does not exist"));

    const QString gzipPath = m_dir.filePath(QStringLiteral("plain.fa.gz"));
    gzFile gz = gzopen(QFile::encodeName(gzipPath).constData(), "wb");
    ASSERT_NE(gz, nullptr);
    gzwrite(gz, m_text.constData(), unsigned(m_text.size()));
    gzclose(gz);
    const VkSourcePtr gzipped = open(gzipPath);
    EXPECT_FALSE(gzipped->isValid());
    EXPECT_TRUE(gzipped->errorText().contains(QStringLiteral("plain gzip")))
        << gzipped->errorText().toStdString();
    EXPECT_FALSE(QFile::exists(gzipPath + ".fai"));

    // Lines of unequal length inside a sequence cannot be indexed.
    const QString ragged = m_dir.filePath(QStringLiteral("ragged.fa"));
    writeFile(ragged, ">a\nACGT\nAC\nACGTACGT\nA\n");
    const VkSourcePtr raggedSource = open(ragged);
    EXPECT_FALSE(raggedSource->isValid());
    EXPECT_EQ(raggedSource->errorText(),
              ragged + QStringLiteral(" is not a valid FASTA file: its index could not be built"));

    const QString empty = m_dir.filePath(QStringLiteral("empty.fa"));
    writeFile(empty, QByteArray());
    EXPECT_EQ(open(empty)->errorText(), empty + QStringLiteral(" holds no sequences"));
}

TEST_F(FastaSourceTest, RebuildsAnIndexOlderThanTheFile) {
    ASSERT_TRUE(open(m_path)->isValid());
    const QByteArray changed = fastaRecord("other", "ACGTACGTAC", 4);
    QFile fai(m_path + ".fai");
    ASSERT_TRUE(fai.open(QIODevice::ReadWrite));
    fai.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
    fai.close();
    writeFile(m_path, changed);
    const VkSourcePtr source = open(m_path);
    ASSERT_TRUE(source->isValid());
    EXPECT_EQ(ReferenceSequence::of(*source)->bases("other", 0, 10), QByteArray("ACGTACGTAC"));
}

TEST_F(FastaSourceTest, ReadsWindowsLineEndsAndRefusesAnIndexOfAnotherFile) {
    const QString crlf = m_dir.filePath(QStringLiteral("crlf.fa"));
    QByteArray text = fastaRecord("chr1", m_chr1.left(1000), 70);
    text.replace("\n", "\r\n");
    writeFile(crlf, text);
    const VkSourcePtr source = open(crlf);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(ReferenceSequence::of(*source)->bases("chr1", 60, 150), m_chr1.mid(60, 90));

    // An index that promises more bases than the file holds.
    const QString shortFile = m_dir.filePath(QStringLiteral("short.fa"));
    writeFile(shortFile, ">s\nACGT\n");
    writeFile(shortFile + ".fai", "s\t100\t3\t4\t5\n");
    EXPECT_EQ(open(shortFile)->errorText(),
              QStringLiteral("The index %1.fai does not match %1: remove it to have it built again")
                  .arg(shortFile));
}
