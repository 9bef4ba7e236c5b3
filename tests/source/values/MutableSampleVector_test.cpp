#include "source/values/MutableSampleVector.h"

#include <gtest/gtest.h>

namespace {

const int32_t kMissing = PVariant::MissingInt;

} // namespace

TEST(MutableSampleVectorTest, LevelZeroFillsMissingScalars) {
    IntSampleVector mine(QVector<int32_t>{kMissing, 3, kMissing});
    const IntSampleVector theirs(QVector<int32_t>{7, 9, kMissing});
    EXPECT_TRUE(mine.fillMissing(theirs, 0, 0, 0));
    EXPECT_EQ(mine.samples().at(0), 7);
    // A present value is kept.
    EXPECT_TRUE(mine.fillMissing(theirs, 1, 0, 0));
    EXPECT_EQ(mine.samples().at(1), 3);
    // Both missing: stays missing.
    EXPECT_FALSE(mine.fillMissing(theirs, 2, 0, 0));
    EXPECT_EQ(mine.samples().at(2), kMissing);
    EXPECT_EQ(mine.toPVariant(), PVariant(QVector<int32_t>{7, 3, kMissing}));
}

TEST(MutableSampleVectorTest, EachScalarTypeUsesItsSentinel) {
    FloatSampleVector floats(QVector<float>{PVariant::MissingFloat});
    EXPECT_TRUE(floats.fillMissing(FloatSampleVector(QVector<float>{0.5f}), 0, 0, 0));
    Float64SampleVector doubles(QVector<double>{PVariant::MissingFloat64});
    EXPECT_TRUE(doubles.fillMissing(Float64SampleVector(QVector<double>{2.0}), 0, 0, 0));
    BoolSampleVector bools(QVector<uint8_t>{PVariant::MissingBool, 0});
    EXPECT_TRUE(bools.fillMissing(BoolSampleVector(QVector<uint8_t>{1, 1}), 0, 0, 0));
    EXPECT_TRUE(bools.fillMissing(BoolSampleVector(QVector<uint8_t>{1, 1}), 1, 0, 0));
    EXPECT_EQ(bools.samples(), (QVector<uint8_t>{1, 0}));
    StringSampleVector texts(QVector<QByteArray>{"", "0/1"});
    EXPECT_TRUE(texts.fillMissing(StringSampleVector(QVector<QByteArray>{"1/1", "1/1"}), 0, 0, 0));
    EXPECT_EQ(texts.samples(), (QVector<QByteArray>{"1/1", "0/1"}));
}

TEST(MutableSampleVectorTest, BadLevelsIndexesAndKinds) {
    IntSampleVector mine(QVector<int32_t>{kMissing, kMissing});
    const IntSampleVector theirs(QVector<int32_t>{1});
    EXPECT_FALSE(mine.fillMissing(theirs, -1, 0, 0));
    EXPECT_FALSE(mine.fillMissing(theirs, 2, 0, 0));
    EXPECT_FALSE(mine.fillMissing(theirs, 1, 0, 0)); // outside the other vector
    EXPECT_FALSE(mine.fillMissing(theirs, 0, 0, 1)); // scalars have no elements
    EXPECT_FALSE(mine.fillMissing(theirs, 0, 0, 2));
    EXPECT_FALSE(mine.fillMissing(theirs, 0, 0, 3));
    EXPECT_FALSE(mine.fillMissing(theirs, 0, 0, -1));
    EXPECT_FALSE(mine.fillMissing(FloatSampleVector(QVector<float>{1.0f}), 0, 0, 0));
    EXPECT_EQ(mine.samples(), (QVector<int32_t>{kMissing, kMissing}));
}

