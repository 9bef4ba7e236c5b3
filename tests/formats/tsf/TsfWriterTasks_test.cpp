#include "formats/tsf/TsfSharedCache.h"
#include "formats/tsf/TsfWriter.h"
#include "formats/tsf/TsfWriterTaskList.h"
#include "formats/tsf/TsfWriterTaskRunner.h"
#include "formats/tsf/TsfWriterTestSupport.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/MemorySourceTypeManager.h"
#include "support/TemporaryFiles.h"
#include "tasks/AppLoop.h"
#include "tasks/TaskListRunnerLogger.h"
#include "tasks/VkSourceTaskListRunner.h"
#include "tasks/WorkerTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using TsfWriterTest::WrittenFile;

namespace {

struct ListRun {
    QString error;
    QList<VkSourcePtr> results;
    bool ended = false;
};

ListRun runList(const TaskOptionsList& list, const QList<VkSourcePtr>& inputs) {
    VkSourceTaskListRunner runner;
    TaskListRunnerLogger logger(&runner);
    testing::internal::CaptureStderr();
    runner.start(list, inputs);
    ListRun run;
    run.ended = runAppLoop(60000);
    testing::internal::GetCapturedStderr();
    run.error = runner.errorText();
    run.results = runner.results();
    return run;
}

VkSourcePtr memorySource(const QString& path) {
    MemorySourceTypeManager::registerOnce();
    return VkSourceTypeRegistry::instance().open(path);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class TsfWriterTasksTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST(TsfWriterTaskListTest, DefaultDestinationReplacesTheSuffixes) {
    EXPECT_EQ(TsfWriterTaskList::defaultDestination("/data/trio.vcf.gz"), "/data/trio.tsf");
    EXPECT_EQ(TsfWriterTaskList::defaultDestination("/data/trio.VCF"), "/data/trio.tsf");
    EXPECT_EQ(TsfWriterTaskList::defaultDestination("/data/genes.v2.bed.gz"), "/data/genes.v2.tsf");
    EXPECT_EQ(TsfWriterTaskList::defaultDestination("/data/trio.tsf"), "/data/trio-copy.tsf");
    EXPECT_EQ(TsfWriterTaskList::defaultDestination("/data/notes"), "/data/notes.tsf");
}

TEST_F(TsfWriterTasksTest, WriterTaskWritesItsInputAndHandsTheFileOn) {
    const QString out = path("mem.tsf");
    const ListRun run = runList(TsfWriterTaskList::build("mem:5000", out), {memorySource("mem:5000")});
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(temporaryFilesIn(m_dir.path()), QStringList());
    WrittenFile file(out);
    EXPECT_EQ(file.source.locusDim, 5000);
    EXPECT_EQ(file.source.name, "mem:5000");
    const PVariantVector depths = file.fieldValues(0);
    ASSERT_EQ(depths.size(), 5000);
    const QVector<VkSegment> positions = file.positions();
    for (int i = 0; i < 5000; i += 499) {
        const VkFeature expected = MemorySourceTypeManager::feature(i);
        EXPECT_EQ(depths.at(i), expected.value(0));
        EXPECT_EQ(positions.at(i), expected.segment());
    }
    EXPECT_EQ(file.fieldValues(1).at(4321), PVariant("f4321"));
    EXPECT_TRUE(run.error.isEmpty()) << run.error.toStdString();
    ASSERT_EQ(run.results.size(), 1);
    EXPECT_EQ(run.results.first()->path(), out);
}

TEST_F(TsfWriterTasksTest, SourceFailingHalfWayLeavesNoPartialOutput) {
    const QString out = path("kept.tsf");
    QFile existing(out);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("an earlier file");
    existing.close();
    const ListRun run =
        runList(TsfWriterTaskList::build("mem:5000", out), {memorySource("mem:5000:fail@3000")});
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.error, "broken record 3000");
    EXPECT_TRUE(run.results.isEmpty());
    EXPECT_EQ(temporaryFilesIn(m_dir.path()), QStringList());
    EXPECT_FALSE(QFileInfo::exists(out + ".conflicting"));
    EXPECT_EQ(readFile(out), "an earlier file");
}

TEST_F(TsfWriterTasksTest, TaskOptionsReachTheFile) {
    TsfWriterTask task;
    task.setFilePath(path("opts.tsf"));
    task.setChunkBits(9);
    task.setSourceName(QStringLiteral("renamed"));
    task.setAttrFieldCompression(1);
    task.setDropSegmentsList({QStringLiteral("2")});
    SourceMetaOptions meta;
    meta.setCuratedBy(QStringLiteral("lab"));
    task.setSourceMeta(meta);
    FieldMetaOptions depth;
    depth.setName(QStringLiteral("Read Depth"));
    task.setFieldsMeta({depth});
    TaskOptionsList list;
    list.setTasks({task});
    const ListRun run = runList(list, {memorySource("mem:1000")});
    ASSERT_TRUE(run.ended);
    WrittenFile file(path("opts.tsf"));
    EXPECT_EQ(file.source.name, "renamed");
    EXPECT_EQ(file.source.locusDim, 500);
    EXPECT_EQ(file.docs().value("curatedBy"), PVariant("lab"));
    EXPECT_EQ(TsfWriterTest::jsonObject(file.field(0).fieldMeta).value("name"), PVariant("Read Depth"));
    const TsfChunkTableMeta meta9 = file.tableMeta(file.field(0).tableId);
    EXPECT_EQ(meta9.chunkBits, 9);
    TsfStatement chunk(file.db, QStringLiteral("SELECT chunk FROM %1 WHERE chunk_id = 0")
                                    .arg(file.tableName(file.field(0).tableId))
                                    .toUtf8());
    ASSERT_TRUE(chunk.next());
    int size = 0;
    const char* blob = chunk.columnBlob(0, &size);
    ASSERT_GT(size, 16);
    EXPECT_EQ(blob[2] & 3, 1); // zlib, as CompressionZlib asks
}

TEST_F(TsfWriterTasksTest, RewriterPutsTheRecordsInGenomicOrderInPlace) {
    const QString out = path("mixed.tsf");
    ASSERT_TRUE(
        runList(TsfWriterTaskList::build("mem:1000", out), {memorySource("mem:1000")}).error.isEmpty());
    ASSERT_EQ(WrittenFile(out).sourceMeta().value("FeaturesInGenomicOrder"), PVariant(false));
    const VkSourcePtr unordered = VkSourceTypeRegistry::instance().open(out);
    ASSERT_TRUE(unordered->isValid()) << unordered->errorText().toStdString();

    TsfRewriterTask rewrite;
    rewrite.setIdentifier(QStringLiteral("rewrite"));
    TaskOptionsList list;
    list.setTasks({rewrite});
    const ListRun run = runList(list, {unordered});
    ASSERT_TRUE(run.error.isEmpty()) << run.error.toStdString();
    ASSERT_EQ(run.results.size(), 1);
    EXPECT_EQ(run.results.first()->path(), out);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"mixed.tsf"});

    WrittenFile file(out);
    EXPECT_EQ(file.sourceMeta().value("FeaturesInGenomicOrder"), PVariant(true));
    EXPECT_TRUE(file.sourceMeta().contains("GIdxTableName"));
    const QVector<VkSegment> positions = file.positions();
    ASSERT_EQ(positions.size(), 1000);
    const PVariantVector depths = file.fieldValues(0);
    for (int i = 1; i < positions.size(); ++i) {
        const bool sameChromosome = positions.at(i).chromosome() == positions.at(i - 1).chromosome();
        EXPECT_TRUE(sameChromosome ? positions.at(i - 1).start() <= positions.at(i).start()
                                   : positions.at(i - 1).chromosome() == "1")
            << i;
        EXPECT_EQ(positions.at(i), MemorySourceTypeManager::feature(depths.at(i).intValue()).segment());
    }
}

