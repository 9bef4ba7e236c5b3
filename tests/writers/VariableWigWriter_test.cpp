#include "writers/VariableWigWriterWorker.h"
#include "writers/WriterTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
VkFeature point(const char* chromosome, int start, int stop, const PVariant& value) {
    return VkFeature(VkSegment(chromosome, start, stop), {PVariant("n"), value});
}

VkSourcePtr signal() {
    const VkFeatureList features = {
        point("1", 0, 1, PVariant(1.5f)),   point("1", 1, 2, PVariant(2.0f)),
        point("1", 5, 10, PVariant(3.0f)),  point("1", 10, 15, PVariant::missing(ValueType::Float)),
        point("1", 15, 20, PVariant(4.0f)), point("2", 0, 1, PVariant(0.25f))};
    return TableSourceTypeManager::define(
        "wig",
        tableInfo(FeatureTypeName::DataSequence, {VkField(0, "Name", "NAME", ValueType::String),
                                                  VkField(1, "Value", "VALUE", ValueType::Float)}),
        features);
}

WriteResult writeWig(const QString& path, const QString& symbol = QString(), bool singleBaseSpan = false) {
    VariableWigWriterTask task;
    task.setOutputFilePath(path);
    task.setExportFieldSymbol(symbol);
    task.setSingleBaseSpan(singleBaseSpan);
    const VkSourcePtr source = signal();
    return runWriter([&](VkEventedThread* readerThread) {
        return new VariableWigWriterWorker(source, task, readerThread);
    });
}

class VariableWigWriterTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};
} // namespace

TEST_F(VariableWigWriterTest, StartsASectionWhereTheChromosomeOrTheSpanChanges) {
    const WriteResult result = writeWig(path("out.wig"));
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.error, QString());
    EXPECT_EQ(fileText(path("out.wig")), QByteArray("variableStep chrom=1 span=1\n"
                                                    "1 1.5\n"
                                                    "2 2\n"
                                                    "variableStep chrom=1 span=5\n"
                                                    "6 3\n"
                                                    "16 4\n"
                                                    "variableStep chrom=2 span=1\n"
                                                    "1 0.25\n"));
    ASSERT_EQ(result.outputs.size(), 1);
}

TEST_F(VariableWigWriterTest, SingleBaseSpanWritesEveryValueWithSpanOne) {
    ASSERT_TRUE(writeWig(path("single.wig"), QStringLiteral("VALUE"), true).ended);
    EXPECT_EQ(fileText(path("single.wig")), QByteArray("variableStep chrom=1 span=1\n"
                                                       "1 1.5\n"
                                                       "2 2\n"
                                                       "6 3\n"
                                                       "16 4\n"
                                                       "variableStep chrom=2 span=1\n"
                                                       "1 0.25\n"));
}

TEST_F(VariableWigWriterTest, TheExportedFieldMustBeANumberPerFeature) {
    EXPECT_EQ(writeWig(path("a.wig"), QStringLiteral("NOPE")).error,
              QStringLiteral("The source has no field with the symbol NOPE"));
    EXPECT_EQ(writeWig(path("b.wig"), QStringLiteral("NAME")).error,
              QStringLiteral("Field NAME does not hold one number per feature and cannot be written as wig"));
    EXPECT_TRUE(folderFiles(m_dir.path()).isEmpty());
}
