#include "formats/vcf/VcfTestSupport.h"
#include "support/Cli.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QByteArray calls(const QByteArray& sample, const QByteArray& records, const char* dpType = "Integer") {
    return "##fileformat=VCFv4.2\n##contig=<ID=2,length=10000>\n##contig=<ID=10,length=10000>\n"
           "##INFO=<ID=DP,Number=1,Type=" +
           QByteArray(dpType) +
           ",Description=\"Depth\">\n"
           "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
           "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t" +
           sample + "\n" + records;
}

QString appendUrl(const QStringList& inputs, const QByteArray& extraFields = QByteArray()) {
    return QStringLiteral("transform://appendRecords/json/ {\"fields\":{\"sourceUrls\":[\"%1\"]%2}}")
        .arg(inputs.join(QStringLiteral("\",\"")), QString::fromUtf8(extraFields));
}

// "chromosome:start:id" of each record, in the order read.
QStringList sites(const VkSourcePtr& source, const VkFeatureList& features) {
    const int id = source->info().fieldIndex("ID");
    QStringList out;
    for (const VkFeature& feature : features)
        out << QStringLiteral("%1:%2:%3")
                   .arg(QString::fromUtf8(feature.segment().chromosome()))
                   .arg(feature.segment().start())
                   .arg(QString::fromUtf8(feature.value(id).toText()));
    return out;
}

// Chromosome 10 comes after 2, as the files list them, not as text sorts them.
const QByteArray kFirst = calls("S", "2\t10\ta1\tA\tC\t.\t.\tDP=1\tGT\t0/1\n"
                                     "2\t30\ta2\tA\tC\t.\t.\tDP=2\tGT\t1/1\n"
                                     "10\t5\ta3\tG\tT\t.\t.\tDP=3\tGT\t0/1\n");
const QByteArray kSecond = calls("S", "2\t10\ta1\tA\tC\t.\t.\tDP=1\tGT\t0/1\n"
                                      "2\t20\tb2\tT\tA\t.\t.\tDP=5\tGT\t0/1\n"
                                      "10\t1\tb3\tC\tG\t.\t.\tDP=6\tGT\t1/1\n");

TEST(AppendRecords, InterleavesByChromosomeOrderAndStartKeepingDuplicates) {
    VcfFiles files;
    const QString a = files.writeIndexed("a.vcf.gz", kFirst);
    const QString b = files.writeIndexed("b.vcf.gz", kSecond);
    const VkSourcePtr source = openSource(appendUrl({a, b}));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(sites(source, readFeatures(source)),
              QStringList({"2:9:a1", "2:9:a1", "2:19:b2", "2:29:a2", "10:0:b3", "10:4:a3"}));

    // A region read re-aims both inputs; consecutive regions go on from where they stopped.
    EXPECT_EQ(sites(source, readRegions(source, {VkSegment("2", 15, 35), VkSegment("10", 0, 3)})),
              QStringList({"2:19:b2", "2:29:a2", "10:0:b3"}));
    EXPECT_EQ(source->info().properties.value("SampleNames").stringVector(), QVector<QByteArray>{"S"});
}

TEST(AppendRecords, RemappedSamplesGetTheirOwnColumnsAndMissingValuesElsewhere) {
    VcfFiles files;
    const QString a = files.writeIndexed("a.vcf.gz", kFirst);
    const QString b = files.writeIndexed("b.vcf.gz", kSecond);
    const VkSourcePtr source = openSource(appendUrl(
        {a, b},
        R"(,"sourceRemapping":[{"className":"SampleRemapping","fields":{"sourceIdx":1,"outNames":["T"]}}])"));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->info().properties.value("SampleNames").stringVector(), (QVector<QByteArray>{"S", "T"}));
    const VkFeatureList features = readFeatures(source);
    const int gt = source->info().fieldIndex("GT");
    ASSERT_EQ(features.size(), 6);
    EXPECT_EQ(features.at(2).value(gt).stringVector(), (QVector<QByteArray>{QByteArray(), "0/1"})); // b2
    EXPECT_EQ(features.at(3).value(gt).stringVector(), (QVector<QByteArray>{"1/1", QByteArray()})); // a2
}

