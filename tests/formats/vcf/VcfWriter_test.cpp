#include "formats/vcf/VcfColumns.h"
#include "formats/vcf/VcfTestSupport.h"
#include "support/Cli.h"
#include "support/TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
VkField locus(const char* name, const char* symbol, ValueType type) {
    return VkField(0, name, symbol, type, VkField::LocusAttribute);
}
} // namespace

TEST(VcfColumns, RecognisesColumnsBySymbolOrName) {
    EXPECT_EQ(VcfColumns::roleOf(locus("dbSNP RS ID", "", ValueType::String)), VcfColumns::Id);
    EXPECT_EQ(VcfColumns::roleOf(locus("Identifier", "ID", ValueType::StringArray)), VcfColumns::Id);
    EXPECT_EQ(VcfColumns::roleOf(locus("Ref/Alt", "", ValueType::String)), VcfColumns::RefAlt);
    EXPECT_EQ(VcfColumns::roleOf(locus("Quality", "QUAL", ValueType::Float)), VcfColumns::Qual);
    EXPECT_EQ(VcfColumns::roleOf(locus("Read Depth", "DP", ValueType::Int)), VcfColumns::Info);
    EXPECT_EQ(VcfColumns::roleOf(VkField(0, "Genotypes", "g_t", ValueType::String, VkField::Matrix)),
              VcfColumns::Genotype);
    EXPECT_EQ(VcfColumns::roleOf(VkField(0, "Read Depths", "DP", ValueType::Int, VkField::Matrix)),
              VcfColumns::Format);
    EXPECT_EQ(VcfColumns::roleOf(VkField(0, "Samples", "", ValueType::String, VkField::EntityAttribute)),
              VcfColumns::SampleLabels);
}

TEST(VcfColumns, ASecondFieldForAColumnIsWrittenAsAnEntry) {
    const VkFieldList schema = {
        VkField(0, "Identifier", "ID", ValueType::StringArray, VkField::LocusAttribute),
        VkField(1, "Quality", "QUAL", ValueType::Float, VkField::LocusAttribute),
        VkField(2, "ID", "ID", ValueType::StringArray, VkField::LocusAttribute),
        VkField(3, "QUAL", "QUAL", ValueType::Float, VkField::LocusAttribute),
        VkField(4, "Genotypes", "GT", ValueType::String, VkField::Matrix),
        VkField(5, "GT", "GT", ValueType::String, VkField::Matrix)};
    const VcfColumns columns = VcfColumns::of(schema, {});
    EXPECT_EQ(columns.id, 0);
    EXPECT_EQ(columns.qual, 1);
    EXPECT_EQ(columns.info, QVector<int>({2, 3}));
    EXPECT_EQ(columns.genotype, 4);
    EXPECT_EQ(columns.format, QVector<int>({5}));
}

TEST(VcfColumns, TypeNamesAndNumbers) {
    EXPECT_STREQ(VcfColumns::typeName(ValueType::IntArray), "Integer");
    EXPECT_STREQ(VcfColumns::typeName(ValueType::Float64), "Float");
    EXPECT_STREQ(VcfColumns::typeName(ValueType::Bool), "String");
    EXPECT_EQ(VcfColumns::number(locus("Depth", "DP", ValueType::Int)), "1");
    EXPECT_EQ(VcfColumns::number(locus("Counts", "AC", ValueType::IntArray)), ".");
    VkField readWithNumber = locus("Counts", "AC", ValueType::IntArray);
    readWithNumber.props.insert("Number", PVariant("A"));
    EXPECT_EQ(VcfColumns::number(readWithNumber), "A");
}

