#include "formats/dsv/DelimitedTextGenomic.h"
#include "formats/dsv/DelimitedTextSplitter.h"
#include "formats/dsv/DelimitedTextValues.h"
#include "formats/dsv/TextPattern.h"

#include <gtest/gtest.h>

using namespace DelimitedText;

namespace {
std::vector<std::string> pieces(Splitter& splitter, const QByteArray& text) {
    std::vector<Span> spans;
    splitter.split(text.constData(), text.size(), spans);
    std::vector<std::string> out;
    for (const Span& span : spans)
        out.emplace_back(span.data, size_t(span.size));
    return out;
}

} // namespace

TEST(TextPatternTest, EachKindMatchesBytesAndIgnoresAsciiCaseUnlessAsked) {
    EXPECT_TRUE(TextPattern(TextPattern::StartsWith, "#", false).matches("#chrom"));
    EXPECT_FALSE(TextPattern(TextPattern::StartsWith, "##", false).matches("#chrom"));
    EXPECT_TRUE(TextPattern(TextPattern::EndsWith, ".TXT", false).matches("notes.txt"));
    EXPECT_FALSE(TextPattern(TextPattern::EndsWith, ".TXT", true).matches("notes.txt"));
    EXPECT_TRUE(TextPattern(TextPattern::Contains, "Track", false).matches("browser track name=x"));
    EXPECT_FALSE(TextPattern(TextPattern::Contains, "tracks", false).matches("track"));
    EXPECT_TRUE(TextPattern(TextPattern::Equals, "n/a", false).matches("N/A"));
    EXPECT_FALSE(TextPattern(TextPattern::Equals, "n/a", false).matches("n/a "));
    EXPECT_TRUE(TextPattern(TextPattern::Wildcard, "chr?_*", false).matches("CHR1_random"));
    EXPECT_FALSE(TextPattern(TextPattern::Wildcard, "chr?", false).matches("chr10"));
    EXPECT_TRUE(TextPattern(TextPattern::RegExp, "pos(ition)?", false).matches("START_POSITION"));
    EXPECT_FALSE(TextPattern(TextPattern::RegExp, "^pos$", true).matches("POS"));
    EXPECT_FALSE(TextPattern(TextPattern::None, "", false).matches(""));
    EXPECT_FALSE(TextPattern(17, "x", false).matches("x"));
    // Non-ASCII bytes compare as they are.
    EXPECT_TRUE(TextPattern(TextPattern::Contains, "\xC3\xA9", false).matches("caf\xC3\xA9"));
}

TEST(TextPatternTest, RemovesTheMatchedPartAndReportsBadExpressions) {
    EXPECT_EQ(TextPattern(TextPattern::StartsWith, "#", false).removeMatch("#chrom\tstart"), "chrom\tstart");
    EXPECT_EQ(TextPattern(TextPattern::RegExp, "^#+\\s*", false).removeMatch("## chrom"), "chrom");
    EXPECT_EQ(TextPattern(TextPattern::RegExp, "\xC3\xA9", false).removeMatch("a\xC3\xA9z"), "az");
    EXPECT_EQ(TextPattern(TextPattern::StartsWith, "#", false).removeMatch("chrom"), "chrom");
    const TextPattern broken(TextPattern::RegExp, "(unclosed", false);
    EXPECT_FALSE(broken.isValid());
    EXPECT_TRUE(broken.errorText().startsWith("The pattern '(unclosed' is not valid"));
    EXPECT_FALSE(broken.matches("(unclosed"));
}

TEST(DelimitedTextSplitterTest, SimpleSplittingKeepsEveryPieceAndMultiByteDelimiters) {
    Splitter tabs(SplitRule{"\t", false});
    EXPECT_EQ(pieces(tabs, "1\t100\t\t\"a\tb\""), (std::vector<std::string>{"1", "100", "", "\"a", "b\""}));
    EXPECT_EQ(pieces(tabs, ""), (std::vector<std::string>{""}));
    Splitter pipes(SplitRule{"||", false});
    EXPECT_EQ(pieces(pipes, "a|b||c||"), (std::vector<std::string>{"a|b", "c", ""}));
}

