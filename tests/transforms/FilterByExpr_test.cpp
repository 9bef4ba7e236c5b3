#include "formats/vcf/VcfTestSupport.h"
#include "support/Cli.h"
#include "support/FormatTestSupport.h"
#include "transforms/FilterByExprReader.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Two samples; GQ decides the sample expression, QUAL the locus expression.
const QByteArray kVcf = vcfHeader("##FORMAT=<ID=GQ,Number=1,Type=Integer,Description=\"x\">\n", "A\tB") +
                        "20\t100\t.\tA\tC\t50\tPASS\tDP=5\tGT:GQ\t0/1:30\t0/0:30\n" // locus yes, both samples
                        "20\t200\t.\tA\tC\t50\tPASS\tDP=5\tGT:GQ\t0/1:30\t0/0:5\n"  // locus yes, one sample
                        "20\t300\t.\tA\tC\t10\tPASS\tDP=5\tGT:GQ\t0/1:30\t0/0:30\n" // locus no, both samples
                        "20\t400\t.\tA\tC\t10\tPASS\tDP=5\tGT:GQ\t0/1:5\t0/0:30\n"  // locus no, one sample
                        "20\t500\t.\tA\tC\t10\tPASS\tDP=5\tGT:GQ\t0/1:5\t0/0:.\n";  // locus no, no sample

QString filterUrl(const QString& input, const QByteArray& options) {
    return QStringLiteral("transform://filterByExpr/json/ {\"sourceUrl\":\"%1\"%2}")
        .arg(input, QString::fromUtf8(options));
}

// The positions the filter keeps, or the error that opening or reading gave.
QString kept(const QString& input, const QByteArray& options) {
    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(filterUrl(input, options));
    if (!source->isValid())
        return source->errorText();
    QString error;
    QStringList positions;
    for (const VkFeature& feature : readFeatures(source, ReadRequest(), &error))
        positions << QString::number(feature.segment().start() + 1);
    return error.isEmpty() ? positions.join(' ') : error;
}

// A cursor over a fixed list of features, in one batch.
class ListCursor : public FeatureCursor {
public:
    explicit ListCursor(VkFeatureList features) : m_features(std::move(features)) {}
    bool fill(VkFeatureList& batch, int, QString*) override {
        batch.append(m_features);
        m_features.clear();
        return true;
    }
    bool atEnd() const override { return m_features.isEmpty(); }

private:
    VkFeatureList m_features;
};

// The records of a VCF as "CHROM POS REF ALT" lines.
QByteArray sites(const QString& path) {
    return bcftoolsQuery(path, "%CHROM %POS %REF %ALT\\n").out;
}

} // namespace

TEST(FilterByExpr, LocusAndSampleResultsCombineByTheirFlags) {
    VcfFiles files;
    const QString vcf = files.write("calls.vcf", kVcf);
    const QList<QPair<QByteArray, QString>> cases = {
        {R"(,"expr":"QUAL > 30")", "100 200"},
        {R"(,"sampleExpr":"GQ >= 20")", "100 200 300 400"},
        {R"(,"sampleExpr":"GQ >= 20","andSampleResults":true)", "100 300"},
        {R"(,"sampleExpr":"GQ >= 20","sampleExprSampleIdx":1)", "100 300 400"},
        // OR: a passing locus accepts, a failing one leaves it to the samples.
        {R"(,"expr":"QUAL > 30","sampleExpr":"GQ >= 20","andSampleResults":true)", "100 200 300"},
        // AND: a failing locus rejects, a passing one needs the samples too.
        {R"(,"expr":"QUAL > 30","sampleExpr":"GQ >= 20","andSampleResults":true,"andLocusResults":true)",
         "100"},
        {R"(,"expr":"QUAL > 30","sampleExpr":"GQ >= 20","andLocusResults":true)", "100 200"},
        {R"(,"sampleExpr":"GQ >= 20","andLocusResults":true)", "100 200 300 400"},
        {R"(,"expr":"Start >= 299","filterOnSegmentOptimization":true)", "300 400 500"},
        {R"(,"expr":"QUAL > 30","cacheResults":true)", "100 200"},
        // Neither expression: the locus result is "andLocusResults" and decides alone.
        {"", ""},
        {R"(,"andLocusResults":true)", "100 200 300 400 500"},
        {R"(,"sampleExpr":"GQ > 1","sampleExprSampleIdx":2)", "Invalid sample filter idx: 2"},
        {R"(,"expr":"QUAL > 30 && GQQ > 1")", "Unbound variables: GQQ"},
        {R"(,"expr":"REF > 3")", "Values of types 's' and 'i' cannot be ordered"},
    };
    for (const auto& [options, expected] : cases) {
        const QString result = kept(vcf, options);
        const bool isError = !expected.isEmpty() && !expected.at(0).isDigit();
        EXPECT_TRUE(isError ? result.contains(expected) : result == expected)
            << options.toStdString() << ": " << result.toStdString();
    }
}

