#include "formats/vcf/VcfTestSupport.h"
#include "support/Cli.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QByteArray calls(const QByteArray& samples, const QByteArray& records, const char* dpType = "Integer") {
    return "##fileformat=VCFv4.2\n##contig=<ID=1,length=10000>\n"
           "##INFO=<ID=DP,Number=1,Type=" +
           QByteArray(dpType) +
           ",Description=\"Depth\">\n"
           "##INFO=<ID=AF,Number=A,Type=Float,Description=\"Frequency\">\n"
           "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
           "##FORMAT=<ID=AD,Number=R,Type=Integer,Description=\"Depths\">\n"
           "##FORMAT=<ID=PL,Number=G,Type=Integer,Description=\"Likelihoods\">\n"
           "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t" +
           samples + "\n" + records;
}

QString mergeUrl(const QStringList& inputs, const QByteArray& extraFields = QByteArray()) {
    return QStringLiteral("transform://mergeVariants/json/ {\"fields\":{\"sourceUrls\":[\"%1\"]%2}}")
        .arg(inputs.join(QStringLiteral("\",\"")), QString::fromUtf8(extraFields));
}

QByteArray behavior(const char* symbol, const char* mergeBehavior) {
    return QByteArray(R"({"className":"FieldMergeBehaviorOptions","fields":{"fieldSymbol":")") + symbol +
           R"(","mergeBehavior":")" + mergeBehavior + "\"}}";
}

class MergeVariantsTest : public ::testing::Test {
protected:
    QString input(const QString& name, const QByteArray& samples, const QByteArray& records,
                  const char* dpType = "Integer") {
        return m_files.writeIndexed(name, calls(samples, records, dpType));
    }
    QVector<QByteArray> samplesOf(const QStringList& inputs, const QByteArray& extraFields = QByteArray()) {
        const VkSourcePtr source = openSource(mergeUrl(inputs, extraFields));
        EXPECT_TRUE(source->isValid()) << source->errorText().toStdString();
        return source->info().properties.value("SampleNames").stringVector();
    }
    // "pos ref alt [gt ...]" of each merged record, written by writevcf and read by bcftools.
    QByteArray mergedRecords(const QStringList& inputs, const QByteArray& extraFields = QByteArray(),
                             const char* format = "%POS %REF %ALT[ %GT]\\n") {
        const QString out = m_files.path(QStringLiteral("merged%1.vcf").arg(++m_outputs));
        const CliResult write = runVarkit({"writevcf", mergeUrl(inputs, extraFields), out});
        EXPECT_EQ(write.exitCode, 0) << write.err.toStdString();
        return bcftoolsQuery(out, format).out;
    }

    VcfFiles m_files;
    int m_outputs = 0;
};

TEST_F(MergeVariantsTest, SampleNamesAreDisambiguatedPrefixedOrShared) {
    const QString a = input("a.vcf.gz", "S", "1\t10\t.\tA\tC\t.\t.\t.\tGT\t0/1\n");
    const QString b = input("b.vcf.gz", "S", "1\t10\t.\tA\tC\t.\t.\t.\tGT\t1/1\n");
    const QString c = input("c.vcf.gz", "S", "1\t10\t.\tA\tC\t.\t.\t.\tGT\t0/0\n");
    EXPECT_EQ(samplesOf({a, b}), (QVector<QByteArray>{"S", "S-2"}));
    EXPECT_EQ(samplesOf({a, b, c}), (QVector<QByteArray>{"S", "S-2", "S-3"}));
    EXPECT_EQ(samplesOf({a, b}, R"(,"sampleNamesPrependFileName":true)"),
              (QVector<QByteArray>{"a-S", "b-S"}));
    EXPECT_EQ(samplesOf({a, b}, R"(,"sampleNamesDisambiguate":false)"), QVector<QByteArray>{"S"});
    EXPECT_EQ(samplesOf({a, b}, R"(,"sourceRemapping":[{"className":"SampleRemapping","fields":)"
                                R"({"sourceIdx":0,"outNames":["T"]}}])"),
              (QVector<QByteArray>{"T", "S"}));

    const VkSourcePtr merged = openSource(mergeUrl({a, b, c}));
    EXPECT_TRUE(merged->info().name.endsWith(" [merged with 2 other(s)]"))
        << merged->info().name.toStdString();
    const int fileName = merged->info().fieldIndex("FileName");
    ASSERT_GE(fileName, 0);
    EXPECT_EQ(merged->schema().at(fileName).name, QByteArray("Sample Source File Name"));
    const VkFeatureList features = readFeatures(merged);
    ASSERT_EQ(features.size(), 1);
    EXPECT_EQ(features.first().value(fileName).stringVector(), (QVector<QByteArray>{"a", "b", "c"}));
}