TEST(VcfWriterCli, RoundTripKeepsEveryValueBcftoolsReads) {
    QTemporaryDir dir;
    const QString input = QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz");
    const QString output = dir.filePath(QStringLiteral("trio.vcf"));
    const CliResult result = runVarkit({"writevcf", input, output});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.endsWith("Complete: shutting down\n"));
    EXPECT_EQ(temporaryFilesIn(dir.path()), QStringList());

    const QString format =
        QStringLiteral("%CHROM\t%POS\t%ID\t%REF\t%ALT\t%QUAL\t%FILTER\t%INFO/AC\t%INFO/AF\t"
                       "%INFO/AN\t%INFO/DP\t%INFO/MQ\t%INFO/GENE\t%INFO/DB"
                       "[\t%SAMPLE=%GT:%AD:%DP:%GQ:%PL]\n");
    const QByteArray expected = bcftoolsQuery(input, format).out;
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(bcftoolsQuery(output, format).out, expected);

    QProcess view;
    view.start(QStringLiteral("bcftools"), {QStringLiteral("view"), QStringLiteral("-Ou"),
                                            QStringLiteral("-o"), QStringLiteral("/dev/null"), output});
    view.waitForFinished(60000);
    EXPECT_EQ(view.exitCode(), 0);
    EXPECT_EQ(view.readAllStandardError(), QByteArray()) << "bcftools warns about the written file";

    const QByteArray written = readFile(output);
    EXPECT_TRUE(written.startsWith("##fileformat=VCFv4.1\n##source=varkit "));
    EXPECT_TRUE(written.contains("\n##FILTER=<ID=LowQual,"));
    EXPECT_TRUE(written.contains("\n##contig=<ID=20,length=63025520,assembly=b37>\n"));
    EXPECT_TRUE(written.contains(
        "\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\tNA12878\tNA12891\tNA12892\n"));
}

// A VCF.gz whose chromosomes only its index names is written with a contig line for each, so that
// bcftools reads the copy without a warning; a declared contig is not repeated.
TEST(VcfWriterCli, ChromosomesTheHeaderDoesNotDeclareGetContigLines) {
    VcfFiles files;
    const QString input = files.writeIndexed(
        QStringLiteral("in.vcf.gz"),
        "##fileformat=VCFv4.2\n##contig=<ID=chr1,length=1000>\n"
        "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
        "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\tS\n"
        "chr1\t5\t.\tA\tC\t.\t.\t.\tGT\t0/1\nchr9\t7\t.\tG\tT\t.\t.\t.\tGT\t1/1\n");
    const QString output = files.path(QStringLiteral("out.vcf"));
    const CliResult write = runVarkit({"writevcf", input, output});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_EQ(text.count("##contig=<ID=chr1"), 1);
    EXPECT_EQ(text.count("##contig=<ID=chr9>"), 1);
    const ProgramRun view = runProgram(QStringLiteral("bcftools"), {QStringLiteral("view"), output});
    EXPECT_EQ(view.exitCode, 0);
    EXPECT_EQ(view.err, QByteArray());
}

TEST(VcfWriterCli, GzDestinationIsBgzfWithItsTabixIndex) {
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("out.vcf.gz"));
    const CliResult write = runVarkit({"writevcf", QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz"), output});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    ASSERT_TRUE(QFile::exists(output + ".tbi"));
    const ProgramRun region = runProgram(QStringLiteral("bcftools"),
                                         {QStringLiteral("view"), QStringLiteral("-H"), QStringLiteral("-r"),
                                          QStringLiteral("21"), output});
    EXPECT_EQ(region.exitCode, 0) << region.err.toStdString();
    EXPECT_EQ(region.err, QByteArray());
    const ProgramRun all = runProgram(QStringLiteral("bcftools"),
                                      {QStringLiteral("view"), QStringLiteral("-H"), QStringLiteral("-t"),
                                       QStringLiteral("21"), output});
    EXPECT_EQ(region.out.count('\n'), all.out.count('\n'));
    EXPECT_GT(region.out.count('\n'), 0);
}

TEST(VcfWriterCli, DefaultDestinationKeepsAllButTheLastSuffix) {
    QTemporaryDir dir;
    const CliResult result =
        runVarkit({"writevcf", QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz")}, {}, dir.path());
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("example.vcf.vcf"))));
}

