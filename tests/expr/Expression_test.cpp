#include "expr/Expression.h"

#include <gtest/gtest.h>

namespace {

// QUAL, INFO DP, AF (one per alternate), GENE, a field whose symbol is "chr", FORMAT DP and FORMAT AD.
VkFieldList schema() {
    VkFieldList fields;
    fields << VkField(0, "Quality", "QUAL", ValueType::Float) << VkField(1, "Depth", "DP", ValueType::Int)
           << VkField(2, "Freq", "AF", ValueType::FloatArray) << VkField(3, "Gene", "GENE", ValueType::String)
           << VkField(4, "Lower chr", "chr", ValueType::String)
           << VkField(5, "Sample depth", "DP", ValueType::Int, VkField::Matrix)
           << VkField(6, "Allelic depths", "AD", ValueType::IntArray, VkField::Matrix);
    return fields;
}

VkFeature feature(float qual, int dp, QVector<float> af, const char* gene, QVector<int32_t> sampleDp) {
    PVariantVector values;
    values << PVariant(qual) << PVariant(dp) << PVariant(std::move(af)) << PVariant(gene) << PVariant("x")
           << PVariant(std::move(sampleDp))
           << PVariant(SampleMatrix(PVariant(QVector<int32_t>{10, 5, 3, 9}), {0, 2, 4}));
    return VkFeature(VkSegment("20", 1000, 1001), values);
}

const VkFeature kRecord = feature(50.0f, 12, {0.01f, 0.3f}, "BRCA2", {7, 25});
const VkFeature kMissing = feature(PVariant::MissingFloat, PVariant::MissingInt, {PVariant::MissingFloat}, "",
                                   {PVariant::MissingInt, 3});

// The expression's value as text, or the error it fails with.
QString valueOf(const QString& text, const VkFeature& record = kRecord, int sample = -1) {
    QString error;
    const Expression::Scope scope = sample >= 0 ? Expression::Scope::Sample : Expression::Scope::Locus;
    std::unique_ptr<Expression> expression = Expression::compile(text, schema(), scope, &error);
    if (!expression)
        return error;
    expression->load(record);
    PVariant value;
    if (!expression->compute(record, sample, ValueType::String, &value, &error))
        return error;
    return value.toQString();
}

bool holds(const QString& text, const VkFeature& record = kRecord, int sample = -1) {
    QString error;
    const Expression::Scope scope = sample >= 0 ? Expression::Scope::Sample : Expression::Scope::Locus;
    std::unique_ptr<Expression> expression = Expression::compile(text, schema(), scope, &error);
    bool result = false;
    if (expression)
        expression->load(record);
    EXPECT_TRUE(expression && expression->test(record, sample, &result, &error)) << error.toStdString();
    return result;
}

} // namespace

TEST(Expression, NamesBindOnceToFieldsOrTheSegment) {
    QString error;
    std::unique_ptr<Expression> expression =
        Expression::compile("Start > 10 && QUAL > 3", schema(), Expression::Scope::Locus, &error);
    ASSERT_TRUE(expression) << error.toStdString();
    EXPECT_EQ(expression->bindings(), (QVector<int>{0, Expression::StartIdx}));
    EXPECT_EQ(expression->fieldsRead(), QList<int>{0});

    EXPECT_FALSE(
        Expression::compile("QUAL > 1 && FOO < 2 && BAR", schema(), Expression::Scope::Locus, &error));
    EXPECT_EQ(error, "Unbound variables: BAR, FOO");

    // "chr" is a field here; "CHR" names nothing; "Chr" is the chromosome.
    expression = Expression::compile("chr == Chr", schema(), Expression::Scope::Locus, &error);
    ASSERT_TRUE(expression);
    EXPECT_EQ(expression->bindings(), (QVector<int>{Expression::ChrIdx, 4}));
    EXPECT_FALSE(Expression::compile("CHR == 1", schema(), Expression::Scope::Locus, &error));
    EXPECT_EQ(error, "Unbound variables: CHR");
    EXPECT_TRUE(Expression::compile("Stop - Start == 1", schema(), Expression::Scope::Locus, &error)
                    ->readsOnlySegment());

    // The library's own messages pass through.
    EXPECT_FALSE(Expression::compile("QUAL >", schema(), Expression::Scope::Locus, &error));
    EXPECT_EQ(error, "Unexpected end of expression found at position 6.");
    // The library takes a logical operator without its operand, then crashes evaluating it.
    EXPECT_FALSE(Expression::compile("QUAL > 30 && && DP", schema(), Expression::Scope::Locus, &error));
    EXPECT_EQ(error, "Unexpected operator \"&&\" found at position 10.");
    EXPECT_FALSE(Expression::compile("|| DP", schema(), Expression::Scope::Locus, &error));
    EXPECT_FALSE(Expression::compile("QUAL > 1 and or DP > 2", schema(), Expression::Scope::Locus, &error));
    EXPECT_EQ(error, "Unexpected operator \"and\" found at position 9.");
    EXPECT_TRUE(Expression::compile("GENE == \"a&&\" || !(DP<2)", schema(), Expression::Scope::Locus, &error))
        << error.toStdString();
}

