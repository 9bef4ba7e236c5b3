// Region annotation: what matches in each genomic mode, the fields it adds, and its counts against
// bedtools on the sweep (sorted, indexed regions) and the query (unindexed regions) paths alike.
#include "formats/vcf/VcfTestSupport.h"
#include "meta/Json.h"
#include "source/registry/VkSourceTypeManager.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/FormatTestSupport.h"
#include "transforms/framework/TransformUrl.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

QString joinUrl(const QString& name, const QString& left, const QString& right, PVariantMap fields = {}) {
    fields.insert("sourceUrls", PVariant::fromStringList({left, right}));
    const PVariantMap options{{"fields", PVariant(fields)}};
    return TransformUrl::make(name, Json::write(PVariant(options), Json::Style::Compact), 0);
}

struct Row {
    QByteArray left;
    QByteArray right;
    int matched;
};

// The left feature's name, the matched region's name and the match count of every output record.
QList<Row> rowsOf(const VkSourcePtr& join) {
    const int leftName = join->info().fieldIndex("NAME");
    const int count = join->info().fieldIndex("MATCHED_COUNT");
    int rightName = -1;
    for (const VkField& field : join->schema())
        if (field.symbol.endsWith("_NAME"))
            rightName = field.idx;
    QList<Row> rows;
    for (const VkFeature& feature : FormatTest::readAll(join))
        rows << Row{feature.value(leftName).bytes(), feature.value(rightName).bytes(),
                    feature.value(count).intValue()};
    return rows;
}

class AnnotateRegionTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_left = m_dir.filePath("left.bed");
        FormatTest::writeFile(m_left, "1\t150\t250\tPARTIAL\n1\t300\t300\tINSERTION\n1\t250\t400\tEXACT\n"
                                      "1\t500\t600\tNONE\n");
        m_right = m_dir.filePath("right.bed");
        FormatTest::writeFile(m_right, "1\t100\t200\tR1\n1\t250\t400\tR2\n");
    }
    VkSourcePtr open(const QString& name, PVariantMap fields) {
        VkSourcePtr source =
            VkSourceTypeRegistry::instance().open(joinUrl(name, m_left, m_right, std::move(fields)));
        EXPECT_TRUE(source->isValid()) << source->errorText().toStdString();
        return source;
    }

    QTemporaryDir m_dir;
    QString m_left;
    QString m_right;
};

QString describe(const QList<Row>& rows) {
    QStringList text;
    for (const Row& row : rows)
        text << QStringLiteral("%1>%2:%3")
                    .arg(QString::fromUtf8(row.left), QString::fromUtf8(row.right))
                    .arg(row.matched);
    return text.join(' ');
}

} // namespace

TEST_F(AnnotateRegionTest, EachGenomicModeKeepsEveryLeftFeatureAndItsMatches) {
    const QList<QPair<QByteArray, QString>> modes = {
        {"GenomicMatchOverlap", "PARTIAL>R1:1 INSERTION>R2:1 EXACT>R2:1 NONE>:0"},
        {"GenomicMatchWithin", "PARTIAL>:0 INSERTION>R2:1 EXACT>R2:1 NONE>:0"},
        {"GenomicMatchExact", "PARTIAL>:0 INSERTION>:0 EXACT>R2:1 NONE>:0"},
    };
    for (const auto& mode : modes) {
        const VkSourcePtr join =
            open("annotateRegion", {{"genomicMatchMode", PVariant(mode.first)},
                                    {"matchingFeatureSummary", PVariant("MatchingFeatureCount")}});
        EXPECT_EQ(describe(rowsOf(join)), mode.second) << mode.first.constData();
    }
    const VkSourcePtr flagged =
        open("annotateRegion", {{"matchingFeatureSummary", PVariant("MatchingFeaturePresent")}});
    const int matched = flagged->info().fieldIndex("MATCHED");
    ASSERT_GE(matched, 0);
    EXPECT_EQ(flagged->schema().at(matched).name, QByteArray("Matched?"));
    const VkFeatureList features = FormatTest::readAll(flagged);
    EXPECT_EQ(features.last().value(matched).boolByte(), 0);
    EXPECT_EQ(features.first().value(matched).boolByte(), 1);
    EXPECT_EQ(flagged->info().name, QStringLiteral("Annotate Region with right.bed"));
}

TEST_F(AnnotateRegionTest, OverlapRegionsGiveTheRegionItsSpanAndTheJaccardIndex) {
    const VkSourcePtr join = open("annotateOverlapRegion", {});
    const VkFeatureList features = FormatTest::readAll(join);
    ASSERT_EQ(features.size(), 4);
    const int region = join->info().fieldIndex("REGION");
    EXPECT_EQ(join->schema().at(region).urlTemplate, QStringLiteral("lumaview:/api/zoom?locus=$$"));
    EXPECT_EQ(features[0].value(region).bytes(), QByteArray("1:101-200"));
    EXPECT_EQ(features[0].value(region + 1).intValue(), 100);
    EXPECT_NEAR(features[0].value(region + 2).floatValue(), 100.0f * 50 / 150, 1e-4);
    EXPECT_NEAR(features[2].value(region + 2).floatValue(), 100.0f, 1e-4);
    EXPECT_TRUE(features[3].value(region).isMissing());
    EXPECT_EQ(features[3].value(region + 2).floatValue(), PVariant::MissingFloat);
}

