// The dbNSFP vote: matching by place and alleles, the most damaging of several transcripts'
// letters, the letters that do not vote, the counts and the consensus, through the transform and the
// annotate command.
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/Cli.h"
#include "support/FormatTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace FormatTest;

namespace {

const QByteArray kVariants = "##fileformat=VCFv4.2\n##contig=<ID=1>\n##contig=<ID=2>\n"
                             "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n"
                             "1\t100\tsplit\tA\tG\t.\t.\t.\n"
                             "1\t100\tperAlternate\tA\tC,T\t.\t.\t.\n"
                             "1\t100\tnoAllele\tA\tAG\t.\t.\t.\n"
                             "1\t200\tlowerCase\tC\tT\t.\t.\t.\n"
                             "1\t200\totherAlt\tC\tG\t.\t.\t.\n"
                             "2\t50\tdamaging\tG\tA\t.\t.\t.\n";

// What one variant's output record says.
struct Votes {
    QByteArray id;
    QList<QByteArray> predictions;
    int damaging = -1;
    int total = -1;
    PVariant fraction;
    QByteArray consensus;
};

class AnnotateDbNSFPTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_vcf = m_dir.filePath(QStringLiteral("calls.vcf"));
        writeFile(m_vcf, kVariants);
        // The table as dbNSFP ships it: bgzip-compressed, indexed on its 1-based positions.
        m_table = m_dir.filePath(QStringLiteral("dbnsfp.tsv.gz"));
        runTool(
            QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("bgzip -c '%1' > '%2'")
                                       .arg(QStringLiteral(VARKIT_TEST_DATA "/dsv/dbnsfp.tsv"), m_table)});
        runTool(QStringLiteral("tabix"),
                {QStringLiteral("-s1"), QStringLiteral("-b2"), QStringLiteral("-e2"), m_table});
    }

    QString url(const QStringList& predFields = {}) const {
        return QStringLiteral(R"(transform://annotateDbNSFP/json/ {"fields":{"sourceUrls":["%1","%2"],)"
                              R"("votingPredictionFields":[%3]}})")
            .arg(m_vcf, m_table,
                 predFields.isEmpty() ? QString() : "\"" + predFields.join(QStringLiteral("\",\"")) + "\"");
    }

    QList<Votes> votes(const QString& transformUrl, const QList<QByteArray>& predictionSymbols) {
        const VkSourcePtr source = VkSourceTypeRegistry::instance().open(transformUrl);
        if (!source->isValid()) {
            ADD_FAILURE() << source->errorText().toStdString();
            return {};
        }
        const VkSourceInfo& info = source->info();
        QList<Votes> rows;
        for (const VkFeature& feature : readAll(source)) {
            Votes row;
            row.id = feature.value(info.fieldIndex("ID")).toText();
            for (const QByteArray& symbol : predictionSymbols)
                row.predictions << feature.value(info.fieldIndex(symbol)).toText();
            row.damaging = feature.value(info.fieldIndex("DAMAGING_VOTES")).intValue();
            row.total = feature.value(info.fieldIndex("TOTAL_VOTES")).intValue();
            row.fraction = feature.value(info.fieldIndex("DAMAGING_FRACTION"));
            row.consensus = feature.value(info.fieldIndex("CONSENSUS_CALL")).toText();
            rows << row;
        }
        return rows;
    }

    QTemporaryDir m_dir;
    QString m_vcf;
    QString m_table;
};

const QList<QByteArray> kPredictions = {"SIFT_pred", "Polyphen2_HDIV_pred", "MutationTaster_pred",
                                        "MutationAssessor_pred", "LRT_pred"};

void expectVotes(const Votes& row, const QList<QByteArray>& predictions, int damaging, int total,
                 const QByteArray& consensus) {
    SCOPED_TRACE(row.id.toStdString());
    EXPECT_EQ(row.predictions, predictions);
    EXPECT_EQ(row.damaging, damaging);
    EXPECT_EQ(row.total, total);
    if (total == 0)
        EXPECT_TRUE(row.fraction.isMissing());
    else
        EXPECT_FLOAT_EQ(row.fraction.floatValue(), float(damaging) / float(total));
    EXPECT_EQ(row.consensus, consensus);
}

