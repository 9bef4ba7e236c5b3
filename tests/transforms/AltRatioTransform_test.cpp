#include "formats/vcf/VcfTestSupport.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "source/values/SampleMatrix.h"
#include "support/Cli.h"
#include "support/FormatTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float M = PVariant::MissingFloat;

QByteArray header(const QByteArray& declarations) {
    return "##fileformat=VCFv4.2\n##contig=<ID=1,length=10000>\n"
           "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n" +
           declarations + "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\tS1\tS2\n";
}

QString altRatioUrl(const QString& input, const QByteArray& extraFields = QByteArray()) {
    return QStringLiteral("transform://altRatio/json/ {\"fields\":{\"sourceUrl\":\"%1\"%2}}")
        .arg(input, QString::fromUtf8(extraFields));
}

class AltRatioTest : public ::testing::Test {
protected:
    // Opens altRatio over a VCF of the given text; the new field's values, one per record.
    QVector<PVariant> vafOf(const QByteArray& vcf, const QByteArray& extraFields = QByteArray()) {
        const QString path = m_dir.filePath(QStringLiteral("in%1.vcf").arg(++m_files));
        FormatTest::writeFile(path, vcf);
        m_source = VkSourceTypeRegistry::instance().open(altRatioUrl(path, extraFields));
        if (!m_source->isValid()) {
            ADD_FAILURE() << m_source->errorText().toStdString();
            return {};
        }
        const int vaf = m_source->info().fieldIndex("VAF");
        QVector<PVariant> values;
        for (const VkFeature& feature : FormatTest::readAll(m_source))
            values << feature.value(vaf);
        return values;
    }
    QString openError(const QByteArray& vcf) {
        const QString path = m_dir.filePath(QStringLiteral("bad%1.vcf").arg(++m_files));
        FormatTest::writeFile(path, vcf);
        return VkSourceTypeRegistry::instance().open(altRatioUrl(path))->errorText();
    }
    const VkField& vafField() const { return m_source->schema().at(m_source->info().fieldIndex("VAF")); }

    QTemporaryDir m_dir;
    int m_files = 0;
    VkSourcePtr m_source;
};

void expectFloats(const QVector<float>& actual, const QVector<float>& expected, const char* what) {
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (int i = 0; i < actual.size(); ++i) {
        if (expected[i] == M)
            EXPECT_EQ(actual[i], M) << what << " [" << i << "]";
        else
            EXPECT_FLOAT_EQ(actual[i], expected[i]) << what << " [" << i << "]";
    }
}

void expectSample(const PVariant& matrix, int sample, const QVector<float>& expected, const char* what) {
    ASSERT_TRUE(matrix.isSampleMatrix()) << what;
    const PVariant values = matrix.sampleMatrix().sample(sample);
    expectFloats(values.floatVector(), expected, what);
}

// The same numbers, whichever way each tool rounds a tie in its sixth digit.
bool sameFractions(const QByteArray& ours, const QByteArray& theirs) {
    const QList<QByteArray> a = ours.split(',');
    const QList<QByteArray> b = theirs.split(',');
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        bool okA = false;
        bool okB = false;
        const double x = a[i].toDouble(&okA);
        const double y = b[i].toDouble(&okB);
        if (a[i] != b[i] && !(okA && okB && std::fabs(x - y) <= 2e-6))
            return false;
    }
    return true;
}

} // namespace

TEST_F(AltRatioTest, AllelicDepthsGiveOneFractionPerAlternateAndSample) {
    const QVector<PVariant> vaf = vafOf(header("##FORMAT=<ID=AD,Number=R,Type=Integer,Description=\"x\">\n") +
                                        "1\t10\t.\tA\tC\t50\tPASS\t.\tGT:AD\t0/1:10,5\t0/0:0,0\n"
                                        "1\t20\t.\tA\tC,G\t50\tPASS\t.\tGT:AD\t1/2:10,5,5\t./.:.\n"
                                        "1\t30\t.\tA\tC\t50\tPASS\t.\tGT:AD\t0/1:10,5,5\t0/1:3,.\n");
    ASSERT_EQ(vaf.size(), 3);
    EXPECT_TRUE(vafField().isMatrix());
    EXPECT_EQ(vafField().valueType, ValueType::FloatArray);
    EXPECT_EQ(vafField().doc, QStringLiteral("Computed Alternate Allele Frequency"));
    expectSample(vaf[0], 0, {5.0f / 15.0f}, "10,5");
    expectSample(vaf[0], 1, {M}, "depths summing to 0");
    expectSample(vaf[1], 0, {0.25f, 0.25f}, "10,5,5 with two alternates");
    expectSample(vaf[1], 1, {}, "no depths");
    expectSample(vaf[2], 0, {}, "three depths for one alternate");
    expectSample(vaf[2], 1, {M}, "a missing alternate depth");
}

