#include "formats/track/TrackTestSupport.h"
#include "source/readers/ReadMode.h"

#include <QTemporaryDir>

using namespace TrackTest;

namespace {

struct Point {
    VkSegment segment;
    float value;
};

const QList<Point> kSignal = {{VkSegment("chr19", 49304700, 49304850), 10.0f},
                              {VkSegment("chr19", 49304900, 49305050), 12.5f},
                              {VkSegment("chr19", 49305400, 49305550), 15.0f},
                              {VkSegment("chr19", 49307400, 49307600), 1000.0f},
                              {VkSegment("chr19", 49307700, 49307900), 900.0f},
                              {VkSegment("chr19", 49308000, 49308200), 800.0f},
                              {VkSegment("chr2", 99, 100), 0.5f},
                              {VkSegment("chr2", 109, 110), -1.25f},
                              {VkSegment("chr2", 119, 120), 300.0f},
                              {VkSegment("chr2", 499, 500), 7.0f}};

QList<Point> points(const VkFeatureList& features) {
    QList<Point> list;
    for (const VkFeature& feature : features)
        list.append({feature.segment(), feature.value(0).floatValue()});
    return list;
}

void expectPoints(const QList<Point>& actual, const QList<Point>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (int i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].segment, expected[i].segment) << i;
        EXPECT_EQ(actual[i].value, expected[i].value) << i;
    }
}

QList<Point> overlapping(const VkSegment& region) {
    QList<Point> list;
    for (const Point& point : kSignal)
        if (Vk::matches(point.segment, region, Vk::Overlap))
            list.append(point);
    return list;
}

} // namespace

TEST(WigSource, StepDeclarationsPlaceEachValue) {
    QTemporaryDir scratch;
    const QString plain = dataPath(QStringLiteral("wig/signal.wig"));
    // The same data as a plain gzip ".wigFix.gz".
    const QString gzipped = scratch.filePath(QStringLiteral("signal.wigFix.gz"));
    writeFile(gzipped, runPeer(QStringLiteral("gzip"), {QStringLiteral("-c"), plain}));
    for (const QString& path : {plain, gzipped}) {
        VkSourcePtr source = open(path);
        ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
        EXPECT_EQ(source->typeName(), QStringLiteral("WIG"));
        EXPECT_EQ(source->featureType(), QStringLiteral("Data Sequence"));
        ASSERT_EQ(source->schema().size(), 1);
        EXPECT_EQ(source->schema()[0].valueType, ValueType::Float);
        QString error;
        expectPoints(points(readAll(source, &error)), kSignal);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }
}

TEST(WigSource, RegionReadsFindThePointsTheyOverlap) {
    VkSourcePtr source = open(dataPath(QStringLiteral("wig/signal.wig")));
    for (const VkSegment& region :
         {VkSegment("chr19", 49304849, 49304901), VkSegment("chr19", 49307600, 49307700),
          VkSegment("chr19", 49307650, 49308001), VkSegment("chr2", 0, 1000),
          VkSegment("chr1", 0, 1000000)}) {
        SCOPED_TRACE(region.toString().toStdString());
        expectPoints(points(readRegions(source, {region})), overlapping(region));
    }
    // Reading from an offset starts at that point, with the declarations before it still applied.
    ReadRequest request;
    request.offset = 7;
    request.fieldList = {0};
    QString error;
    expectPoints(points(read(source, request, &error)), kSignal.mid(7));
}

TEST(WigSource, MalformedLinesNameTheFileAndLine) {
    QTemporaryDir scratch;
    const struct {
        QByteArray text;
        const char* message;
    } cases[] = {
        {"track type=wiggle_0\n12.5\n", "line 2: a data line before any variableStep or fixedStep line"},
        {"fixedStep chrom=chr1 step=5\n1\n", "line 1: fixedStep needs chrom= and start="},
        {"variableStep chrom=chr1 span=0\n", "line 1: invalid declaration setting 'span=0'"},
        {"variableStep chrom=chr1\n100 high\n", "line 2: invalid value 'high'"},
        {"fixedStep chrom=chr1 start=1\n1\n2 3\n",
         "line 3: a fixedStep data line holds one value, found 2 words"},
    };
    int n = 0;
    for (const auto& bad : cases) {
        const QString path = scratch.filePath(QStringLiteral("bad%1.wig").arg(++n));
        writeFile(path, bad.text);
        EXPECT_EQ(openError(path), path.toStdString() + ' ' + bad.message);
    }
}
