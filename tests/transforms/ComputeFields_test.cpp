#include "formats/vcf/VcfTestSupport.h"
#include "support/Cli.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray computed(const char* symbol, const char* type, const char* expression, bool perSample = false) {
    return QByteArray(R"({"className":"ComputedFieldOptions","fields":{"symbol":")") + symbol +
           R"(","type":")" + type + R"(","expression":")" + expression + R"(","perSample":)" +
           (perSample ? "true" : "false") + "}}";
}

QString computeUrl(const QString& input, const QList<QByteArray>& fields, const QByteArray& extra = "") {
    return QStringLiteral("transform://computeFields/json/ {\"sourceUrl\":\"%1\",\"computedFields\":[%2]%3}")
        .arg(input, QString::fromUtf8(fields.join(',')), QString::fromUtf8(extra));
}

const QByteArray kVcf =
    vcfHeader() + "20\t100\t.\tA\tC\t50\tPASS\tDP=20;AF=0.5\tGT:AD:DP\t0/1:6,2:8\t0/0:4,0:4\t./.:.:.\n"
                  "20\t200\t.\tA\tC,G\t.\tPASS\tDP=4\tGT:AD:DP\t1/2:1,1,2:4\t0/0:3,0,0:3\t0/1:1,3,0:4\n";

} // namespace

TEST(ComputeFields, EachRecordCarriesTheExpressionsValues) {
    VcfFiles files;
    const QString vcf = files.write("calls.vcf", kVcf);
    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(computeUrl(
        vcf,
        {computed("QD", "Float", "QUAL / DP"), computed("AB", "Float", "AD[1] / (AD[0] + AD[1])", true),
         computed("WHERE", "String", "Chr // \\\":\\\" // tostr(Start + 1)")},
        R"(,"insertFieldAtIdx":2)"));
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    const int qd = source->info().fieldIndex("QD");
    EXPECT_EQ(qd, 2);
    EXPECT_EQ(source->info().fieldIndex("WHERE"), 4);
    EXPECT_TRUE(source->schema().at(3).isMatrix());
    const VkFeatureList features = readFeatures(source);
    ASSERT_EQ(features.size(), 2);
    EXPECT_FLOAT_EQ(features[0].value(qd).floatValue(), 2.5f);
    EXPECT_EQ(features[1].value(qd).floatValue(), PVariant::MissingFloat);
    const QVector<float> balance = features[0].value(3).floatVector();
    ASSERT_EQ(balance.size(), 3);
    EXPECT_FLOAT_EQ(balance[0], 0.25f);
    EXPECT_FLOAT_EQ(balance[1], 0.0f);
    EXPECT_EQ(balance[2], PVariant::MissingFloat); // no depths: the index reads past the list
    EXPECT_EQ(features[1].value(4).bytes(), QByteArray("20:200"));
    // The input's fields follow the new ones unchanged.
    EXPECT_EQ(features[1].value(source->info().fieldIndex("REF")).bytes(), QByteArray("A"));
}

TEST(ComputeFields, UnboundNamesAndMismatchedTypesFailOnOpen) {
    VcfFiles files;
    const QString vcf = files.write("calls.vcf", kVcf);
    const QList<QPair<QByteArray, QString>> cases = {
        {computed("X", "Float", "QUAL / DEPTH"), "Unbound variables: DEPTH"},
        {computed("X", "Int", "\\\"a\\\" // REF"), "cannot be a value of type Int"},
        {computed("X", "Float", "REF * 2"), "Can't evaluate"},
        {computed("DP", "Int", "1"), "The source already has a field DP"},
        {computed("X", "Float Array", "AD", true), "cannot have the type Float Array per sample"},
    };
    for (const auto& [field, expected] : cases) {
        const QString error = VkSourceTypeRegistry::instance().open(computeUrl(vcf, {field}))->errorText();
        EXPECT_TRUE(error.contains(expected)) << field.toStdString() << ": " << error.toStdString();
    }
}

TEST(ComputeFields, WritevcfDeclaresAndWritesTheNewFields) {
    QTemporaryDir dir;
    const QString out = dir.filePath("ab.vcf");
    const CliResult write = runVarkit({"writevcf",
                                       computeUrl(VARKIT_EXAMPLES "/example.vcf.gz",
                                                  {computed("AB", "Float", "AD[1] / (AD[0] + AD[1])", true)}),
                                       out});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    const QByteArray values = bcftoolsQuery(out, "[%AD %AB\\n]").out;
    int compared = 0;
    for (const QByteArray& line : values.trimmed().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        const QList<QByteArray> depths = parts.value(0).split(',');
        if (depths.size() < 2 || depths[0] == "." || depths[0].toInt() + depths[1].toInt() == 0)
            continue;
        EXPECT_NEAR(parts.value(1).toDouble(), depths[1].toDouble() / (depths[0].toInt() + depths[1].toInt()),
                    1e-5)
            << line.toStdString();
        ++compared;
    }
    EXPECT_GT(compared, 100);
}
