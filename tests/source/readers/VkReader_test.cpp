#include "source/readers/VkFeatureReader.h"
#include "source/readers/VkFeatureStream.h"
#include "source/readers/VkReader.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "support/MemorySourceTypeManager.h"
#include "tasks/WorkerTestSupport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
VkSourcePtr openMemory(const QString& layout) {
    MemorySourceTypeManager::registerOnce();
    return VkSourceTypeRegistry::instance().open(QStringLiteral("mem:") + layout);
}

// Runs the event loop until the reader completes its read (or 10 s pass) and takes every feature.
VkFeatureList collect(VkReader& reader) {
    VkFeatureList all;
    QEventLoop loop;
    QObject::connect(&reader, &VkReader::nextIsReady, &loop, [&] { all.append(reader.takeFeatures()); });
    QObject::connect(&reader, &VkReader::readIsComplete, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    all.append(reader.takeFeatures());
    return all;
}

QList<qint64> ordinals(const VkFeatureList& features) {
    QList<qint64> list;
    for (const VkFeature& feature : features)
        list.append(feature.value(0).intValue());
    return list;
}

// The ordinals a brute-force scan of the first n features finds for a query and mode.
QList<qint64> expectedOrdinals(int n, const QList<VkSegment>& queries, int mode) {
    QList<qint64> list;
    for (int i = 0; i < n; ++i) {
        const VkFeature feature = MemorySourceTypeManager::feature(i);
        for (const VkSegment& query : queries) {
            if (Vk::matches(feature.segment(), query, mode)) {
                list.append(i);
                break;
            }
        }
    }
    return list;
}

// Returns once the thread has run every event queued for it before the call, and then the events
// those queued in turn: a batch the reader read past its limit would be on its way by then.
void drainQueuedEvents(QThread* thread) {
    QObject* probe = new QObject;
    probe->moveToThread(thread);
    for (int round = 0; round < 2; ++round)
        QMetaObject::invokeMethod(
            probe, [] {}, Qt::BlockingQueuedConnection);
    probe->deleteLater();
    QCoreApplication::processEvents();
}

class VkReaderTest : public ::testing::Test {
protected:
    void TearDown() override { VkEventedThread::shutdownAndWait(m_thread); }
    QPointer<VkEventedThread> m_thread = new VkEventedThread(QStringLiteral("Reader Thread"));
};
} // namespace

TEST_F(VkReaderTest, ReadsEverythingInBatchesAndInOrder) {
    VkReader reader(openMemory(QStringLiteral("5000")), m_thread);
    ASSERT_TRUE(reader.isValid());
    reader.read();
    const VkFeatureList features = collect(reader);
    ASSERT_EQ(features.size(), 5000);
    EXPECT_EQ(features.first(), MemorySourceTypeManager::feature(0));
    EXPECT_EQ(features.last(), MemorySourceTypeManager::feature(4999));
    EXPECT_FALSE(reader.hasError());
}

TEST_F(VkReaderTest, RegionModesMatchABruteForceScan) {
    const QList<VkSegment> queries = {VkSegment("1", 2000, 9005), VkSegment("2", 50000, 51000),
                                      VkSegment("1", 100000, 100011)};
    for (Vk::ReadMode mode : {Vk::Overlap, Vk::Exact, Vk::Within}) {
        VkReader reader(openMemory(QStringLiteral("300")), m_thread);
        reader.readByRegion(queries, mode);
        EXPECT_EQ(ordinals(collect(reader)), expectedOrdinals(300, queries, mode)) << int(mode);
    }
    VkReader exact(openMemory(QStringLiteral("300")), m_thread);
    exact.readByRegion({MemorySourceTypeManager::feature(7).segment()}, Vk::Exact);
    EXPECT_EQ(ordinals(collect(exact)), QList<qint64>({7}));
}

TEST_F(VkReaderTest, EmptyFieldListFillsSegmentsOnly) {
    VkReader reader(openMemory(QStringLiteral("50")), m_thread);
    reader.setFieldList({});
    reader.readByRegion({VkSegment("1", 0, 5000)});
    const VkFeatureList features = collect(reader);
    ASSERT_EQ(features.size(), 10);
    for (const VkFeature& feature : features) {
        EXPECT_FALSE(feature.segment().isEmpty());
        EXPECT_FALSE(feature.value(0).isValid());
        EXPECT_FALSE(feature.value(1).isValid());
    }
}

TEST_F(VkReaderTest, ReadsByOffsetAndById) {
    VkReader offset(openMemory(QStringLiteral("100")), m_thread);
    offset.readByOffset(95);
    EXPECT_EQ(ordinals(collect(offset)), QList<qint64>({95, 96, 97, 98, 99}));

    VkReader ids(openMemory(QStringLiteral("100")), m_thread);
    ids.readByIds({42, 3, 42, 250, 77});
    EXPECT_EQ(ordinals(collect(ids)), QList<qint64>({3, 42, 77}));
}

