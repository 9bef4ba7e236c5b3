#include "formats/vcf/VcfTestSupport.h"
#include "source/readers/ReadMode.h"
#include "source/readers/SegmentQuery.h"
#include "source/readers/VkFieldReader.h"
#include "source/registry/VkSourceTypeManager.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kRecords =
    "20\t100\trs1;rs2\tACG\tA\t50.5\tPASS\tDP=10;AF=0.5;AC=1;DB;SOMATIC;GENE=BMP2;CSQ=a,b\tGT:AD:DP:GL:FT\t"
    "0/1:3,4:7:-1.5,0,-2.5:PASS\t1|1:0,9:9:.:.\t./.:.:.:.:.\n"
    "20\t200\t.\tA\tG,T\t.\tLowQual;Bogus\tEND=250;AF=0.25,.;AC=1,2\tGT:AD\t1/2:0,5,6\t0/0\t.\n"
    "20\t300\t.\tC\t<NON_REF>\t.\t.\tEND=400\tGT:DP\t0/0:12\t0/0:15\t0/0:8\n"
    "21\t10\t.\tT\tTA\t.\t.\t.\tGT\t0/1\t0/0\t1/1\n"
    "21\t20\t.\tG\t.\t3\tPASS\tDB\tGT\t0/0\t0/0\t0/0\n";

class VcfFeatureReaderTest : public ::testing::Test {
protected:
    VkSourcePtr open(const QByteArray& records, const PVariantMap& properties = PVariantMap()) {
        const VkSourcePtr source =
            openSource(m_files.write(QStringLiteral("r.vcf"), vcfHeader() + records), properties);
        EXPECT_TRUE(source->isValid()) << source->errorText().toStdString();
        return source;
    }
    const PVariant& value(const VkSourcePtr& source, const VkFeature& feature, const QByteArray& name) {
        return feature.value(fieldIdx(source, name));
    }
    VcfFiles m_files;
};

QString examplePath(const char* name) {
    return QStringLiteral(VARKIT_EXAMPLES "/") + QString::fromLatin1(name);
}

// CHROM:POS of each record `bcftools view -r` returns.
QStringList bcftoolsSites(const QString& path, const QString& regions) {
    QStringList sites;
    for (const QByteArray& line :
         splitLines(runTool(QStringLiteral("bcftools"), {QStringLiteral("view"), QStringLiteral("-H"),
                                                         QStringLiteral("-r"), regions, path}))) {
        const QList<QByteArray> columns = line.split('\t');
        sites.append(QString::fromUtf8(columns.at(0) + ":" + columns.at(1)));
    }
    return sites;
}

QStringList sites(const VkFeatureList& features) {
    QStringList list;
    for (const VkFeature& feature : features)
        list.append(QStringLiteral("%1:%2")
                        .arg(QString::fromUtf8(feature.segment().chromosome()))
                        .arg(feature.segment().start() + 1));
    return list;
}

} // namespace

