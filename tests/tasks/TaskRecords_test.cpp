#include "meta/Json.h"
#include "tasks/TaskOptionsList.h"

#include <gtest/gtest.h>

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
