#include "formats/tsf/TsfSparseArraySourceWriter.h"
#include "formats/tsf/TsfWriterTaskList.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/FormatTestSupport.h"
#include "support/TemporaryFiles.h"
#include "tasks/AppLoop.h"
#include "tasks/TaskListRunnerLogger.h"
#include "tasks/VkSourceTaskListRunner.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QVector<int32_t> counting(int from, int count) {
    QVector<int32_t> values(count);
    for (int i = 0; i < count; ++i)
        values[i] = from + i;
    return values;
}

class TsfSparseArrayWriterTest : public ::testing::Test {
protected:
    TsfSparseArraySettings coverage(const VkFieldList& fields, const char* name = "depth.tsf") const {
        TsfSparseArraySettings settings;
        settings.filePath = m_dir.filePath(QLatin1String(name));
        settings.sourceInfo.name = QStringLiteral("depth");
        settings.sourceInfo.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::DataSequence);
        settings.sourceInfo.schema = fields;
        settings.arrayFields = fields;
        settings.binSize = 256;
        settings.defaultArrayValue = PVariant(-1);
        return settings;
    }

    static VkFieldList depthField() { return {VkField(0, "Depth", "DP", ValueType::IntArray)}; }

    static VkFeature depths(const QByteArray& chromosome, int32_t start, int count) {
        return VkFeature(VkSegment(chromosome, start, start + count), {PVariant(counting(start, count))});
    }

    void expectFailure(const TsfSparseArraySettings& settings, const VkFeatureList& features,
                       const QString& message) {
        TsfSparseArraySourceWriter writer(settings);
        QString error;
        EXPECT_FALSE(writer.start(&error) && writer.write(features, &error) && writer.finish(&error));
        EXPECT_EQ(error, message);
        EXPECT_FALSE(QFileInfo::exists(settings.filePath));
        EXPECT_EQ(temporaryFilesIn(m_dir.path()), QStringList());
    }

    QTemporaryDir m_dir;
};

TEST_F(TsfSparseArrayWriterTest, OnlyPerBaseFieldsOfSequenceSourcesAreAccepted) {
    TsfSparseArraySettings variants = coverage(depthField());
    variants.sourceInfo.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::Variant);
    expectFailure(variants, {},
                  "Can only convert reference sequence or coverage sources to TSF sparse array format.");
    expectFailure(coverage({}), {}, "No fields provided for sparse array writer.");
    expectFailure(coverage({VkField(0, "Depth", "DP", ValueType::IntArray),
                            VkField(1, "Ratio", "R", ValueType::FloatArray)}),
                  {}, "Sparse array field only supports multiple fields of the same type.");
    expectFailure(coverage({VkField(0, "Depth", "DP", ValueType::FloatArray, VkField::Matrix)}), {},
                  "Only IntArray supported as sparse array matrix field.");
    expectFailure(coverage({VkField(0, "Depth", "DP", ValueType::IntArray, VkField::Matrix)}), {},
                  "Expect entityCount to be > 0 when writing sparse array with matrix fields.");
    expectFailure(coverage({VkField(0, "Depth", "DP", ValueType::Int)}), {},
                  "Invalid field type for sparse array field.");
}

TEST_F(TsfSparseArrayWriterTest, FeaturesMustComeInOrderWithoutOverlaps) {
    expectFailure(coverage(depthField()), {depths("1", 0, 10), depths("2", 0, 10), depths("1", 500, 10)},
                  "Can not add data for chr 1. This chromosome has already been writen");
    expectFailure(
        coverage(depthField()), {depths("1", 0, 300), depths("1", 200, 300)},
        "Can not write values with chr: 1 start: 200 stop: 500. Features must be monotonically increasing, "
        "and can not overlap. Last feature writen has stop pos 300");
    const VkFieldList two{VkField(0, "Depth", "DP", ValueType::IntArray),
                          VkField(1, "Reads", "RD", ValueType::IntArray)};
    expectFailure(coverage(two),
                  {VkFeature(VkSegment("1", 0, 3), {PVariant(counting(0, 3)), PVariant(counting(0, 2))})},
                  "Fields did not have matching lengths");
    expectFailure(coverage(depthField()),
                  {VkFeature(VkSegment("1", 0, 3), {PVariant(counting(0, 3)), PVariant(1)})},
                  "Got 2 instead of expected 1 fields in feature 0");
    expectFailure(
        coverage(depthField()), {},
        "Write error: no data was provided. Either the input was empty or through filtering no records "
        "made it through to be written.");
}

