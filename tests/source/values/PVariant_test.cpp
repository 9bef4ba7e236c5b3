#include "source/values/PVariant.h"

#include <gtest/gtest.h>

#include <limits>

TEST(PVariantTest, MissingSentinelsPerType) {
    EXPECT_TRUE(PVariant(-2147483647 - 1).isMissing());
    EXPECT_FALSE(PVariant(0).isMissing());
    EXPECT_TRUE(PVariant(-std::numeric_limits<double>::infinity()).isMissing());
    EXPECT_FALSE(PVariant(-1.0e300).isMissing());
    EXPECT_TRUE(PVariant(-3.4028234663852886e+38f).isMissing());
    EXPECT_FALSE(PVariant(-3.4e+38f).isMissing());
    EXPECT_TRUE(PVariant().isMissing());
    EXPECT_FALSE(PVariant(false).isMissing());
    EXPECT_EQ(PVariant::missing(ValueType::Bool).boolByte(), 2);

    for (ValueType type : {ValueType::Bool, ValueType::Int, ValueType::Int64, ValueType::Float64,
                           ValueType::Float, ValueType::String, ValueType::Categorical, ValueType::IntArray,
                           ValueType::StringArray, ValueType::KeyValuePairs, ValueType::VectorOfData}) {
        const PVariant value = PVariant::missing(type);
        EXPECT_EQ(value.type(), type);
        EXPECT_TRUE(value.isMissing()) << value.typeName().toStdString();
    }
}

TEST(PVariantTest, CopiesShareAndMovesEmpty) {
    const QByteArray chromosome("chr1");
    PVariant original(chromosome);
    PVariant copy(original);
    EXPECT_EQ(copy.bytes().constData(), chromosome.constData());
    EXPECT_EQ(copy, original);

    PVariant moved(std::move(copy));
    EXPECT_EQ(moved.bytes(), "chr1");
    EXPECT_FALSE(copy.isValid());

    PVariant assigned(3);
    assigned = moved;
    EXPECT_EQ(assigned, original);
    assigned = PVariant(QVector<int32_t>{1, 2, 3});
    EXPECT_EQ(assigned.intVector(), (QVector<int32_t>{1, 2, 3}));
    assigned = assigned;
    EXPECT_EQ(assigned.size(), 3);
    EXPECT_EQ(assigned.at(1), PVariant(2));
    EXPECT_FALSE(assigned.at(3).isValid());
}

// Writers reuse the text of a value they have just written when the next record carries a copy of it.
TEST(PVariantTest, OnlyCopiesShareData) {
    const PVariant depths(QVector<int32_t>{10, 20, 30});
    PVariant copy(depths);
    EXPECT_TRUE(copy.sharesDataWith(depths));
    EXPECT_FALSE(PVariant(QVector<int32_t>{10, 20, 30}).sharesDataWith(depths)); // equal, not shared
    EXPECT_FALSE(PVariant(QVector<float>{10, 20, 30}).sharesDataWith(depths));
    EXPECT_TRUE(PVariant(7).sharesDataWith(PVariant(7)));
    EXPECT_FALSE(PVariant(7).sharesDataWith(PVariant(8)));
}

TEST(PVariantTest, EqualityNeedsSameTypeAndValue) {
    EXPECT_NE(PVariant(1), PVariant(qint64(1)));
    EXPECT_NE(PVariant("a"), PVariant::byteArray("a"));
    EXPECT_EQ(PVariant::categorical(3, "Flags"), PVariant::categorical(3, "Flags"));
    EXPECT_NE(PVariant::categorical(3, "Flags"), PVariant::categorical(4, "Flags"));
    PVariantMap map{{"a", 1}, {"b", "x"}};
    EXPECT_EQ(PVariant(map), PVariant(PVariantMap{{"a", 1}, {"b", "x"}}));
    EXPECT_NE(PVariant(map), PVariant(PVariantMap{{"b", "x"}, {"a", 1}}));
}

