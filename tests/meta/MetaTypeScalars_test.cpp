#include "meta/MetaTypeBool.h"
#include "meta/MetaTypeEnum.h"
#include "meta/MetaTypeNumber.h"
#include "meta/MetaTypeString.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

QVariant fromText(const MetaTypeUnit& type, const QString& text, bool byName) {
    QVariant out(QStringLiteral("untouched"));
    type.fromText(text, out, byName);
    return out;
}

MetaTypeEnum makeColours() {
    return MetaTypeEnum("colour", QStringLiteral("Colour"), QString(), 2, {2, 5, 9}, {"Red", "Green", "Blue"},
                        {"warm", "calm", "cold"});
}

} // namespace

TEST(MetaTypeBoolTest, ReadsWordsOnlyByNameAndDigitsAlways) {
    const MetaTypeBool type("flag", QString(), QString(), false);
    EXPECT_EQ(fromText(type, "TRUE", true), QVariant(true));
    EXPECT_EQ(fromText(type, "False", true), QVariant(false));
    EXPECT_EQ(fromText(type, "true", false), QVariant("untouched"));
    EXPECT_EQ(fromText(type, "1", true), QVariant(true));
    EXPECT_EQ(fromText(type, "1", false), QVariant(true));
    EXPECT_EQ(fromText(type, "0", false), QVariant(false));
    EXPECT_EQ(fromText(type, "2", true), QVariant("untouched"));
    EXPECT_EQ(fromText(type, "yes", true), QVariant("untouched"));
}

TEST(MetaTypeBoolTest, WritesReadableWordsOrDigits) {
    const MetaTypeBool type("flag", QString(), QString(), false);
    EXPECT_EQ(type.toText(true, true), "True");
    EXPECT_EQ(type.toText(false, true), "False");
    EXPECT_EQ(type.toText(true, false), "1");
    EXPECT_EQ(type.toText(false, false), "0");
}

TEST(MetaTypeBoolTest, AcceptsBoolsAndZeroOrOneIntegers) {
    const MetaTypeBool type("flag", QStringLiteral("Flag"), QString(), false);
    EXPECT_TRUE(type.isValid(true));
    EXPECT_TRUE(type.isValid(1));
    EXPECT_TRUE(type.isValid(QVariant(qint64(0))));
    EXPECT_FALSE(type.isValid(2));
    EXPECT_FALSE(type.isValid(1.0));
    EXPECT_FALSE(type.isValid(QStringLiteral("1")));
    EXPECT_EQ(type.invalidMessage(), "Flag must be a valid boolean value (0 or 1).\n");
}

TEST(MetaTypeBoolTest, ConvertsStoredValues) {
    const MetaTypeBool type("flag", QString(), QString(), false);
    QVariant out;
    ASSERT_TRUE(type.fromPVariant(PVariant(true), out));
    EXPECT_EQ(out, QVariant(true));
    ASSERT_TRUE(type.fromPVariant(PVariant("false"), out));
    EXPECT_EQ(out, QVariant(false));
    EXPECT_FALSE(type.fromPVariant(PVariant("maybe"), out));
    EXPECT_EQ(type.toPVariant(true).type(), ValueType::Bool);
}

TEST(MetaTypeIntTest, WithoutBoundsAcceptsEveryInt) {
    const MetaTypeInt type("count", QString(), QString(), 0);
    EXPECT_TRUE(type.isValid(std::numeric_limits<int>::min()));
    EXPECT_TRUE(type.isValid(std::numeric_limits<int>::max()));
    EXPECT_EQ(type.invalidMessage(), " must be.\n");
}

