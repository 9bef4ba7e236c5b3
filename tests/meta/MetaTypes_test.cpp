#include "meta/MetaTypeBool.h"
#include "meta/MetaTypeEnum.h"
#include "meta/MetaTypeList.h"
#include "meta/MetaTypeNumber.h"

#include <QtEndian>
#include <gtest/gtest.h>

// How values stored in option records (as JSON gives them) read into each kind of option.
namespace {

PVariant base64Of(const QByteArray& raw) {
    return PVariant(QByteArray("__base64_data__") + raw.toBase64());
}

const MetaTypeBool kFlag("flag", QString(), QString(), false);
const MetaTypeInt kCount("count", QString(), QString(), 0);
const MetaTypeEnum kColour("colour", QStringLiteral("Colour"), QString(), 2, {2, 5, 9},
                           {"Red", "Green", "Blue"}, {"warm", "calm", "cold"});
const MetaTypeIntList kIdxs("idxs", QString(), QString(), {});
const MetaTypeDoubleList kValues("values", QString(), QString(), {});
const MetaTypeBoolList kMarks("marks", QString(), QString(), {});
const MetaTypeStringList kNames("names", QString(), QString(), {});

} // namespace

TEST(MetaTypes, StoredValuesReadIntoTheOptionsKindOrAreRefused) {
    const struct {
        const MetaTypeBase* type;
        PVariant stored;
        QVariant expected; // invalid: refused
    } cases[] = {
        {&kFlag, PVariant(true), true},
        {&kFlag, PVariant("false"), false},
        {&kFlag, PVariant("maybe"), {}},
        {&kCount, PVariant("12"), 12},
        {&kCount, PVariant("twelve"), {}},
        {&kCount, PVariant(1.5), {}},
        {&kColour, PVariant(9), 9},
        {&kColour, PVariant("Red"), 2},
        {&kColour, PVariant::categorical(5, "whatever"), 5},
        {&kColour, PVariant(3), {}},
        {&kColour, PVariant("red"), {}},
        {&kColour, PVariant(5.0), {}},
        {&kValues, PVariant(QVector<int32_t>{1, 2}), QVariant::fromValue(QVector<double>{1.0, 2.0})},
        {&kNames, PVariant::fromStringList({"a", "b"}), QVariant::fromValue(QVector<QString>{"a", "b"})},
        {&kNames, PVariant(QVector<int32_t>{1}), {}},
        {&kNames, PVariant("a"), {}},
        {&kIdxs, PVariant(PVariantVector()), QVariant::fromValue(QVector<int>())},
        {&kIdxs, PVariant(PVariantVector{PVariant(1), PVariant("x")}), {}},
    };
    for (const auto& c : cases) {
        QVariant out;
        const bool read = c.type->fromPVariant(c.stored, out);
        EXPECT_EQ(read, c.expected.isValid())
            << c.type->name().toStdString() << " " << c.stored.toText().toStdString();
        if (read) {
            EXPECT_EQ(out, c.expected)
                << c.type->name().toStdString() << " " << c.stored.toText().toStdString();
        }
    }
    // Enums are stored as categories that keep their names.
    const PVariant stored = kColour.toPVariant(5);
    EXPECT_EQ(stored.categoricalCode(), 5);
    EXPECT_EQ(stored.categoricalName(), "Green");
    EXPECT_EQ(kIdxs.toPVariant(QVariant::fromValue(QVector<int>{1, 2})), PVariant(QVector<int32_t>{1, 2}));
}

TEST(MetaTypes, ListsReadTheBase64ShortcutAsLittleEndianElements) {
    QByteArray raw(8, '\0');
    qToLittleEndian<qint32>(258, raw.data());
    qToLittleEndian<qint32>(-3, raw.data() + 4);
    QVariant out;
    ASSERT_TRUE(kIdxs.fromPVariant(base64Of(raw), out));
    EXPECT_EQ(out.value<QVector<int>>(), (QVector<int>{258, -3}));

    QByteArray rawDouble(8, '\0');
    qToLittleEndian<quint64>(0x3FF8000000000000ULL, rawDouble.data());
    ASSERT_TRUE(kValues.fromPVariant(base64Of(rawDouble), out));
    EXPECT_EQ(out.value<QVector<double>>(), QVector<double>{1.5});

    ASSERT_TRUE(kMarks.fromPVariant(base64Of(QByteArray("\x01\x00\x01", 3)), out));
    EXPECT_EQ(out.value<QVector<bool>>(), (QVector<bool>{true, false, true}));

    EXPECT_FALSE(kNames.fromPVariant(base64Of("abc"), out));
    EXPECT_FALSE(kIdxs.fromPVariant(PVariant("__base64_data__!!not base64!!"), out));
}