TEST(FilterByExpr, CachedResultsAreWorkedOutOncePerFeature) {
    const VkFieldList schema = {VkField(0, "Quality", "QUAL", ValueType::Float)};
    const VkFeature high(VkSegment("1", 10, 11), {PVariant(40.0f)});
    const VkFeature low(VkSegment("1", 20, 21), {PVariant(4.0f)});
    FilterByExprSettings settings;
    settings.expr = "QUAL > 30";
    settings.schema = schema;
    settings.cacheResults = true;
    QString error;
    std::unique_ptr<FilterByExprReader> reader = FilterByExprReader::create(
        std::make_unique<ListCursor>(VkFeatureList{high, low, high, low, high}), settings, &error);
    ASSERT_TRUE(reader) << error.toStdString();
    VkFeatureList batch;
    ASSERT_TRUE(reader->fill(batch, 10, &error));
    EXPECT_EQ(batch, (VkFeatureList{high, high, high}));
    EXPECT_EQ(reader->evaluations(), 2);
}

TEST(FilterByExpr, UrlAndBundleWriteTheKeptRecordsThroughTheCli) {
    QTemporaryDir dir;
    QFile::copy(VARKIT_EXAMPLES "/example.vcf.gz", dir.filePath("calls.vcf.gz"));
    QFile::copy(VARKIT_EXAMPLES "/example.vcf.gz.tbi", dir.filePath("calls.vcf.gz.tbi"));
    const CliResult url = runVarkit(
        {"writevcf",
         R"(transform://filterByExpr/json/ {"sourceUrl":"calls.vcf.gz","expr":"QUAL > 30 && DP >= 10"})",
         "pass.vcf"},
        QByteArray(), dir.path());
    ASSERT_EQ(url.exitCode, 0) << url.err.toStdString();
    const ProgramRun theirs =
        runProgram("bcftools", {"view", "-i", "QUAL>30 && INFO/DP>=10", dir.filePath("calls.vcf.gz")});
    const QString theirPath = dir.filePath("theirs.vcf");
    FormatTest::writeFile(theirPath, theirs.out);
    EXPECT_EQ(sites(dir.filePath("pass.vcf")), sites(theirPath));

    FormatTest::writeFile(dir.filePath("pass.txsource"),
                          R"({"name": "filterByExpr", "options": {"expr": "QUAL > 30 && DP >= 10"},
                              "inputs": ["calls.vcf.gz"]})");
    const CliResult bundle =
        runVarkit({"writevcf", dir.filePath("pass.txsource"), dir.filePath("bundle.vcf")});
    ASSERT_EQ(bundle.exitCode, 0) << bundle.err.toStdString();
    EXPECT_EQ(sites(dir.filePath("bundle.vcf")), sites(theirPath));

    // An expression that fails while records are read leaves no output behind.
    const CliResult failed =
        runVarkit({"writevcf", filterUrl(dir.filePath("calls.vcf.gz"), R"(,"expr":"GENE > 1")"),
                   dir.filePath("bad.vcf")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains("cannot be ordered")) << failed.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("bad.vcf")));
}

