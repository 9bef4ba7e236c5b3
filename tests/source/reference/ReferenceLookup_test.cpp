#include "source/registry/LocalSourceWatcher.h"
#include "source/reference/ReferenceLookup.h"
#include "source/reference/ReferenceSequence.h"
#include "support/FormatTestSupport.h"
#include "support/TwoBitWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace FormatTest;

namespace {
const QString Build37 = QStringLiteral("GRCh_37,Chromosome,Homo sapiens");
const QString Build38 = QStringLiteral("GRCh_38,Chromosome,Homo sapiens");

QString fileNameOf(const VkSourcePtr& source) {
    return source ? QFileInfo(source->path()).fileName() : QString();
}

class ReferenceLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_explicit.isValid() && m_watched.isValid());
        // Watchers are process-wide: leave none pointing at these folders after the test.
        LocalSourceWatcher::open(QStringLiteral("auto"), m_watched.path());
    }
    void TearDown() override { LocalSourceWatcher::open(QStringLiteral("auto"), QString()); }

    // A reference whose chromosome "chr1" starts with the given bases.
    void writeFasta(const QTemporaryDir& dir, const char* name, const QByteArray& bases) {
        writeFile(dir.filePath(QLatin1String(name)), fastaRecord("chr1", bases, 60));
    }

    QTemporaryDir m_explicit;
    QTemporaryDir m_watched;
};
} // namespace

TEST(ReferenceSequenceNames, NameTheBuildOfUsualFileNames) {
    EXPECT_EQ(ReferenceSequence::coordSysIdForName(QStringLiteral("hg19.fa")), Build37);
    EXPECT_EQ(ReferenceSequence::coordSysIdForName(QStringLiteral("human_g1k_v37.fasta")), Build37);
    EXPECT_EQ(ReferenceSequence::coordSysIdForName(QStringLiteral("Homo_sapiens.GRCh37.dna.fa.gz")), Build37);
    EXPECT_EQ(ReferenceSequence::coordSysIdForName(QStringLiteral("GRCh38.p13.2bit")), Build38);
    EXPECT_EQ(ReferenceSequence::coordSysIdForName(QStringLiteral("HG38.2bit")), Build38);
    EXPECT_TRUE(ReferenceSequence::coordSysIdForName(QStringLiteral("lib37.fa")).isEmpty());
    EXPECT_TRUE(ReferenceSequence::coordSysIdForName(QStringLiteral("genome.fa")).isEmpty());
}

TEST_F(ReferenceLookupTest, PrefersTheWantedBuildAndNeverTakesAnother) {
    writeFasta(m_explicit, "genome.fa", "ACGT");
    writeFasta(m_explicit, "hg38.fa", "GGGG");
    const QString folder = m_explicit.path();
    EXPECT_EQ(fileNameOf(ReferenceLookup::find(Build38, folder)), QStringLiteral("hg38.fa"));
    EXPECT_EQ(fileNameOf(ReferenceLookup::find(Build37, folder)), QStringLiteral("genome.fa"));
    EXPECT_EQ(fileNameOf(ReferenceLookup::find(QString(), folder)), QStringLiteral("genome.fa"));

    QFile::remove(m_explicit.filePath(QStringLiteral("genome.fa")));
    EXPECT_TRUE(ReferenceLookup::find(Build37, folder).isNull());
}

TEST_F(ReferenceLookupTest, SearchesTheGivenFolderBeforeTheWatchedOnes) {
    writeFile(m_watched.filePath(QStringLiteral("hg19.2bit")),
              TwoBitWriter::fromFasta(fastaRecord("chr1", "TTTT", 2)));
    writeFasta(m_explicit, "mine.fa", "CCCC");

    const VkSourcePtr given = ReferenceLookup::find(Build37, m_explicit.path());
    ASSERT_FALSE(given.isNull());
    EXPECT_EQ(ReferenceSequence::of(*given)->bases("chr1", 0, 4), QByteArray("CCCC"));

    const VkSourcePtr watched = ReferenceLookup::find(Build37);
    ASSERT_FALSE(watched.isNull());
    EXPECT_EQ(fileNameOf(watched), QStringLiteral("hg19.2bit"));
    EXPECT_EQ(ReferenceSequence::of(*watched)->bases("1", 1, 3), QByteArray("TT"));

    VkSourceInfo variants;
    variants.coordInfo.coordSysId = Build37;
    EXPECT_EQ(fileNameOf(ReferenceLookup::findFor(variants)), QStringLiteral("hg19.2bit"));
    EXPECT_EQ(ReferenceLookup::searchPaths(m_explicit.path()).first(), QDir::cleanPath(m_explicit.path()));
}

TEST_F(ReferenceLookupTest, TakesAReferenceFileGivenInsteadOfAFolder) {
    writeFasta(m_explicit, "a.fa", "AAAA");
    const QString twoBit = m_explicit.filePath(QStringLiteral("z.2bit"));
    writeFile(twoBit, TwoBitWriter::fromFasta(fastaRecord("chr1", "GATTACA", 3)));
    const VkSourcePtr source = ReferenceLookup::find(QString(), twoBit);
    ASSERT_FALSE(source.isNull());
    EXPECT_EQ(ReferenceSequence::of(*source)->bases("chr1", 0, 7), QByteArray("GATTACA"));
}

TEST_F(ReferenceLookupTest, SkipsFilesThatAreNoUsableReference) {
    writeFile(m_explicit.filePath(QStringLiteral("a.2bit")), QByteArray("damaged"));
    writeFile(m_explicit.filePath(QStringLiteral("b.vcf")), QByteArray("##fileformat=VCFv4.2\n"));
    EXPECT_TRUE(ReferenceLookup::find(QString(), m_explicit.path()).isNull());
    writeFasta(m_explicit, "c.fa", "ACGT");
    EXPECT_EQ(fileNameOf(ReferenceLookup::find(QString(), m_explicit.path())), QStringLiteral("c.fa"));
}