TEST(Expression, LocusAndSampleFieldsOfOneSymbolBindByScope) {
    EXPECT_EQ(valueOf("DP"), "12");
    EXPECT_EQ(valueOf("DP", kRecord, 1), "25");
    EXPECT_EQ(valueOf("AD", kRecord, 1), "3,9");
    EXPECT_EQ(valueOf("QUAL + DP", kRecord, 0), "57");
    // A sample field in a locus expression is the list over the samples.
    EXPECT_EQ(valueOf("AD"), "10,5,3,9");
}

TEST(Expression, MissingValuesEqualTheirConstantsAndFailOrderings) {
    EXPECT_TRUE(holds("DP == INT_NA && QUAL == FLOAT_NA", kMissing));
    EXPECT_FALSE(holds("DP == INT_NA", kRecord));
    EXPECT_FALSE(holds("QUAL < 30", kMissing));
    EXPECT_FALSE(holds("AF < 0.05", kMissing));
    EXPECT_TRUE(holds("DP == INT_NA", kMissing, 0));
    EXPECT_TRUE(holds("!(DP > 5)", kMissing, 0));
    // Arithmetic keeps a missing value missing.
    EXPECT_TRUE(holds("QUAL / DP == FLOAT_NA && -DP == INT_NA && DP % 2 == INT_NA && DP * 2 + 1 == INT_NA",
                      kMissing));
    EXPECT_TRUE(holds("QUAL / DP > 4 && QUAL / DP < 5 && -DP == 0 - 12"));
    // A list compared with a value holds when any element does.
    EXPECT_TRUE(holds("AF < 0.05 && AF > 0.2"));
    EXPECT_FALSE(holds("AF > 0.5"));
    EXPECT_TRUE(holds("AF == 0.3"));
}