TEST_F(AltRatioTest, ObservationsAreTriedBeforeAllelicDepthsAndFilteredCountsFirst) {
    const QByteArray declarations = "##INFO=<ID=AO,Number=A,Type=Integer,Description=\"x\">\n"
                                    "##INFO=<ID=RO,Number=1,Type=Integer,Description=\"x\">\n"
                                    "##FORMAT=<ID=AD,Number=R,Type=Integer,Description=\"x\">\n";
    const QVector<PVariant> vaf =
        vafOf(header(declarations) + "1\t10\t.\tA\tC,G\t50\tPASS\tAO=3,2;RO=5\tGT:AD\t0/1:1,1,1\t0/0:1,1,1\n"
                                     "1\t20\t.\tA\tC\t50\tPASS\tAO=0;RO=0\tGT\t0/1\t0/0\n"
                                     "1\t30\t.\tA\tC\t50\tPASS\tAO=4\tGT\t0/1\t0/0\n");
    ASSERT_EQ(vaf.size(), 3);
    EXPECT_FALSE(vafField().isMatrix());
    expectFloats(vaf[0].floatVector(), {0.3f, 0.2f}, "AO=3,2 RO=5");
    expectFloats(vaf[1].floatVector(), {M}, "zero denominator");
    expectFloats(vaf[2].floatVector(), {M}, "missing RO");

    const QVector<PVariant> filtered =
        vafOf(header(declarations + "##INFO=<ID=FAO,Number=A,Type=Integer,Description=\"x\">\n"
                                    "##INFO=<ID=FRO,Number=1,Type=Integer,Description=\"x\">\n") +
              "1\t10\t.\tA\tC\t50\tPASS\tAO=3;RO=5;FAO=1;FRO=3\tGT\t0/1\t0/0\n");
    expectFloats(filtered.value(0).floatVector(), {0.25f}, "FAO=1 FRO=3");
}

TEST_F(AltRatioTest, ObservedOverDepthAndStrandCounts) {
    const QVector<PVariant> depth = vafOf(header("##INFO=<ID=AO,Number=1,Type=Integer,Description=\"x\">\n"
                                                 "##INFO=<ID=DP,Number=1,Type=Integer,Description=\"x\">\n") +
                                          "1\t10\t.\tA\tC\t50\tPASS\tAO=3;DP=12\tGT\t0/1\t0/0\n"
                                          "1\t20\t.\tA\tC\t50\tPASS\tAO=3;DP=0\tGT\t0/1\t0/0\n");
    ASSERT_EQ(depth.size(), 2);
    EXPECT_EQ(vafField().valueType, ValueType::Float);
    EXPECT_FLOAT_EQ(depth[0].floatValue(), 0.25f);
    EXPECT_EQ(depth[1].floatValue(), M);

    const QVector<PVariant> dp4 = vafOf(header("##INFO=<ID=DP4,Number=4,Type=Integer,Description=\"x\">\n") +
                                        "1\t10\t.\tA\tC\t50\tPASS\tDP4=5,5,3,2\tGT\t0/1\t0/0\n"
                                        "1\t20\t.\tA\tC\t50\tPASS\tDP4=0,0,0,0\tGT\t0/1\t0/0\n");
    ASSERT_EQ(dp4.size(), 2);
    EXPECT_FLOAT_EQ(dp4[0].floatValue(), 5.0f / 15.0f);
    EXPECT_EQ(dp4[1].floatValue(), M);

    const QVector<PVariant> clc =
        vafOf(header("##FORMAT=<ID=CLCAD2,Number=R,Type=Integer,Description=\"x\">\n"
                     "##FORMAT=<ID=AD,Number=R,Type=Integer,Description=\"x\">\n") +
              "1\t10\t.\tA\tC\t50\tPASS\t.\tGT:CLCAD2:AD\t0/1:6,2:1,1\t0/0:4,0:1,1\n");
    expectSample(clc.value(0), 0, {0.25f}, "CLCAD2 wins over AD");
    expectSample(clc.value(0), 1, {0.0f}, "no alternate reads");
}

