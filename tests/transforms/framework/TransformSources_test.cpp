// Transforms as sources: URLs and bundles open anywhere a path does, nest, and feed the writers.
#include "formats/vcf/VcfTestSupport.h"
#include "meta/Json.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/Cli.h"
#include "support/FormatTestSupport.h"
#include "transforms/framework/TransformUrl.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kExample = QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz");

QString altRatio(const QString& input, const QString& symbol) {
    const PVariantMap fields{{"sourceUrl", PVariant(input)}, {"altRatioFieldSymbol", PVariant(symbol)}};
    const PVariantMap options{{"fields", PVariant(fields)}};
    return TransformUrl::make(QStringLiteral("altRatio"),
                              Json::write(PVariant(options), Json::Style::Compact), 0);
}

QString urlOf(const QStringList& transformArgs, const QString& workingDirectory = QString()) {
    const CliResult result = runVarkit(QStringList{"transform"} + transformArgs + QStringList{"--url"},
                                       QByteArray(), workingDirectory);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return QString::fromUtf8(result.out.trimmed());
}

QByteArray schemaOf(const QString& source, const QString& workingDirectory = QString()) {
    const CliResult result = runVarkit({"schema", source}, QByteArray(), workingDirectory);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return result.out;
}

} // namespace

TEST(TransformSources, APrintedUrlReopensFromAnyFolderAndThroughStandardInput) {
    QTemporaryDir dir;
    QFile::copy(kExample, dir.filePath("calls.vcf.gz"));
    QFile::copy(kExample + ".tbi", dir.filePath("calls.vcf.gz.tbi"));
    const QString url = urlOf({"altratio", "calls.vcf.gz"}, dir.path());
    ASSERT_TRUE(url.startsWith("transform://altRatio/b64/"));

    const QByteArray schema = schemaOf(url, QDir::rootPath());
    EXPECT_TRUE(schema.contains("\"symbol\": \"VAF\"")) << schema.left(300).toStdString();
    EXPECT_TRUE(schema.contains("\"format\": \"Transform\""));
    EXPECT_TRUE(schema.contains(dir.filePath("calls.vcf.gz").toUtf8())) << "inputs are stored absolute";

    const CliResult piped = runVarkit({"schema", "-"}, url.toUtf8() + '\n');
    EXPECT_EQ(piped.exitCode, 0) << piped.err.toStdString();
    EXPECT_EQ(piped.out, schema);

    // Written without a destination, the output lands beside the input, named after both.
    EXPECT_EQ(runVarkit({"writetxt", url}, QByteArray(), QDir::rootPath()).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("calls.vcf.altRatio.txt")));
}

TEST(TransformSources, ThreeNestedTransformsWriteEveryFieldThroughEveryWriter) {
    QTemporaryDir dir;
    const QString nested = altRatio(altRatio(altRatio(kExample, "V1"), "V2"), "V3");
    const QString vcf = dir.filePath("nested.vcf");
    const CliResult write = runVarkit({"writevcf", nested, vcf});
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    const QByteArray values = bcftoolsQuery(vcf, "[%V1 %V2 %V3\\n]").out;
    EXPECT_EQ(values.count('\n'), 3 * 50) << values.toStdString();
    for (const QByteArray& line : values.trimmed().split('\n')) {
        const QList<QByteArray> three = line.split(' ');
        ASSERT_EQ(three.size(), 3);
        EXPECT_EQ(three[0], three[1]);
        EXPECT_EQ(three[1], three[2]);
    }

    const QString tsf = dir.filePath("nested.tsf");
    ASSERT_EQ(runVarkit({"writetsf", nested, tsf}).exitCode, 0);
    const QByteArray fromTsf = bcftoolsQuery(vcf, "[%V3\\n]").out;
    const QString back = dir.filePath("back.vcf");
    ASSERT_EQ(runVarkit({"writevcf", tsf, back}).exitCode, 0);
    EXPECT_EQ(bcftoolsQuery(back, "[%V3\\n]").out, fromTsf);

    const QString txt = dir.filePath("nested.txt");
    const CliResult text = runVarkit({"writetxt", nested, txt});
    EXPECT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(QFileInfo(txt).size() > 0);
}

