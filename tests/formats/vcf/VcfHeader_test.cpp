#include "formats/vcf/VcfHeader.h"
#include "formats/vcf/VcfTestSupport.h"

#include <gtest/gtest.h>

namespace {

VcfHeaderRecord record(const QByteArray& line) {
    VcfHeaderRecord parsed;
    EXPECT_TRUE(VcfHeaderRecord::parse(line, &parsed)) << line.constData();
    return parsed;
}

bool addLines(VcfHeader& header, const QByteArray& text, QString* error) {
    for (const QByteArray& line : splitLines(text))
        if (!header.addLine(line.constData(), line.size(), error))
            return false;
    return true;
}

} // namespace

TEST(VcfHeaderRecord, ReadsPlainAndStructuredRecords) {
    const VcfHeaderRecord plain = record("##fileformat=VCFv4.2");
    EXPECT_EQ(plain.key(), "fileformat");
    EXPECT_EQ(plain.value(), "VCFv4.2");
    EXPECT_FALSE(plain.isStructured());

    const VcfHeaderRecord url = record("##reference=file:///refs/a=b.fa");
    EXPECT_EQ(url.value(), "file:///refs/a=b.fa");

    const VcfHeaderRecord info = record("##INFO=<ID=DP,Number=1,Type=Integer,Description=\"Total depth\">");
    EXPECT_TRUE(info.isStructured());
    EXPECT_EQ(info.key(), "INFO");
    EXPECT_EQ(info.entry("ID"), "DP");
    EXPECT_EQ(info.entry("Number"), "1");
    EXPECT_EQ(info.entry("Type"), "Integer");
    EXPECT_EQ(info.entry("Description"), "Total depth");
    EXPECT_EQ(info.entry("Source"), "");
    EXPECT_EQ(info.entries().size(), 4);
}

TEST(VcfHeaderRecord, QuotedValuesKeepCommasAndUnescapeQuotesAndBackslashes) {
    const VcfHeaderRecord info = record(
        R"(##INFO=<ID=X,Number=.,Type=String,Description="Effects, as \"A|B\", from C:\\tools\x",Source="vep">)");
    EXPECT_EQ(info.entry("Description"), R"(Effects, as "A|B", from C:\tools\x)");
    EXPECT_EQ(info.entry("Source"), "vep");
    EXPECT_EQ(info.entry("Number"), ".");
}

TEST(VcfHeaderRecord, IsAsLenientAsHtslib) {
    // Blanks before keys, an unquoted value with blanks, a missing ">" or closing quote.
    EXPECT_EQ(record("##INFO=<ID=X, Number=1,Type=Integer,Description=a b>").entry("Description"), "a b");
    EXPECT_EQ(record("##INFO=<ID=X, Number=1").entry("Number"), "1");
    EXPECT_EQ(record("##INFO=<ID=X,Description=\"open").entry("Description"), "open");
    VcfHeaderRecord bad;
    EXPECT_FALSE(VcfHeaderRecord::parse("##novalue", &bad));
    EXPECT_FALSE(VcfHeaderRecord::parse("##INFO=<=1>", &bad));
}

TEST(VcfHeader, ReadsSampleNamesFromTheColumnTitles) {
    VcfHeader header;
    QString error;
    ASSERT_TRUE(addLines(header, vcfHeader(QByteArray(), "NA1\tNA2\tNA3"), &error)) << error.toStdString();
    EXPECT_TRUE(header.isComplete());
    EXPECT_EQ(header.sampleNames(), QVector<QByteArray>({"NA1", "NA2", "NA3"}));
    EXPECT_EQ(header.value("fileformat"), "VCFv4.2");
    EXPECT_EQ(header.value("source"), "GATK HaplotypeCaller");
    EXPECT_EQ(header.value("INFO"), "");
    EXPECT_EQ(header.lineCount(), splitLines(vcfHeader()).size());
}

TEST(VcfHeader, RefusesMalformedColumnTitles) {
    const QByteArray fixed = "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO";
    const QList<QByteArray> bad = {"#CHROM POS ID REF ALT QUAL FILTER INFO",
                                   "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER",
                                   fixed + "\tFORMAT",
                                   fixed + "\tFORMAT  ",
                                   fixed + "\tFORMAT\tA\t",
                                   fixed + "\tFORMAT\tA\tA",
                                   fixed + "\tSAMPLE1"};
    for (const QByteArray& titles : bad) {
        VcfHeader header;
        QString error;
        EXPECT_FALSE(header.addLine(titles.constData(), titles.size(), &error)) << titles.constData();
        EXPECT_FALSE(error.isEmpty());
    }
    VcfHeader sitesOnly;
    QString error;
    EXPECT_TRUE(sitesOnly.addLine(fixed.constData(), fixed.size(), &error));
    EXPECT_TRUE(sitesOnly.sampleNames().isEmpty());
}

TEST(VcfHeader, DeclaresKeysThatDataLinesUseWithoutAHeaderLine) {
    VcfHeader header;
    QString error;
    addLines(header, vcfHeader(), &error);
    const QByteArray line = "20\t5\t.\tA\tG\t9\tLowQual;q10\tDP=3;NEW=x;NEWFLAG;DB\tGT:XX\t0/1:1\t.\t.";
    header.declareKeysOf(line.constData(), line.size());
    header.declareKeysOf(line.constData(), line.size());
    QMap<QByteArray, QByteArray> added;
    for (const VcfHeaderRecord& record : header.records())
        if (record.entry("Description") == "Not defined in the file's header")
            added.insert(record.key() + ":" + record.entry("ID"), record.entry("Type"));
    const QMap<QByteArray, QByteArray> expected{
        {"FILTER:q10", ""}, {"INFO:NEW", "String"}, {"INFO:NEWFLAG", "Flag"}, {"FORMAT:XX", "String"}};
    EXPECT_EQ(added, expected);
}

TEST(VcfHeader, DeclaresUndeclaredGenotypeLikelihoodsWithOneValuePerGenotype) {
    VcfHeader header;
    QString error;
    addLines(header, vcfHeader(), &error);
    const QByteArray line = "20\t5\t.\tA\tG\t9\t.\t.\tGT:PL:XX\t0/1:9,0,9:1\t.\t.";
    header.declareKeysOf(line.constData(), line.size());
    QMap<QByteArray, QByteArray> numbers;
    for (const VcfHeaderRecord& record : header.records())
        if (record.entry("Description") == "Not defined in the file's header")
            numbers.insert(record.entry("ID"), record.entry("Number"));
    const QMap<QByteArray, QByteArray> expected{{"PL", "G"}, {"XX", "1"}};
    EXPECT_EQ(numbers, expected);
}
