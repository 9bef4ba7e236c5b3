#include "formats/vcf/VcfTestSupport.h"
#include "support/Cli.h"
#include "support/FormatTestSupport.h"

#include <QFileInfo>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

QString primitivesUrl(const QString& input, const QByteArray& extraFields = QByteArray()) {
    return QStringLiteral("transform://alleleicPrimitives/json/ {\"fields\":{\"sourceUrl\":\"%1\"%2}}")
        .arg(input, QString::fromUtf8(extraFields));
}

class AllelicPrimitivesTest : public ::testing::Test {
protected:
    // The records of the transform over a VCF of the given records, as "POS REF>ALT GT..." with
    // the genotypes when the output keeps them.
    std::vector<std::string> split(const QByteArray& records, const QByteArray& extraFields = QByteArray()) {
        const QString path = m_files.write(QStringLiteral("in%1.vcf").arg(++m_count), vcfHeader() + records);
        m_source = openSource(primitivesUrl(path, extraFields));
        if (!m_source->isValid()) {
            ADD_FAILURE() << m_source->errorText().toStdString();
            return {};
        }
        const int gt = m_source->info().fieldIndex("GT");
        std::vector<std::string> lines;
        for (const VkFeature& feature : readFeatures(m_source)) {
            const PVariant& ref = feature.value(m_source->info().fieldIndex("REF"));
            QByteArray line =
                QByteArray::number(feature.segment().start() + 1) + ' ' + ref.bytes() + '>' +
                feature.value(m_source->info().fieldIndex("ALT")).stringVector().toList().join(',');
            if (gt >= 0)
                line += ' ' + feature.value(gt).stringVector().toList().join(' ');
            EXPECT_EQ(feature.segment().length(), ref.bytes().size()) << line.toStdString();
            lines.push_back(line.toStdString());
        }
        return lines;
    }

    VcfFiles m_files;
    int m_count = 0;
    VkSourcePtr m_source;
};

QByteArray record(int pos, const QByteArray& ref, const QByteArray& alts,
                  const QByteArray& genotypes = "0/1\t0/0\t./.") {
    return "20\t" + QByteArray::number(pos) + "\t.\t" + ref + '\t' + alts + "\t50\tPASS\tDP=9\tGT\t" +
           genotypes + '\n';
}

TEST_F(AllelicPrimitivesTest, SplitsMismatchesAndGapsAndJoinsAdjacentSubstitutionsOnlyWithMnps) {
    const QByteArray records = record(10, "A", "G") + record(20, "ACGT", "AGGA") +
                               record(30, "ACGT", "AGCT") + record(40, "ACGT", "A") +
                               record(50, "A", "ATTT") + record(60, "ACG", "ATGCC");
    const QByteArray noGenotypes = R"(,"keepGeno":false)";
    using Lines = std::vector<std::string>;
    EXPECT_EQ(split(records, noGenotypes), Lines({"10 A>G", "21 C>G", "23 T>A", "31 C>G", "32 G>C",
                                                  "40 ACGT>A", "50 A>ATTT", "60 A>ATG", "62 G>C"}));
    EXPECT_EQ(
        split(records, noGenotypes + R"(,"useMNPs":true)"),
        Lines({"10 A>G", "21 C>G", "23 T>A", "31 CG>GC", "40 ACGT>A", "50 A>ATTT", "60 A>ATG", "62 G>C"}));
}

TEST_F(AllelicPrimitivesTest, PassesLongSymbolicAndUnalleledRecordsUnchanged) {
    const QByteArray longAlt = "A" + QByteArray(249, 'C');
    const QByteArray records =
        record(10, "AC", longAlt) + record(20, "ACGT", "<DEL>") + record(30, "ACGT", ".");
    const QByteArray noGenotypes = R"(,"keepGeno":false)";
    EXPECT_EQ(split(records, noGenotypes),
              std::vector<std::string>({"10 AC>" + longAlt.toStdString(), "20 ACGT><DEL>", "30 ACGT>"}));
    EXPECT_EQ(split(records, noGenotypes + R"(,"maxLength":250)").front(), "10 A>A" + std::string(248, 'C'));
}