TEST(DelimitedTextSplitterTest, QuotedPiecesHoldDelimitersEscapesAndDoubledQuotes) {
    Splitter csv(SplitRule{",", true});
    EXPECT_EQ(pieces(csv, "1,\"BRCA1, BRCA2\",\"say \"\"hi\"\"\",\"a\\\"b\",x"),
              (std::vector<std::string>{"1", "BRCA1, BRCA2", "say \"hi\"", "a\"b", "x"}));
    // A quote inside a piece is data (5' UTR); an unterminated quote runs to the end of the line.
    EXPECT_EQ(pieces(csv, "5'UTR,3\" x,\"open, end"),
              (std::vector<std::string>{"5'UTR", "3\" x", "open, end"}));
    SplitRule keep{",", true};
    keep.removeQuotes = false;
    Splitter kept(keep);
    EXPECT_EQ(pieces(kept, "\"a,b\",c"), (std::vector<std::string>{"\"a,b\"", "c"}));
    SplitRule single{",", true};
    single.quotes = "'";
    Splitter singles(single);
    EXPECT_EQ(pieces(singles, "'a,b',\"c,d\""), (std::vector<std::string>{"a,b", "\"c", "d\""}));
}

TEST(DelimitedTextSplitterTest, ListRulesDropEmptyItems) {
    SplitRule last{","};
    last.dropEmptyLast = true;
    Splitter trailing(last);
    EXPECT_EQ(pieces(trailing, "1,2,"), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(pieces(trailing, "1,,2"), (std::vector<std::string>{"1", "", "2"}));
    SplitRule all{","};
    all.dropEmpty = true;
    Splitter empties(all);
    EXPECT_EQ(pieces(empties, ",1,,2,"), (std::vector<std::string>{"1", "2"}));
    EXPECT_TRUE(empties.containsDelimiter("1,2", 3));
    EXPECT_FALSE(empties.containsDelimiter("12", 2));
}

TEST(DelimitedTextValuesTest, NumbersParseWhollyAndIndependentlyOfTheLocale) {
    int32_t whole = 0;
    EXPECT_TRUE(parseInt("+42", 3, &whole));
    EXPECT_EQ(whole, 42);
    EXPECT_TRUE(parseInt("-2147483648", 11, &whole));
    EXPECT_FALSE(parseInt("2147483648", 10, &whole));
    EXPECT_FALSE(parseInt("12a", 3, &whole));
    EXPECT_FALSE(parseInt("1 ", 2, &whole));
    double real = 0;
    EXPECT_TRUE(parseDouble("1.5e-3", 6, &real));
    EXPECT_DOUBLE_EQ(real, 0.0015);
    EXPECT_TRUE(parseDouble("-.5", 3, &real));
    EXPECT_FALSE(parseDouble("1,5", 3, &real));
    EXPECT_FALSE(parseDouble("inf", 3, &real));
    EXPECT_FALSE(parseDouble("NaN", 3, &real));
    EXPECT_FALSE(parseDouble("0x1A", 4, &real));
    EXPECT_EQ(classify("7", 1), ValueKind::Int);
    EXPECT_EQ(classify("3000000000", 10), ValueKind::Float);
    EXPECT_EQ(classify("7.0", 3), ValueKind::Float);
    EXPECT_EQ(classify("rs7", 3), ValueKind::Text);
}

TEST(DelimitedTextValuesTest, Utf8ValidationRejectsMalformedSequences) {
    EXPECT_TRUE(isValidUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\xA7\xAC", 14));
    EXPECT_FALSE(isValidUtf8("caf\xE9", 4));              // Latin-1
    EXPECT_FALSE(isValidUtf8("\xC0\xAF", 2));             // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80", 3));         // surrogate
    EXPECT_FALSE(isValidUtf8("\xE2\x82", 2));             // cut short
    EXPECT_FALSE(isValidUtf8("\x1F\x8B\x08\x00\xFF", 5)); // gzip bytes
}

TEST(DelimitedTextGenomicTest, LociParseWithOrWithoutAStop) {
    Span chromosome{nullptr, 0};
    int32_t start = 0;
    int32_t stop = 0;
    bool hasStop = false;
    const char locus[] = "chr7:1200-1201";
    ASSERT_TRUE(parseLocus(Span{locus, 14}, &chromosome, &start, &stop, &hasStop));
    EXPECT_EQ(std::string(chromosome.data, size_t(chromosome.size)), "chr7");
    EXPECT_EQ(start, 1200);
    EXPECT_EQ(stop, 1201);
    EXPECT_TRUE(hasStop);
    const char hla[] = "HLA-A*01:01:01:01:500";
    ASSERT_TRUE(parseLocus(Span{hla, 21}, &chromosome, &start, &stop, &hasStop));
    EXPECT_EQ(std::string(chromosome.data, size_t(chromosome.size)), "HLA-A*01:01:01:01");
    EXPECT_EQ(start, 500);
    EXPECT_FALSE(hasStop);
    EXPECT_FALSE(parseLocus(Span{"chr7", 4}, &chromosome, &start, &stop, &hasStop));
    EXPECT_FALSE(parseLocus(Span{"chr7:a-b", 8}, &chromosome, &start, &stop, &hasStop));
}