TEST_F(MergeVariantsTest, AlternatesAreUnitedAndGenotypesAndPerAlleleValuesReindexed) {
    const QString a = input("a.vcf.gz", "S",
                            "1\t10\t.\tA\tC\t.\t.\tAF=0.5\tGT:AD:PL\t0/1:3,2:0,10,20\n"
                            "1\t20\t.\tG\tT\t.\t.\tAF=0.1\tGT:AD:PL\t1/1:0,6:30,20,0\n"
                            "1\t30\t.\tC\tA\t.\t.\tAF=0.6\tGT:AD:PL\t1:0,5:20,0\n");
    const QString b = input("b.vcf.gz", "S",
                            "1\t10\t.\tA\tG,C\t.\t.\tAF=0.2,0.3\tGT:AD:PL\t1/2:1,4,5:1,2,3,4,5,6\n"
                            "1\t15\t.\tT\tA\t.\t.\tAF=0.4\tGT:AD:PL\t0/1:6,3:7,0,9\n"
                            "1\t30\t.\tC\tG\t.\t.\tAF=0.7\tGT:AD:PL\t1:2,3:9,0\n");
    const QByteArray keepAf = ",\"fieldMergeBehaviors\":[" + behavior("AF", "TakeFirst") + "]";
    // Genotype likelihoods follow their genotypes (A/G of b is A/G of the merged C,G alternates); a
    // haploid sample has one per allele.
    EXPECT_EQ(mergedRecords({a, b}, keepAf, "%POS %REF %ALT %AF[ %GT:%AD:%PL]\\n"),
              QByteArray("10 A C,G 0.5,0.2 0/1:3,2,.:0,10,20,.,.,. 2/1:1,5,4:1,4,6,2,5,3\n"
                         "15 T A 0.4 ./.:.:. 0/1:6,3:7,0,9\n"
                         "20 G T 0.1 1/1:0,6:30,20,0 ./.:.:.\n"
                         "30 C A,G 0.6,0.7 1:0,5,.:20,0,. 2:2,.,3:9,.,0\n"));
}

TEST_F(MergeVariantsTest, SwitchesDecideWhichRecordsAtOnePlaceMerge) {
    const QString a = input("a.vcf.gz", "S", "1\t10\t.\tA\tC\t.\t.\t.\tGT\t0/1\n");
    const QString b = input("b.vcf.gz", "T",
                            "1\t10\t.\tA\tG\t.\t.\t.\tGT\t0/1\n"
                            "1\t10\t.\tA\tAT\t.\t.\t.\tGT\t1/1\n");
    EXPECT_EQ(mergedRecords({a, b}), QByteArray("10 A C,G 0/1 0/2\n10 A AT ./. 1/1\n"));
    EXPECT_EQ(mergedRecords({a, b}, R"(,"onlyMergeMatchingRefAlts":true)"),
              QByteArray("10 A C 0/1 ./.\n10 A G ./. 0/1\n10 A AT ./. 1/1\n"));
    EXPECT_EQ(mergedRecords({a, b}, R"(,"onlyMergeMatchingAlternates":true)"),
              QByteArray("10 A C 0/1 ./.\n10 A G ./. 0/1\n10 A AT ./. 1/1\n"));
    EXPECT_EQ(mergedRecords({b, a}, R"(,"mergeDifferentRecordTypes":true)"),
              QByteArray("10 A G,C 0/1 0/2\n10 A AT 1/1 ./.\n"));
}

TEST_F(MergeVariantsTest, RecordFieldsFollowTheirBehaviours) {
    const QString a = input("a.vcf.gz", "S", "1\t10\trs1\tA\tC\t30\t.\tDP=4\tGT\t0/1\n");
    const QString b = input("b.vcf.gz", "T", "1\t10\trs2\tA\tC\t40\t.\tDP=8\tGT\t0/1\n");
    // By default record fields other than the fixed columns are dropped.
    EXPECT_EQ(mergedRecords({a, b}, QByteArray(), "%ID %QUAL %INFO\\n"), QByteArray("rs1;rs2 30 .\n"));
    const QByteArray mean = ",\"fieldMergeBehaviors\":[" + behavior("DP", "NumericMean") + "]";
    EXPECT_EQ(mergedRecords({a, b}, mean, "%DP\\n"), QByteArray("6\n"));
    const QByteArray all =
        ",\"fieldMergeBehaviors\":[" + behavior("DP", "TakeAll") + "," + behavior("QUAL", "NumericMax") + "]";
    EXPECT_EQ(mergedRecords({a, b}, all, "%DP %QUAL\\n"), QByteArray("4,8 40\n"));
    const QByteArray perSample = ",\"fieldMergeBehaviors\":[" + behavior("DP", "Sample") + "]";
    EXPECT_EQ(mergedRecords({a, b}, perSample, "[%DP ]\\n"), QByteArray("4 8 \n"));
}

