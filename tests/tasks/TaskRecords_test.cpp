#include "meta/Json.h"
#include "tasks/TaskOptionsList.h"

#include <gtest/gtest.h>

TEST(TaskRecordsTest, TasksShareTheSourceTaskOptionsFirst) {
    const TsfWriterTask task;
    EXPECT_EQ(task.optionNames().mid(0, 4),
              (QList<QByteArray>{"identifier", "inputs", "taskName", "filePath"}));
    EXPECT_TRUE(task.isA(SourceTaskOptions::staticMeta()));
    EXPECT_EQ(SourceTaskOptions::staticMeta()->description(),
              "Base for tasks that take one or more sources, and produce a source");
    EXPECT_EQ(DelimitedTextWriterTask().optionNames(),
              (QList<QByteArray>{"identifier", "inputs", "taskName", "outputFilePath", "missingValue",
                                 "sourceOptions", "fieldDelim", "subDelim", "writeHeader", "headerPrefix"}));
    EXPECT_TRUE(DelimitedTextWriterTask().isA(TabularWriterTask::staticMeta()));
    EXPECT_EQ(CNVBinnedReferenceTask().optionNames().mid(3),
              (QList<QByteArray>{"sampleBam", "outRefFolder", "blackListPath", "coordSysId", "binSize"}));
}

TEST(TaskRecordsTest, WriterTasksStartWithTheirFormatsDefaults) {
    const TsfWriterTask tsf;
    EXPECT_EQ(tsf.chunkBits(), -1);
    EXPECT_TRUE(tsf.newFile());
    EXPECT_TRUE(tsf.buildGenomicIndex());
    EXPECT_EQ(tsf.attrFieldCompression(), 0);
    EXPECT_TRUE(tsf.sourceMeta().isNull());
    const auto* compression =
        static_cast<const MetaTypeEnum*>(TsfWriterTask::staticMeta()->optionType("attrFieldCompression"));
    EXPECT_EQ(compression->toText(3, true), "CompressionLZ4");
    EXPECT_EQ(compression->docs().at(2), "10 to 20 percent larger than zlib, but 2-3x faster");

    const DelimitedTextWriterTask text;
    EXPECT_TRUE(text.writeHeader());
    EXPECT_EQ(text.headerPrefix(), "#");
    EXPECT_TRUE(text.fieldDelim().isEmpty());
    EXPECT_TRUE(text.subDelim().isEmpty());

    const XlsxWriterTask xlsx;
    EXPECT_EQ(xlsx.listDelim(), ",");
    EXPECT_TRUE(xlsx.author().isEmpty());
    EXPECT_TRUE(xlsx.worksheets().isEmpty());

    EXPECT_TRUE(VCFWriterTask().fieldList().isEmpty());
    EXPECT_TRUE(RemoveInMemTsfTask::staticMeta()->optionType("sourceUrl")->isScrubbed());
}

TEST(TaskRecordsTest, TaskListRoundTripsWithTasksOfEveryKind) {
    TsfWriterTask write;
    write.setIdentifier("write");
    write.setInputs({"read"});
    write.setFilePath("out.tsf");
    SourceMetaOptions meta;
    meta.setCoordSysId("GRCh38");
    write.setSourceMeta(meta);
    RenameOptions rename;
    rename.setFromNames({"1"});
    rename.setToNames({"chr1"});
    write.setSegmentRenameOptions(rename);
    ReaderTask read;
    read.setIdentifier("read");
    read.setFilePath("in.vcf.gz");
    TaskOptionsList list;
    list.setTasks({read, write});

    QString error;
    const TaskOptionsList back(Json::readOptions(Json::writeOptions(list, Json::Style::Readable), &error));
    ASSERT_FALSE(back.isNull()) << error.toStdString();
    EXPECT_EQ(back, list);
    ASSERT_EQ(back.tasks().size(), 2);
    EXPECT_EQ(ReaderTask(back.tasks().at(0)).filePath(), "in.vcf.gz");
    const TsfWriterTask writeBack(back.tasks().at(1));
    ASSERT_FALSE(writeBack.isNull());
    EXPECT_EQ(writeBack.inputs(), QVector<QString>{"read"});
    EXPECT_EQ(writeBack.sourceMeta().coordSysId(), "GRCh38");
    EXPECT_EQ(chromosomeRenames(writeBack.segmentRenameOptions()).value("1"), "chr1");
}

TEST(TaskRecordsTest, ARecordOfAnotherFamilyFailsTheWholeTaskList) {
    const QByteArray text =
        "{\"className\": \"TaskOptionsList\", \"fields\": {\"listType\": \"convert\", \"tasks\": ["
        "{\"className\": \"ReaderTask\", \"fields\": {}},"
        "{\"className\": \"RenameOptions\", \"fields\": {}}]}}";
    const TaskOptionsList list(Json::readOptions(text));
    ASSERT_FALSE(list.isNull());
    EXPECT_EQ(list.listType(), "convert");
    EXPECT_TRUE(list.tasks().isEmpty());
}