TEST_F(AnnotateDbNSFPTest, EveryPredictionFieldVotesWithItsMostDamagingLetter) {
    const QList<Votes> rows = votes(url(), kPredictions);
    ASSERT_EQ(rows.size(), 6);
    // T;D counts as D, Polyphen's P is possibly damaging, MutationTaster's P a polymorphism, L is low
    // impact, U does not vote: 2 of 4.
    expectVotes(rows[0], {"T,D", "B,P", "P", "L", "U"}, 2, 4, "Split");
    // No record holds A/C/T: the records of A/C and of A/T vote together, a missing value ("."
    // in the table) taking no part.
    expectVotes(rows[1], {"T", "B", "A,N", "H,n", "D,N"}, 3, 5, "Damaging");
    // Other alleles at the same place are not this variant's.
    expectVotes(rows[2], {"", "", "", "", ""}, 0, 0, "");
    // Letters in any case; "." among the transcripts does not vote.
    expectVotes(rows[3], {"t,T,.", "b,B", "p", "l", "N"}, 0, 5, "Tolerated");
    expectVotes(rows[4], {"", "", "", "", ""}, 0, 0, "");
    expectVotes(rows[5], {"D", "D", "D", "M", "D"}, 5, 5, "Damaging");
}

TEST_F(AnnotateDbNSFPTest, ChosenFieldsAloneVoteAndUnknownOnesFail) {
    const QList<Votes> rows =
        votes(url({"SIFT_pred", "MutationTaster_pred"}), {"SIFT_pred", "MutationTaster_pred"});
    ASSERT_EQ(rows.size(), 6);
    expectVotes(rows[0], {"T,D", "P"}, 1, 2, "Split");
    expectVotes(rows[3], {"t,T,.", "p"}, 0, 2, "Tolerated");
    const VkSourcePtr withScore = VkSourceTypeRegistry::instance().open(url({"SIFT_pred"}));
    ASSERT_TRUE(withScore->isValid());
    EXPECT_LT(withScore->info().fieldIndex("Polyphen2_HDIV_pred"), 0);

    EXPECT_EQ(VkSourceTypeRegistry::instance().open(url({"REVEL_pred"}))->errorText(),
              "Unable to find field REVEL_pred");
    const QString plain = m_dir.filePath(QStringLiteral("scores.tsv"));
    writeFile(plain, "#chr\tpos(1-based)\tref\talt\tREVEL_score\n1\t100\tA\tG\t0.5\n");
    runTool(QStringLiteral("bgzip"), {plain});
    runTool(QStringLiteral("tabix"),
            {QStringLiteral("-s1"), QStringLiteral("-b2"), QStringLiteral("-e2"), plain + ".gz"});
    m_table = plain + ".gz";
    EXPECT_EQ(VkSourceTypeRegistry::instance().open(url())->errorText(),
              "The annotation source has no prediction fields (fields named *_pred)");
}

TEST_F(AnnotateDbNSFPTest, AnnotateCommandBuildsTheVote) {
    const CliResult built =
        runVarkit({"annotate", "dbNSFP", "--predFields=SIFT_pred, LRT_pred", m_vcf, m_table, "--url"});
    ASSERT_EQ(built.exitCode, 0) << built.err.toStdString();
    const QString output = m_dir.filePath(QStringLiteral("votes.txt"));
    const CliResult written = runVarkit({"writetxt", QString::fromUtf8(built.out.trimmed()), output});
    ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 7);
    EXPECT_TRUE(lines[0].endsWith("SIFT_pred\tLRT_pred\tDAMAGING_VOTES\tTOTAL_VOTES\tDAMAGING_FRACTION\t"
                                  "CONSENSUS_CALL"))
        << lines[0].constData();
    EXPECT_TRUE(lines[1].endsWith("T,D\tU\t1\t1\t1\tDamaging")) << lines[1].constData();
    // In a VCF the predictions are lists, clear of the INFO separator.
    const QString vcf = m_dir.filePath(QStringLiteral("votes.vcf"));
    ASSERT_EQ(runVarkit({"writevcf", QString::fromUtf8(built.out.trimmed()), vcf}).exitCode, 0);
    QFile vcfFile(vcf);
    ASSERT_TRUE(vcfFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(vcfFile.readAll().contains("\tSIFT_pred=T,D;LRT_pred=U;DAMAGING_VOTES=1;"));

    // Without --url the annotation is written beside the input.
    const CliResult tsf = runVarkit({"annotate", "dbnsfp", m_vcf, m_table});
    EXPECT_EQ(tsf.exitCode, 0) << tsf.err.toStdString();
    EXPECT_TRUE(QFile::exists(m_dir.filePath(QStringLiteral("calls_dbnsfp.tsv_dbnsfp.tsf"))))
        << QDir(m_dir.path()).entryList().join(' ').toStdString();
}

} // namespace
