#include "source/model/SchemaText.h"
#include "source/values/ShortType.h"

#include <gtest/gtest.h>

namespace {

struct TypeText {
    ValueType type;
    const char* text;
    const char* name;
};

const TypeText kTypeTexts[] = {
    {ValueType::Bool, "?", "Bool"},
    {ValueType::Int, "i", "Int"},
    {ValueType::Int64, "i8", "Int64"},
    {ValueType::Float64, "f8", "Float64"},
    {ValueType::String, "s", "String"},
    {ValueType::ByteArray, "@b", "Byte Array"},
    {ValueType::Float, "f4", "Float"},
    {ValueType::Categorical, "e", "Categorical"},
    {ValueType::KeyValuePairs, "o", "Key Value Pairs"},
    {ValueType::IntArray, "@i", "Int Array"},
    {ValueType::FloatArray, "@f4", "Float Array"},
    {ValueType::Float64Array, "@f8", "Float64 Array"},
    {ValueType::BoolArray, "@?", "Bool Array"},
    {ValueType::StringArray, "@s", "String Array"},
    {ValueType::CategoricalArray, "@e", "Categorical Array"},
    {ValueType::KeyValuePairsArray, "@o", "Array of Key Value Pairs"},
    {ValueType::Character, "b", "Character"},
};

QString parseError(const QByteArray& text) {
    ShortType parsed;
    QString error;
    EXPECT_FALSE(ShortType::parse(text, &parsed, &error)) << text.constData();
    return error;
}

} // namespace

TEST(ShortTypeTest, EveryTypeWritesAndReadsBack) {
    for (const TypeText& entry : kTypeTexts) {
        EXPECT_EQ(ShortType::text(entry.type), entry.text);
        EXPECT_EQ(ValueTypes::name(entry.type), entry.name);
        ShortType parsed;
        QString error;
        ASSERT_TRUE(ShortType::parse(entry.text, &parsed, &error)) << error.toStdString();
        EXPECT_EQ(parsed.type, entry.type) << entry.text;
        EXPECT_FALSE(parsed.zFlag || parsed.hashFlag);
    }
}

TEST(ShortTypeTest, LettersSizesAndFlags) {
    ShortType parsed;
    ASSERT_TRUE(ShortType::parse("f", &parsed));
    EXPECT_EQ(parsed.type, ValueType::Float);
    ASSERT_TRUE(ShortType::parse("a", &parsed));
    EXPECT_EQ(parsed.type, ValueType::ByteArray);
    ASSERT_TRUE(ShortType::parse("i4", &parsed));
    EXPECT_EQ(parsed.type, ValueType::Int);
    ASSERT_TRUE(ShortType::parse("z#@f8", &parsed));
    EXPECT_EQ(parsed, (ShortType{ValueType::Float64Array, true, true}));
    ASSERT_TRUE(ShortType::parse("#i", &parsed));
    EXPECT_EQ(parsed, (ShortType{ValueType::Int, false, true}));
    EXPECT_EQ(ShortType::text(ValueType::Int, true, true), "z#i");
    EXPECT_EQ(ShortType::text(ValueType::IntArray, false, true), "#@i");
    EXPECT_EQ((ShortType{ValueType::String, true, false}).text(), "zs");
}

TEST(ShortTypeTest, FailuresNameTheText) {
    EXPECT_EQ(parseError("q"), "Unrecognized schema character: q");
    EXPECT_EQ(parseError("is"), "Unrecognized schema character: is");
    EXPECT_EQ(parseError(""), "Unrecognized schema character: ");
    EXPECT_EQ(parseError("@a"), "Unrecognized schema character: @a");
    EXPECT_EQ(parseError("i8x"), "Unable to convert tail of schema to number: i8x");
    EXPECT_EQ(parseError("i3"), "Inappropriate byte size postfix in schema: i3");
    EXPECT_EQ(parseError("s8"), "Inappropriate byte size postfix in schema: s8");
    EXPECT_EQ(parseError("@i8"), "Inappropriate byte size postfix in schema: @i8");
}

TEST(SchemaTextTest, AlignedReadSchemaRoundTrips) {
    const QByteArray line = "Name=s\tBin=i\tMapQual=i\tFlag=i\tCigarOp=s\tCigarLen=@i\tMateChr=s\tMatePos=i\t"
                            "TemplateLen=i\tSeq=s\tAlign=s\tQual=s";
    VkFieldList fields;
    QString error;
    ASSERT_TRUE(SchemaText::parse(line, &fields, &error)) << error.toStdString();
    ASSERT_EQ(fields.size(), 12);
    EXPECT_EQ(fields.at(5).symbol, "CigarLen");
    EXPECT_EQ(fields.at(5).name, "CigarLen");
    EXPECT_EQ(fields.at(5).idx, 5);
    EXPECT_EQ(fields.at(5).valueType, ValueType::IntArray);
    EXPECT_EQ(SchemaText::write(fields), line);
}

TEST(SchemaTextTest, OneBadTypeRejectsTheWholeLine) {
    VkFieldList fields{VkField(0, "Keep", "Keep", ValueType::Int)};
    QString error;
    EXPECT_FALSE(SchemaText::parse("A=i\tB=i3\tC=s", &fields, &error));
    EXPECT_EQ(error, "Inappropriate byte size postfix in schema: i3");
    ASSERT_EQ(fields.size(), 1);
    EXPECT_EQ(fields.first().symbol, "Keep");
    ASSERT_TRUE(SchemaText::parse("", &fields));
    EXPECT_TRUE(fields.isEmpty());
}