TEST_F(AltRatioTest, OptionsPlaceTheFieldAndNameItsInputs) {
    const QByteArray vcf = header("##INFO=<ID=DP,Number=1,Type=Integer,Description=\"x\">\n"
                                  "##INFO=<ID=OBS,Number=1,Type=Integer,Description=\"x\">\n") +
                           "1\t10\t.\tA\tC\t50\tPASS\tDP=8;OBS=2\tGT\t0/1\t0/0\n";
    const QVector<PVariant> vaf =
        vafOf(vcf, R"(,"observedFieldIdx":7,"insertFieldAtIdx":2,"altRatioFieldSymbol":"VAF")");
    ASSERT_EQ(vaf.size(), 1);
    EXPECT_EQ(m_source->info().fieldIndex("VAF"), 2);
    EXPECT_EQ(m_source->schema().at(8).symbol, QByteArray("OBS"));
    EXPECT_FLOAT_EQ(vaf[0].floatValue(), 0.25f);
}

TEST_F(AltRatioTest, SourcesWithoutUsableFieldsDoNotOpen) {
    EXPECT_EQ(openError(header("") + "1\t10\t.\tA\tC\t50\tPASS\t.\tGT\t0/1\t0/0\n"),
              "A suitable DP4 field was not found");
    EXPECT_EQ(openError(header("##INFO=<ID=AO,Number=1,Type=Integer,Description=\"x\">\n"
                               "##FORMAT=<ID=RO,Number=1,Type=Integer,Description=\"x\">\n") +
                        "1\t10\t.\tA\tC\t50\tPASS\t.\tGT\t0/1\t0/0\n"),
              "A suitable DP4 field was not found");
}

// bcftools +fill-tags computes FORMAT/VAF from AD the same way, but writes 0 where the depths sum
// to 0; varkit leaves those missing.
TEST(AltRatioCorpus, SampleFractionsEqualBcftoolsFillTags) {
    const QString folder =
        QStringLiteral(VARKIT_CORPUS "/python3-cyvcf2/usr/lib/python3/dist-packages/cyvcf2/tests/");
    int compared = 0;
    for (const char* name : {"test.vcf.gz", "o.vcf.gz"}) {
        const QString input = folder + QLatin1String(name);
        if (!QFileInfo::exists(input))
            GTEST_SKIP() << "No corpus at " << folder.toStdString();
        QTemporaryDir dir;
        const QString ours = dir.filePath(QStringLiteral("ours.vcf"));
        const CliResult write = runVarkit({"writevcf", altRatioUrl(input), ours});
        ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
        const QString theirs = dir.filePath(QStringLiteral("theirs.vcf"));
        ASSERT_EQ(
            runProgram("bcftools", {"+fill-tags", input, "-o", theirs, "--", "-t", "FORMAT/VAF"}).exitCode,
            0);

        const QList<QByteArray> ourRows = bcftoolsQuery(ours, "[%AD|%VAF\\t]\\n").out.split('\n');
        const QList<QByteArray> theirRows = bcftoolsQuery(theirs, "[%AD|%VAF\\t]\\n").out.split('\n');
        ASSERT_EQ(ourRows.size(), theirRows.size()) << name;
        for (int row = 0; row < ourRows.size(); ++row) {
            const QList<QByteArray> ourCells = ourRows[row].split('\t');
            const QList<QByteArray> theirCells = theirRows[row].split('\t');
            ASSERT_EQ(ourCells.size(), theirCells.size()) << name << " row " << row;
            for (int cell = 0; cell < ourCells.size(); ++cell) {
                const QList<QByteArray> ourAd = ourCells[cell].split('|');
                const QList<QByteArray> theirAd = theirCells[cell].split('|');
                if (sameFractions(ourAd.value(1), theirAd.value(1)))
                    continue;
                int64_t depthSum = 0;
                for (const QByteArray& depth : ourAd.value(0).split(','))
                    depthSum += depth.toLongLong();
                const bool zeroDepth =
                    depthSum == 0 && QByteArray(theirAd.value(1)).replace("0", "").replace(",", "").isEmpty();
                EXPECT_TRUE(zeroDepth) << name << " row " << row << ": " << ourCells[cell].toStdString()
                                       << " vs " << theirCells[cell].toStdString();
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 2000);
}
