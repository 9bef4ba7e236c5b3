// annotate transcript through the CLI: hand-worked consequences on a transcript of each strand
// from GTF and BED12, the TSF it writes, its failures, and its classes against bcftools csq on a
// generated genome.
#include "support/Cli.h"
#include "support/FormatTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kDataScript = QStringLiteral(VARKIT_TEST_DATA "/../../bench/make-transcript-data.py");
const QString kCompareScript = QStringLiteral(VARKIT_TEST_DATA "/../../bench/compare-transcript-csq.py");

QByteArray reverseComplement(const QByteArray& bases) {
    QByteArray out;
    for (int i = bases.size() - 1; i >= 0; --i)
        out += QByteArray("TGCA").at(QByteArray("ACGT").indexOf(bases.at(i)));
    return out;
}

// T1 on the forward strand at the start of chr1: 5' UTR GC, ATG AAA TG | intron GTAAGTCTAG |
// G CTT GGT TAA, 3' UTR CCGCC (M K W L G *). T2, the same transcript on the reverse strand, 12,050
// bases on.
const QByteArray kLocus = "TTTTTGCATGAAATGGTAAGTCTAGGCTTGGTTAACCGCCTTTTTTTTTT";
const int kMirror = 12050;

class AnnotateTranscriptCommand : public ::testing::Test {
protected:
    void SetUp() override {
        FormatTest::writeFile(
            path("genome.fa"),
            FormatTest::fastaRecord(
                "chr1", kLocus + QByteArray("ACGT").repeated(3000) + reverseComplement(kLocus), 60));
        FormatTest::writeFile(path("tx.gtf"),
                              gtfLines("T1", "G1", "+", 0) + gtfLines("T2", "G2", "-", kMirror));
        FormatTest::writeFile(path("tx.bed"),
                              "chr1\t5\t40\tT1\t0\t+\t7\t35\t0\t2\t10,15\t0,20\n"
                              "chr1\t12060\t12095\tT2\t0\t-\t12065\t12093\t0\t2\t15,10\t0,25\n");
        FormatTest::writeFile(path("calls.vcf"), "##fileformat=VCFv4.2\n##contig=<ID=chr1,length=12100>\n"
                                                 "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n"
                                                 "chr1\t6\t.\tG\tT\t.\tPASS\t.\n"
                                                 "chr1\t10\t.\tGA\tG\t.\tPASS\t.\n"
                                                 "chr1\t13\t.\tA\tAAAA\t.\tPASS\t.\n"
                                                 "chr1\t17\t.\tT\tC\t.\tPASS\t.\n"
                                                 "chr1\t27\t.\tC\tA,T\t.\tPASS\t.\n"
                                                 "chr1\t6000\t.\tC\tG\t.\tPASS\t.\n"
                                                 "chr1\t12084\t.\tA\tG\t.\tPASS\t.\n"
                                                 "chr1\t12086\t.\tC\tT\t.\tPASS\t.\n");
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Exons [5,15) and [25,40) of the locus, coding [7,32) and the stop codon [32,35), mirrored
    // onto the reverse strand at offset mirror when the strand is "-".
    static QByteArray gtfLines(const QByteArray& id, const QByteArray& gene, const QByteArray& strand,
                               int mirror) {
        const QList<QPair<QByteArray, QPair<int, int>>> parts = {{"exon", {5, 15}},
                                                                 {"CDS", {7, 15}},
                                                                 {"exon", {25, 40}},
                                                                 {"CDS", {25, 32}},
                                                                 {"stop_codon", {32, 35}}};
        QByteArray text;
        for (const auto& part : parts) {
            const int start = mirror ? mirror + 50 - part.second.second : part.second.first;
            const int stop = mirror ? mirror + 50 - part.second.first : part.second.second;
            text += "chr1\ttest\t" + part.first + '\t' + QByteArray::number(start + 1) + '\t' +
                    QByteArray::number(stop) + "\t.\t" + strand + "\t.\tgene_id \"" + gene +
                    "\"; transcript_id \"" + id + "\";\n";
        }
        return text;
    }

    // The INFO column of each record of the annotation written as VCF.
    QList<QByteArray> annotate(const QString& transcripts, const QString& calls = QString()) const {
        const CliResult url = runVarkit({"annotate", "transcript", "--referenceUrl=" + path("genome.fa"),
                                         calls.isEmpty() ? path("calls.vcf") : calls, transcripts, "--url"});
        EXPECT_EQ(url.exitCode, 0) << url.err.toStdString();
        const CliResult vcf = runVarkit({"writevcf", QString::fromUtf8(url.out.trimmed()), "/dev/stdout"});
        EXPECT_EQ(vcf.exitCode, 0) << vcf.err.toStdString();
        QList<QByteArray> infos;
        for (const QByteArray& line : vcf.out.split('\n'))
            if (!line.isEmpty() && !line.startsWith('#'))
                infos << line.split('\t').value(1) + ' ' + line.split('\t').value(7);
        return infos;
    }

    QTemporaryDir m_dir;
};

TEST_F(AnnotateTranscriptCommand, GivesHandWorkedConsequencesOnBothStrandsFromGtfAndBed) {
    const QList<QByteArray> expected = {
        "6 TX_ALT=T;TX_GENE=G1;TX_ID=T1;TX_STRAND=+;TX_REGION=5_prime_UTR;TX_EXON=1;TX_HGVS_C=c.-2G>T",
        "10 "
        "TX_ALT=G;TX_GENE=G1;TX_ID=T1;TX_STRAND=+;TX_REGION=coding_exon;TX_EXON=1;TX_CONSEQUENCE=frameshift;"
        "TX_CODONS=aaA/aa;TX_AMINO_ACIDS=K/X;TX_HGVS_C=c.6del;TX_HGVS_P=p.Lys2AsnfsTer?",
        "13 TX_ALT=AAAA;TX_GENE=G1;TX_ID=T1;TX_STRAND=+;TX_REGION=coding_exon;TX_EXON=1;"
        "TX_CONSEQUENCE=inframe_insertion;TX_CODONS=-/AAA;TX_AMINO_ACIDS=-/"
        "K;TX_HGVS_C=c.4_6dup;TX_HGVS_P=p.Lys2dup",
        "17 TX_ALT=C;TX_GENE=G1;TX_ID=T1;TX_STRAND=+;TX_REGION=splice_site;TX_INTRON=1;TX_HGVS_C=c.8+2T>C",
        // One record per alternate.
        "27 TX_ALT=A;TX_GENE=G1;TX_ID=T1;TX_STRAND=+;TX_REGION=coding_exon;TX_EXON=2;TX_CONSEQUENCE=missense;"
        "TX_CODONS=Ctt/Att;TX_AMINO_ACIDS=L/I;TX_HGVS_C=c.10C>A;TX_HGVS_P=p.Leu4Ile",
        "27 TX_ALT=T;TX_GENE=G1;TX_ID=T1;TX_STRAND=+;TX_REGION=coding_exon;TX_EXON=2;TX_CONSEQUENCE=missense;"
        "TX_CODONS=Ctt/Ttt;TX_AMINO_ACIDS=L/F;TX_HGVS_C=c.10C>T;TX_HGVS_P=p.Leu4Phe",
        "6000 TX_ALT=G;TX_REGION=intergenic",
        // The reverse strand: the same splice site and the stop made from the split Trp codon.
        "12084 TX_ALT=G;TX_GENE=G2;TX_ID=T2;TX_STRAND=-;TX_REGION=splice_site;TX_INTRON=1;TX_HGVS_C=c.8+2T>C",
        "12086 "
        "TX_ALT=T;TX_GENE=G2;TX_ID=T2;TX_STRAND=-;TX_REGION=coding_exon;TX_EXON=1;TX_CONSEQUENCE=stop_gained;"
        "TX_CODONS=tGg/tAg;TX_AMINO_ACIDS=W/*;TX_HGVS_C=c.8G>A;TX_HGVS_P=p.Trp3Ter",
    };
    const QList<QByteArray> fromGtf = annotate(path("tx.gtf"));
    ASSERT_EQ(fromGtf.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(fromGtf[i], expected[i]);

    // A BED12 record names its gene by the transcript; a TSF of the BED reads the same.
    QList<QByteArray> fromBed = annotate(path("tx.bed"));
    for (QByteArray& info : fromBed)
        info.replace("TX_GENE=T", "TX_GENE=G");
    EXPECT_EQ(fromBed, expected);
    ASSERT_EQ(runVarkit({"writetsf", path("tx.bed"), path("tx.tsf")}).exitCode, 0);
    QList<QByteArray> fromTsf = annotate(path("tx.tsf"));
    for (QByteArray& info : fromTsf)
        info.replace("TX_GENE=T", "TX_GENE=G");
    EXPECT_EQ(fromTsf, expected);

    // Variants on "1" find the transcripts on "chr1".
    QFile calls(path("calls.vcf"));
    ASSERT_TRUE(calls.open(QIODevice::ReadOnly));
    FormatTest::writeFile(path("calls-1.vcf"), calls.readAll().replace("chr1", "1"));
    EXPECT_EQ(annotate(path("tx.gtf"), path("calls-1.vcf")), expected);

    // Without --url the join is written to TSF beside the input.
    const CliResult written = runVarkit(
        {"annotate", "transcript", "--referenceUrl=" + path("genome.fa"), path("calls.vcf"), path("tx.gtf")});
    EXPECT_EQ(written.exitCode, 0) << written.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(path("calls_tx_transcript.tsf")));
}

TEST_F(AnnotateTranscriptCommand, FailsWithTheReasonWhenTranscriptsOrReferenceAreUnusable) {
    const QString elsewhere = path("elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const QString calls = elsewhere + "/calls.vcf";
    ASSERT_TRUE(QFile::copy(path("calls.vcf"), calls));
    FormatTest::writeFile(path("regions.bed"), "chr1\t5\t40\n");
    const QList<QPair<QStringList, QByteArray>> failures = {
        {{calls, path("tx.gtf")},
         "The transcript annotation needs the reference sequence of the variants' genome: none was found, "
         "name one with --referenceUrl\n"},
        {{"--referenceUrl=" + path("tx.gtf"), calls, path("tx.gtf")},
         "The reference " + path("tx.gtf").toUtf8() + " is not a FASTA or 2bit reference sequence\n"},
        {{"--referenceUrl=" + path("genome.fa"), calls, path("regions.bed")},
         "The annotation input source is invalid: transcripts are read from GTF lines (Feature, Strand, "
         "transcript_id) or BED records with a strand and a coding stretch (BED8 to BED12)\n"},
    };
    for (const auto& failure : failures) {
        const CliResult result = runVarkit(QStringList{"annotate", "transcript", "--url"} + failure.first);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, failure.second);
    }
}

// Generated transcripts on both strands, and the transcripts of a real Ensembl GTF written onto a
// generated genome, with variants at and around every exon boundary and codon of note: every
// variant-transcript pair has the class bcftools csq gives it, or a disagreement the comparison
// explains (an indel bcftools places by its anchor base, its coarser naming of introns and
// non-coding transcripts, a stop codon formed or re-formed where an indel joins bases); the
// comparison fails otherwise.
TEST(AnnotateTranscriptCsq, ClassesAreThoseOfBcftoolsCsq) {
    if (QStandardPaths::findExecutable("bcftools").isEmpty() ||
        QStandardPaths::findExecutable("python3").isEmpty())
        GTEST_SKIP() << "needs bcftools and python3";
    const QList<QStringList> dataSets = {
        {"25", "7"}, {"--from-gtf", QStringLiteral(VARKIT_TEST_DATA "/gtf/genes.gtf"), "3"}};
    for (const QStringList& arguments : dataSets) {
        QTemporaryDir dir;
        const QString folder = dir.path();
        FormatTest::runTool("python3", QStringList{kDataScript, folder} + arguments);
        FormatTest::runTool("bcftools",
                            {"csq", "-l", "-f", folder + "/genome.fa", "-g", folder + "/transcripts.gff3",
                             folder + "/calls.vcf", "-o", folder + "/csq.vcf"});
        const CliResult url = runVarkit({"annotate", "transcript", "--referenceUrl=" + folder + "/genome.fa",
                                         folder + "/calls.vcf", folder + "/transcripts.gtf", "--url"});
        ASSERT_EQ(url.exitCode, 0) << url.err.toStdString();
        const CliResult vcf =
            runVarkit({"writevcf", QString::fromUtf8(url.out.trimmed()), folder + "/varkit.vcf"});
        ASSERT_EQ(vcf.exitCode, 0) << vcf.err.toStdString();
        const QByteArray report = FormatTest::runTool(
            "python3", {kCompareScript, folder + "/calls.vcf", folder + "/varkit.vcf", folder + "/csq.vcf"});
        EXPECT_TRUE(report.contains("pairs,")) << arguments.join(' ').toStdString();
    }
}

} // namespace
