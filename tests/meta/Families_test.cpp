#include "meta/Json.h"
#include "meta/VkMetaRegistry.h"
#include "meta/families/AltRatioOptions.h"
#include "meta/families/FieldMetaOptions.h"
#include "meta/families/RenameOptions.h"
#include "meta/families/SourceMetaOptions.h"
#include "meta/families/TabularWriterSourceOptions.h"
#include "tasks/TaskOptionsList.h"

#include <gtest/gtest.h>

namespace {

std::vector<const VkMetaOptionsBase*> declaredFamilies() {
    return {FieldMetaOptions::staticMeta(),
            SourceMetaOptions::staticMeta(),
            RenameOptions::staticMeta(),
            AltRatioOptions::staticMeta(),
            TabularWriterFieldGroup::staticMeta(),
            TabularWriterSourceOptions::staticMeta(),
            DelimitedTextWriterSourceOptions::staticMeta(),
            XlsxWriterSourceOptions::staticMeta(),
            SourceTaskOptions::staticMeta(),
            ReaderTask::staticMeta(),
            DelimitedTextReaderTask::staticMeta(),
            TsfWriterTask::staticMeta(),
            TsfRewriterTask::staticMeta(),
            TsfInMemRewriterTask::staticMeta(),
            RemoveInMemTsfTask::staticMeta(),
            RemoveFileTask::staticMeta(),
            VCFWriterTask::staticMeta(),
            TabularWriterTask::staticMeta(),
            DelimitedTextWriterTask::staticMeta(),
            XlsxWriterTask::staticMeta(),
            FastaWriterTask::staticMeta(),
            VariableWigWriterTask::staticMeta(),
            FieldIndexTask::staticMeta(),
            SortVCFTask::staticMeta(),
            FileUnzipTask::staticMeta(),
            PrecomputeTask::staticMeta(),
            TransformTask::staticMeta(),
            WorkerThreadAllocationTask::staticMeta(),
            AggregateOutputTask::staticMeta(),
            AssessmentImportTask::staticMeta(),
            CNVReferenceTask::staticMeta(),
            CNVBinnedReferenceTask::staticMeta(),
            TaskOptionsList::staticMeta()};
}

VkOptionsValue nestedRecord(const VkMetaOptionsBase* family) {
    VkOptionsValue record(family ? family->create() : FieldMetaOptions::staticMeta()->create());
    record.setDbId(5);
    record.setDbGroupId(6);
    return record;
}

// A value of the option's kind that differs from its default.
QVariant changedValue(const MetaTypeBase& type) {
    const QVariant value = type.defaultValue();
    const QByteArray& kind = type.typeName();
    if (kind == "bool")
        return !value.toBool();
    if (kind == "int")
        return value.toInt() + 1;
    if (kind == "int64")
        return QVariant::fromValue(value.toLongLong() + 5000000000LL);
    if (kind == "double")
        return value.toDouble() + 0.25;
    if (kind == "string")
        return value.toString() + QStringLiteral("gr\u00fc\u00df \"x\"");
    if (kind == "enum") {
        const auto& values = static_cast<const MetaTypeEnum&>(type).values();
        return values.last() != value.toInt() ? values.last() : values.first();
    }
    if (kind == "boollist")
        return QVariant::fromValue(value.value<QVector<bool>>() << true << false);
    if (kind == "intlist")
        return QVariant::fromValue(value.value<QVector<int>>() << 7 << -1);
    if (kind == "doublelist")
        return QVariant::fromValue(value.value<QVector<double>>() << 0.5 << 1e-300);
    if (kind == "stringlist")
        return QVariant::fromValue(value.value<QVector<QString>>() << "x y"
                                                                   << "");
    if (kind == "options")
        return QVariant::fromValue(nestedRecord(static_cast<const MetaTypeOptions&>(type).family()));
    const VkMetaOptionsBase* family = static_cast<const MetaTypeOptionsList&>(type).family();
    return QVariant::fromValue(QVector<VkOptionsValue>{nestedRecord(family), nestedRecord(family)});
}

} // namespace

TEST(OptionFamiliesTest, EveryFamilyIsRegisteredUnderItsClassName) {
    for (const VkMetaOptionsBase* meta : declaredFamilies()) {
        EXPECT_EQ(VkMetaRegistry::find(meta->className()), meta) << meta->className().toStdString();
        EXPECT_EQ(meta->classVersion(), 1);
        EXPECT_FALSE(meta->description().isEmpty());
        EXPECT_TRUE(VkMetaRegistry::classNames().contains(meta->className()));
    }
}

TEST(OptionFamiliesTest, EveryFamilyRoundTripsThroughJsonWithDefaultsAndChangedValues) {
    for (const VkMetaOptionsBase* meta : declaredFamilies()) {
        SCOPED_TRACE(meta->className().toStdString());
        VkOptionsValue record(meta->create());
        for (const Json::Style style : {Json::Style::Readable, Json::Style::Compact}) {
            QString error;
            const VkOptionsValue back = Json::readOptions(Json::writeOptions(record, style), &error);
            EXPECT_EQ(back, record) << error.toStdString();
        }
        for (int i = 0; i < meta->optionCount(); ++i)
            record.setOption(meta->entry(i).name, changedValue(*meta->entry(i).type));
        record.setDbId(0);
        record.setDbGroupId(9);
        ASSERT_NE(record, VkOptionsValue(meta->create()));
        QString error;
        const VkOptionsValue back =
            Json::readOptions(Json::writeOptions(record, Json::Style::Readable), &error);
        EXPECT_EQ(back, record) << Json::writeOptions(record).toStdString() << error.toStdString();
    }
}

TEST(OptionFamiliesTest, RenameOptionsPairChromosomeNames) {
    RenameOptions rename;
    EXPECT_TRUE(chromosomeRenames(rename).isEmpty());
    rename.setFromNames({"1", "2", "MT"});
    rename.setToNames({"chr1", "chr2"});
    const QHash<QByteArray, QByteArray> renames = chromosomeRenames(rename);
    EXPECT_EQ(renames.size(), 2);
    EXPECT_EQ(renames.value("1"), "chr1");
    EXPECT_EQ(renames.value("2"), "chr2");
    EXPECT_FALSE(renames.contains("MT"));
}