TEST_F(TsfSparseArrayWriterTest, StoredBinsReadBackWithTheDefaultWhereNothingWasWritten) {
    const TsfSparseArraySettings settings = coverage(depthField());
    TsfSparseArraySourceWriter writer(settings);
    QString error;
    ASSERT_TRUE(writer.start(&error)) << error.toStdString();
    ASSERT_TRUE(writer.write({depths("1", 0, 300), depths("1", 600, 100), depths("2", 10, 40)}, &error));
    ASSERT_TRUE(writer.finish(&error)) << error.toStdString();
    EXPECT_EQ(writer.storedBinCount(), 4);

    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(settings.filePath);
    ASSERT_TRUE(source->isValid()) << source->errorText().toStdString();
    EXPECT_EQ(source->info().properties.value("binSize").toInt(), 256);
    const VkFeatureList read = FormatTest::readAll(source);
    ASSERT_EQ(read.size(), 4);
    EXPECT_EQ(read.at(0).segment(), VkSegment("1", 0, 256));
    EXPECT_EQ(read.at(0).value(0), PVariant(counting(0, 256)));
    QVector<int32_t> second = counting(256, 44) + QVector<int32_t>(212, -1);
    EXPECT_EQ(read.at(1).value(0), PVariant(second));
    // The last bin of a chromosome ends where its data ends.
    EXPECT_EQ(read.at(2).segment(), VkSegment("1", 512, 700));
    EXPECT_EQ(read.at(2).value(0), PVariant(QVector<int32_t>(88, -1) + counting(600, 100)));
    EXPECT_EQ(read.at(3).segment(), VkSegment("2", 0, 50));
    EXPECT_EQ(read.at(3).value(0), PVariant(QVector<int32_t>(10, -1) + counting(10, 40)));
}

TEST_F(TsfSparseArrayWriterTest, ReferenceSequenceWrittenByTheTaskListReadsBackBaseForBase) {
    const QByteArray chr1 = FormatTest::sampleBases(9000, 7);
    const QByteArray chr2 = FormatTest::sampleBases(700, 11);
    const QString fasta = m_dir.filePath("ref.fa");
    FormatTest::writeFile(fasta, FormatTest::fastaRecord("chr1", chr1, 60) +
                                     FormatTest::fastaRecord("chr2", chr2, 60));
    const VkSourcePtr reference = VkSourceTypeRegistry::instance().open(fasta);
    ASSERT_TRUE(reference->isValid()) << reference->errorText().toStdString();

    VkSourceTaskListRunner runner;
    TaskListRunnerLogger logger(&runner);
    testing::internal::CaptureStderr();
    runner.start(TsfWriterTaskList::build(fasta, QString()), {reference});
    ASSERT_TRUE(runAppLoop(60000));
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(runner.errorText().isEmpty()) << runner.errorText().toStdString();

    const VkSourcePtr written = VkSourceTypeRegistry::instance().open(m_dir.filePath("ref.tsf"));
    ASSERT_TRUE(written->isValid()) << written->errorText().toStdString();
    QHash<QByteArray, QByteArray> bases;
    for (const VkFeature& feature : FormatTest::readAll(written))
        bases[feature.segment().chromosome()] += feature.value(0).bytes();
    EXPECT_EQ(bases.value("chr1"), chr1);
    EXPECT_EQ(bases.value("chr2"), chr2);
}

} // namespace
