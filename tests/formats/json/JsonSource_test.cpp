#include "formats/track/TrackTestSupport.h"

#include <QTemporaryDir>

using namespace TrackTest;

TEST(JsonSource, FieldsTakeTheTypeTheirValuesShare) {
    VkSourcePtr source = open(dataPath(QStringLiteral("json/genes.cvl-json")));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->typeName(), QStringLiteral("StructuredJSON"));
    EXPECT_EQ(source->featureType(), QStringLiteral("Interval"));
    EXPECT_EQ(source->info().locusCount, 3);
    QList<QByteArray> names;
    QList<ValueType> types;
    for (const VkField& field : source->schema()) {
        names.append(field.name);
        types.append(field.valueType);
    }
    EXPECT_EQ(names, QList<QByteArray>({"Gene", "Exons", "Score", "Tags", "Note", "Biotype", "Length"}));
    EXPECT_EQ(types,
              QList<ValueType>({ValueType::String, ValueType::Int, ValueType::Float64, ValueType::StringArray,
                                ValueType::String, ValueType::String, ValueType::Int64}));

    const VkFeatureList features = readAll(source);
    ASSERT_EQ(features.size(), 3);
    EXPECT_EQ(features[0].segment(), VkSegment("1", 11868, 14409));
    EXPECT_EQ(features[0].value(4).bytes(), QByteArray("5"));
    EXPECT_EQ(features[0].value(5).bytes(), QByteArray("transcribed_unprocessed_pseudogene"));
    EXPECT_EQ(features[1].value(2).float64Value(), 1.0);
    EXPECT_EQ(features[1].value(3).stringVector(), QVector<QByteArray>({"basic", "CCDS"}));
    EXPECT_EQ(features[2].segment(), VkSegment("2", 38813, 46870));
    EXPECT_TRUE(features[2].value(2).isMissing());
    EXPECT_EQ(features[2].value(6).int64Value(), 3000000000LL);
    EXPECT_TRUE(features[0].value(6).isMissing());
}

TEST(JsonSource, RegionReadsAndFieldLists) {
    VkSourcePtr source = open(dataPath(QStringLiteral("json/genes.cvl-json")));
    ReadRequest request;
    request.kind = ReadRequest::Region;
    request.regions = {VkSegment("1", 14000, 14404), VkSegment("2", 46869, 50000)};
    request.fieldList = {0};
    QString error;
    const VkFeatureList features = read(source, request, &error);
    ASSERT_EQ(features.size(), 3);
    EXPECT_EQ(features[1].value(0).bytes(), QByteArray("WASH7P"));
    EXPECT_FALSE(features[1].value(1).isValid());
    EXPECT_TRUE(readRegions(source, {VkSegment("1", 29570, 40000)}).isEmpty());
}

TEST(JsonSource, FailuresSayWhatIsWrong) {
    QTemporaryDir scratch;
    const QString missing = scratch.filePath(QStringLiteral("none.gene-pref"));
    EXPECT_EQ(openError(missing), "'" + missing.toStdString() + "' does not exist");

    const QString broken = scratch.filePath(QStringLiteral("broken.gene-pref"));
    writeFile(broken, "[\n{\"chromosome\": \"1\", \"start\": 1,,}\n]");
    EXPECT_EQ(openError(broken).rfind(broken.toStdString() + ": json error: line 2", 0), 0u)
        << openError(broken);

    const QString noStop = scratch.filePath(QStringLiteral("nostop.cvl-json"));
    writeFile(noStop, "{\"features\": [{\"chromosome\": \"1\", \"start\": 5, \"stop\": 9},"
                      " {\"chromosome\": \"1\", \"start\": 5}]}");
    EXPECT_EQ(openError(noStop),
              noStop.toStdString() + ": feature 2 needs a chromosome, a start and a stop at or after it");

    const QString notArray = scratch.filePath(QStringLiteral("scalar.cvl-json"));
    writeFile(notArray, "42");
    EXPECT_EQ(openError(notArray), notArray.toStdString() + ": expected an array of feature objects");
}
