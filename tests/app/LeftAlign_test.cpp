#include "formats/vcf/VcfTestSupport.h"
#include "support/Cli.h"
#include "support/FormatTestSupport.h"

#include <QFileInfo>

#include <algorithm>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

using FormatTest::fastaRecord;

namespace {

QByteArray header(const QByteArray& contig) {
    return "##fileformat=VCFv4.2\n##contig=<ID=" + contig +
           ">\n##INFO=<ID=DP,Number=1,Type=Integer,Description=\"Depth\">\n"
           "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
           "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\tS1\n";
}

// "POS REF ALT" of every record of a VCF text, sorted.
QList<QByteArray> alleleLines(const QByteArray& vcf) {
    QList<QByteArray> lines;
    for (const QByteArray& line : vcf.split('\n')) {
        const QList<QByteArray> columns = line.split('\t');
        if (!line.startsWith('#') && columns.size() >= 5)
            lines << columns[1] + ' ' + columns[3] + ' ' + columns[4];
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

QByteArray body(const QByteArray& vcf) {
    QByteArray records;
    for (const QByteArray& line : vcf.split('\n'))
        if (!line.isEmpty() && !line.startsWith("##"))
            records += line + '\n';
    return records;
}

class LeftAlignCommand : public ::testing::Test {
protected:
    void SetUp() override {
        // A run of 20 T after "GC", then a CA repeat.
        FormatTest::writeFile(m_refs.filePath("genome.fa"),
                              fastaRecord("1", "GATTACAGC" + QByteArray(20, 'T') + "GACACACACAGG", 60));
        FormatTest::writeFile(m_input, header("1,length=41") + "1\t25\t.\tTT\tT\t50\tPASS\tDP=3\tGT\t0/1\n"
                                                               "1\t35\t.\tA\tACA\t50\tPASS\tDP=5\tGT\t0/1\n"
                                                               "1\t41\t.\tG\tA\t50\tPASS\tDP=4\tGT\t1/1\n");
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_refs;
    const QString m_input = m_dir.filePath("calls.vcf");
};

TEST_F(LeftAlignCommand, WritesTheAlignedRecordsBesideTheSourceUnlessADestinationIsGiven) {
    const CliResult result = runVarkit({"leftalign", m_input, "--refFolder=" + m_refs.path()});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QString written = m_dir.filePath("calls.leftAligned.vcf");
    EXPECT_EQ(result.out, "Writing left aligned vcf to: " + written.toUtf8() + '\n');
    const QByteArray vcf = readFile(written);
    EXPECT_TRUE(body(vcf).endsWith("1\t9\t.\tCT\tC\t50\tPASS\tDP=3\tGT\t0/1\n"
                                   "1\t30\t.\tG\tGAC\t50\tPASS\tDP=5\tGT\t0/1\n"
                                   "1\t41\t.\tG\tA\t50\tPASS\tDP=4\tGT\t1/1\n"))
        << vcf.toStdString();

    const QString destination = m_dir.filePath("both.vcf");
    const CliResult duplicated =
        runVarkit({"leftalign", m_input, "--refFolder=" + m_refs.path(), destination, "--dup"});
    ASSERT_EQ(duplicated.exitCode, 0) << duplicated.err.toStdString();
    EXPECT_EQ(alleleLines(readFile(destination)),
              (QList<QByteArray>{"25 TT T", "30 G GAC", "35 A ACA", "41 G A", "41 G A", "9 CT C"}));
}

TEST_F(LeftAlignCommand, RefusesMissingArgumentsUnusableSourcesAndFoldersWithoutAReference) {
    const CliResult noFolder = runVarkit({"leftalign", m_input, m_dir.filePath("out.vcf")});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_TRUE(noFolder.out.startsWith("varkit leftalign <source> <destination>"));

    const QString missing = m_dir.filePath("missing.vcf");
    const CliResult invalid = runVarkit({"leftalign", missing, "--refFolder=" + m_refs.path()});
    EXPECT_EQ(invalid.exitCode, 1);
    EXPECT_TRUE(invalid.err.startsWith("\nsource " + missing.toUtf8() + " is not valid:\n"))
        << invalid.err.toStdString();

    const QString bed = m_dir.filePath("regions.bed");
    FormatTest::writeFile(bed, "1\t10\t20\n");
    const CliResult regions = runVarkit({"leftalign", bed, "--refFolder=" + m_refs.path()});
    EXPECT_EQ(regions.exitCode, 1);
    EXPECT_TRUE(regions.err.contains(
        "is not valid for .vcf output\nOnly Variant and Variant Maps can be left aligned"))
        << regions.err.toStdString();

    const QString output = m_dir.filePath("out.vcf");
    const CliResult noReference = runVarkit({"leftalign", m_input, "--refFolder=" + m_dir.path(), output});
    EXPECT_EQ(noReference.exitCode, 1);
    EXPECT_TRUE(noReference.err.contains("No reference sequence (FASTA or 2bit)"))
        << noReference.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(output));
}

// Indels at every offset of the homopolymers and the tandem repeats (units of 2 to 4 bases) of a
// stretch of a real genome: a deletion and an insertion of one unit at each, and a record with both
// at the end of each repeat.
QByteArray repeatIndels(const QByteArray& chromosome, const QByteArray& bases) {
    std::vector<std::tuple<int, QByteArray, QByteArray>> records;
    for (int unit = 1; unit <= 4; ++unit) {
        for (int from = 0; from + unit < bases.size();) {
            int to = from + unit;
            while (to < bases.size() && bases[to] == bases[to - unit])
                ++to;
            if ((to - from) / unit >= (unit == 1 ? 4 : 3) && from > 0) {
                int offset = from + 1;
                for (; offset + unit <= to; ++offset) {
                    records.emplace_back(offset, bases.mid(offset - 1, unit + 1), bases.mid(offset - 1, 1));
                    records.emplace_back(offset, bases.mid(offset - 1, 1),
                                         bases.mid(offset - 1, 1) + bases.mid(offset, unit));
                }
                --offset;
                records.emplace_back(offset, bases.mid(offset - 1, unit + 1),
                                     bases.mid(offset - 1, 1) + ',' + bases.mid(offset - 1, unit + 1) +
                                         bases.mid(offset, unit));
            }
            from = std::max(from + 1, to - unit);
        }
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
    QByteArray vcf = "##fileformat=VCFv4.2\n##contig=<ID=" + chromosome +
                     ",length=" + QByteArray::number(bases.size()) +
                     ">\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n";
    for (const auto& [position, ref, alt] : records)
        vcf += chromosome + '\t' + QByteArray::number(position) + "\t.\t" + ref + '\t' + alt + "\t.\t.\t.\n";
    return vcf;
}

TEST(LeftAlignCorpus, MatchesBcftoolsNormAndVtNormalizeOnIndelsInRealRepeatsAndAlignsToItself) {
    const QString genome = QStringLiteral(VARKIT_CORPUS "/htslib-test/usr/share/htslib-test/test/ce.fa");
    if (!QFileInfo::exists(genome))
        GTEST_SKIP() << "No corpus at " << genome.toStdString();
    if (runProgram("bcftools", {"--version"}).exitCode != 0 || runProgram("vt", {}).exitCode < 0)
        GTEST_SKIP() << "bcftools or vt is not installed";
    QTemporaryDir refs;
    QTemporaryDir dir;
    const QString reference = refs.filePath("ce.fa");
    // 150 kb of C. elegans chromosome I, soft-masked repeats in upper case as bcftools compares them.
    const QByteArray bases = FormatTest::samtoolsBases(genome, "CHROMOSOME_I", 0, 150000).toUpper();
    FormatTest::writeFile(reference, fastaRecord("CHROMOSOME_I", bases, 60));
    FormatTest::runTool("samtools", {"faidx", reference});
    const QString input = dir.filePath("repeats.vcf");
    FormatTest::writeFile(input, repeatIndels("CHROMOSOME_I", bases));

    const QString ours = dir.filePath("ours.vcf");
    const CliResult aligned = runVarkit({"leftalign", input, "--refFolder=" + refs.path(), ours});
    ASSERT_EQ(aligned.exitCode, 0) << aligned.err.toStdString();
    const QList<QByteArray> lines = alleleLines(readFile(ours));
    EXPECT_GT(lines.size(), 20000);
    const ProgramRun bcftools = runProgram("bcftools", {"norm", "-f", reference, input});
    ASSERT_EQ(bcftools.exitCode, 0) << bcftools.err.toStdString();
    EXPECT_TRUE(lines == alleleLines(bcftools.out)) << "differs from bcftools norm";
    const ProgramRun vt = runProgram("vt", {"normalize", "-r", reference, input});
    ASSERT_EQ(vt.exitCode, 0) << vt.err.toStdString();
    EXPECT_TRUE(lines == alleleLines(vt.out)) << "differs from vt normalize";

    const QString again = dir.filePath("again.vcf");
    ASSERT_EQ(runVarkit({"leftalign", ours, "--refFolder=" + refs.path(), again}).exitCode, 0);
    EXPECT_EQ(body(readFile(again)), body(readFile(ours)));
}

} // namespace