TEST_F(VcfFeatureReaderTest, ReadsFixedColumnsInfoValuesAndFlags) {
    const VkSourcePtr source = open(kRecords);
    QString error;
    const VkFeatureList features = readFeatures(source, ReadRequest(), &error);
    ASSERT_EQ(features.size(), 5) << error.toStdString();
    const VkFeature& first = features.at(0);
    EXPECT_EQ(first.segment(), VkSegment("20", 99, 102));
    EXPECT_EQ(value(source, first, "Ref/Alt").bytes(), "ACG/A");
    EXPECT_EQ(value(source, first, "Identifier").stringVector(), QVector<QByteArray>({"rs1", "rs2"}));
    EXPECT_EQ(value(source, first, "Reference").bytes(), "ACG");
    EXPECT_EQ(value(source, first, "Alternates").stringVector(), QVector<QByteArray>({"A"}));
    EXPECT_FLOAT_EQ(value(source, first, "Quality").floatValue(), 50.5f);
    EXPECT_EQ(value(source, first, "Filter").categoricalVector(), CategoricalVector({0}, {"PASS"}));
    EXPECT_EQ(value(source, first, "Read Depth").intValue(), 10);
    EXPECT_EQ(value(source, first, "Alt Allele Freq").floatVector(), QVector<float>({0.5f}));
    EXPECT_EQ(value(source, first, "Alt Allele Counts").intVector(), QVector<int32_t>({1}));
    EXPECT_EQ(value(source, first, "GENE").bytes(), "BMP2");
    EXPECT_EQ(value(source, first, "CSQ").stringVector(), QVector<QByteArray>({"a", "b"}));
    EXPECT_EQ(value(source, first, "Flags").categoricalVector(),
              CategoricalVector({0, 1}, {"DB", "SOMATIC"}));
    EXPECT_TRUE(value(source, first, "End Pos").isMissing());

    // Multi-allelic, with END, a missing QUAL, a filter only the data uses, a missing list element.
    const VkFeature& second = features.at(1);
    EXPECT_EQ(second.segment(), VkSegment("20", 199, 250));
    EXPECT_EQ(value(source, second, "Ref/Alt").bytes(), "A/G/T");
    EXPECT_EQ(value(source, second, "Alternates").stringVector(), QVector<QByteArray>({"G", "T"}));
    EXPECT_TRUE(value(source, second, "Identifier").stringVector().isEmpty());
    EXPECT_TRUE(value(source, second, "Quality").isMissing());
    EXPECT_EQ(value(source, second, "Filter").categoricalVector(),
              CategoricalVector({1, 2}, {"LowQual", "Bogus"}));
    EXPECT_EQ(value(source, second, "Alt Allele Freq").floatVector(),
              QVector<float>({0.25f, PVariant::MissingFloat}));
    EXPECT_EQ(value(source, second, "End Pos").intValue(), 250);
    EXPECT_TRUE(value(source, second, "Flags").categoricalVector().isEmpty());
    EXPECT_TRUE(value(source, second, "Read Depth").isMissing());

    // A genome VCF reference block spans to its END.
    EXPECT_EQ(features.at(2).segment(), VkSegment("20", 299, 400));
    EXPECT_EQ(value(source, features.at(2), "Ref/Alt").bytes(), "C/<NON_REF>");
    EXPECT_TRUE(value(source, features.at(2), "Filter").categoricalVector().isEmpty());
    EXPECT_EQ(features.at(3).segment(), VkSegment("21", 9, 10));
    EXPECT_EQ(value(source, features.at(3), "Ref/Alt").bytes(), "T/TA");
    // No alternate at all.
    EXPECT_EQ(value(source, features.at(4), "Ref/Alt").bytes(), "G");
    EXPECT_TRUE(value(source, features.at(4), "Alternates").stringVector().isEmpty());
    EXPECT_EQ(value(source, features.at(4), "Flags").categoricalVector(), CategoricalVector({0}, {"DB"}));
}

TEST_F(VcfFeatureReaderTest, ReadsSampleValuesIntoOneTypedVectorPerField) {
    const VkSourcePtr source = open(kRecords);
    const VkFeatureList features = readFeatures(source);
    ASSERT_EQ(features.size(), 5);
    const VkFeature& first = features.at(0);
    EXPECT_EQ(value(source, first, "0/1 Genotypes").stringVector(),
              QVector<QByteArray>({"0/1", "1|1", "./."}));
    EXPECT_EQ(value(source, first, "Read Depths").intVector(),
              QVector<int32_t>({7, 9, PVariant::MissingInt}));
    EXPECT_EQ(value(source, first, "Filters").stringVector(), QVector<QByteArray>({"PASS", "", ""}));
    const PVariant& depths = value(source, first, "Allelic Depths");
    ASSERT_TRUE(depths.isSampleMatrix());
    EXPECT_EQ(depths.sampleMatrix().values().intVector(), QVector<int32_t>({3, 4, 0, 9}));
    EXPECT_EQ(depths.sampleMatrix().offsets(), QVector<int32_t>({0, 2, 4, 4}));
    const PVariant& likelihoods = value(source, first, "GT Likelihoods");
    EXPECT_EQ(likelihoods.sampleMatrix().values().floatVector(), QVector<float>({-1.5f, 0, -2.5f}));
    EXPECT_EQ(likelihoods.sampleMatrix().offsets(), QVector<int32_t>({0, 3, 3, 3}));
    EXPECT_EQ(value(source, first, "Samples").stringVector(), QVector<QByteArray>({"A", "B", "C"}));

    // Samples that stop early, or hold ".", are missing from there on.
    const VkFeature& second = features.at(1);
    EXPECT_EQ(value(source, second, "0/1 Genotypes").stringVector(),
              QVector<QByteArray>({"1/2", "0/0", "."}));
    EXPECT_EQ(value(source, second, "Allelic Depths").sampleMatrix().offsets(),
              QVector<int32_t>({0, 3, 3, 3}));
    // A key the line's FORMAT lacks is missing for every sample.
    EXPECT_EQ(value(source, second, "Read Depths").intVector(), QVector<int32_t>(3, PVariant::MissingInt));
    EXPECT_EQ(value(source, features.at(2), "Read Depths").intVector(), QVector<int32_t>({12, 15, 8}));
}

