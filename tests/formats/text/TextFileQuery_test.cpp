#include "formats/text/TextFileReader.h"
#include "formats/text/TextTestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <htslib/bgzf.h>
#include <htslib/kstring.h>

#include <climits>
#include <cstdlib>
#include <random>

using TextFile::Reader;

namespace {

const QString Examples = QStringLiteral(VARKIT_EXAMPLES);

// A tabix-indexed VCF of many BGZF blocks on chromosomes 20 and 21, with deletions that reach into
// the regions before them.
class TextFileQuery : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new QTemporaryDir;
        s_path = s_dir->filePath("many.vcf.gz");
        QByteArray vcf = "##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n";
        std::mt19937 random(7);
        for (const char* chromosome : {"20", "21"}) {
            int position = 1;
            for (int i = 0; i < 15000; ++i) {
                position += 1 + static_cast<int>(random() % 40);
                const QByteArray ref = random() % 10 == 0 ? "ACGTACGTACGTACGTACGT" : "A";
                vcf += QByteArray(chromosome) + '\t' + QByteArray::number(position) + "\t.\t" + ref +
                       "\tG\t50\tPASS\tNOTE=" + QByteArray(static_cast<int>(random() % 120), 'n') + '\n';
            }
        }
        ASSERT_TRUE(writeBgzf(s_path, {vcf}));
        ASSERT_TRUE(buildVcfIndex(s_path));
    }
    static void TearDownTestSuite() { delete s_dir; }

    // The lines of [start, stop) on chromosome, 0-based, as Query gives them.
    static QList<QByteArray> query(const QString& path, const QByteArray& chromosome, int start, int stop,
                                   int threads = 0) {
        Reader reader;
        reader.setDecompressionThreads(threads);
        EXPECT_TRUE(reader.openTabix(path, path + ".tbi"));
        EXPECT_TRUE(reader.startQuery(chromosome, start, stop));
        const QList<QByteArray> lines = readLines(reader);
        EXPECT_FALSE(reader.hasError()) << reader.errorText().toStdString();
        return lines;
    }

    // The same region as tabix prints it (1-based, inclusive).
    static QList<QByteArray> tabix(const QString& path, const QByteArray& chromosome, int start, int stop) {
        const QString region = QStringLiteral("%1:%2-%3").arg(QString(chromosome)).arg(start + 1).arg(stop);
        return splitLines(runTool("tabix", {path, region}));
    }

    static QTemporaryDir* s_dir;
    static QString s_path;
};

QTemporaryDir* TextFileQuery::s_dir = nullptr;
QString TextFileQuery::s_path;

TEST_F(TextFileQuery, RegionsOfTheExampleMatchTabix) {
    const QString gz = Examples + "/example.vcf.gz";
    struct Region {
        QByteArray chromosome;
        int start, stop;
    };
    for (const Region& r : {Region{"20", 0, 70000}, Region{"20", 1000000, 2000000}, Region{"21", 0, 48129895},
                            Region{"20", 61097, 61098}, Region{"20", 61098, 61099}}) {
        const QList<QByteArray> expected = tabix(gz, r.chromosome, r.start, r.stop);
        EXPECT_EQ(query(gz, r.chromosome, r.start, r.stop), expected)
            << r.chromosome.toStdString() << ':' << r.start;
    }
    EXPECT_EQ(query(gz, "20", 0, 70000).size(), 2);
}

TEST_F(TextFileQuery, RegionsOverManyBlocksMatchTabixWithAndWithoutThreads) {
    for (int threads : {0, 2}) {
        for (int start : {0, 1000, 123457, 300000}) {
            for (const QByteArray chromosome : {"20", "21"}) {
                const int stop = start + 50000;
                const QList<QByteArray> expected = tabix(s_path, chromosome, start, stop);
                ASSERT_FALSE(expected.isEmpty());
                EXPECT_EQ(query(s_path, chromosome, start, stop, threads), expected)
                    << chromosome.toStdString() << ':' << start << " threads " << threads;
            }
        }
    }
    EXPECT_EQ(query(s_path, "21", 0, INT_MAX).size(), 15000);
}

TEST_F(TextFileQuery, AnUnknownChromosomeYieldsNoLines) {
    EXPECT_TRUE(query(s_path, "X", 0, INT_MAX).isEmpty());
    EXPECT_TRUE(query(s_path, "chr20", 0, INT_MAX).isEmpty());
}

TEST_F(TextFileQuery, StaysDoneOnceTheRegionIsExhausted) {
    Reader reader;
    ASSERT_TRUE(reader.openTabix(s_path, s_path + ".tbi"));
    ASSERT_TRUE(reader.startQuery("20", 0, 2000));
    EXPECT_FALSE(readLines(reader).isEmpty());
    int length = 0;
    EXPECT_EQ(reader.nextLine(&length), nullptr);
    EXPECT_FALSE(reader.hasError());
    // A whole read after a query starts again from the first line.
    ASSERT_TRUE(reader.startRead());
    const QList<QByteArray> all = readLines(reader);
    ASSERT_EQ(all.size(), 30002);
    EXPECT_EQ(all.first(), "##fileformat=VCFv4.2");
}

TEST_F(TextFileQuery, PositionsLeadBackToTheQueriedLines) {
    Reader reader;
    ASSERT_TRUE(reader.openTabix(s_path, s_path + ".tbi"));
    ASSERT_TRUE(reader.startQuery("21", 200000, 400000));
    QList<qint64> positions;
    const QList<QByteArray> lines = readLines(reader, &positions);
    ASSERT_GT(lines.size(), 100);
    BGZF* file = bgzf_open(s_path.toLocal8Bit().constData(), "r");
    kstring_t line{0, 0, nullptr};
    for (int i = 0; i < lines.size(); ++i) {
        ASSERT_EQ(bgzf_seek(file, positions[i], SEEK_SET), 0);
        ASSERT_GE(bgzf_getline(file, '\n', &line), 0);
        ASSERT_EQ(QByteArray(line.s, static_cast<int>(line.l)), lines[i]) << i;
    }
    free(line.s);
    bgzf_close(file);
}

} // namespace
