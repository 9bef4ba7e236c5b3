#include "formats/track/TrackTestSupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace TrackTest;

namespace {

const QString kGenes = QStringLiteral("gtf/genes.gtf");

// What identifies a GTF record: its columns 1 to 5 and its transcript (or gene).
QByteArray key(const QByteArray& chromosome, int start1, int end, const QByteArray& source,
               const QByteArray& type, const QByteArray& id) {
    return chromosome + ':' + QByteArray::number(start1) + '-' + QByteArray::number(end) + ' ' + source +
           ' ' + type + ' ' + id;
}

QByteArray key(const VkSource& source, const VkFeature& feature) {
    const VkSegment& segment = feature.segment();
    const int transcript = source.info().fieldIndex("transcript_id");
    QByteArray id = feature.value(transcript).bytes();
    if (id.isEmpty())
        id = feature.value(source.info().fieldIndex("gene_id")).bytes();
    return key(segment.chromosome(), segment.start() + 1, segment.stop(), feature.value(0).bytes(),
               feature.value(1).bytes(), id);
}

QByteArray key(const QByteArray& line) {
    const QList<QByteArray> columns = line.split('\t');
    static const QRegularExpression transcript(QStringLiteral("transcript_id \"([^\"]+)\""));
    static const QRegularExpression gene(QStringLiteral("gene_id \"([^\"]+)\""));
    QRegularExpressionMatch match = transcript.match(QString::fromUtf8(columns[8]));
    if (!match.hasMatch())
        match = gene.match(QString::fromUtf8(columns[8]));
    return key(columns[0], columns[3].toInt(), columns[4].toInt(), columns[1], columns[2],
               match.captured(1).toUtf8());
}

} // namespace

TEST(GtfSource, AttributesBecomeFieldsInOrderOfFirstUse) {
    VkSourcePtr source = open(dataPath(kGenes));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->typeName(), QStringLiteral("GTF"));
    EXPECT_EQ(source->featureType(), QStringLiteral("Interval"));
    QList<QByteArray> names;
    for (const VkField& field : source->schema())
        names.append(field.name);
    EXPECT_EQ(names,
              QList<QByteArray>({"Source", "Feature", "Score", "Strand", "Frame", "gene_id", "gene_name",
                                 "gene_biotype", "transcript_id", "transcript_name", "tag", "exon_number"}));
    EXPECT_EQ(source->schema()[2].valueType, ValueType::Float64);
    EXPECT_EQ(source->schema()[4].valueType, ValueType::Int);
    EXPECT_EQ(source->schema()[11].valueType, ValueType::String);
}

TEST(GtfSource, ReadsRecordsWithHalfOpenSegments) {
    VkSourcePtr source = open(dataPath(kGenes));
    QString error;
    const VkFeatureList features = readAll(source, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(features.size(), 24);

    const VkFeature& gene = features[0];
    EXPECT_EQ(gene.segment(), VkSegment("1", 65418, 71585));
    EXPECT_EQ(gene.value(1).bytes(), QByteArray("gene"));
    EXPECT_TRUE(gene.value(2).isMissing());
    EXPECT_EQ(gene.value(3).bytes(), QByteArray("+"));
    EXPECT_TRUE(gene.value(4).isMissing());
    EXPECT_EQ(gene.value(6).bytes(), QByteArray("OR4F5"));
    EXPECT_TRUE(gene.value(8).isMissing()); // a gene has no transcript_id

    // A repeated key keeps every value.
    EXPECT_EQ(features[1].value(10).bytes(), QByteArray("basic,Ensembl_canonical"));
    EXPECT_EQ(features[4].value(11).bytes(), QByteArray("3"));

    const VkFeature& cds = features.last();
    EXPECT_EQ(cds.segment(), VkSegment("2", 41285, 41627));
    EXPECT_EQ(cds.value(4).intValue(), 2);
    EXPECT_EQ(features[features.size() - 4].value(2).float64Value(), 0.5);
}

TEST(GtfSource, RegionReadsAgreeWithBedtools) {
    QTemporaryDir scratch;
    const QString path = dataPath(kGenes);
    VkSourcePtr source = open(path);
    const QList<QList<VkSegment>> regionSets = {
        {VkSegment("1", 35000, 35300)}, {VkSegment("1", 65433, 65519)}, // between two exons
        {VkSegment("1", 70005, 70006)}, {VkSegment("2", 0, 40000), VkSegment("1", 36080, 36081)},
        {VkSegment("1", 0, 34553)},     {VkSegment("3", 0, 1000000)}};
    for (const QList<VkSegment>& regions : regionSets) {
        QList<QByteArray> ours;
        for (const VkFeature& feature : readRegions(source, regions))
            ours.append(key(*source, feature));
        QList<QByteArray> theirs;
        for (const QByteArray& line : bedtoolsIntersect(path, regions, scratch.path()))
            theirs.append(key(line));
        EXPECT_EQ(ours, theirs) << regions.first().toString().toStdString();
    }
}

TEST(GtfSource, MalformedLinesNameTheFileAndLine) {
    QTemporaryDir scratch;
    const struct {
        QByteArray text;
        const char* message;
    } cases[] = {
        {"#!genome-build x\n1\tsrc\texon\t0\t10\t.\t+\t.\tgene_id \"G\";\n", "line 2: invalid start '0'"},
        {"1\tsrc\texon\t10\t5\t.\t+\t.\tgene_id \"G\";\n", "line 1: end 5 is before start 10"},
        {"1\tsrc\texon\t10\t20\t.\t+\n", "line 1: expected 9 tab-separated columns, found 7"},
        {"1\tsrc\texon\t10\t20\t.\tup\t.\tgene_id \"G\";\n", "line 1: invalid strand 'up'"},
        {"1\tsrc\tCDS\t10\t20\t.\t+\t3\tgene_id \"G\";\n", "line 1: invalid frame '3'"},
    };
    int n = 0;
    for (const auto& bad : cases) {
        const QString path = scratch.filePath(QStringLiteral("bad%1.gtf").arg(++n));
        writeFile(path, bad.text);
        EXPECT_EQ(openError(path), path.toStdString() + ' ' + bad.message);
    }
    const QString missing = scratch.filePath(QStringLiteral("none.gtf.gz"));
    EXPECT_EQ(openError(missing), missing.toStdString() + " does not exist");
}
