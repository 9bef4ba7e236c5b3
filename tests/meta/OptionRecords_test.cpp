#include "meta/VkOptionsDeclare.h"
#include "meta/families/AltRatioOptions.h"
#include "meta/families/FieldMetaOptions.h"

#include <QAtomicInt>
#include <QThread>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

// A family with one option of every kind, an intermediate parent and a derived family.
#define VK_TEST_BASE_OPTIONS(OPT) OPT(String, sourceUrl, setSourceUrl, "in.vcf", "Input", .scrub())

VK_DECLARE_OPTIONS(TestBaseOptions, VkOptionsValue, 1, "Base of the test families", VK_TEST_BASE_OPTIONS)

#define VK_TEST_SHAPE_OPTIONS(OPT)                                                                           \
    OPT(Bool, filled, setFilled, true, "Filled")                                                             \
    OPT(Int, sides, setSides, 4, "Sides", .label("Sides").greaterOrEqual(3).lessOrEqual(10))                 \
    OPT(Int64, area, setArea, 12, "Area", .greaterThan(0))                                                   \
    OPT(Double, ratio, setRatio, 0.5, "Ratio", .lessThan(1))                                                 \
    OPT(String, name, setName, "square", "Name", .label("Name").notEmpty())                                  \
    OPT(Enum, colour, setColour, 2, "Colour", .values({1, 2, 4}, {"Red", "Green", "Blue"}))                  \
    OPT(BoolList, marks, setMarks, ({true, false}), "Marks")                                                 \
    OPT(IntList, corners, setCorners, ({1, 2}), "Corners")                                                   \
    OPT(DoubleList, weights, setWeights, {}, "Weights")                                                      \
    OPT(StringList, tags, setTags, ({"a"}), "Tags")                                                          \
    OPT(Options, field, setField, FieldMetaOptions, "A field")                                               \
    OPT(OptionsList, fields, setFields, FieldMetaOptions, "Fields")

VK_DECLARE_OPTIONS(TestShapeOptions, TestBaseOptions, 1, "Shapes for tests", VK_TEST_SHAPE_OPTIONS)

VK_DEFINE_OPTIONS(TestBaseOptions, VK_TEST_BASE_OPTIONS)
VK_DEFINE_OPTIONS(TestShapeOptions, VK_TEST_SHAPE_OPTIONS)

namespace {

FieldMetaOptions makeField(const QString& name) {
    FieldMetaOptions field;
    field.setName(name);
    return field;
}

} // namespace

TEST(OptionRecordTest, GenericAccessReadsWritesAndResetsByName) {
    TestShapeOptions shape;
    EXPECT_EQ(shape.option("sides"), QVariant(4));
    ASSERT_TRUE(shape.setOption("sides", 7));
    EXPECT_EQ(shape.sides(), 7);
    EXPECT_FALSE(shape.setOption("noSuchOption", 1));
    EXPECT_FALSE(shape.option("noSuchOption").isValid());
    shape.setName("hexagon");
    shape.resetOption("sides");
    shape.resetOption("noSuchOption");
    EXPECT_EQ(shape.sides(), 4);
    EXPECT_EQ(shape.name(), "hexagon");
    shape.resetAll();
    EXPECT_EQ(shape.name(), "square");
}

TEST(OptionRecordTest, CopyFromTakesTheOptionsBothRecordsHave) {
    TestShapeOptions shape;
    shape.setSourceUrl("shape.tsf");
    shape.setSides(6);
    TestBaseOptions base;
    base.copyFrom(shape);
    EXPECT_EQ(base.sourceUrl(), "shape.tsf");
    TestShapeOptions other;
    other.copyFrom(base);
    EXPECT_EQ(other.sourceUrl(), "shape.tsf");
    EXPECT_EQ(other.sides(), 4);
}

