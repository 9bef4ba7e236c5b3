#include "app/GetOpt.h"

#include <gtest/gtest.h>

namespace {

// Commands declare either required arguments (two here) or one optional argument.
enum class Positionals { TwoRequired, OneOptional };

// What the targets of one declaration of each kind hold after parsing the words, joined by ';' in
// declaration order (list items by '|'), or "refused".
std::string parsed(const QStringList& words, Positionals positionals = Positionals::TwoRequired,
                   int startIndex = 0) {
    QString first = QStringLiteral("stale"), second = first, refFolder = first, view = first;
    QStringList groups{first}, marks, sources;
    bool url = true;
    GetOpt opts(words, startIndex);
    if (positionals == Positionals::TwoRequired) {
        opts.addArgument(QStringLiteral("input"), &first);
        opts.addArgument(QStringLiteral("annotation"), &second);
    } else {
        opts.addOptionalArgument(QStringLiteral("dest"), &first);
        second.clear();
    }
    opts.addOption(QStringLiteral("refFolder"), &refFolder);
    opts.addOption(QStringLiteral("view"), &view, QStringLiteral("viewer"));
    opts.addRepeatableOption(QStringLiteral("group"), &groups);
    opts.addRepeatableOption(QLatin1Char('m'), &marks);
    opts.addVarLengthOption(QStringLiteral("sources"), &sources);
    opts.addSwitch(QStringLiteral("url"), &url);
    if (!opts.parse())
        return "refused";
    return QStringList{first,
                       second,
                       refFolder,
                       view,
                       groups.join('|'),
                       marks.join('|'),
                       sources.join('|'),
                       url ? QStringLiteral("url") : QString()}
        .join(';')
        .toStdString();
}

} // namespace

TEST(GetOpt, EachKindOfDeclarationTakesItsForms) {
    const QList<QPair<QStringList, std::string>> cases = {
        // Declaring resets every target; options left unset get their defaults at the end.
        {{"a.vcf", "b.bed"}, "a.vcf;b.bed;;viewer;;;;"},
        {{"a.vcf", "--refFolder=/ref/hg19", "b.bed"}, "a.vcf;b.bed;/ref/hg19;viewer;;;;"},
        {{"a.vcf", "b.bed", "--refFolder", "/ref/hg19"}, "a.vcf;b.bed;/ref/hg19;viewer;;;;"},
        {{"a.vcf", "b.bed", "--refFolder"}, "a.vcf;b.bed;;viewer;;;;"},
        // An option with a default followed by another option takes its default.
        {{"a.vcf", "b.bed", "--view", "--url"}, "a.vcf;b.bed;;viewer;;;;url"},
        {{"a.vcf", "b.bed", "--view=table"}, "a.vcf;b.bed;;table;;;;"},
        {{"a.vcf", "b.bed", "--group", "a,1", "--group=b,2"}, "a.vcf;b.bed;;viewer;a,1|b,2;;;"},
        {{"a.vcf", "b.bed", "-mDP", "-m", "GQ"}, "a.vcf;b.bed;;viewer;;DP|GQ;;"},
        // A list collects undeclared dashed words until the next declared option.
        {{"a.vcf", "b.bed", "--sources", "c.vcf", "-d.vcf", "--url"},
         "a.vcf;b.bed;;viewer;;;c.vcf|-d.vcf;url"},
        {{"a.vcf"}, "refused"},
        {{"a.vcf", "b.bed", "c.bed"}, "refused"},
        {{"a.vcf", "b.bed", "--group"}, "refused"},
        {{"a.vcf", "b.bed", "--bogus"}, "refused"},
        {{"a.vcf", "b.bed", "-x"}, "refused"},
    };
    for (const auto& [words, expected] : cases)
        EXPECT_EQ(parsed(words), expected) << words.join(' ').toStdString();

    EXPECT_EQ(parsed({}, Positionals::OneOptional), ";;;viewer;;;;");
    EXPECT_EQ(parsed({"out.tsf"}, Positionals::OneOptional), "out.tsf;;;viewer;;;;");
    EXPECT_EQ(parsed({"out.tsf", "other.tsf"}, Positionals::OneOptional), "refused");
}

TEST(GetOpt, StartIndexSkipsTheLeadingWords) {
    EXPECT_EQ(parsed({"varkit", "writetsf", "out.tsf", "--refFolder=/ref"}, Positionals::OneOptional, 2),
              "out.tsf;;/ref;viewer;;;;");
}
