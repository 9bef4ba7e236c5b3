#include "formats/twobit/TwoBitSourceTypeManager.h"
#include "source/reference/ReferenceSequence.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/FormatTestSupport.h"
#include "support/TwoBitWriter.h"

#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace FormatTest;

namespace {
VkSourcePtr open(const QString& path) {
    return VkSourceTypeRegistry::instance().open(path);
}

// One sequence "s" of 6 bases written by hand: T C A G, a soft-masked A and a masked N.
QByteArray handWritten(bool bigEndian) {
    const quint32 words[] = {0x1A412743, 0, 1, 0};
    const quint32 record[] = {6, 1, 5, 1, 1, 4, 2, 0};
    QByteArray out;
    auto put = [&](quint32 word) {
        const quint32 stored = bigEndian ? qToBigEndian(word) : qToLittleEndian(word);
        out.append(reinterpret_cast<const char*>(&stored), 4);
    };
    for (quint32 word : words)
        put(word);
    out.append(char(1)).append('s');
    put(16 + 2 + 4);
    for (quint32 word : record)
        put(word);
    out.append(char(0x1B)).append(char(0x80));
    return out;
}

class TwoBitSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_chr1 = sampleBases(23456, 11);
        m_chr2 = sampleBases(777, 12);
        m_fasta = m_dir.filePath(QStringLiteral("genome.fa"));
        m_twoBit = m_dir.filePath(QStringLiteral("genome.2bit"));
        const QByteArray text = fastaRecord("chr1", m_chr1, 60) + fastaRecord("chr2", m_chr2, 70) +
                                fastaRecord("chrM", "gatcNNNNacagGTCTATCAC", 5);
        writeFile(m_fasta, text);
        writeFile(m_twoBit, TwoBitWriter::fromFasta(text));
    }

    QTemporaryDir m_dir;
    QByteArray m_chr1, m_chr2;
    QString m_fasta, m_twoBit;
};
} // namespace

TEST_F(TwoBitSourceTest, ReadsAHandWrittenFileInEitherByteOrder) {
    for (bool bigEndian : {false, true}) {
        const QString path =
            m_dir.filePath(bigEndian ? QStringLiteral("be.2bit") : QStringLiteral("le.2bit"));
        writeFile(path, handWritten(bigEndian));
        const VkSourcePtr source = open(path);
        ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
        const ReferenceSequence* reference = ReferenceSequence::of(*source);
        ASSERT_NE(reference, nullptr);
        EXPECT_EQ(reference->bases("s", 0, 6), QByteArray("TCAGan")) << bigEndian;
        EXPECT_EQ(reference->bases("s", 3, 5), QByteArray("Ga"));
    }
}

TEST_F(TwoBitSourceTest, OpensWithTheSchemaOfAReference) {
    const VkSourcePtr source = open(m_twoBit);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->typeId(), TwoBitSourceTypeManager::TypeId);
    EXPECT_EQ(source->typeName(), QStringLiteral("2bit"));
    EXPECT_EQ(source->featureType(), QStringLiteral("Allele Sequence"));
    EXPECT_EQ(source->schema().first().symbol, QByteArray("SEQ"));
    EXPECT_EQ(source->info().locusCount, 3 + 1 + 1);
}

TEST_F(TwoBitSourceTest, BasesAgreeWithSamtoolsOnTheSameFasta) {
    const VkSourcePtr source = open(m_twoBit);
    const ReferenceSequence* reference = ReferenceSequence::of(*source);
    ASSERT_NE(reference, nullptr);
    struct Region {
        const char* chromosome;
        int start, stop;
    };
    // Inside, across and at the edges of the soft-masked stretch and of the N run.
    const Region regions[] = {{"chr1", 0, 9},         {"chr1", 4685, 4700},   {"chr1", 4690, 5300},
                              {"chr1", 5285, 5300},   {"chr1", 11700, 11729}, {"chr1", 12227, 12230},
                              {"chr1", 11000, 13000}, {"chr1", 23453, 23456}, {"chr2", 0, 777},
                              {"chrM", 0, 21},        {"chrM", 3, 9}};
    for (const Region& r : regions)
        EXPECT_EQ(reference->bases(r.chromosome, r.start, r.stop),
                  samtoolsBases(m_fasta, r.chromosome, r.start, r.stop))
            << r.chromosome << ":" << r.start << "-" << r.stop;
}

TEST_F(TwoBitSourceTest, ReadsTheSameWindowsAsTheFasta) {
    const VkFeatureList fromTwoBit = readAll(open(m_twoBit));
    const VkFeatureList fromFasta = readAll(open(m_fasta));
    ASSERT_EQ(fromTwoBit.size(), 5);
    EXPECT_EQ(fromTwoBit, fromFasta);
    const VkFeatureList region = readRegions(open(m_twoBit), {VkSegment("chr2", 700, 701)});
    ASSERT_EQ(region.size(), 1);
    EXPECT_EQ(region[0].value(0).bytes(), m_chr2);
}

TEST_F(TwoBitSourceTest, RefusesMissingAndDamagedFiles) {
    const QString missing = m_dir.filePath(QStringLiteral("none.2bit"));
    EXPECT_EQ(open(missing)->errorText(), missing + QStringLiteral(" does not exist"));

    const QByteArray good = handWritten(false);
    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } damaged[] = {
        {"empty.2bit", QByteArray(), "it cannot be read"},
        {"text.2bit", QByteArray("not a 2bit file at all"), "its signature is missing"},
        {"index.2bit", good.left(18), "its index is cut short"},
        {"record.2bit", good.left(30), "a sequence record lies outside the file"},
        {"bases.2bit", good.left(good.size() - 1), "the bases of a sequence lie outside the file"},
    };
    for (const auto& file : damaged) {
        const QString path = m_dir.filePath(QString::fromLatin1(file.name));
        writeFile(path, file.bytes);
        EXPECT_EQ(open(path)->errorText(),
                  QStringLiteral("%1 is not a valid 2bit file: %2").arg(path, QLatin1String(file.reason)));
    }
}