TEST(TransformSources, BundlesResolveRelativeInputsAgainstTheirOwnFolder) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("project/data");
    QFile::copy(kExample, dir.filePath("project/data/calls.vcf.gz"));
    const QByteArray bundle = R"({"name": "altRatio", "options": {"fields": {"altRatioFieldSymbol": "OUTER"}},
        "inputs": [{"name": "AltRatio", "options": {"fields": {"altRatioFieldSymbol": "INNER"}},
                    "inputs": ["data/calls.vcf.gz"]}]})";
    FormatTest::writeFile(dir.filePath("project/vaf.txsource"), bundle);
    const QByteArray schema = schemaOf("vaf.txsource", dir.filePath("project"));
    EXPECT_TRUE(schema.contains("\"symbol\": \"INNER\"") && schema.contains("\"symbol\": \"OUTER\""));

    // Moved with its inputs, opened from elsewhere: still found.
    ASSERT_TRUE(QDir(dir.path()).rename("project", "moved"));
    EXPECT_EQ(schemaOf(dir.filePath("moved/vaf.txsource"), QDir::rootPath()).contains("OUTER"), true);

    // Absolute paths and URLs are used as they are.
    const QByteArray absolute = QStringLiteral(R"({"name": "altRatio", "options": {}, "inputs": ["%1"]})")
                                    .arg(altRatio(dir.filePath("moved/data/calls.vcf.gz"), "X"))
                                    .toUtf8();
    FormatTest::writeFile(dir.filePath("absolute.txsource"), absolute);
    EXPECT_TRUE(schemaOf(dir.filePath("absolute.txsource")).contains("\"symbol\": \"X\""));
}

TEST(TransformSources, BrokenBundlesAndUrlsFailWithTheirReason) {
    QTemporaryDir dir;
    FormatTest::writeFile(dir.filePath("unknown.txsource"),
                          R"({"name": "frobnicate", "options": {}, "inputs": []})");
    FormatTest::writeFile(dir.filePath("self.txsource"),
                          R"({"name": "altRatio", "options": {}, "inputs": ["self.txsource"]})");
    FormatTest::writeFile(dir.filePath("later.txsource"),
                          R"({"name": "styleUniform", "options": {}, "inputs": ["x.vcf"]})");
    const QList<QPair<QString, QByteArray>> cases = {
        {dir.filePath("missing.txsource"),
         "Unable to open file: " + dir.filePath("missing.txsource").toUtf8()},
        {dir.filePath("unknown.txsource"), "Unable to unbundle transform: frobnicate"},
        {dir.filePath("self.txsource"), "nest more than 64 levels deep"},
        {dir.filePath("later.txsource"), "The transform styleUniform is not available"},
        {"transform://altRatio/b64/bm90IGpzb24=/",
         "Invalid b64 encoded options data for altRatio transform."},
        {altRatio(dir.filePath("none.vcf"), "VAF"), "Input " + dir.filePath("none.vcf").toUtf8()},
        {"transform://error/json/ {\"fields\":{\"errorText\":\"region is masked\"}}", ""},
    };
    for (const auto& c : cases) {
        const CliResult result = runVarkit({"writevcf", c.first, dir.filePath("out.vcf")});
        EXPECT_EQ(result.exitCode, 1) << c.first.toStdString();
        EXPECT_TRUE(result.err.contains(c.second)) << result.err.toStdString();
    }
    const CliResult masked =
        runVarkit({"writetxt", "transform://error/json/ {\"fields\":{\"errorText\":\"region is masked\"}}",
                   dir.filePath("out.txt")});
    EXPECT_TRUE(masked.err.contains("region is masked")) << masked.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out.vcf")));
}
