#include "writers/ValueText.h"

#include <gtest/gtest.h>

namespace {
QByteArray text(const PVariant& value, const ValueTextStyle& style = {}) {
    QByteArray out;
    appendValueText(out, value, style);
    return out;
}

QByteArray sampleText(const PVariant& matrix, int sample, const ValueTextStyle& style = {}) {
    QByteArray out;
    appendSampleText(out, matrix, sample, style);
    return out;
}
} // namespace

TEST(ValueText, MissingValuesAndElementsTakeTheMissingText) {
    const ValueTextStyle style{";", "."};
    for (ValueType type : {ValueType::Int, ValueType::Int64, ValueType::Float, ValueType::Float64,
                           ValueType::Bool, ValueType::String, ValueType::IntArray})
        EXPECT_EQ(text(PVariant::missing(type), style), ".") << int(type);
    EXPECT_EQ(text(PVariant(), style), ".");
    EXPECT_EQ(text(PVariant(QVector<int32_t>{1, PVariant::MissingInt, 3}), style), "1;.;3");
    EXPECT_EQ(text(PVariant(QVector<float>{0.5f, PVariant::MissingFloat}), style), "0.5;.");
    EXPECT_EQ(text(PVariant(QVector<QByteArray>{"A", "", "T"}), style), "A;.;T");
    EXPECT_EQ(text(PVariant(QVector<uint8_t>{1, 2, 0}), style), "True;.;False");
}

TEST(ValueText, ListsJoinTheirElementsWithTheListDelimiter) {
    const ValueTextStyle style{"|", ""};
    EXPECT_EQ(text(PVariant(QVector<double>{1.5, 2.25}), style), "1.5|2.25");
    EXPECT_EQ(text(PVariant(CategoricalVector({0, 2}, {"PASS", "LowQual"})), style), "PASS|LowQual");
    EXPECT_EQ(text(PVariant(PVariantVector{PVariant(1), PVariant("a")}), style), "1|a");
}

TEST(ValueText, SampleTextPicksOneSampleOfAMatrixValue) {
    const PVariant genotypes(QVector<QByteArray>{"0/1", "", "1/1"});
    EXPECT_EQ(sampleText(genotypes, 0), "0/1");
    EXPECT_EQ(sampleText(genotypes, 1, {",", "NA"}), "NA");
    EXPECT_EQ(sampleText(genotypes, 2), "1/1");
    EXPECT_EQ(sampleText(genotypes, 3, {",", "NA"}), "NA");

    const PVariant depths(
        SampleMatrix::fromSamples({PVariant(QVector<int32_t>{14, 19}), PVariant(QVector<int32_t>{}),
                                   PVariant(QVector<int32_t>{0, 9, 7})}));
    EXPECT_EQ(sampleText(depths, 0), "14,19");
    EXPECT_EQ(sampleText(depths, 1, {",", "."}), ".");
    EXPECT_EQ(sampleText(depths, 2, {"/", "."}), "0/9/7");
}