TEST_F(TsfWriterTasksTest, InMemoryCopiesAreMadeAndRemoved) {
    TsfInMemRewriterTask copy;
    copy.setIdentifier(QStringLiteral("copy"));
    TaskOptionsList list;
    list.setTasks({copy});
    const QStringList before = TsfSharedCache::instance().names();
    const ListRun run = runList(list, {memorySource("mem:300")});
    ASSERT_TRUE(run.ended);
    QStringList added = TsfSharedCache::instance().names();
    for (const QString& name : before)
        added.removeAll(name);
    ASSERT_EQ(added.size(), 1);
    EXPECT_TRUE(added.first().startsWith("[memory]"));
    EXPECT_EQ(WrittenFile(added.first()).source.locusDim, 300);

    RemoveInMemTsfTask remove;
    remove.setSourceUrl(added.first());
    TaskOptionsList removal;
    removal.setTasks({remove});
    const ListRun removed = runList(removal, {memorySource("mem:3")});
    EXPECT_TRUE(removed.error.isEmpty()) << removed.error.toStdString();
    EXPECT_FALSE(TsfSharedCache::instance().contains(added.first()));

    const ListRun invalid = runList(removal, {memorySource("mem:3")});
    EXPECT_EQ(invalid.error, "Trying to delete invalid resource");
}

TEST_F(TsfWriterTasksTest, FrontObjectWritesPushedBatches) {
    MemorySourceTypeManager::registerOnce();
    const VkSourcePtr source = memorySource("mem:3000");
    TsfWriteSettings settings = TsfWriteSettings::forSource(source->info());
    settings.filePath = path("pushed.tsf");
    VkEventedThread* thread = new VkEventedThread(QStringLiteral("Writer Thread"));
    {
        TsfWriter writer(thread);
        bool ended = false;
        QObject::connect(&writer, &TsfWriter::writeEnded, [&ended] { ended = true; });
        writer.startSource(settings);
        ASSERT_TRUE(waitUntil([&] { return writer.isStarted(); }));
        for (int batch = 0; batch < 3; ++batch) {
            ASSERT_TRUE(waitUntil([&] { return writer.canWrite(); }));
            VkFeatureList features;
            for (int i = 0; i < 1000; ++i)
                features.append(MemorySourceTypeManager::feature(batch * 1000 + i));
            writer.write(features);
        }
        writer.finish();
        ASSERT_TRUE(waitUntil([&] { return ended; }, 20000));
        EXPECT_FALSE(writer.hasError()) << writer.errorText().toStdString();
        EXPECT_EQ(writer.sourceUrl(), path("pushed.tsf"));
    }
    VkEventedThread::shutdownAndWait(thread);
    WrittenFile file(path("pushed.tsf"));
    EXPECT_EQ(file.source.locusDim, 3000);
    EXPECT_EQ(file.fieldValues(0).at(2999), PVariant(2999));
}

} // namespace