// The records kept equal those bcftools view -i keeps with the equivalent expression. bcftools
// skips missing values where varkit compares them: an all-samples test lets missing GQ pass with
// "|| GQ == INT_NA", the form bcftools' -e 'FMT/GQ<20' has.
TEST(FilterByExprCorpus, KeptRecordsEqualBcftoolsView) {
    const QString folder =
        QStringLiteral(VARKIT_CORPUS "/python3-cyvcf2/usr/lib/python3/dist-packages/cyvcf2/tests/");
    if (!QFileInfo::exists(folder + "test.vcf.gz"))
        GTEST_SKIP() << "No corpus at " << folder.toStdString();
    struct Case {
        const char* file;
        QByteArray options;
        QStringList bcftools;
    };
    const QList<Case> cases = {
        {"test.vcf.gz", R"(,"expr":"QUAL > 1000")", {"-i", "QUAL>1000"}},
        {"test.vcf.gz", R"(,"expr":"QD < 10 && DP >= 5000")", {"-i", "INFO/QD<10 && INFO/DP>=5000"}},
        {"test.vcf.gz", R"(,"expr":"AF < 0.05")", {"-i", "INFO/AF<0.05"}},
        {"test.vcf.gz",
         R"(,"expr":"AF == 0.5 || MLEAF >= 0.667")",
         {"-i", "INFO/AF==0.5 || INFO/MLEAF>=0.667"}},
        {"test.vcf.gz", R"(,"expr":"\"in_exac_flag\" in Flags")", {"-i", "INFO/in_exac_flag=1"}},
        {"test.vcf.gz", R"(,"expr":"culprit == \"FS\"")", {"-i", "INFO/culprit==\"FS\""}},
        {"test.vcf.gz", R"(,"sampleExpr":"GQ >= 99")", {"-i", "FMT/GQ>=99"}},
        {"test.vcf.gz", R"(,"sampleExpr":"DP > 200")", {"-i", "FMT/DP>200"}},
        // DP is INFO/DP in the locus expression and FORMAT/DP in the sample expression.
        {"test.vcf.gz",
         R"(,"expr":"DP < 15000","sampleExpr":"DP > 100","andLocusResults":true)",
         {"-i", "INFO/DP<15000 && FMT/DP>100"}},
        {"test.vcf.gz",
         R"(,"sampleExpr":"GQ >= 20 || GQ == INT_NA","andSampleResults":true)",
         {"-e", "FMT/GQ<20"}},
        {"o.vcf.gz",
         R"(,"sampleExpr":"GQ > 30 || GQ == FLOAT_NA","andSampleResults":true)",
         {"-e", "FMT/GQ<=30"}},
        {"o.vcf.gz", R"(,"expr":"QUAL < 100 && QUAL > 40")", {"-i", "QUAL<100 && QUAL>40"}},
        {"o.vcf.gz", R"(,"sampleExpr":"DP < 10")", {"-i", "FMT/DP<10"}},
    };
    QTemporaryDir dir;
    int nonEmpty = 0;
    for (const Case& c : cases) {
        const QString input = folder + QLatin1String(c.file);
        const QString ours = dir.filePath("ours.vcf");
        const CliResult write = runVarkit({"writevcf", filterUrl(input, c.options), ours});
        ASSERT_EQ(write.exitCode, 0) << c.options.toStdString() << write.err.toStdString();
        const ProgramRun view = runProgram("bcftools", QStringList{"view"} + c.bcftools + QStringList{input});
        ASSERT_EQ(view.exitCode, 0) << view.err.toStdString();
        const QString theirs = dir.filePath("theirs.vcf");
        FormatTest::writeFile(theirs, view.out);
        const QByteArray expected = sites(theirs);
        EXPECT_EQ(sites(ours), expected) << c.file << c.options.toStdString();
        nonEmpty += expected.isEmpty() ? 0 : 1;
    }
    EXPECT_EQ(nonEmpty, cases.size());
}
