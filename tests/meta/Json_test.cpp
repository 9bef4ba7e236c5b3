#include "meta/Json.h"
#include "meta/VkOptionsDeclare.h"
#include "meta/families/AltRatioOptions.h"

#include <gtest/gtest.h>

#define VK_TEST_VERSIONED_OPTIONS(OPT)                                                                       \
    OPT(Int, count, setCount, 3, "Count")                                                                    \
    OPT(IntList, idxs, setIdxs, {}, "Indexes")                                                               \
    OPT(Enum, mode, setMode, 0, "Mode", .values({0, 1}, {"Fast", "Slow"}))

VK_DECLARE_OPTIONS(TestVersionedOptions, VkOptionsValue, 2, "A family in its second version",
                   VK_TEST_VERSIONED_OPTIONS)
VK_DEFINE_OPTIONS(TestVersionedOptions, VK_TEST_VERSIONED_OPTIONS)

namespace {

PVariant parse(const char* text) {
    PVariant value;
    QString error;
    EXPECT_TRUE(Json::read(text, value, &error)) << error.toStdString();
    return value;
}

PVariant sampleTree() {
    PVariantMap inner;
    inner.insert("b", PVariant(QVector<int32_t>{1, 2}));
    PVariantMap outer;
    outer.insert("zeta", PVariant(1));
    outer.insert("alpha", PVariant(inner));
    outer.insert("name", PVariant("x"));
    return PVariant(outer);
}

} // namespace

TEST(JsonTextTest, ParseErrorNamesTheLine) {
    PVariant value(7);
    QString error;
    EXPECT_FALSE(Json::read("{\n  \"a\": 1,\n  \"b\": }", value, &error));
    EXPECT_TRUE(error.startsWith("json error: line 3: ")) << error.toStdString();
    EXPECT_GT(error.size(), QString("json error: line 3: ").size());
    EXPECT_EQ(value, PVariant(7));
}

TEST(JsonTextTest, ReadingKeepsKeyOrderAndTypesArraysByTheirElements) {
    const PVariant tree =
        parse("{\"z\": [1, 2], \"a\": [1, 2.5], \"m\": [true, false], \"s\": [\"x\"],"
              " \"o\": [{\"k\": null}], \"v\": [1, \"x\"], \"e\": [], \"big\": 5000000000}");
    ASSERT_EQ(tree.type(), ValueType::KeyValuePairs);
    const PVariantMap& map = tree.map();
    EXPECT_EQ(map.keys(), (QVector<QByteArray>{"z", "a", "m", "s", "o", "v", "e", "big"}));
    EXPECT_EQ(map.value("z").type(), ValueType::IntArray);
    EXPECT_EQ(map.value("a").type(), ValueType::Float64Array);
    EXPECT_EQ(map.value("a").float64Vector(), (QVector<double>{1.0, 2.5}));
    EXPECT_EQ(map.value("m").type(), ValueType::BoolArray);
    EXPECT_EQ(map.value("s").type(), ValueType::StringArray);
    EXPECT_EQ(map.value("o").type(), ValueType::KeyValuePairsArray);
    EXPECT_FALSE(map.value("o").mapVector().first().value("k").isValid());
    EXPECT_EQ(map.value("v").type(), ValueType::VectorOfData);
    EXPECT_EQ(map.value("e").size(), 0);
    EXPECT_EQ(map.value("big").type(), ValueType::Int64);
    EXPECT_EQ(map.value("big").int64Value(), 5000000000LL);
}

TEST(JsonTextTest, TreesRoundTripThroughText) {
    EXPECT_EQ(Json::write(sampleTree()), "{\"zeta\": 1, \"alpha\": {\"b\": [1, 2]}, \"name\": \"x\"}");
    EXPECT_EQ(parse(Json::write(sampleTree(), Json::Style::Readable)), sampleTree());
    const PVariant text = parse(Json::write(PVariant("gr\xc3\xbc\xc3\x9f \"quoted\"")));
    EXPECT_EQ(text.bytes(), "gr\xc3\xbc\xc3\x9f \"quoted\"");
    EXPECT_EQ(Json::write(PVariant(PVariant::MissingFloat64)), "null");
    EXPECT_EQ(Json::write(PVariant::categorical(3, "Slow")), "\"Slow\"");
}

