#include "support/MemorySourceTypeManager.h"
#include "writers/DelimitedTextWriterWorker.h"
#include "writers/WriterTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
DelimitedTextWriterTask textTask(const QString& path, const QVector<int>& fields = {}) {
    DelimitedTextWriterSourceOptions options;
    if (!fields.isEmpty()) {
        TabularWriterFieldGroup group;
        group.setGroupFields(fields);
        options.setFieldGroups({group});
    }
    DelimitedTextWriterTask task;
    task.setOutputFilePath(path);
    task.setSourceOptions(options);
    task.setFieldDelim(QStringLiteral("\t"));
    task.setSubDelim(QStringLiteral(","));
    return task;
}

WriteResult writeText(const VkSourcePtr& source, const DelimitedTextWriterTask& task) {
    return runWriter([&](VkEventedThread* readerThread) {
        return new DelimitedTextWriterWorker(source, task, readerThread);
    });
}

class DelimitedTextWriterTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};
} // namespace

TEST_F(DelimitedTextWriterTest, WritesTheSelectedFieldsOneColumnPerSample) {
    const WriteResult result = writeText(variantTable("text-golden"), textTask(path("out.txt"), {1, 3}));
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.error, QString());
    EXPECT_EQ(fileText(path("out.txt")), QByteArray("#Chr\tStart\tStop\tALT\tS1:GT\tS2:GT\n"
                                                    "1\t99\t100\tA,T\t0/1\t1/1\n"
                                                    "1\t199\t202\tG\t\t0/0\n"
                                                    "2\t9\t10\tC\t1/1\t0/1\n"));
    EXPECT_EQ(folderFiles(m_dir.path()), QStringList{"out.txt"});

    // The file comes back as a delimited text source that reads the columns it was written with.
    ASSERT_EQ(result.outputs.size(), 1);
    const VkSourcePtr written = result.outputs.first();
    EXPECT_EQ(written->path(), path("out.txt"));
    ASSERT_TRUE(written->isValid()) << written->errorText().toStdString();
    QList<QByteArray> names;
    for (const VkField& field : written->schema())
        names.append(field.name);
    EXPECT_TRUE(names.contains("S2:GT")) << names.join(' ').toStdString();
    const VkFeatureList features = readAll(written);
    ASSERT_EQ(features.size(), 3);
    EXPECT_EQ(features.at(1).segment(), VkSegment("1", 199, 202));
}

TEST_F(DelimitedTextWriterTest, WithoutGroupsWritesEveryLocusAndSampleFieldWithTheTaskOptions) {
    DelimitedTextWriterTask task = textTask(path("all.tsv"));
    DelimitedTextWriterSourceOptions options = task.sourceOptions();
    options.setZeroBasedPos(false);
    task.setSourceOptions(options);
    task.setSubDelim(QStringLiteral(";"));
    task.setMissingValue(QStringLiteral("."));
    task.setHeaderPrefix(QStringLiteral("##"));

    const WriteResult result = writeText(variantTable("text-all"), task);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.error, QString());
    // The tab inside an identifier would shift the row: it becomes a space.
    EXPECT_EQ(fileText(path("all.tsv")),
              QByteArray("##Chr\tStart\tStop\tDP\tALT\tS1:GT\tS2:GT\tS1:AD\tS2:AD\tID\tQUAL\n"
                         "1\t100\t100\t10\tA;T\t0/1\t1/1\t5;5\t0;9\trs1\t50.5\n"
                         "1\t200\t202\t.\tG\t.\t0/0\t.\t7;0\t.\t.\n"
                         "2\t10\t10\t3\tC\t1/1\t0/1\t0;3\t1;2\trs 2\t12\n"));
    ASSERT_EQ(result.outputs.size(), 1);
    const VkFeatureList features = readAll(result.outputs.first());
    ASSERT_EQ(features.size(), 3);
    EXPECT_EQ(features.at(1).segment(), VkSegment("1", 199, 202));

    task.setWriteHeader(false);
    const WriteResult headless = writeText(variantTable("text-all"), task);
    EXPECT_TRUE(fileText(path("all.tsv")).startsWith("1\t100\t100\t10\t"));
    ASSERT_EQ(headless.outputs.size(), 1);
    EXPECT_EQ(readAll(headless.outputs.first()).size(), 3);
}

TEST_F(DelimitedTextWriterTest, ASourceThatFailsHalfWayLeavesThePreviousFileAlone) {
    writeFile(path("out.txt"), "previous\n");
    const WriteResult result = writeText(variantTable("text-fail", 2), textTask(path("out.txt"), {0}));
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.error, QStringLiteral("broken record 2"));
    EXPECT_TRUE(result.outputs.isEmpty());
    EXPECT_EQ(fileText(path("out.txt")), QByteArray("previous\n"));
    EXPECT_EQ(folderFiles(m_dir.path()), QStringList{"out.txt"});
}

TEST_F(DelimitedTextWriterTest, AnUnwritableDestinationOrABadSelectionIsAnError) {
    const VkSourcePtr source = variantTable("text-errors");
    const WriteResult noFolder = writeText(source, textTask(path("missing/out.txt")));
    EXPECT_TRUE(
        noFolder.error.startsWith(QStringLiteral("Could not open file to write %1: No such file or directory")
                                      .arg(path("missing/out.txt"))))
        << noFolder.error.toStdString();

    writeFile(path("file"), "x");
    EXPECT_FALSE(writeText(source, textTask(path("file/out.txt"))).error.isEmpty());

    EXPECT_EQ(writeText(source, textTask(path("out.txt"), {7})).error,
              QStringLiteral("Field index 7 is not in the source's schema"));
    EXPECT_EQ(writeText(source, textTask(path("out.txt"), {2})).error,
              QStringLiteral("Field Samples holds one value per entity and cannot be written as a column"));
    EXPECT_EQ(folderFiles(m_dir.path()), QStringList{"file"});
}

TEST_F(DelimitedTextWriterTest, WritesEveryFeatureOfALargeSourceInOrder) {
    MemorySourceTypeManager::registerOnce();
    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(QStringLiteral("mem:20000"));
    const WriteResult result = writeText(source, textTask(path("many.txt")));
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.error, QString());
    const QList<QByteArray> lines = fileText(path("many.txt")).split('\n');
    ASSERT_EQ(lines.size(), 20002);
    EXPECT_EQ(lines.at(0), QByteArray("#Chr\tStart\tStop\tDP\tNAME"));
    EXPECT_EQ(lines.at(20000), QByteArray("2\t9999010\t9999012\t19999\tf19999"));
    EXPECT_EQ(lines.at(20001), QByteArray());
}