TEST(VcfWriterCli, FieldSelectionLimitsTheColumns) {
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("sites.vcf"));
    // Ref/Alt, ID, REF, ALT, QUAL: the sites without INFO or samples.
    const CliResult result = runVarkit(
        {"writevcf", QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz"), output, "--fields=0,1,2,3,4"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QByteArray> lines = readFile(output).split('\n');
    const QByteArray header = lines.value(lines.indexOf("#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO"));
    ASSERT_FALSE(header.isEmpty());
    const QByteArray first = lines.value(lines.indexOf(header) + 1);
    EXPECT_TRUE(first.startsWith("20\t61098\trs6078030\tC\tT\t523.8\t.\t.")) << first.toStdString();
}

TEST(VcfWriterCli, ThroughTsfAndBackKeepsEveryValue) {
    QTemporaryDir dir;
    const QString input = QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz");
    const QString tsf = dir.filePath(QStringLiteral("trio.tsf"));
    const QString output = dir.filePath(QStringLiteral("trio.vcf"));
    ASSERT_EQ(runVarkit({"writetsf", input, tsf}).exitCode, 0);
    const CliResult result = runVarkit({"writevcf", tsf, output});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QString format =
        QStringLiteral("%CHROM\t%POS\t%ID\t%REF\t%ALT\t%QUAL\t%FILTER\t%INFO/AC\t%INFO/AF\t"
                       "%INFO/DP\t%INFO/MQ\t%INFO/GENE\t%INFO/DB[\t%GT:%AD:%DP:%GQ:%PL]\n");
    EXPECT_EQ(bcftoolsQuery(output, format).out, bcftoolsQuery(input, format).out);
}

// Records whose short lists differ from the one before only in their length, one byte or a sign
// (values a reader may hand out as shared copies) come back each as it was.
TEST(VcfWriterCli, ThroughTsfAndBackKeepsShortListsThatAlmostRepeat) {
    VcfFiles files;
    const QByteArray records = "20\t100\t.\tA\tG\t9\tPASS\tAC=1;AF=0.5;DB\tGT\t0/1\n"
                               "20\t101\trs1\tA\tG,C\t9\tLowQual\tAC=1,0;AF=0.5,0\tGT\t1/2\n"
                               "20\t102\trs1;rs2\tA\tGC\t9\tPASS;LowQual\tAC=2;AF=-0;DB;SOMATIC\tGT\t0/1\n"
                               "20\t103\t.\tA\tG\t9\tPASS\tAC=1;AF=0;SOMATIC\tGT\t0/1\n"
                               "20\t104\t.\tAC\tG\t9\t.\tAC=1;AF=0.5;DB\tGT\t0/1\n";
    const QString input = files.write(QStringLiteral("lists.vcf"), vcfHeader(QByteArray(), "A") + records);
    const QString tsf = files.path(QStringLiteral("lists.tsf"));
    const QString output = files.path(QStringLiteral("lists.out.vcf"));
    ASSERT_EQ(runVarkit({"writetsf", input, tsf}).exitCode, 0);
    const CliResult result = runVarkit({"writevcf", tsf, output});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QString format = QStringLiteral("%POS\t%ID\t%REF\t%ALT\t%FILTER\t%INFO/AC\t%INFO/AF\t%INFO/DB\t"
                                          "%INFO/SOMATIC[\t%GT]\n");
    EXPECT_EQ(bcftoolsQuery(output, format).out, bcftoolsQuery(input, format).out);
}

// The TSF copy keeps every category the VCF header declares, with its description, whether or not
// a record uses it.
TEST(VcfWriterCli, ThroughTsfAndBackKeepsFlagsAndFiltersNoRecordUses) {
    VcfFiles files;
    const QString input =
        files.write(QStringLiteral("flags.vcf"),
                    vcfHeader() + "20\t100\t.\tA\tG\t9\tLowQual\tSOMATIC\tGT\t0/1\t0/0\t0/0\n");
    const QString tsf = files.path(QStringLiteral("flags.tsf"));
    const QString output = files.path(QStringLiteral("flags.out.vcf"));
    ASSERT_EQ(runVarkit({"writetsf", input, tsf}).exitCode, 0);
    const CliResult result = runVarkit({"writevcf", tsf, output});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QByteArray written = readFile(output);
    EXPECT_TRUE(written.contains("\n##INFO=<ID=DB,Number=0,Type=Flag,Description=\"dbSNP membership\">\n"));
    EXPECT_TRUE(
        written.contains("\n##INFO=<ID=SOMATIC,Number=0,Type=Flag,Description=\"Somatic mutation\">\n"));
    EXPECT_TRUE(written.contains("\n##FILTER=<ID=LowQual,Description=\"Low quality, QUAL below 30\">\n"));
    EXPECT_TRUE(written.contains("\t9\tLowQual\tSOMATIC\t")) << written.toStdString();
}