TEST(OptionRecordTest, ValidationNamesTheFirstInvalidOption) {
    TestShapeOptions shape;
    QString error;
    EXPECT_TRUE(shape.validate(&error));
    EXPECT_TRUE(error.isEmpty());
    const struct {
        const char* option;
        QVariant value;
        const char* message;
    } cases[] = {
        {"sides", 11, "Sides must be greater than or equal to 3 and  less than or equal to 10.\n"},
        {"sides", 5.0, "Sides must be greater than or equal to 3 and  less than or equal to 10.\n"},
        {"area", QVariant(qint64(0)), " must be greater than 0.\n"},
        {"ratio", 1.0, " must be less than 1.\n"},
        {"name", QString(), "Name must not be empty.\n"},
        {"colour", 3, " must be one of {1,2,4}.\n"},
    };
    for (const auto& c : cases) {
        TestShapeOptions changed;
        changed.setOption(c.option, c.value);
        error.clear();
        EXPECT_FALSE(changed.validate(&error)) << c.option;
        EXPECT_EQ(error, c.message) << c.option;
    }
    shape.setSides(11);
    shape.setName(QString());
    error.clear();
    EXPECT_FALSE(shape.validate(&error));
    EXPECT_EQ(error, "Sides must be greater than or equal to 3 and  less than or equal to 10.\n");
}

TEST(OptionRecordTest, CloneIsEqualButIndependentDownToNestedRecords) {
    TestShapeOptions shape;
    shape.setCorners({3, 4, 5});
    shape.setField(makeField("DP"));
    shape.setFields({makeField("AO"), makeField("RO")});
    shape.setDbId(7);
    shape.setDbGroupId(2);

    TestShapeOptions copy = shape.clone();
    EXPECT_EQ(copy, shape);
    EXPECT_NE(copy.data(), shape.data());
    copy.setCorners({9});
    copy.field().setName("changed");
    copy.fields().first().setName("changed");
    EXPECT_EQ(shape.corners(), (QVector<int>{3, 4, 5}));
    EXPECT_EQ(shape.field().name(), "DP");
    EXPECT_EQ(shape.fields().first().name(), "AO");
    EXPECT_NE(copy, shape);
}

TEST(OptionRecordTest, HandlesShareOneRecordUntilDetached) {
    TestShapeOptions shape;
    TestShapeOptions shared = shape;
    EXPECT_EQ(shape.useCount(), 2);
    shared.setSides(5);
    EXPECT_EQ(shape.sides(), 5);
    shared.detach();
    shared.setSides(6);
    EXPECT_EQ(shape.sides(), 5);
    EXPECT_EQ(shape.useCount(), 1);
}

TEST(OptionRecordTest, FamilyHandlesAcceptOnlyTheirFamilyOrDerivedOnes) {
    const TestShapeOptions shape;
    const VkOptionsValue generic = shape;
    EXPECT_FALSE(TestBaseOptions(generic).isNull());
    EXPECT_EQ(TestBaseOptions(generic).sourceUrl(), "in.vcf");
    EXPECT_TRUE(AltRatioOptions(generic).isNull());
    EXPECT_TRUE(TestShapeOptions(VkOptionsValue(TestBaseOptions())).isNull());
    const AltRatioOptions null{VkOptionsValue()};
    EXPECT_EQ(null.altRatioFieldSymbol(), "VAF");
    EXPECT_FALSE(null.validate());
}

TEST(OptionRecordTest, LastHandleReleasedOnAnyThreadDeletesTheRecordOnce) {
    constexpr int kRounds = 50;
    constexpr int kThreads = 8;
    QAtomicInt deletions(0);
    for (int round = 0; round < kRounds; ++round) {
        TestShapeOptions shape;
        // A connection without a context object runs on the deleting thread.
        QObject::connect(shape.data(), &QObject::destroyed, [&deletions] { deletions.ref(); });
        std::vector<std::unique_ptr<QThread>> threads;
        QAtomicInt ready(0);
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back(QThread::create([shape, &ready]() mutable {
                QVector<VkOptionsValue> copies(100, shape);
                ready.ref();
                while (ready.loadAcquire() < kThreads)
                    QThread::yieldCurrentThread();
                copies.clear();
                shape = TestShapeOptions(VkOptionsValue());
            }));
        }
        shape = TestShapeOptions(VkOptionsValue());
        for (auto& thread : threads)
            thread->start();
        for (auto& thread : threads)
            thread->wait();
        EXPECT_EQ(deletions.loadAcquire(), round + 1);
    }
}
