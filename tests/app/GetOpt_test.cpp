#include "app/GetOpt.h"

#include <gtest/gtest.h>

namespace {
QStringList words(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* word : list)
        result << QString::fromUtf8(word);
    return result;
}
} // namespace

struct RefFolderCase {
    const char* name;
    QStringList args;
    QString expected;
};

void PrintTo(const RefFolderCase& c, std::ostream* os) {
    *os << c.name;
}

class GetOptRefFolder : public ::testing::TestWithParam<RefFolderCase> {};

TEST_P(GetOptRefFolder, ValueForms) {
    QString refFolder = QStringLiteral("stale");
    GetOpt opts(GetParam().args, 0);
    opts.addOption(QStringLiteral("refFolder"), &refFolder, QString());
    ASSERT_TRUE(opts.parse());
    EXPECT_EQ(refFolder, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    ThreeForms, GetOptRefFolder,
    ::testing::Values(RefFolderCase{"equals", words({"--refFolder=/ref/hg19"}), "/ref/hg19"},
                      RefFolderCase{"separate", words({"--refFolder", "/ref/hg19"}), "/ref/hg19"},
                      RefFolderCase{"last", words({"--refFolder"}), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetOpt, DeclaringResetsTargets) {
    bool flag = true;
    QString value = QStringLiteral("x");
    QStringList list = words({"a"});
    GetOpt opts(QStringList(), 0);
    opts.addSwitch(QStringLiteral("flag"), &flag);
    opts.addArgument(QStringLiteral("input"), &value);
    opts.addVarLengthOption(QStringLiteral("sources"), &list);
    EXPECT_FALSE(flag);
    EXPECT_TRUE(value.isNull());
    EXPECT_TRUE(list.isEmpty());
}

TEST(GetOpt, BareDoubleDashExitsWithTwo) {
    EXPECT_EXIT(
        {
            QString dest;
            GetOpt opts(words({"out.tsf", "--"}), 0);
            opts.addOptionalArgument(QStringLiteral("Dest"), &dest);
            opts.parse();
        },
        ::testing::ExitedWithCode(2), "");
}

TEST(GetOpt, UndeclaredOptionsFail) {
    QString refFolder;
    GetOpt longOpts(words({"--bogus"}), 0);
    longOpts.addOption(QStringLiteral("refFolder"), &refFolder);
    EXPECT_FALSE(longOpts.parse());

    GetOpt shortOpts(words({"-x"}), 0);
    shortOpts.addOption(QStringLiteral("refFolder"), &refFolder);
    EXPECT_FALSE(shortOpts.parse());
}

TEST(GetOpt, RepeatableOptionsCollectEveryValue) {
    QStringList groups;
    GetOpt opts(words({"--group", "a,1", "--group=b,2"}), 0);
    opts.addRepeatableOption(QStringLiteral("group"), &groups);
    ASSERT_TRUE(opts.parse());
    EXPECT_EQ(groups, words({"a,1", "b,2"}));

    GetOpt missingValue(words({"--group"}), 0);
    missingValue.addRepeatableOption(QStringLiteral("group"), &groups);
    EXPECT_FALSE(missingValue.parse());
}

TEST(GetOpt, ShortOptionsTakeAttachedOrFollowingValues) {
    QStringList unique;
    QStringList mean;
    GetOpt opts(words({"-mDP", "-c", "AF", "-m", "GQ"}), 0);
    opts.addRepeatableOption(QLatin1Char('m'), &unique);
    opts.addRepeatableOption(QLatin1Char('c'), &mean);
    ASSERT_TRUE(opts.parse());
    EXPECT_EQ(unique, words({"DP", "GQ"}));
    EXPECT_EQ(mean, words({"AF"}));
}

TEST(GetOpt, VarLengthOptionCollectsUntilAnotherOption) {
    QStringList sources;
    bool url = false;
    GetOpt opts(words({"--sources", "a.vcf", "-b.vcf", "c.vcf", "--url"}), 0);
    opts.addVarLengthOption(QStringLiteral("sources"), &sources);
    opts.addSwitch(QStringLiteral("url"), &url);
    ASSERT_TRUE(opts.parse());
    // An undeclared dashed word is a value while the list collects.
    EXPECT_EQ(sources, words({"a.vcf", "-b.vcf", "c.vcf"}));
    EXPECT_TRUE(url);
}

TEST(GetOpt, DefaultValueOptionFollowedByAnotherOptionTakesItsDefault) {
    QString view;
    bool url = false;
    GetOpt opts(words({"--view", "--url"}), 0);
    opts.addOption(QStringLiteral("view"), &view, QStringLiteral("viewer"));
    opts.addSwitch(QStringLiteral("url"), &url);
    ASSERT_TRUE(opts.parse());
    EXPECT_EQ(view, QStringLiteral("viewer"));
    EXPECT_TRUE(url);
}

TEST(GetOpt, UnsetOptionsGetTheirDefaultsAtTheEnd) {
    QString genomicMatch;
    QString input;
    GetOpt opts(words({"in.vcf"}), 0);
    opts.addOption(QStringLiteral("genomicMatch"), &genomicMatch, QStringLiteral("Overlap"));
    opts.addArgument(QStringLiteral("input"), &input);
    ASSERT_TRUE(opts.parse());
    EXPECT_EQ(genomicMatch, QStringLiteral("Overlap"));
    EXPECT_EQ(input, QStringLiteral("in.vcf"));
}

TEST(GetOpt, PlainArgumentsFillRequiredThenOptionalPositionals) {
    QString input;
    QString annot;
    GetOpt both(words({"in.vcf", "genes.bed"}), 0);
    both.addArgument(QStringLiteral("input"), &input);
    both.addArgument(QStringLiteral("annot"), &annot);
    ASSERT_TRUE(both.parse());
    EXPECT_EQ(input, QStringLiteral("in.vcf"));
    EXPECT_EQ(annot, QStringLiteral("genes.bed"));

    GetOpt tooMany(words({"a", "b", "c"}), 0);
    tooMany.addArgument(QStringLiteral("input"), &input);
    tooMany.addArgument(QStringLiteral("annot"), &annot);
    EXPECT_FALSE(tooMany.parse());

    GetOpt missing(words({"a"}), 0);
    missing.addArgument(QStringLiteral("input"), &input);
    missing.addArgument(QStringLiteral("annot"), &annot);
    EXPECT_FALSE(missing.parse());

    QString dest;
    GetOpt optional(words({"out.tsf"}), 0);
    optional.addOptionalArgument(QStringLiteral("Dest"), &dest);
    ASSERT_TRUE(optional.parse());
    EXPECT_EQ(dest, QStringLiteral("out.tsf"));

    GetOpt secondOptional(words({"out.tsf", "other.tsf"}), 0);
    secondOptional.addOptionalArgument(QStringLiteral("Dest"), &dest);
    EXPECT_FALSE(secondOptional.parse());

    GetOpt nothingDeclared(words({"stray"}), 0);
    EXPECT_TRUE(nothingDeclared.parse());
}

TEST(GetOpt, StartIndexSkipsLeadingArguments) {
    QString dest;
    QString query;
    GetOpt opts(words({"varkit", "writetsf", "in.vcf", "out.tsf", "--query=chr1:1-100"}), 3);
    opts.addOptionalArgument(QStringLiteral("Dest"), &dest);
    opts.addOption(QStringLiteral("query"), &query, QString());
    ASSERT_TRUE(opts.parse());
    EXPECT_EQ(dest, QStringLiteral("out.tsf"));
    EXPECT_EQ(query, QStringLiteral("chr1:1-100"));
}
