#include "tasks/TaskRecords.h"
#include "tasks/TaskRunnerRegistry.h"
#include "tasks/TaskThreads.h"
#include "writers/WriterTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(WriterTaskRunners, WriterTasksWriteTheirFirstInputAndResultInTheWrittenFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.wig"));
    VariableWigWriterTask task;
    task.setOutputFilePath(path);
    const TaskRunnerFactory factory =
        TaskRunnerRegistry::instance().factory(QString::fromLatin1(VariableWigWriterTask::kClassName));
    ASSERT_TRUE(bool(factory));

    QObject owner;
    TaskThreads threads(&owner);
    threads.create();
    QString error;
    EXPECT_EQ(factory(task, {}, threads, &error), nullptr);
    EXPECT_EQ(error, QStringLiteral("Task VariableWigWriterTask has no source to write"));

    const VkFeatureList features = {VkFeature(VkSegment("1", 4, 5), {PVariant(7)})};
    const VkSourcePtr source = TableSourceTypeManager::define(
        "task-wig", tableInfo(FeatureTypeName::DataSequence, {VkField(0, "Value", "VALUE", ValueType::Int)}),
        features);
    std::unique_ptr<TaskRunner> runner(factory(task, {source}, threads, &error));
    ASSERT_TRUE(runner);
    bool complete = false;
    QObject::connect(runner.get(), &TaskRunner::workComplete, [&complete] { complete = true; });
    runner->start();
    ASSERT_TRUE(waitUntil([&complete] { return complete; }, 20000));
    EXPECT_EQ(runner->errorText(), QString());
    ASSERT_EQ(runner->results().size(), 1);
    EXPECT_EQ(runner->results().first()->path(), path);
    EXPECT_EQ(fileText(path), QByteArray("variableStep chrom=1 span=1\n5 7\n"));
    runner.reset();
    threads.shutdownAll();
}