TEST_F(VkReaderTest, KeepsOnlyAFewBatchesInFlightUntilConsumed) {
    VkReader reader(openMemory(QStringLiteral("100000")), m_thread);
    int batches = 0;
    QObject::connect(&reader, &VkReader::nextIsReady, [&] { ++batches; });
    reader.read();
    ASSERT_TRUE(waitUntil([&] { return batches >= VkFeatureReader::MaxBatchesInFlight; }, 20000));
    drainQueuedEvents(m_thread->workerThread());
    EXPECT_EQ(batches, VkFeatureReader::MaxBatchesInFlight);
    EXPECT_TRUE(reader.isReading());
    reader.takeFeatures();
    EXPECT_TRUE(waitUntil([&] { return batches > VkFeatureReader::MaxBatchesInFlight; }, 20000));
}

TEST_F(VkReaderTest, CancellingMidReadStopsDelivery) {
    VkReader reader(openMemory(QStringLiteral("100000")), m_thread);
    int delivered = 0;
    QObject::connect(&reader, &VkReader::nextIsReady, [&] {
        delivered += reader.takeFeatures().size();
        if (delivered >= 3 * VkFeatureReader::BatchSize)
            reader.cancel();
    });
    reader.read();
    ASSERT_TRUE(waitUntil([&] { return reader.isCanceled(); }, 20000));
    drainQueuedEvents(m_thread->workerThread());
    EXPECT_EQ(delivered, 3 * VkFeatureReader::BatchSize);
    EXPECT_FALSE(reader.hasError());
}

TEST_F(VkReaderTest, WorkerErrorsEndTheReadWithTheirMessage) {
    VkReader reader(openMemory(QStringLiteral("5000:fail@2500")), m_thread);
    reader.read();
    const VkFeatureList features = collect(reader);
    EXPECT_EQ(features.size(), 2 * VkFeatureReader::BatchSize);
    EXPECT_TRUE(reader.hasError());
    EXPECT_EQ(reader.errorText(), QStringLiteral("broken record 2500"));
    EXPECT_FALSE(reader.isReading());
}

TEST_F(VkReaderTest, SourcesWithoutAFeatureReaderAreInvalid) {
    VkReader reader(VkSourceTypeRegistry::instance().open(QStringLiteral("s3://bucket/x.vcf")), m_thread);
    EXPECT_FALSE(reader.isValid());
    EXPECT_TRUE(reader.hasError());
}

TEST(VkFeatureStream, PullsEveryBatchWithoutAnEventLoop) {
    ReadRequest request;
    request.fieldList = {0, 1};
    VkFeatureStream stream(openMemory(QStringLiteral("10000")), request);
    ASSERT_TRUE(stream.start());
    VkFeatureList batch;
    qint64 count = 0;
    qint64 sum = 0;
    while (stream.next(batch)) {
        count += batch.size();
        for (const VkFeature& feature : batch)
            sum += feature.value(0).intValue();
    }
    EXPECT_TRUE(stream.errorText().isEmpty());
    EXPECT_EQ(count, 10000);
    EXPECT_EQ(sum, 10000LL * 9999 / 2);
}

TEST(VkFeatureStream, ReportsTheReadersError) {
    VkFeatureStream stream(openMemory(QStringLiteral("3000:fail@10")), ReadRequest());
    ASSERT_TRUE(stream.start());
    VkFeatureList batch;
    while (stream.next(batch)) {
    }
    EXPECT_EQ(stream.errorText(), QStringLiteral("broken record 10"));
}

TEST(VkFeatureStream, StopsEarlyWhenDestroyed) {
    VkFeatureStream stream(openMemory(QStringLiteral("1000000")), ReadRequest());
    ASSERT_TRUE(stream.start());
    VkFeatureList batch;
    ASSERT_TRUE(stream.next(batch));
    stream.cancel();
    EXPECT_FALSE(stream.next(batch) && stream.next(batch) && stream.next(batch) && stream.next(batch) &&
                 stream.next(batch) && stream.next(batch));
}

TEST(VkReaderOwnThread, ReadsOnAThreadOfItsOwn) {
    VkReader reader(openMemory(QStringLiteral("2000")), nullptr);
    ASSERT_TRUE(reader.isValid());
    reader.read();
    EXPECT_EQ(collect(reader).size(), 2000);
}

// Batches of a read that a new request replaced are still queued when the new read starts; none
// of them may land in the new read's answer.
TEST_F(VkReaderTest, AReusedReaderDeliversOnlyTheNewestReadsFeatures) {
    VkReader reader(openMemory(QStringLiteral("100000")), m_thread);
    QEventLoop firstBatch;
    QObject::connect(&reader, &VkReader::nextIsReady, &firstBatch, &QEventLoop::quit);
    reader.read();
    firstBatch.exec();
    reader.readByOffset(99990);
    EXPECT_EQ(ordinals(collect(reader)),
              QList<qint64>({99990, 99991, 99992, 99993, 99994, 99995, 99996, 99997, 99998, 99999}));

    reader.readByIds({5, 6});
    reader.readByRegion({MemorySourceTypeManager::feature(7).segment()}, Vk::Exact);
    EXPECT_EQ(ordinals(collect(reader)), QList<qint64>({7}));
    EXPECT_FALSE(reader.hasError());
}