TEST(MetaTypeIntTest, ChecksEachSetBoundAndNamesItInTheMessage) {
    MetaTypeInt atMostTen("count", QStringLiteral("Count"), QString(), 0);
    atMostTen.setLessOrEqual(10);
    EXPECT_TRUE(atMostTen.isValid(10));
    EXPECT_FALSE(atMostTen.isValid(11));
    EXPECT_EQ(atMostTen.invalidMessage(), "Count must be less than or equal to 10.\n");

    MetaTypeInt range("count", QStringLiteral("Count"), QString(), 0);
    range.setGreaterThan(0);
    range.setLessThan(5);
    EXPECT_FALSE(range.isValid(0));
    EXPECT_TRUE(range.isValid(1));
    EXPECT_FALSE(range.isValid(5));
    EXPECT_EQ(range.invalidMessage(), "Count must be greater than 0 and  less than 5.\n");

    MetaTypeInt atLeast("count", QString(), QString(), 0);
    atLeast.setGreaterOrEqual(-1);
    EXPECT_TRUE(atLeast.isValid(-1));
    EXPECT_FALSE(atLeast.isValid(-2));
    EXPECT_EQ(atLeast.invalidMessage(), " must be greater than or equal to -1.\n");
}

TEST(MetaTypeIntTest, RejectsAnIntegerHeldAsAnotherType) {
    const MetaTypeInt type("count", QString(), QString(), 0);
    EXPECT_FALSE(type.isValid(3.0));
    EXPECT_FALSE(type.isValid(QVariant(qint64(3))));
    EXPECT_FALSE(type.isValid(QStringLiteral("3")));
}

TEST(MetaTypeIntTest, ConvertsTextAndStoredValues) {
    const MetaTypeInt type("count", QString(), QString(), 0);
    EXPECT_EQ(fromText(type, "-42", false), QVariant(-42));
    EXPECT_EQ(fromText(type, "4x", false), QVariant("untouched"));
    EXPECT_EQ(fromText(type, "0x10", false), QVariant("untouched"));
    EXPECT_EQ(type.toText(-42, false), "-42");
    QVariant out;
    ASSERT_TRUE(type.fromPVariant(PVariant("12"), out));
    EXPECT_EQ(out, QVariant(12));
    EXPECT_FALSE(type.fromPVariant(PVariant("twelve"), out));
    EXPECT_FALSE(type.fromPVariant(PVariant(1.5), out));
}

TEST(MetaTypeInt64Test, UsesItsOwnSentinelsAndType) {
    MetaTypeInt64 type("size", QStringLiteral("Size"), QString(), 0);
    EXPECT_EQ(MetaTypeInt64::kUpperUnset, -std::numeric_limits<qint64>::max());
    EXPECT_TRUE(type.isValid(QVariant(std::numeric_limits<qint64>::min())));
    EXPECT_FALSE(type.isValid(5));
    type.setGreaterThan(5000000000LL);
    EXPECT_FALSE(type.isValid(QVariant(qint64(5000000000LL))));
    EXPECT_TRUE(type.isValid(QVariant(qint64(5000000001LL))));
    EXPECT_EQ(type.invalidMessage(), "Size must be greater than 5000000000.\n");
    EXPECT_EQ(fromText(type, "9000000000", false), QVariant(qint64(9000000000LL)));
}

TEST(MetaTypeDoubleTest, AcceptsFloatsAndJoinsBoundsWithoutTrailingBlank) {
    MetaTypeDouble type("ratio", QStringLiteral("Ratio"), QString(), 0.5);
    EXPECT_EQ(MetaTypeDouble::kUpperUnset, std::numeric_limits<double>::min());
    EXPECT_TRUE(type.isValid(QVariant(0.25f)));
    EXPECT_FALSE(type.isValid(1));
    type.setGreaterOrEqual(0);
    type.setLessOrEqual(1.5);
    EXPECT_TRUE(type.isValid(1.5));
    EXPECT_FALSE(type.isValid(-0.1));
    EXPECT_EQ(type.invalidMessage(),
              "Ratio must be greater than or equal to 0 and less than or equal to 1.5.\n");
    EXPECT_EQ(type.toText(0.1, false), "0.1");
    EXPECT_EQ(type.toText(1.0 / 3.0, false), "0.333333333333333");
}

