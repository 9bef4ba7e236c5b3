#include "source/values/SharedNames.h"
#include "source/model/VkFeature.h"
#include "source/model/VkSourceInfo.h"

#include <gtest/gtest.h>

TEST(VkFeatureTest, CopiesShareUntilWritten) {
    VkFeature feature(VkSegment("chr1", 10, 11), {PVariant("A"), PVariant(QVector<int32_t>{1, 2, 3})});
    VkFeature copy = feature;
    EXPECT_EQ(copy, feature);
    EXPECT_EQ(&copy.segment(), &feature.segment());

    copy.setValue(0, PVariant("G"));
    EXPECT_EQ(feature.value(0), PVariant("A"));
    EXPECT_EQ(copy.value(0), PVariant("G"));
    EXPECT_NE(copy, feature);
    // The untouched matrix value is still one shared vector.
    EXPECT_EQ(copy.value(1).intVector().constData(), feature.value(1).intVector().constData());
}

TEST(VkFeatureTest, ValuesByIndexAndSample) {
    VkFeature feature;
    EXPECT_EQ(feature.segment(), VkSegment());
    EXPECT_FALSE(feature.value(0).isValid());
    feature.setValue(2, PVariant(QVector<int32_t>{30, 40}));
    EXPECT_EQ(feature.size(), 3);
    EXPECT_FALSE(feature.value(1).isValid());
    EXPECT_FALSE(feature.value(-1).isValid());
    EXPECT_EQ(feature.matrixCell(2, 1), PVariant(40));
    EXPECT_FALSE(feature.matrixCell(2, 2).isValid());
}

TEST(VkFeatureTest, SharedNamesHandOutOneCopy) {
    SharedNames names;
    const char line[] = "chr1\t100";
    const QByteArray& first = names.intern(line, 4);
    const QByteArray& second = names.intern(QByteArray("chr1"));
    EXPECT_EQ(first, "chr1");
    EXPECT_EQ(first.constData(), second.constData());
    EXPECT_EQ(names.size(), 1);
    const VkSegment a(first, 1, 2);
    const VkSegment b(second, 5, 6);
    EXPECT_EQ(a.chromosome().constData(), b.chromosome().constData());
}

TEST(VkFeatureTest, InternedNamesOutliveTheirTable) {
    QByteArray kept;
    QByteArray longName(300, 'x');
    {
        SharedNames names;
        kept = names.intern("0/1", 3);
        longName = names.intern(longName);
    }
    SharedNames other;
    EXPECT_EQ(kept, "0/1");
    EXPECT_EQ(other.intern("0/1", 3).constData(), kept.constData());
    EXPECT_EQ(longName, QByteArray(300, 'x'));
    // Changing a copy never touches the shared bytes.
    QByteArray changed = kept;
    changed.append("|2");
    EXPECT_EQ(changed, "0/1|2");
    EXPECT_EQ(SharedNames::permanent("0/1", 3), "0/1");
}

TEST(VkSourceInfoTest, MapKeysInOrderAndRoundTrip) {
    VkSourceInfo info;
    info.name = QStringLiteral("trio");
    info.url = QStringLiteral("/data/trio.vcf.gz");
    info.format = QStringLiteral("VCF");
    info.entityCount = 3;
    info.locusCount = 0;
    info.uuid = QStringLiteral("b7c1");
    info.size = qint64(5) << 32;
    info.curated = QDateTime(QDate(2024, 2, 29), QTime(12, 30, 1, 250), Qt::UTC);
    info.docInfo.setName(QStringLiteral("Trio"));
    info.properties.insert("SampleNames", QVector<QByteArray>{"child", "mother", "father"});
    info.coordInfo.coordSysId = QStringLiteral("GRCh38");
    info.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::Variant);
    info.schema.append(VkField(0, "Ref", "REF", ValueType::String));
    VkField genotype(1, "0/1 Genotypes", "GT", ValueType::String, VkField::Matrix);
    genotype.format = {"GT"};
    info.schema.append(genotype);
    info.stylesheet.insert("StyleTx", PVariantMap{{"color", "red"}});

    const PVariantMap map = info.toMap();
    EXPECT_EQ(map.keys(),
              (QVector<QByteArray>{"name", "url", "format", "entityCount", "locusCount", "uuid", "size",
                                   "curated", "docInfo", "properties", "coordInfo", "schema", "stylesheet"}));
    EXPECT_EQ(map.value("size").type(), ValueType::Int64);
    EXPECT_EQ(map.value("coordInfo"),
              PVariant(PVariantMap{{"coordSysId", "GRCh38"}, {"featureType", "Variant"}}));
    EXPECT_EQ(map.value("docInfo").map().value("fields").map().value("name"), PVariant("Trio"));
    const QVector<PVariantMap> fields = map.value("schema").map().value("fields").mapVector();
    ASSERT_EQ(fields.size(), 2);
    EXPECT_EQ(fields.at(1).value("genotypic"), PVariant(true));

    VkSourceInfo read;
    QString error;
    ASSERT_TRUE(VkSourceInfo::fromMap(map, &read, &error)) << error.toStdString();
    EXPECT_EQ(read, info);
    EXPECT_EQ(read.fieldIndex("GT"), 1);
    EXPECT_EQ(read.fieldIndex("DP"), -1);
    EXPECT_EQ(read.field(VkField::SegmentIdx)->symbol, "SEGMENT");
    EXPECT_EQ(read.field(2), nullptr);
}

TEST(VkSourceInfoTest, DocInfoReadsFromPlainOptionValues) {
    const PVariantMap docInfo{{"name", "Trio"}, {"curatedBy", "lab"}};
    VkSourceInfo info;
    ASSERT_TRUE(VkSourceInfo::fromMap(PVariantMap{{"docInfo", docInfo}}, &info));
    EXPECT_EQ(info.docInfo.name(), "Trio");
    EXPECT_EQ(info.docInfo.curatedBy(), "lab");
    EXPECT_EQ(info.docInfo.seriesName(), "");

    ASSERT_TRUE(VkSourceInfo::fromMap(PVariantMap{{"docInfo", "not a record"}}, &info));
    EXPECT_FALSE(info.docInfo.isNull());
    EXPECT_EQ(info.docInfo.name(), "");
}

TEST(VkSourceInfoTest, BadFieldFailsTheRead) {
    PVariantMap schema{
        {"fields", QVector<PVariantMap>{PVariantMap{{"idx", 0}, {"name", "X"}, {"type", "i3"}}}}};
    VkSourceInfo info;
    QString error;
    EXPECT_FALSE(VkSourceInfo::fromMap(PVariantMap{{"name", "x"}, {"schema", schema}}, &info, &error));
    EXPECT_EQ(error, "Inappropriate byte size postfix in schema: i3");
}