TEST_F(AnnotateRegionTest, UnsuitableSourcesAndFieldsDoNotOpen) {
    VkSourcePtr missingField = VkSourceTypeRegistry::instance().open(joinUrl(
        "annotateRegion", m_left, m_right, {{"outputFieldList", PVariant::fromStringList({"SCORE"})}}));
    EXPECT_EQ(missingField->errorText(), QStringLiteral("Unable to find field SCORE"));
    VkSourcePtr noRight = VkSourceTypeRegistry::instance().open(TransformUrl::make(
        "annotateRegion", "{\"fields\":{\"sourceUrls\":[\"" + m_left.toUtf8() + "\"]}}", 1));
    EXPECT_EQ(noRight->errorText(), QStringLiteral("The region annotation source is invalid"));

    // A damaged region file ends the join with its reason.
    FormatTest::writeFile(m_right, "1\t100\t200\tR1\n1\tx\t400\tR2\n");
    const VkSourcePtr join =
        VkSourceTypeRegistry::instance().open(joinUrl("annotateRegion", m_left, m_right));
    QString error;
    FeatureCursorPtr cursor = join->manager()->openCursor(join, ReadRequest::all({0, 1, 2, 3, 4, 5}), &error);
    VkFeatureList read;
    while (cursor && !cursor->atEnd() && cursor->fill(read, 100, &error)) {
    }
    EXPECT_FALSE(error.isEmpty());
}

// bedtools intersect -c counts the regions each variant overlaps; "# Matched" must agree, whether
// the regions are swept (bgzip + tabix, sorted) or queried (plain text).
TEST(AnnotateRegionCounts, MatchBedtoolsOnTheSweepAndTheQueryPath) {
    QTemporaryDir dir;
    std::mt19937 random(5);
    QList<QPair<int, int>> regions;
    for (int i = 0; i < 400; ++i) {
        const int start = int(random() % 2000000);
        regions << qMakePair(start, start + 1 + int(random() % 200000));
    }
    std::sort(regions.begin(), regions.end());
    QByteArray bed;
    for (int i = 0; i < regions.size(); ++i)
        bed += "20\t" + QByteArray::number(regions[i].first) + '\t' + QByteArray::number(regions[i].second) +
               "\tr" + QByteArray::number(i) + '\n';
    const QString plain = dir.filePath("regions.bed");
    FormatTest::writeFile(plain, bed);
    FormatTest::writeFile(dir.filePath("sorted.bed"), bed);
    FormatTest::runTool("bgzip", {"-f", dir.filePath("sorted.bed")});
    FormatTest::runTool("tabix", {"-p", "bed", dir.filePath("sorted.bed.gz")});

    const QString variants = QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz");
    QList<int> expected;
    for (const QByteArray& line :
         FormatTest::runTool("bedtools", {"intersect", "-c", "-a", variants, "-b", plain})
             .trimmed()
             .split('\n'))
        expected << line.split('\t').last().toInt();

    for (const QString& right : {plain, dir.filePath("sorted.bed.gz")}) {
        const VkSourcePtr join = VkSourceTypeRegistry::instance().open(
            joinUrl("annotateRegion", variants, right,
                    {{"matchingFeatureSummary", PVariant("MatchingFeatureCount")}}));
        ASSERT_TRUE(join->isValid()) << join->errorText().toStdString();
        const int count = join->info().fieldIndex("MATCHED_COUNT");
        QList<int> counts;
        VkSegment last;
        for (const VkFeature& feature : FormatTest::readAll(join)) {
            if (feature.segment() != last)
                counts << feature.value(count).intValue();
            last = feature.segment();
        }
        EXPECT_EQ(counts, expected) << right.toStdString();
        // Reading the join by region asks the right source by region: the same records, but for the
        // order in which the join met the regions.
        const auto withoutIds = [&join](VkFeatureList features) {
            int id = -1;
            for (const VkField& field : join->schema())
                if (field.symbol.startsWith("RIGHT_ID_"))
                    id = field.idx;
            for (VkFeature& feature : features)
                feature.setValue(id, PVariant());
            return features;
        };
        EXPECT_EQ(withoutIds(FormatTest::readAll(join)),
                  withoutIds(FormatTest::readRegions(
                      join, {VkSegment("20", 0, 100000000), VkSegment("21", 0, 100000000)})))
            << right.toStdString();
    }
}