TEST(MutableSampleVectorTest, ListLevels) {
    IntListSampleVector mine(QVector<QVector<int32_t>>{{}, {5, kMissing}, {1, 2}});
    const IntListSampleVector theirs(QVector<QVector<int32_t>>{{4, 4}, {6, 8, 9}, {}});

    // Level 0 takes the whole list when this one has none.
    EXPECT_TRUE(mine.fillMissing(theirs, 0, 0, 0));
    EXPECT_EQ(mine.samples().at(0), (QVector<int32_t>{4, 4}));
    EXPECT_TRUE(mine.fillMissing(theirs, 2, 0, 0));
    EXPECT_EQ(mine.samples().at(2), (QVector<int32_t>{1, 2}));

    // Level 1 fills one element inside the list.
    EXPECT_TRUE(mine.fillMissing(theirs, 1, 1, 1));
    EXPECT_EQ(mine.samples().at(1), (QVector<int32_t>{5, 8}));
    EXPECT_FALSE(mine.fillMissing(theirs, 1, 2, 1));
    EXPECT_FALSE(mine.fillMissing(theirs, 1, -1, 1));

    // Level 2 inserts at positions 0..size.
    EXPECT_TRUE(mine.fillMissing(theirs, 1, 2, 2));
    EXPECT_EQ(mine.samples().at(1), (QVector<int32_t>{5, 8, 9}));
    EXPECT_TRUE(mine.fillMissing(theirs, 1, 0, 2));
    EXPECT_EQ(mine.samples().at(1), (QVector<int32_t>{6, 5, 8, 9}));
    EXPECT_FALSE(mine.fillMissing(theirs, 1, 5, 2));
    EXPECT_FALSE(mine.fillMissing(theirs, 1, -1, 2));
    // Nothing to insert from the other list: the slot is added but stays missing.
    EXPECT_FALSE(mine.fillMissing(theirs, 2, 2, 2));
    EXPECT_EQ(mine.samples().at(2), (QVector<int32_t>{1, 2, kMissing}));
    EXPECT_FALSE(mine.fillMissing(theirs, 1, 0, 3));
}

TEST(MutableSampleVectorTest, EnumVectorSupportsLevelZeroOnly) {
    const int32_t missing = PVariant::MissingCategorical;
    SampleEnumVector<int32_t> mine(CategoricalVector({missing, 1}, {"", "Het"}));
    const SampleEnumVector<int32_t> theirs(CategoricalVector({2, 2}, {"Hom", "Hom"}));
    EXPECT_FALSE(mine.fillMissing(theirs, 0, 0, 1));
    EXPECT_TRUE(mine.fillMissing(theirs, 0, 0, 0));
    EXPECT_TRUE(mine.fillMissing(theirs, 1, 0, 0));
    EXPECT_FALSE(mine.fillMissing(theirs, 2, 0, 0));
    EXPECT_EQ(mine.toPVariant(), PVariant(CategoricalVector({2, 1}, {"Hom", "Het"})));
}

TEST(MutableSampleVectorTest, RoundTripThroughMatrixValues) {
    const PVariant depths(SampleMatrix(PVariant(QVector<int32_t>{10, 2, 7, 0}), {0, 2, 2, 4}));
    std::unique_ptr<MutableSampleVector> vector = MutableSampleVector::fromPVariant(depths);
    ASSERT_TRUE(vector);
    EXPECT_EQ(vector->sampleCount(), 3);
    EXPECT_EQ(vector->toPVariant(), depths);

    const PVariant qualities(QVector<float>{1.5f, PVariant::MissingFloat});
    vector = MutableSampleVector::fromPVariant(qualities);
    ASSERT_TRUE(vector);
    EXPECT_TRUE(vector->fillMissing(FloatSampleVector(QVector<float>{0, 3.0f}), 1, 0, 0));
    EXPECT_EQ(vector->toPVariant(), PVariant(QVector<float>{1.5f, 3.0f}));

    EXPECT_FALSE(MutableSampleVector::fromPVariant(PVariant(3)));
    EXPECT_FALSE(MutableSampleVector::fromPVariant(PVariant(PVariantVector{PVariant(1)})));
}
