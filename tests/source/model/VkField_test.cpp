#include "source/model/VkField.h"

#include <gtest/gtest.h>

namespace {

VkField genotypeQualityField() {
    VkField field(7, "Genotype Qualities", "GQ", ValueType::Int, VkField::Matrix);
    field.format = {"GQ", "DP"};
    return field;
}

} // namespace

TEST(VkFieldTest, GenotypicOnlyWithExactGT) {
    VkField field = genotypeQualityField();
    EXPECT_FALSE(field.toMap().contains("genotypic"));
    field.format.append("gt");
    EXPECT_FALSE(field.toMap().contains("genotypic"));
    field.format.append("GT");
    const PVariantMap map = field.toMap();
    EXPECT_EQ(map.value("genotypic"), PVariant(true));
    EXPECT_EQ(map.indexOf("genotypic"), map.indexOf("format") + 1);
}

TEST(VkFieldTest, FullMapKeepsKeyOrderAndRoundTrips) {
    VkField field(3, "Filter", "FILTER", ValueType::Categorical, VkField::LocusAttribute);
    field.format = {"GT"};
    field.enumValues = {0, 5};
    field.enumNames = {"PASS", "LowQual"};
    field.props.insert("Number", "1");
    field.doc = QStringLiteral("Filter status");
    field.urlTemplate = QStringLiteral("https://example.org/$$");

    const PVariantMap map = field.toMap();
    EXPECT_EQ(map.keys(), (QVector<QByteArray>{"idx", "name", "symbol", "type", "fieldType", "format",
                                               "genotypic", "enum", "props", "doc", "urlTemplate"}));
    EXPECT_EQ(map.value("enum"), PVariant(PVariantMap{{"PASS", 0}, {"LowQual", 5}}));

    VkField read;
    QString error;
    ASSERT_TRUE(VkField::fromMap(map, &read, &error)) << error.toStdString();
    EXPECT_EQ(read, field);
    EXPECT_EQ(read.enumName(5), "LowQual");
    EXPECT_EQ(read.enumCode("PASS"), 0);
    EXPECT_EQ(read.enumCode("Missing"), PVariant::MissingCategorical);
}

TEST(VkFieldTest, ReadingAcceptsAlternativeKeys) {
    PVariantMap map{{"idx", 1}, {"name", "Effect"}, {"type", "@e"}, {"fieldType", "matrix"}};
    map.insert("enums", QVector<QByteArray>{"Low", "High"});
    map.insert("attributes", PVariantMap{{"Source", "snpEff"}});
    VkField field;
    ASSERT_TRUE(VkField::fromMap(map, &field));
    EXPECT_EQ(field.valueType, ValueType::CategoricalArray);
    EXPECT_TRUE(field.isMatrix());
    EXPECT_EQ(field.enumNames, (QVector<QByteArray>{"Low", "High"}));
    EXPECT_EQ(field.enumValues, (QVector<int32_t>{0, 1}));
    EXPECT_EQ(field.props.value("Source"), PVariant("snpEff"));
}

TEST(VkFieldTest, ReadingRejectsBadType) {
    VkField field = genotypeQualityField();
    QString error;
    EXPECT_FALSE(VkField::fromMap(PVariantMap{{"idx", 0}, {"name", "X"}, {"type", "q"}}, &field, &error));
    EXPECT_EQ(error, "Unrecognized schema character: q");
    EXPECT_EQ(field.symbol, "GQ");
}