TEST_F(VcfFeatureReaderTest, FillsOnlyTheFieldsAskedForAndSkipsSampleColumnsOtherwise) {
    // The last line's samples are broken; nothing reads them unless a matrix field is asked for.
    const VkSourcePtr source = open(kRecords + "21\t30\t.\tA\tC\t.\t.\tDP=4\tGT:DP\tx/y:1\t0/1:2\t0:3\n");
    ReadRequest request;
    request.fieldList = {fieldIdx(source, "Ref/Alt"), fieldIdx(source, "Read Depth")};
    QString error;
    const VkFeatureList features = readFeatures(source, request, &error);
    ASSERT_EQ(features.size(), 6) << error.toStdString();
    EXPECT_EQ(features.at(5).segment(), VkSegment("21", 29, 30));
    EXPECT_EQ(features.at(5).value(fieldIdx(source, "Read Depth")).intValue(), 4);
    for (const VkFeature& feature : features)
        for (int idx = 0; idx < source->schema().size(); ++idx)
            EXPECT_EQ(feature.value(idx).isValid(), request.fieldList.contains(idx)) << idx;

    request.fieldList = {fieldIdx(source, "Read Depths")};
    EXPECT_EQ(readFeatures(source, request, &error).size(), 6);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    request.fieldList = {fieldIdx(source, "0/1 Genotypes")};
    EXPECT_EQ(readFeatures(source, request, &error).size(), 5);
    EXPECT_EQ(error.toStdString(),
              QStringLiteral("%1, line %2: FORMAT GT of sample A: 'x/y' is not a genotype")
                  .arg(source->path())
                  .arg(splitLines(vcfHeader()).size() + 6)
                  .toStdString());

    // Segments only: still a stop from END.
    request.fieldList = {};
    const VkFeatureList bare = readFeatures(source, request, &error, false);
    ASSERT_EQ(bare.size(), 6);
    EXPECT_EQ(bare.at(1).segment(), VkSegment("20", 199, 250));
    EXPECT_FALSE(bare.at(1).value(0).isValid());
}

TEST_F(VcfFeatureReaderTest, LimitPrefixTrimmingFalseTrimsThePaddingBase) {
    const VkSourcePtr kept = open(kRecords);
    EXPECT_EQ(readFeatures(kept).at(0).segment(), VkSegment("20", 99, 102));

    const VkSourcePtr source = open(kRecords, {{"LimitPrefixTrimming", PVariant("false")}});
    const VkFeatureList features = readFeatures(source);
    ASSERT_EQ(features.size(), 5);
    EXPECT_EQ(features.at(0).segment(), VkSegment("20", 100, 102));
    EXPECT_EQ(value(source, features.at(0), "Ref/Alt").bytes(), "CG/-");
    EXPECT_EQ(value(source, features.at(0), "Reference").bytes(), "CG");
    EXPECT_EQ(value(source, features.at(0), "Alternates").stringVector(), QVector<QByteArray>({"-"}));
    EXPECT_EQ(features.at(3).segment(), VkSegment("21", 10, 10));
    EXPECT_EQ(value(source, features.at(3), "Ref/Alt").bytes(), "-/A");
    // Nothing shared, or a symbolic allele: left alone.
    EXPECT_EQ(value(source, features.at(1), "Ref/Alt").bytes(), "A/G/T");
    EXPECT_EQ(value(source, features.at(2), "Ref/Alt").bytes(), "C/<NON_REF>");
}