TEST(MetaTypeStringTest, ChecksPatternAndEmptinessWithTheirMessages) {
    MetaTypeString plain("name", QStringLiteral("Name"), QString(), QString());
    EXPECT_TRUE(plain.isValid(QString()));
    EXPECT_FALSE(plain.isValid(3));
    EXPECT_EQ(plain.invalidMessage(), "Name must be a valid string.\n");

    MetaTypeString chromosome("chr", QStringLiteral("Chr"), QString(), QString());
    chromosome.setPattern(QRegExp(QStringLiteral("chr[0-9]+")));
    EXPECT_TRUE(chromosome.isValid(QStringLiteral("chr12")));
    EXPECT_FALSE(chromosome.isValid(QStringLiteral("chr12_alt")));
    EXPECT_EQ(chromosome.invalidMessage(), "Chr must match the regular expression \"chr[0-9]+\".\n");

    MetaTypeString both("file", QStringLiteral("File"), QString(), QString());
    both.setPattern(QRegExp(QStringLiteral("*.vcf"), Qt::CaseInsensitive, QRegExp::Wildcard));
    both.setNotEmpty(true);
    EXPECT_TRUE(both.isValid(QStringLiteral("a.VCF")));
    EXPECT_FALSE(both.isValid(QString()));
    EXPECT_EQ(both.invalidMessage(),
              "File must match the pattern \"*.vcf\" (case insensitive) and File must not be empty.\n");

    MetaTypeString required("id", QString(), QString(), QString());
    required.setNotEmpty(true);
    EXPECT_FALSE(required.isValid(QString()));
    EXPECT_EQ(required.invalidMessage(), " must not be empty.\n");
}

TEST(MetaTypeEnumTest, ReadsExactNamesOrHeldNumbers) {
    const MetaTypeEnum type = makeColours();
    EXPECT_EQ(fromText(type, "Green", true), QVariant(5));
    EXPECT_EQ(fromText(type, "green", true), QVariant("untouched"));
    EXPECT_EQ(fromText(type, "9", false), QVariant(9));
    EXPECT_EQ(fromText(type, "3", false), QVariant("untouched"));
    EXPECT_EQ(fromText(type, "Green", false), QVariant("untouched"));
    EXPECT_EQ(type.toText(9, true), "Blue");
    EXPECT_EQ(type.toText(9, false), "9");
}

TEST(MetaTypeEnumTest, ValidatesAgainstItsValues) {
    const MetaTypeEnum type = makeColours();
    EXPECT_TRUE(type.isValid(5));
    EXPECT_FALSE(type.isValid(1));
    EXPECT_FALSE(type.isValid(5.0));
    EXPECT_EQ(type.invalidMessage(), "Colour must be one of {2,5,9}.\n");
}

TEST(MetaTypeEnumTest, ConvertsStoredValuesThroughCodesAndNames) {
    const MetaTypeEnum type = makeColours();
    QVariant out;
    ASSERT_TRUE(type.fromPVariant(PVariant(9), out));
    EXPECT_EQ(out, QVariant(9));
    ASSERT_TRUE(type.fromPVariant(PVariant("Red"), out));
    EXPECT_EQ(out, QVariant(2));
    ASSERT_TRUE(type.fromPVariant(PVariant::categorical(5, "whatever"), out));
    EXPECT_EQ(out, QVariant(5));
    EXPECT_FALSE(type.fromPVariant(PVariant(3), out));
    EXPECT_FALSE(type.fromPVariant(PVariant("red"), out));
    EXPECT_FALSE(type.fromPVariant(PVariant(5.0), out));

    const PVariant stored = type.toPVariant(5);
    EXPECT_EQ(stored.type(), ValueType::Categorical);
    EXPECT_EQ(stored.categoricalCode(), 5);
    EXPECT_EQ(stored.categoricalName(), "Green");
}