TEST(JsonRecordTest, VersionOneRecordWithoutDatabaseIdentityHasOnlyClassNameAndFields) {
    AltRatioOptions options;
    options.setDp4Idx(4);
    EXPECT_EQ(
        Json::writeOptions(options, Json::Style::Compact),
        "{\"className\":\"AltRatioOptions\",\"fields\":{\"sourceUrl\":\"\",\"insertFieldAtIdx\":-1,"
        "\"observedFieldIdx\":-1,\"depthFieldIdx\":-1,\"referenceObservationIdx\":-1,\"allelicDepthIdx\":-1,"
        "\"dp4Idx\":4,\"altRatioFieldSymbol\":\"VAF\",\"altRatioFieldName\":\"Variant Allele Freq\","
        "\"scrub\":false}}");
    QString error;
    const AltRatioOptions back(Json::readOptions(Json::writeOptions(options), &error));
    ASSERT_FALSE(back.isNull()) << error.toStdString();
    EXPECT_EQ(back, options);
}

TEST(JsonRecordTest, NewerVersionAndDatabaseIdentityAreWritten) {
    TestVersionedOptions options;
    options.setMode(1);
    options.setDbId(12);
    options.setDbGroupId(3);
    EXPECT_EQ(Json::writeOptions(options, Json::Style::Compact),
              "{\"className\":\"TestVersionedOptions\",\"classVersion\":2,"
              "\"fields\":{\"count\":3,\"idxs\":[],\"mode\":\"Slow\"},\"dbId\":12,\"dbGroupId\":3}");
    const TestVersionedOptions back(Json::readOptions(Json::writeOptions(options)));
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.dbId(), 12);
    EXPECT_EQ(back.dbGroupId(), 3);
    EXPECT_EQ(back, options);
}

TEST(JsonRecordTest, AbsentWrongTypedAndUnknownKeysLeaveDefaults) {
    const TestVersionedOptions options(
        Json::readOptions("{\"className\": \"TestVersionedOptions\", \"fields\": {\"count\": \"many\", "
                          "\"mode\": 1, \"other\": 5}}"));
    ASSERT_FALSE(options.isNull());
    EXPECT_EQ(options.count(), 3);
    EXPECT_EQ(options.mode(), 1);
    EXPECT_TRUE(options.idxs().isEmpty());
    EXPECT_EQ(options.dbId(), -1);

    const TestVersionedOptions numeric(
        Json::readOptions("{\"className\": \"TestVersionedOptions\", \"fields\": {\"count\": \"9\", "
                          "\"mode\": \"Fast\"}, \"dbId\": -1}"));
    EXPECT_EQ(numeric.count(), 9);
    EXPECT_EQ(numeric.mode(), 0);
    EXPECT_EQ(numeric.dbId(), -1);
}

TEST(JsonRecordTest, UnknownClassOrNonMapFieldsFailTheRead) {
    QString error;
    EXPECT_TRUE(Json::readOptions("{\"className\": \"NoSuchOptions\", \"fields\": {}}", &error).isNull());
    EXPECT_EQ(error, "Unknown option class: NoSuchOptions");
    EXPECT_TRUE(Json::readOptions("{\"className\": \"AltRatioOptions\", \"fields\": [1]}", &error).isNull());
    EXPECT_EQ(error, "Fields of option record AltRatioOptions are not a map");
    EXPECT_TRUE(Json::readOptions("[1]", &error).isNull());
    EXPECT_EQ(error, "Option record is not a map");
    EXPECT_TRUE(Json::readOptions("{", &error).isNull());
    EXPECT_TRUE(error.startsWith("json error: line 1: "));
}
