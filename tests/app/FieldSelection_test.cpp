#include "app/commands/FieldSelection.h"

#include <gtest/gtest.h>

TEST(FieldSelection, IndexListSkipsBlankPartsAndRejectsLetters) {
    QVector<int> indexes;
    ASSERT_TRUE(parseFieldIndexList(QStringLiteral("1, ,3"), indexes));
    EXPECT_EQ(indexes, QVector<int>({1, 3}));

    QVector<int> none;
    EXPECT_TRUE(parseFieldIndexList(QString(), none));
    EXPECT_TRUE(none.isEmpty());

    QVector<int> bad;
    EXPECT_FALSE(parseFieldIndexList(QStringLiteral("1,b"), bad));
}

TEST(FieldSelection, GroupNamesMayHoldEscapedCommas) {
    QVector<FieldGroupSelection> groups;
    ASSERT_TRUE(readFieldGroup(QStringLiteral("Depth\\, quality,4,5"), groups));
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0].name, QStringLiteral("Depth, quality"));
    EXPECT_EQ(groups[0].fieldIndexes, QVector<int>({4, 5}));

    ASSERT_TRUE(readFieldGroup(QStringLiteral("Plain,2, 3"), groups));
    EXPECT_EQ(groups[1].name, QStringLiteral("Plain"));
    EXPECT_EQ(groups[1].fieldIndexes, QVector<int>({2, 3}));
}

TEST(FieldSelection, EmptyGroupTextAddsNothingButANameAloneFails) {
    QVector<FieldGroupSelection> groups;
    EXPECT_TRUE(readFieldGroup(QString(), groups));
    EXPECT_TRUE(groups.isEmpty());
    testing::internal::CaptureStdout();
    EXPECT_FALSE(readFieldGroup(QStringLiteral("OnlyName"), groups));
    EXPECT_FALSE(readFieldGroup(QStringLiteral("Name,1,x"), groups));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(groups.isEmpty());
}
