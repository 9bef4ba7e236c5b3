#include "formats/track/LineTrack.h"
#include "formats/track/TrackTestSupport.h"

#include <QTemporaryDir>

using namespace TrackTest;

namespace {

// A feature as the BED line it came from.
QByteArray bedLine(const VkFeature& feature, int fieldCount) {
    QList<QByteArray> columns = {feature.segment().chromosome(),
                                 QByteArray::number(feature.segment().start()),
                                 QByteArray::number(feature.segment().stop())};
    for (int i = 0; i < fieldCount; ++i)
        columns.append(feature.value(i).toText());
    return columns.join('\t');
}

QList<QByteArray> bedLines(const VkFeatureList& features, int fieldCount) {
    QList<QByteArray> lines;
    for (const VkFeature& feature : features)
        lines.append(bedLine(feature, fieldCount));
    return lines;
}

// Block lists lose the trailing comma BED writers add.
QList<QByteArray> normalized(const QList<QByteArray>& lines) {
    QList<QByteArray> result;
    for (const QByteArray& line : lines) {
        QList<QByteArray> columns = line.split('\t');
        for (QByteArray& column : columns)
            if (column.endsWith(','))
                column.chop(1);
        result.append(columns.join('\t'));
    }
    return result;
}

QList<QByteArray> dataLines(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.isEmpty() && !line.startsWith('#') && !line.startsWith("track") &&
            !line.startsWith("browser"))
            lines.append(line);
    return normalized(lines);
}

const QList<QList<VkSegment>> kRegionSets = {
    {VkSegment("chr1", 20000, 40000)},
    {VkSegment("chr1", 14409, 14410)}, // one base past the end of NR_046018
    {VkSegment("chr1", 150500, 150501)},
    {VkSegment("chr1", 0, 1000)},
    {VkSegment("chr2", 0, 250000), VkSegment("chr1", 762000, 763000)},
    {VkSegment("chr10", 880, 890), VkSegment("chr10", 0, 100000)},
    {VkSegment("chrX", 99850000, 99890000)},
    {VkSegment("chr7", 0, 1000000)}};

void expectRegionsMatchBedtools(const QString& path, const QTemporaryDir& scratch, qint64 memoryBudget) {
    VkSourcePtr source = open(path);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    source->resource<LineTrack>()->setMemoryBudget(memoryBudget);
    const int fieldCount = source->schema().size();
    for (const QList<VkSegment>& regions : kRegionSets) {
        QString error;
        const VkFeatureList features = readRegions(source, regions, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_EQ(bedLines(features, fieldCount),
                  normalized(bedtoolsIntersect(path, regions, scratch.path())))
            << path.toStdString() << " " << regions.first().toString().toStdString();
    }
}

// tabix, like htslib's region reader, cannot skip "track" and "browser" lines: they are left out.
QString bgzipWithTabix(const QString& bed, const QTemporaryDir& scratch) {
    const QString sorted = scratch.filePath(QStringLiteral("refseq.bed"));
    QByteArray lines;
    for (const QByteArray& line : splitLines(readFile(bed)))
        if (!line.startsWith("track") && !line.startsWith("browser"))
            lines += line + '\n';
    writeFile(sorted, lines);
    runPeer(QStringLiteral("bgzip"), {sorted});
    runPeer(QStringLiteral("tabix"),
            {QStringLiteral("-p"), QStringLiteral("bed"), sorted + QStringLiteral(".gz")});
    return sorted + QStringLiteral(".gz");
}

} // namespace

TEST(BedSource, DescribesTheColumnsAsFields) {
    VkSourcePtr bed12 = open(dataPath(QStringLiteral("bed/refseq.bed")));
    ASSERT_TRUE(bed12->isValid()) << bed12->errorText().toStdString();
    EXPECT_EQ(bed12->typeName(), QStringLiteral("BED"));
    EXPECT_EQ(bed12->info().format, QStringLiteral("BED"));
    EXPECT_EQ(bed12->featureType(), QStringLiteral("Interval"));
    ASSERT_EQ(bed12->schema().size(), 9);
    EXPECT_EQ(bed12->schema()[0].name, QByteArray("Name"));
    EXPECT_EQ(bed12->schema()[1].valueType, ValueType::Float64);
    EXPECT_EQ(bed12->schema()[3].valueType, ValueType::Int);
    EXPECT_EQ(bed12->schema()[8].name, QByteArray("BlockStarts"));
    EXPECT_EQ(bed12->schema()[8].valueType, ValueType::IntArray);

    VkSourcePtr bed3 = open(dataPath(QStringLiteral("bed/regions3.bed")));
    ASSERT_TRUE(bed3->isValid());
    EXPECT_TRUE(bed3->schema().isEmpty());
}