TEST(AppendRecords, RefusesInputsItCannotAppend) {
    VcfFiles files;
    const QString a = files.writeIndexed("a.vcf.gz", kFirst);
    const QString floats =
        files.writeIndexed("f.vcf.gz", calls("S", "2\t10\t.\tA\tC\t.\t.\tDP=1.5\tGT\t0/1\n", "Float"));
    EXPECT_EQ(openSource(appendUrl({a, floats}))->errorText(),
              QStringLiteral("Trying to append fields with incorrect type, from source: %1").arg(floats));
    const QString bed = files.write("r.bed", "2\t1\t5\tr1\n");
    EXPECT_EQ(openSource(appendUrl({a, bed}))->errorText(), QStringLiteral("Non variant source type"));
}

TEST(AppendRecords, CommandWordWritesTheAppendedRecords) {
    VcfFiles files;
    const QString a = files.writeIndexed("a.vcf.gz", kFirst);
    const QString b = files.writeIndexed("b.vcf.gz", kSecond);
    const CliResult url = runVarkit({"transform", "appendrecords", "--url", "--sources", a, b});
    ASSERT_EQ(url.exitCode, 0) << url.err.toStdString();
    const QString out = files.path("out.vcf");
    const CliResult write = runVarkit({"writevcf", QString::fromUtf8(url.out.trimmed()), out});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    EXPECT_EQ(bcftoolsQuery(out, "%CHROM:%POS:%ID[:%GT]\\n").out,
              QByteArray("2:10:a1:0/1\n2:10:a1:0/1\n2:20:b2:0/1\n2:30:a2:1/1\n10:1:b3:1/1\n10:5:a3:0/1\n"));
}

// A real VCF dealt record by record into three sorted, indexed files; appending them gives the
// records bcftools concat -a gives (compared as a multiset: ties may come in another order).
TEST(AppendRecordsCorpus, RecordsEqualBcftoolsConcatAllowOverlaps) {
    const QString corpus = QStringLiteral(
        VARKIT_CORPUS "/python3-cyvcf2/usr/lib/python3/dist-packages/cyvcf2/tests/test.vcf.gz");
    if (!QFileInfo::exists(corpus))
        GTEST_SKIP() << "No corpus file " << corpus.toStdString();
    const QList<QByteArray> lines = runProgram("bgzip", {"-dc", corpus}).out.split('\n');
    QByteArray header;
    QByteArray parts[3];
    int record = 0;
    for (const QByteArray& line : lines) {
        if (line.startsWith('#'))
            header += line + '\n';
        else if (!line.isEmpty())
            parts[record++ % 3] += line + '\n';
    }
    VcfFiles files;
    QStringList inputs;
    for (int i = 0; i < 3; ++i)
        inputs << files.writeIndexed(QStringLiteral("part%1.vcf.gz").arg(i), header + parts[i]);
    const QString ours = files.path("ours.vcf");
    const CliResult write = runVarkit({"writevcf", appendUrl(inputs), ours});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    const QString theirs = files.path("theirs.vcf");
    ASSERT_EQ(runProgram("bcftools", QStringList{"concat", "-a", "-o", theirs} + inputs).exitCode, 0);

    const char* format = "%CHROM\\t%POS\\t%REF\\t%ALT\\t%ID[\\t%GT]\\n";
    QList<QByteArray> ourRows = bcftoolsQuery(ours, format).out.split('\n');
    QList<QByteArray> theirRows = bcftoolsQuery(theirs, format).out.split('\n');
    EXPECT_EQ(ourRows.size(), record + 1);
    std::sort(ourRows.begin(), ourRows.end());
    std::sort(theirRows.begin(), theirRows.end());
    EXPECT_EQ(ourRows, theirRows);
}

} // namespace