TEST(Expression, AddedFunctionsAndOperators) {
    const QList<QPair<QString, QString>> cases = {
        {"slice(GENE, 1, -1)", "RCA"},
        {"slice(GENE, -2, 5)", "A2"},
        {"slice(GENE, 3, 1)", ""},
        {"percentile({1, 2, 3, 4, 5}, 50)", "3"},
        {"percentile({1, 2, 3, 4}, 25)", "1.75"},
        {"round(stdev({2, 4, 4, 4, 5, 5, 7, 9}), 4)", "2.1381"},
        {"stdevp({2, 4, 4, 4, 5, 5, 7, 9})", "2"},
        {"sizeofd({1, 2, 2, 3, 1})", "3"},
        {"round(2.34567, 2)", "2.35"},
        {"join(regexplist(\"a1b22c333\", \"[0-9]+\"))", "1,22,333"},
        {"joindelim(split(\"a|b||c\", \"|\"), \"/\")", "a/b//c"},
        {"regexpmatch(GENE, \"BRCA[0-9]\")", "True"},
        {"regexpmatch(GENE, \"BRCA\")", "False"},
        {"regexpsubstr(GENE, \"CA\")", "True"},
        {"regexpsubstr(GENE, \"ca\")", "False"},
        {"regexpmatchins(GENE, \"^brca\")", "True"},
        {"contains(GENE, \"rca\")", "False"},
        {"icontains(GENE, \"rca\")", "True"},
        {"startswith(GENE, \"br\")", "False"},
        {"istartswith(GENE, \"br\")", "True"},
        {"iendswith(GENE, \"A2\")", "True"},
        {"endswith(GENE, \"a2\")", "False"},
        {"iequals(GENE, \"brca2\")", "True"},
        {"equals(split(\"x,BRCA2\", \",\"), GENE)", "True"},
        {"trim(\"  a b \") // \"|\" // ltrim(\" a \") // \"|\" // rtrim(\" a \")", "a b|a | a"},
        {"unquote(\"\\\"quoted\\\"\")", "quoted"},
        {"overlaps(Chr, Start, Stop, \"20\", 1000, 2000)", "True"},
        {"overlaps(Chr, Start, Stop, \"20\", 1001, 2000)", "False"},
        {"any({0, 1}) && !all({0, 1})", "True"},
        {"tostr(DP > 3) // tostr(0.5)", "True0.5"},
        {"\"BRCA2\" in split(\"TP53,BRCA2\", \",\")", "True"},
        {"17 % 5", "2"},
        {"7.5 % 2", "1.5"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(valueOf(text).toStdString(), expected.toStdString()) << text.toStdString();
    EXPECT_TRUE(valueOf("regexpsubstr(GENE, \"(\")").contains("Invalid regular expression \"(\""));
}

TEST(Expression, ComputedValuesTakeTheFieldType) {
    QString error;
    std::unique_ptr<Expression> ratio =
        Expression::compile("AD[1] / (AD[0] + AD[1])", schema(), Expression::Scope::Sample, &error);
    ASSERT_TRUE(ratio && ratio->check(ValueType::Float, &error)) << error.toStdString();
    ratio->load(kRecord);
    PVariant value;
    ASSERT_TRUE(ratio->compute(kRecord, 1, ValueType::Float, &value, &error));
    EXPECT_FLOAT_EQ(value.floatValue(), 0.75f);
    // An index past a short list reads a missing value.
    std::unique_ptr<Expression> third =
        Expression::compile("AD[2]", schema(), Expression::Scope::Sample, &error);
    third->load(kRecord);
    ASSERT_TRUE(third->compute(kRecord, 0, ValueType::Int, &value, &error));
    EXPECT_EQ(value.intValue(), PVariant::MissingInt);

    // Types that do not fit fail before any record.
    std::unique_ptr<Expression> text =
        Expression::compile("GENE // \"x\"", schema(), Expression::Scope::Locus, &error);
    EXPECT_FALSE(text->check(ValueType::Int, &error));
    EXPECT_TRUE(error.contains("cannot be a value of type Int")) << error.toStdString();
    std::unique_ptr<Expression> mixed =
        Expression::compile("GENE > 3", schema(), Expression::Scope::Locus, &error);
    EXPECT_FALSE(mixed->check(ValueType::Invalid, &error));
    EXPECT_TRUE(error.contains("cannot be ordered")) << error.toStdString();
}

// Comparisons joined by && and || are tested without the parser; adding arithmetic sends the same
// test through the parser, and both must agree on every record and sample.
TEST(Expression, ComparisonsGiveTheParsersResultsWithoutIt) {
    const VkFeature emptyList = feature(30.0f, 0, {}, "", {});
    const QStringList tests = {"QUAL > 30",
                               "QUAL >= 30 && DP < 13",
                               "AF < 0.05",
                               "AF != 0.3",
                               "AF == 0.3 || !(DP <= 5)",
                               "DP == INT_NA",
                               "QUAL == FLOAT_NA",
                               "QUAL != FLOAT_NA && DP > -1",
                               "Start >= 1000 && Stop < 1001.5",
                               "(QUAL < 10 || DP > 10) && AF > 0.2",
                               "0.05 > AF",
                               "DP == BOOL_NA"};
    for (const QString& test : tests)
        for (const VkFeature& record : {kRecord, kMissing, emptyList})
            EXPECT_EQ(holds(test, record), holds("(" + test + ") && 1 + 0 == 1", record))
                << test.toStdString();
    for (const QString test : {"DP >= 20", "DP == INT_NA || DP > 5", "!(DP < 10) && QUAL > 20"})
        for (int sample : {0, 1, 2})
            for (const VkFeature& record : {kRecord, kMissing, emptyList})
                EXPECT_EQ(holds(test, record, sample), holds("(" + test + ") && 1 + 0 == 1", record, sample))
                    << test.toStdString() << " sample " << sample;
}