TEST_F(MergeVariantsTest, RefusesInputsItCannotMerge) {
    const QString a = input("a.vcf.gz", "S", "1\t10\t.\tA\tC\t.\t.\t.\tGT\t0/1\n");
    const QString floats = input("f.vcf.gz", "S", "1\t10\t.\tA\tC\t.\t.\tDP=1.5\tGT\t0/1\n", "Float");
    EXPECT_EQ(openSource(mergeUrl({a, floats}))->errorText(),
              QStringLiteral("Unable to map field with symbol: DP. "));
    const QString bed = m_files.write("r.bed", "1\t1\t5\tr1\n");
    EXPECT_EQ(openSource(mergeUrl({a, bed}))->errorText(),
              QStringLiteral("Unsupported feature type in merge transform."));
}

TEST_F(MergeVariantsTest, CommandWordMapsItsOptions) {
    const QString a = input("a.vcf.gz", "S", "1\t10\t.\tA\tC\t.\t.\tDP=4\tGT\t0/1\n");
    const QString b = input("b.vcf.gz", "S", "1\t10\t.\tA\tC\t.\t.\tDP=8\tGT\t1/1\n");
    const CliResult url = runVarkit(
        {"transform", "mergevcfs", "--url", "--samplePrependFileName", "-c", "DP", "--sources", a, b});
    ASSERT_EQ(url.exitCode, 0) << url.err.toStdString();
    const QString out = m_files.path("cli.vcf");
    const CliResult write = runVarkit({"writevcf", QString::fromUtf8(url.out.trimmed()), out});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    EXPECT_EQ(runProgram("bcftools", {"query", "-l", out}).out, QByteArray("a-S\nb-S\n"));
    EXPECT_EQ(bcftoolsQuery(out, "%DP[ %GT]\\n").out, QByteArray("6 0/1 1/1\n"));

    const CliResult shared =
        runVarkit({"transform", "mergevcfs", "--url", "--dontChangeSampleNames", "--sources", a, b});
    ASSERT_EQ(shared.exitCode, 0) << shared.err.toStdString();
    EXPECT_EQ(openSource(QString::fromUtf8(shared.out.trimmed()))->info().entityCount, 1);

    const CliResult none = runVarkit({"transform", "mergevcfs"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.out.startsWith("No source files were specified")) << none.out.toStdString();
}

// A real VCF dealt into two overlapping parts (every record in one or both) merges into the sites,
// alleles and genotypes bcftools merge --force-samples gives.
TEST(MergeVariantsCorpus, SitesAllelesAndGenotypesEqualBcftoolsMerge) {
    const QString corpus = QStringLiteral(
        VARKIT_CORPUS "/python3-cyvcf2/usr/lib/python3/dist-packages/cyvcf2/tests/test.vcf.gz");
    if (!QFileInfo::exists(corpus))
        GTEST_SKIP() << "No corpus file " << corpus.toStdString();
    QByteArray header;
    QByteArray parts[2];
    int record = 0;
    for (const QByteArray& line : runProgram("bgzip", {"-dc", corpus}).out.split('\n')) {
        if (line.startsWith('#')) {
            header += line + '\n';
        } else if (!line.isEmpty()) {
            if (record % 3 != 0)
                parts[0] += line + '\n';
            if (record % 3 != 1)
                parts[1] += line + '\n';
            ++record;
        }
    }
    VcfFiles files;
    const QStringList inputs = {files.writeIndexed("first.vcf.gz", header + parts[0]),
                                files.writeIndexed("second.vcf.gz", header + parts[1])};
    const QString ours = files.path("ours.vcf");
    const CliResult write = runVarkit({"writevcf", mergeUrl(inputs), ours});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    const QString theirs = files.path("theirs.vcf");
    const ProgramRun merge =
        runProgram("bcftools", QStringList{"merge", "--force-samples", "-o", theirs} + inputs);
    ASSERT_EQ(merge.exitCode, 0) << merge.err.toStdString();

    const char* format = "%CHROM\\t%POS\\t%REF\\t%ALT[\\t%GT]\\n";
    QList<QByteArray> ourRows = bcftoolsQuery(ours, format).out.split('\n');
    QList<QByteArray> theirRows = bcftoolsQuery(theirs, format).out.split('\n');
    EXPECT_GT(ourRows.size(), 100);
    ASSERT_EQ(ourRows.size(), theirRows.size());
    std::sort(ourRows.begin(), ourRows.end());
    std::sort(theirRows.begin(), theirRows.end());
    for (int row = 0; row < ourRows.size(); ++row)
        ASSERT_EQ(ourRows[row], theirRows[row]) << "row " << row;
}

} // namespace