TEST_F(VcfFeatureReaderTest, ReadsGzipBgzipAndWindowsLineEnds) {
    QByteArray windows = vcfHeader() + kRecords;
    windows.replace("\n", "\r\n");
    const QString crlf = m_files.write(QStringLiteral("w.vcf"), windows);
    writeGzip(m_files.path(QStringLiteral("g.vcf.gz")), vcfHeader() + kRecords);
    const QString bgzip = m_files.writeIndexed(QStringLiteral("b.vcf.gz"), vcfHeader() + kRecords);
    const VkFeatureList expected = readFeatures(open(kRecords));
    for (const QString& path : {crlf, m_files.path(QStringLiteral("g.vcf.gz")), bgzip}) {
        QString error;
        EXPECT_EQ(readFeatures(openSource(path), ReadRequest(), &error), expected) << path.toStdString();
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }
}

TEST_F(VcfFeatureReaderTest, RegionReadsMatchBcftools) {
    const QString indexed = examplePath("example.vcf.gz");
    const VkSourcePtr source = openSource(indexed);
    ASSERT_TRUE(source->isValid());
    EXPECT_TRUE(source->info().properties.contains("IndexFile"));
    const VkSourcePtr plain = openSource(examplePath("example.vcf"));
    // Regions out of order, overlapping, one base inside a deletion, an unknown chromosome.
    for (const QString& regions :
         {QStringLiteral("20:1-2000000"), QStringLiteral("21:1-20000000,20:1000000-3000000,20:1-1500000"),
          QStringLiteral("20:1345679"), QStringLiteral("20:6758922-6758923,X:1-100,21:9411245")}) {
        QString error;
        const QList<VkSegment> segments = SegmentQuery::parse(regions.toUtf8(), &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        const QStringList expected = bcftoolsSites(indexed, regions);
        EXPECT_FALSE(expected.isEmpty()) << regions.toStdString();
        EXPECT_EQ(sites(readRegions(source, segments, &error)), expected) << regions.toStdString();
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_EQ(sites(readRegions(plain, segments)).size(), expected.size()) << regions.toStdString();
    }
}

TEST_F(VcfFeatureReaderTest, RegionModesApplyToTheIndexedRead) {
    const VkSourcePtr source = openSource(examplePath("example.vcf.gz"));
    ReadRequest request;
    request.kind = ReadRequest::Region;
    // The deletion ATG at POS 1345678 covers 0-based 1345677 to 1345680.
    request.regions = {VkSegment("20", 1345677, 1345680)};
    request.mode = Vk::Exact;
    EXPECT_EQ(sites(readFeatures(source, request)), QStringList({QStringLiteral("20:1345678")}));
    request.regions = {VkSegment("20", 1000000, 1345679)};
    request.mode = Vk::Within;
    EXPECT_EQ(sites(readFeatures(source, request)), QStringList({QStringLiteral("20:1234567")}));
    request.mode = Vk::Overlap;
    EXPECT_EQ(sites(readFeatures(source, request)),
              QStringList({QStringLiteral("20:1234567"), QStringLiteral("20:1345678")}));
}

TEST_F(VcfFeatureReaderTest, ReadsFromAnOffset) {
    const VkSourcePtr source = openSource(examplePath("example.vcf.gz"));
    const VkFeatureList all = readFeatures(source);
    ASSERT_EQ(all.size(), 50);
    EXPECT_EQ(all.first().segment(), VkSegment("20", 61097, 61098));
    ReadRequest request;
    request.offset = 47;
    EXPECT_EQ(readFeatures(source, request), all.mid(47));
}

TEST_F(VcfFeatureReaderTest, FieldReaderReadsRecordsByOrdinal) {
    const VkSourcePtr source = open(kRecords);
    std::unique_ptr<VkFieldReader> reader(source->manager()->createFieldReader(source));
    ASSERT_TRUE(reader);
    const int refAlt = fieldIdx(source, "Ref/Alt");
    const int depths = fieldIdx(source, "Read Depths");
    EXPECT_EQ(reader->readValue(1, refAlt).bytes(), "A/G/T");
    EXPECT_EQ(reader->readValue(2, refAlt).bytes(), "C/<NON_REF>");
    EXPECT_EQ(reader->readValue(0, refAlt).bytes(), "ACG/A");
    EXPECT_EQ(reader->readValues(0, 2, 4).size(), 2);
    EXPECT_EQ(reader->matrixCell(2, depths, 1).intValue(), 15);
    const PVariantVector slice = reader->matrixSlice(0, fieldIdx(source, "Allelic Depths"));
    ASSERT_EQ(slice.size(), 3);
    EXPECT_EQ(slice.at(1).intVector(), QVector<int32_t>({0, 9}));
    EXPECT_TRUE(reader->errorText().isEmpty()) << reader->errorText().toStdString();

    EXPECT_FALSE(reader->readValue(9, refAlt).isValid());
    EXPECT_EQ(reader->errorText(), QStringLiteral("Record 9 is past the end of %1").arg(source->path()));
    EXPECT_TRUE(reader->matrixSlice(0, refAlt).isEmpty());
    EXPECT_FALSE(reader->errorText().isEmpty());
}

TEST_F(VcfFeatureReaderTest, MalformedLinesEndTheReadNamingFileAndLine) {
    const int firstDataLine = splitLines(vcfHeader()).size() + 1;
    const QList<QPair<QByteArray, QString>> cases = {
        {"20\t100\t.\tA\tG\t.\t.\n", QStringLiteral("expected at least 8 tab-separated columns, found 7")},
        {"20\t100\t.\tA\tG\t.\t.\t.\tGT\t0/1\t0/1\n",
         QStringLiteral("expected 12 columns (9 and one per sample), found 11")},
        {"20\t100\t.\tA\tG\t.\t.\t.\n",
         QStringLiteral("expected 12 columns (9 and one per sample), found 8")},
        {"20\tx100\t.\tA\tG\t.\t.\t.\tGT\t0\t0\t0\n", QStringLiteral("POS 'x100' is not a number")},
        {"20\t\t.\tA\tG\t.\t.\t.\tGT\t0\t0\t0\n", QStringLiteral("POS '' is not a number")},
        {"20\t100\t.\tA\tG\t.\t.\t.\tGT:DP\t0/1:3x\t0\t0\n",
         QStringLiteral("FORMAT DP of sample A: '3x' is not an integer")},
        {"20\t100\t.\tA\tG\t.\t.\t.\tGT:AD\t0/1:1,2\t0:1,2.5\t0\n",
         QStringLiteral("FORMAT AD of sample B: '1,2.5' is not an integer")},
        {"20\t100\t.\tA\tG\t.\t.\t.\tGT:GL\t0:1\t0:1\t0:x\n",
         QStringLiteral("FORMAT GL of sample C: 'x' is not a number")},
        {"20\t100\t.\tA\tG\t.\t.\t.\tGT\t2,4\t0\t0\n",
         QStringLiteral("FORMAT GT of sample A: '2,4' is not a genotype")},
        {"20\t100\t.\tA\tG\t.\t.\t.\tGT:DP\t0/1:3:\t0\t0\n",
         QStringLiteral("sample A has more values than FORMAT keys ('0/1:3:')")},
        {"20\t100\t.\tA\tG\t.\t.\t.\tGT:DP\t0/1:3\t\t0\n", QStringLiteral("the column of sample B is empty")},
        {"20\t3000000000\t.\tA\tG\t.\t.\t.\tGT\t0\t0\t0\n",
         QStringLiteral("POS 3000000000 is beyond the largest position, 2147483647")},
        {"20\t2147483647\t.\tACG\tA\t.\t.\t.\tGT\t0\t0\t0\n",
         QStringLiteral("REF ends at 2147483649, beyond the largest position, 2147483647")}};
    for (const auto& [line, problem] : cases) {
        const VkSourcePtr source = open(kRecords.left(kRecords.indexOf('\n') + 1) + line);
        QString error;
        const VkFeatureList features = readFeatures(source, ReadRequest(), &error);
        EXPECT_EQ(features.size(), 1) << line.constData();
        EXPECT_EQ(error.toStdString(), QStringLiteral("%1, line %2: %3")
                                           .arg(source->path())
                                           .arg(firstDataLine + 1)
                                           .arg(problem)
                                           .toStdString());
    }
}

TEST_F(VcfFeatureReaderTest, MalformedInfoAndQualNumbersAreMissingWithAWarning) {
    WarningLog log;
    const VkSourcePtr source =
        open("20\t100\t.\tA\tG\tabc\tPASS\tDP=12z;AF=0.5,x;AC=99999999999\tGT\t0\t0\t0\n");
    QString error;
    const VkFeatureList features = readFeatures(source, ReadRequest(), &error);
    ASSERT_EQ(features.size(), 1) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(value(source, features.at(0), "Quality").isMissing());
    EXPECT_TRUE(value(source, features.at(0), "Read Depth").isMissing());
    EXPECT_EQ(value(source, features.at(0), "Alt Allele Freq").floatVector(),
              QVector<float>({0.5f, PVariant::MissingFloat}));
    EXPECT_EQ(value(source, features.at(0), "Alt Allele Counts").intVector(),
              QVector<int32_t>({PVariant::MissingInt}));
    const QString at =
        QStringLiteral("%1, line %2: ").arg(source->path()).arg(splitLines(vcfHeader()).size() + 1);
    EXPECT_EQ(
        log.messages(),
        QStringList({at + QStringLiteral("QUAL 'abc' is not a number; read as missing"),
                     at + QStringLiteral("INFO DP value '12z' is not an integer; read as missing"),
                     at + QStringLiteral("INFO AF value '0.5,x' is not a number; read as missing"),
                     at + QStringLiteral("INFO AC value '99999999999' is not an integer; read as missing")}));
}

// A float cannot hold 6.3e-48: like htslib, the reader takes the nearest float rather than
// calling the number malformed.
TEST_F(VcfFeatureReaderTest, NumbersTooSmallForAFloatReadAsTheNearestFloat) {
    WarningLog log;
    const VkSourcePtr source = open("20\t100\t.\tA\tG\t1e-50\tPASS\tAF=6.3e-48,1e-40,-2e-46\tGT\t0\t0\t0\n");
    QString error;
    const VkFeatureList features = readFeatures(source, ReadRequest(), &error);
    ASSERT_EQ(features.size(), 1) << error.toStdString();
    EXPECT_EQ(value(source, features.at(0), "Quality").floatValue(), 0.0f);
    EXPECT_EQ(value(source, features.at(0), "Alt Allele Freq").floatVector(),
              QVector<float>({0.0f, 1e-40f, -0.0f}));
    EXPECT_TRUE(log.messages().isEmpty()) << log.messages().join('\n').toStdString();
}

TEST_F(VcfFeatureReaderTest, TruncatedCompressedDataIsAReadError) {
    QByteArray records;
    for (int i = 1; i <= 20000; ++i)
        records += "20\t" + QByteArray::number(i * 10) + "\t.\tA\tG\t50\tPASS\tDP=" + QByteArray::number(i) +
                   "\tGT:DP\t0/1:3\t0/0:4\t1/1:5\n";
    const QByteArray text = vcfHeader() + records;
    writeGzip(m_files.path(QStringLiteral("whole.vcf.gz")), text);
    writeBgzf(m_files.path(QStringLiteral("whole.bgz")), {text});
    for (const QString& whole : {QStringLiteral("whole.vcf.gz"), QStringLiteral("whole.bgz")}) {
        const QByteArray bytes = readFile(m_files.path(whole));
        const QString cut = m_files.write(QStringLiteral("cut.vcf.gz"), bytes.left(bytes.size() * 2 / 3));
        const VkSourcePtr source = openSource(cut);
        ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
        QString error;
        const VkFeatureList features = readFeatures(source, ReadRequest(), &error);
        EXPECT_GT(features.size(), 1000) << whole.toStdString();
        EXPECT_LT(features.size(), 20000) << whole.toStdString();
        EXPECT_TRUE(error.contains(cut)) << error.toStdString();
    }
}