TEST_F(AllelicPrimitivesTest, RemapsGenotypesPerPrimitiveAndKeepsPositionOrderAcrossRecords) {
    // The deletion comes from the second alternate only; the record at 31 falls between the
    // primitives of the record at 30.
    const QByteArray records =
        record(30, "ACGT", "AGCT,A", "1/2\t0|2\t.") + record(31, "C", "T", "1/1\t0/0\t0/1");
    EXPECT_EQ(split(records), std::vector<std::string>({"30 ACGT>A 0/1 0|1 ./.", "31 C>G 1/0 0|0 ./.",
                                                        "31 C>T 1/1 0/0 0/1", "32 G>C 1/0 0|0 ./."}));
    EXPECT_GE(m_source->info().fieldIndex("DP"), 0);
    split(records, R"(,"keepInfo":false)");
    for (const VkField& field : m_source->schema())
        EXPECT_TRUE(field.symbol == "REF" || field.symbol == "ALT" || field.symbol == "RefAlt" ||
                    field.fieldType != VkField::LocusAttribute)
            << field.name.toStdString();
    EXPECT_EQ(split(records, R"(,"splitGenotypes":true)").front(), "30 ACGT>A 1/2 0|2 .");
}

TEST(AllelicPrimitivesOpen, NeedsAlleleFields) {
    VcfFiles files;
    const QString bed = files.write(QStringLiteral("in.bed"), "chr1\t10\t20\tx\n");
    EXPECT_EQ(openSource(primitivesUrl(bed))->errorText(),
              QStringLiteral("Source must have a REF, ALT, or a REF/ALT field.\n"));
}

TEST(AllelicPrimitivesCli, UrlOfTheTransformCommandIsWrittenByWritevcf) {
    VcfFiles files;
    const QString input = files.writeIndexed(QStringLiteral("in.vcf.gz"),
                                             vcfHeader() + record(20, "ACGT", "AGCT") + record(40, "G", "T"));
    const CliResult url =
        runVarkit({"transform", "allelicprimitives", input, "--url", "--useMNPs", "--keepGeno"});
    ASSERT_EQ(url.exitCode, 0) << url.err.toStdString();
    const QString output = files.path(QStringLiteral("out.vcf"));
    const CliResult write = runVarkit({"writevcf", QString::fromUtf8(url.out.trimmed()), output});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    EXPECT_EQ(bcftoolsQuery(output, "%POS %REF %ALT [%GT ]\\n").out,
              "21 CG GC 0/1 0/0 ./. \n40 G T 0/1 0/0 ./. \n");
}

// vcfallelicprimitives writes the alternates of one position in one record and does not trim
// what they share at their end: both sides are compared one trimmed alternate a line.
QStringList primitiveLines(const QByteArray& vcf) {
    QStringList lines;
    for (const QByteArray& line : vcf.split('\n')) {
        const QList<QByteArray> columns = line.split('\t');
        if (line.startsWith('#') || columns.size() < 5)
            continue;
        for (const QByteArray& alternate : columns[4].split(',')) {
            QByteArray ref = columns[3];
            QByteArray alt = alternate;
            while (ref.size() > 1 && alt.size() > 1 && ref.back() == alt.back()) {
                ref.chop(1);
                alt.chop(1);
            }
            lines << QString::fromUtf8(columns[0] + ' ' + columns[1] + ' ' + ref + ' ' + alt);
        }
    }
    lines.sort();
    lines.removeDuplicates();
    return lines;
}

TEST(AllelicPrimitivesCorpus, SplitsComplexVariantsAsVcfallelicprimitives) {
    // The copy scripts/fetch-corpus.sh unpacks, else an installed one.
    const QString unpacked = QStringLiteral(VARKIT_CORPUS "/bin/vcfallelicprimitives");
    const QString peer = QFileInfo::exists(unpacked) ? unpacked : QStringLiteral("vcfallelicprimitives");
    if (runProgram(peer, {QStringLiteral("-h")}).exitCode < 0)
        GTEST_SKIP() << "vcfallelicprimitives (Debian libvcflib-tools) is neither unpacked nor installed";
    const QString folder =
        QStringLiteral(VARKIT_CORPUS "/python-pysam-tests/usr/share/doc/python-pysam/tests/tabix_data/vcf/");
    for (const char* name : {"5.vcf.gz", "16.vcf.gz"}) {
        const QString input = folder + QLatin1String(name);
        if (!QFileInfo::exists(input))
            GTEST_SKIP() << "No corpus at " << folder.toStdString();
        QTemporaryDir dir;
        const QString ours = dir.filePath(QStringLiteral("ours.vcf"));
        const CliResult write = runVarkit({"writevcf", primitivesUrl(input), ours});
        ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
        const QString plain = dir.filePath(QStringLiteral("in.vcf"));
        writeFile(plain, FormatTest::runTool(QStringLiteral("bgzip"), {"-dc", input}));
        const ProgramRun theirs = runProgram(peer, {}, plain);
        ASSERT_EQ(theirs.exitCode, 0) << theirs.err.toStdString();
        QFile file(ours);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QStringList expected = primitiveLines(theirs.out);
        EXPECT_GT(expected.size(), 300) << name;
        EXPECT_EQ(primitiveLines(file.readAll()), expected) << name;
    }
}

} // namespace