TEST(PVariantTest, PlainTextOfSingleValues) {
    EXPECT_EQ(PVariant(true).toText(), "True");
    EXPECT_EQ(PVariant(false).toText(), "False");
    EXPECT_EQ(PVariant(-12).toText(), "-12");
    EXPECT_EQ(PVariant(qint64(1) << 40).toText(), "1099511627776");
    EXPECT_EQ(PVariant(3.14159265f).toText(), "3.14159");
    EXPECT_EQ(PVariant(0.1 + 0.2).toText(), "0.3");
    EXPECT_EQ(PVariant(1.0 / 3).toText(), "0.333333333333333");
    EXPECT_EQ(PVariant("a b\tc").toText(), "a b\tc");
    EXPECT_EQ(PVariant::categorical(1, "Missense").toText(), "Missense");
    EXPECT_EQ(PVariant::byteArray(" !\"#$&'()*+,/:;<=>?@[\\]^`{|}aZ09-._~").toText(),
              " !\"#$&'()*+,/:;<=>?@[\\]^`{|}aZ09-._~");
    EXPECT_EQ(PVariant::byteArray(QByteArray("%\n\x01\xff", 4)).toText(), "%25%0A%01%FF");
}

TEST(PVariantTest, ConversionsReportWhetherTheyWorked) {
    bool ok = false;
    EXPECT_TRUE(PVariant("TRUE").toBool(&ok));
    EXPECT_TRUE(ok);
    EXPECT_FALSE(PVariant(0).toBool(&ok));
    EXPECT_TRUE(ok);
    PVariant("maybe").toBool(&ok);
    EXPECT_FALSE(ok);
    PVariant::missing(ValueType::Bool).toBool(&ok);
    EXPECT_FALSE(ok);

    EXPECT_EQ(PVariant(" 42 ").toInt(&ok), 42);
    EXPECT_TRUE(ok);
    EXPECT_EQ(PVariant(5.0).toInt(&ok), 5);
    EXPECT_TRUE(ok);
    PVariant(5.5).toInt(&ok);
    EXPECT_FALSE(ok);
    PVariant(qint64(1) << 40).toInt(&ok);
    EXPECT_FALSE(ok);
    PVariant("x1").toInt(&ok);
    EXPECT_FALSE(ok);

    // A reader of the wrong type gets that type's sentinel rather than reinterpreted bits.
    EXPECT_EQ(PVariant(1.5).intValue(), PVariant::MissingInt);

    EXPECT_DOUBLE_EQ(PVariant("2.5").toDouble(&ok), 2.5);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(PVariant(true).toDouble(&ok), 1.0);
    PVariant(PVariantMap()).toDouble(&ok);
    EXPECT_FALSE(ok);
}

TEST(PVariantTest, ListsForOptionRecords) {
    const PVariant bools = PVariant::fromBoolList({true, false});
    EXPECT_EQ(bools.type(), ValueType::BoolArray);
    EXPECT_EQ(bools.toBoolList(), (QVector<bool>{true, false}));
    EXPECT_EQ(bools.toText(), "True,False");
    const PVariant texts = PVariant::fromStringList({"é", "b"});
    EXPECT_EQ(texts.stringVector().first(), "\xc3\xa9");
    EXPECT_EQ(texts.toStringList(), (QVector<QString>{"é", "b"}));
}

TEST(PVariantTest, SampleMatrixHoldsOneListPerSample) {
    const SampleMatrix matrix(PVariant(QVector<int32_t>{10, 2, 7, 0, 5}), {0, 2, 2, 5});
    ASSERT_TRUE(matrix.isValid());
    EXPECT_EQ(matrix.sampleCount(), 3);
    EXPECT_EQ(matrix.count(1), 0);
    const PVariant value(matrix);
    EXPECT_EQ(value.type(), ValueType::VectorOfData);
    EXPECT_TRUE(value.isSampleMatrix());
    EXPECT_EQ(value.elementType(), ValueType::IntArray);
    EXPECT_EQ(value.size(), 3);
    EXPECT_EQ(value.at(2), PVariant(QVector<int32_t>{7, 0, 5}));
    EXPECT_EQ(value.toText(), "10,2;;7,0,5");

    const SampleMatrix packed =
        SampleMatrix::fromSamples({PVariant(QVector<int32_t>{10, 2}), PVariant(QVector<int32_t>{}),
                                   PVariant(QVector<int32_t>{7, 0, 5})});
    EXPECT_EQ(packed, matrix);
    EXPECT_EQ(value, PVariant(PVariantVector{value.at(0), value.at(1), value.at(2)}));

    EXPECT_FALSE(SampleMatrix(PVariant(QVector<int32_t>{1}), {0, 2}).isValid());
    EXPECT_FALSE(SampleMatrix(PVariant(7), {0, 0}).isValid());
    EXPECT_FALSE(
        SampleMatrix::fromSamples({PVariant(QVector<int32_t>{1}), PVariant(QVector<float>{1})}).isValid());
}
