#include "formats/tsf/TsfSourceWriter.h"
#include "formats/tsf/TsfWriterTaskList.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/FormatTestSupport.h"
#include "tasks/AppLoop.h"
#include "tasks/TaskListRunnerLogger.h"
#include "tasks/VkSourceTaskListRunner.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// Files written by the TSF writer read back, through the TSF readers, as the features they were
// written from.
namespace {

QString writeThroughTaskList(const VkSourcePtr& source, const QString& destination) {
    VkSourceTaskListRunner runner;
    TaskListRunnerLogger logger(&runner);
    testing::internal::CaptureStderr();
    runner.start(TsfWriterTaskList::build(source->path(), destination), {source});
    const bool ended = runAppLoop(120000);
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(ended);
    return runner.errorText();
}

// Categories are compared by name: the file numbers them in order of first appearance, and its
// readers hand out the numbers.
PVariant categoryNames(const PVariant& value, const VkField& field) {
    if (field.valueType == ValueType::Categorical)
        return value.type() == ValueType::Int ? PVariant(field.enumName(value.intValue()))
                                              : PVariant(value.categoricalName());
    if (value.type() == ValueType::IntArray) {
        QVector<QByteArray> names;
        for (int32_t code : value.intVector())
            names.append(field.enumName(code));
        return PVariant(names);
    }
    return PVariant(value.type() == ValueType::CategoricalArray ? value.categoricalVector().names()
                                                                : QVector<QByteArray>());
}

PVariant comparable(const PVariant& value, const VkField& field) {
    const bool categorical =
        field.valueType == ValueType::Categorical || field.valueType == ValueType::CategoricalArray;
    return categorical && field.fieldType != VkField::Matrix ? categoryNames(value, field) : value;
}

void expectSameFeatures(const VkFeatureList& written, const VkFieldList& writtenSchema,
                        const VkFeatureList& read, const VkFieldList& readSchema) {
    ASSERT_EQ(read.size(), written.size());
    for (int i = 0; i < written.size(); ++i) {
        ASSERT_EQ(read.at(i).segment(), written.at(i).segment()) << "feature " << i;
        for (int f = 0; f < writtenSchema.size(); ++f) {
            if (writtenSchema.at(f).fieldType == VkField::EntityAttribute)
                continue;
            const PVariant expected = comparable(written.at(i).value(f), writtenSchema.at(f));
            const PVariant actual = comparable(read.at(i).value(f), readSchema.at(f));
            ASSERT_EQ(actual, expected)
                << "feature " << i << " field " << f << ": " << actual.toText().toStdString() << " vs "
                << expected.toText().toStdString();
        }
    }
}

void expectSameFeatures(const VkSourcePtr& source, const VkSourcePtr& written) {
    expectSameFeatures(FormatTest::readAll(source), source->schema(), FormatTest::readAll(written),
                       written->schema());
}

TEST(TsfWriterReadBackTest, VcfReadsBackFeatureByFeature) {
    const QString vcf = QStringLiteral(VARKIT_EXAMPLES "/example.vcf.gz");
    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(vcf);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    QTemporaryDir dir;
    const QString out = dir.filePath("example.tsf");
    const QString error = writeThroughTaskList(source, out);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const VkSourcePtr written = VkSourceTypeRegistry::instance().open(out);
    ASSERT_TRUE(written->isValid()) << written->errorText().toStdString();
    EXPECT_EQ(written->info().entityCount, source->info().entityCount);
    ASSERT_EQ(written->schema().size(), source->schema().size());
    for (int f = 0; f < source->schema().size(); ++f) {
        EXPECT_EQ(written->schema().at(f).name, source->schema().at(f).name);
        EXPECT_EQ(written->schema().at(f).valueType, source->schema().at(f).valueType);
        EXPECT_EQ(written->schema().at(f).fieldType, source->schema().at(f).fieldType);
    }
    expectSameFeatures(source, written);
    // The genomic index answers region reads as the VCF's own index does.
    const QList<VkSegment> region{VkSegment("20", 0, 30000000)};
    expectSameFeatures(FormatTest::readRegions(source, region), source->schema(),
                       FormatTest::readRegions(written, region), written->schema());
}

TEST(TsfWriterReadBackTest, MatrixCategoricalAndEntityValuesReadBack) {
    QTemporaryDir dir;
    VkSourceInfo info;
    info.name = QStringLiteral("trio");
    info.entityCount = 3;
    info.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::Variant);
    info.schema = {VkField(0, "Filter", "FILTER", ValueType::CategoricalArray),
                   VkField(1, "Kind", "KIND", ValueType::Categorical),
                   VkField(2, "Quality", "QUAL", ValueType::Float),
                   VkField(3, "Genotypes", "GT", ValueType::String, VkField::Matrix),
                   VkField(4, "Allelic Depths", "AD", ValueType::IntArray, VkField::Matrix),
                   VkField(5, "Samples", QByteArray(), ValueType::String, VkField::EntityAttribute)};
    info.properties.insert("SampleNames", PVariant(QVector<QByteArray>{"child", "mother", "father"}));
    VkFeatureList features;
    for (int i = 0; i < 600; ++i) {
        const int32_t start = 1000 + i * 7;
        const SampleMatrix depths(PVariant(QVector<int32_t>{i, 1, 2, i % 5, 9}), {0, 2, 3, 5});
        features.append(VkFeature(
            VkSegment(i < 300 ? "20" : "21", start, start + 1 + i % 4),
            {PVariant(CategoricalVector({i % 2}, {i % 2 ? "q10" : "PASS"})),
             PVariant::categorical(i % 3, QByteArray("kind") + QByteArray::number(i % 3)),
             PVariant(float(i) / 4), PVariant(QVector<QByteArray>{"0/1", i % 2 ? "1/1" : "0/0", "./."}),
             PVariant(depths), PVariant()}));
    }
    TsfWriteSettings settings = TsfWriteSettings::forSource(info);
    settings.filePath = dir.filePath("trio.tsf");
    TsfSourceWriter writer(settings);
    QString error;
    ASSERT_TRUE(writer.start(&error) && writer.write(features, &error) && writer.finish(&error))
        << error.toStdString();

    const VkSourcePtr written = VkSourceTypeRegistry::instance().open(settings.filePath);
    ASSERT_TRUE(written->isValid()) << written->errorText().toStdString();
    EXPECT_EQ(written->info().entityCount, 3);
    expectSameFeatures(features, info.schema, FormatTest::readAll(written), written->schema());
}

} // namespace
