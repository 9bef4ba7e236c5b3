#include "meta/MetaTypeList.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

PVariant base64Of(const QByteArray& raw) {
    return PVariant(QByteArray("__base64_data__") + raw.toBase64());
}

} // namespace

TEST(MetaTypeListTest, OneBadElementFailsTheWholeTextList) {
    const MetaTypeIntList type("idxs", QString(), QString(), {});
    QVariant out = QVariant::fromValue(QVector<int>{7});
    EXPECT_FALSE(type.fromTextList({"1", "x", "3"}, out));
    EXPECT_EQ(out.value<QVector<int>>(), QVector<int>{7});
    ASSERT_TRUE(type.fromTextList({"1", "-2", "3"}, out));
    EXPECT_EQ(out.value<QVector<int>>(), (QVector<int>{1, -2, 3}));
}

TEST(MetaTypeListTest, WritesElementsWithTheElementRule) {
    const MetaTypeDoubleList doubles("values", QString(), QString(), {});
    EXPECT_EQ(doubles.toTextList(QVariant::fromValue(QVector<double>{0.5, 1.0 / 3.0})),
              (QStringList{"0.5", "0.333333333333333"}));
    const MetaTypeBoolList bools("flags", QString(), QString(), {});
    QVariant out;
    ASSERT_TRUE(bools.fromTextList({"true", "0", "1"}, out));
    EXPECT_EQ(out.value<QVector<bool>>(), (QVector<bool>{true, false, true}));
    EXPECT_EQ(bools.toTextList(out), (QStringList{"1", "0", "1"}));
}

TEST(MetaTypeListTest, ReadsStoredVectorsElementByElement) {
    const MetaTypeDoubleList doubles("values", QString(), QString(), {});
    QVariant out;
    ASSERT_TRUE(doubles.fromPVariant(PVariant(QVector<int32_t>{1, 2}), out));
    EXPECT_EQ(out.value<QVector<double>>(), (QVector<double>{1.0, 2.0}));

    const MetaTypeStringList strings("names", QString(), QString(), {});
    ASSERT_TRUE(strings.fromPVariant(PVariant::fromStringList({"a", "b"}), out));
    EXPECT_EQ(out.value<QVector<QString>>(), (QVector<QString>{"a", "b"}));
    EXPECT_FALSE(strings.fromPVariant(PVariant(QVector<int32_t>{1}), out));
    EXPECT_FALSE(strings.fromPVariant(PVariant("a"), out));

    const MetaTypeIntList ints("idxs", QString(), QString(), {});
    ASSERT_TRUE(ints.fromPVariant(PVariant(PVariantVector()), out));
    EXPECT_TRUE(out.value<QVector<int>>().isEmpty());
    EXPECT_FALSE(ints.fromPVariant(PVariant(PVariantVector{PVariant(1), PVariant("x")}), out));
}

TEST(MetaTypeListTest, ReadsTheBase64ShortcutAsLittleEndianElements) {
    QByteArray raw(8, '\0');
    qToLittleEndian<qint32>(258, raw.data());
    qToLittleEndian<qint32>(-3, raw.data() + 4);
    const MetaTypeIntList ints("idxs", QString(), QString(), {});
    QVariant out;
    ASSERT_TRUE(ints.fromPVariant(base64Of(raw), out));
    EXPECT_EQ(out.value<QVector<int>>(), (QVector<int>{258, -3}));

    QByteArray rawDouble(8, '\0');
    qToLittleEndian<quint64>(0x3FF8000000000000ULL, rawDouble.data());
    const MetaTypeDoubleList doubles("values", QString(), QString(), {});
    ASSERT_TRUE(doubles.fromPVariant(base64Of(rawDouble), out));
    EXPECT_EQ(out.value<QVector<double>>(), QVector<double>{1.5});

    const MetaTypeBoolList bools("flags", QString(), QString(), {});
    ASSERT_TRUE(bools.fromPVariant(base64Of(QByteArray("\x01\x00\x01", 3)), out));
    EXPECT_EQ(out.value<QVector<bool>>(), (QVector<bool>{true, false, true}));

    const MetaTypeStringList strings("names", QString(), QString(), {});
    EXPECT_FALSE(strings.fromPVariant(base64Of("abc"), out));
    EXPECT_FALSE(ints.fromPVariant(PVariant("__base64_data__!!not base64!!"), out));
}

TEST(MetaTypeListTest, WritesTypedArrays) {
    const MetaTypeIntList ints("idxs", QString(), QString(), {4});
    EXPECT_EQ(ints.defaultValue().value<QVector<int>>(), QVector<int>{4});
    const PVariant stored = ints.toPVariant(QVariant::fromValue(QVector<int>{1, 2}));
    EXPECT_EQ(stored.type(), ValueType::IntArray);
    EXPECT_EQ(stored.size(), 2);
    const MetaTypeBoolList bools("flags", QString(), QString(), {});
    EXPECT_EQ(bools.toPVariant(QVariant::fromValue(QVector<bool>{true})).type(), ValueType::BoolArray);
}