TEST(BedSource, ReadsEveryDataLineInOrder) {
    for (const char* name : {"bed/refseq.bed", "bed/regions3.bed"}) {
        const QString path = dataPath(QString::fromLatin1(name));
        VkSourcePtr source = open(path);
        QString error;
        const VkFeatureList features = readAll(source, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_EQ(bedLines(features, source->schema().size()), dataLines(path)) << name;
    }
    const VkFeatureList genes = readAll(open(dataPath(QStringLiteral("bed/refseq.bed"))));
    ASSERT_EQ(genes.size(), 15);
    const VkFeature& last = genes.last();
    EXPECT_EQ(last.value(0).bytes(), QByteArray("NM_003280"));
    EXPECT_EQ(last.value(1).float64Value(), 960.0);
    EXPECT_EQ(last.value(2).bytes(), QByteArray("-"));
    EXPECT_EQ(last.value(3).intValue(), 99885794);
    EXPECT_EQ(last.value(5).bytes(), QByteArray("255,0,0"));
    EXPECT_EQ(last.value(6).intValue(), 6);
    EXPECT_EQ(last.value(7).intVector(), QVector<int32_t>({2138, 157, 94, 154, 141, 124}));
}

TEST(BedSource, RegionReadsAgreeWithBedtools) {
    QTemporaryDir scratch;
    for (const char* name : {"bed/refseq.bed", "bed/regions3.bed"}) {
        // From the in-memory index, then from a scan when the file is over the memory budget.
        expectRegionsMatchBedtools(dataPath(QString::fromLatin1(name)), scratch,
                                   LineTrack::DefaultMemoryBudget);
        expectRegionsMatchBedtools(dataPath(QString::fromLatin1(name)), scratch, 0);
    }
}

TEST(BedSource, TabixIndexedFileAgreesWithTabix) {
    QTemporaryDir scratch;
    const QString path = bgzipWithTabix(dataPath(QStringLiteral("bed/refseq.bed")), scratch);
    VkSourcePtr source = open(path);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->resource<LineTrack>()->tabixPath(), path + QStringLiteral(".tbi"));
    EXPECT_EQ(readAll(source).size(), 15);
    for (const VkSegment& region : {VkSegment("chr1", 20000, 40000), VkSegment("chr2", 0, 250000),
                                    VkSegment("chrX", 99890000, 99890001), VkSegment("chr9", 0, 100)}) {
        QList<QByteArray> expected =
            runPeer(QStringLiteral("tabix"), {path, QStringLiteral("%1:%2-%3")
                                                        .arg(QString::fromUtf8(region.chromosome()))
                                                        .arg(region.start() + 1)
                                                        .arg(region.stop())})
                .split('\n');
        expected.removeAll(QByteArray());
        QString error;
        EXPECT_EQ(bedLines(readRegions(source, {region}, &error), 9), normalized(expected))
            << region.toString().toStdString();
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }
    // A record overlapping two of the regions comes once.
    QString error;
    EXPECT_EQ(readRegions(source, {VkSegment("chr1", 14000, 15000), VkSegment("chr1", 14300, 14400)}, &error)
                  .size(),
              2);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
}

TEST(BedSource, MalformedLinesNameTheFileAndLine) {
    QTemporaryDir scratch;
    const struct {
        QByteArray text;
        const char* message;
    } cases[] = {
        {"chr1\t100\n", "line 1: a BED line needs at least 3 tab-separated columns, found 2"},
        {"track name=x\nchr1\t100\t200\nchr1\tabc\t300\n", "line 3: invalid start 'abc'"},
        {"chr1\t300\t200\n", "line 1: end 200 is before start 300"},
        {"chr1\t1\t2\tA\nchr1\t5\t6\n", "line 2: expected 4 tab-separated columns, found 3"},
        {"chr1\t1\t2\tA\t0\t*\n", "line 1: invalid strand '*'"},
        {"chr1\t1\t2\tA\thigh\n", "line 1: invalid score 'high'"},
    };
    int n = 0;
    for (const auto& bad : cases) {
        const QString path = scratch.filePath(QStringLiteral("bad%1.bed").arg(++n));
        writeFile(path, bad.text);
        VkSourcePtr source = open(path);
        EXPECT_FALSE(source->isValid());
        EXPECT_EQ(source->errorText().toStdString(), path.toStdString() + ' ' + bad.message);
    }

    // Past the lines checked at open, the read that meets the line fails.
    QByteArray late;
    for (int i = 0; i < 1500; ++i)
        late += "chr1\t" + QByteArray::number(i * 10) + '\t' + QByteArray::number(i * 10 + 5) + '\n';
    late += "chr1\t-5\t10\n";
    const QString latePath = scratch.filePath(QStringLiteral("late.bed"));
    writeFile(latePath, late);
    VkSourcePtr source = open(latePath);
    ASSERT_TRUE(source->isValid());
    const QString expected = latePath + QStringLiteral(" line 1501: invalid start '-5'");
    QString error;
    readAll(source, &error);
    EXPECT_EQ(error.toStdString(), expected.toStdString());
    error.clear();
    EXPECT_TRUE(readRegions(source, {VkSegment("chr1", 0, 100)}, &error).isEmpty());
    EXPECT_EQ(error.toStdString(), expected.toStdString());

    const QString missing = scratch.filePath(QStringLiteral("missing.bed"));
    EXPECT_EQ(openError(missing), missing.toStdString() + " does not exist");
}
