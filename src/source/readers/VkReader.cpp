#include "source/readers/VkReader.h"

#include "source/readers/VkFeatureReader.h"
#include "source/registry/VkSourceTypeManager.h"

VkReader::VkReader(VkSourcePtr source, VkEventedThread* thread, QObject* parent)
    : VkReader(std::move(source), thread ? thread : new VkEventedThread(QStringLiteral("Reader Thread")),
               thread == nullptr, parent) {}

VkReader::VkReader(VkSourcePtr source, VkEventedThread* thread, bool ownsThread, QObject* parent)
    : VkWorkerRunner(thread, parent), m_source(std::move(source)) {
    if (ownsThread)
        m_ownThread = thread;
    for (int idx = 0; idx < m_source->schema().size(); ++idx)
        m_fieldList.append(idx);

    if (!m_source->isValid()) {
        setError(1, m_source->errorText().isEmpty()
                        ? QStringLiteral("Source type %1 cannot read features").arg(m_source->typeName())
                        : m_source->errorText());
        return;
    }
    VkFeatureReader* worker = m_source->manager()->createFeatureReader(m_source);
    connect(worker, &VkFeatureReader::featuresRead, this, &VkReader::featuresReadFromWorker);
    connect(this, &VkReader::featuresConsumed, worker, &VkFeatureReader::featuresConsumed);
    connect(this, &VkReader::fillBufferBlocking, worker, &VkFeatureReader::fillBufferBlocking);
    connect(this, &VkReader::requestRegion, worker, &VkFeatureReader::readByRegion);
    connect(this, &VkReader::requestOffset, worker, &VkFeatureReader::readByOffset);
    connect(this, &VkReader::requestIds, worker, &VkFeatureReader::readByIds);
    connect(this, &VkReader::requestPrefix, worker, &VkFeatureReader::readByPrefixSearch);
    connect(this, &VkWorkerRunner::errorOccurred, this, &VkReader::workerHadError);
    setupNewWorker(worker);
    m_workerId = worker->workerId();
}

VkReader::~VkReader() {
    cancelCurrentWorker();
    if (m_ownThread)
        m_ownThread->shutdown();
}

VkFeatureList VkReader::takeFeatures() {
    VkFeatureList taken;
    taken.swap(m_features);
    for (; m_batchesHeld > 0; --m_batchesHeld)
        emit featuresConsumed(m_workerId);
    return taken;
}

void VkReader::beginRead() {
    if (m_reading)
        ++m_abandonedReads;
    m_features.clear();
    m_batchesHeld = 0;
    m_reading = true;
}

void VkReader::read(bool computeProgress) {
    readByOffset(0, computeProgress);
}

void VkReader::readByOffset(qint64 dataOffset, bool computeProgress) {
    beginRead();
    emit requestOffset(dataOffset, m_fieldList, computeProgress);
}

void VkReader::readByRegion(QList<VkSegment> queries, Vk::ReadMode readMode, bool computeProgress) {
    beginRead();
    emit requestRegion(queries, m_fieldList, readMode, computeProgress);
}

void VkReader::readByIds(QList<qint64> ids) {
    beginRead();
    emit requestIds(ids, m_fieldList);
}

void VkReader::readPrefix(QString startsWith) {
    readByPrefixSearch(startsWith, QList<VkSegment>());
}

void VkReader::readByPrefixSearch(QString startsWith, QList<VkSegment> queries) {
    beginRead();
    emit requestPrefix(startsWith, queries, m_fieldList);
}

void VkReader::setFieldList(QList<int> fieldList) {
    m_fieldList = std::move(fieldList);
}

void VkReader::featuresReadFromWorker(QList<VkFeature> features, bool hasMore, int senderWorkerId) {
    if (senderWorkerId != m_workerId || isCanceled())
        return;
    if (m_abandonedReads > 0) {
        // A batch of a read that a newer request replaced; its last batch closes it.
        if (!hasMore)
            --m_abandonedReads;
        return;
    }
    m_features.append(features);
    ++m_batchesHeld;
    emit nextIsReady(this);
    if (!hasMore) {
        m_reading = false;
        emit readIsComplete(this);
    }
}

void VkReader::workerHadError() {
    if (!m_reading)
        return;
    m_reading = false;
    emit readIsComplete(this);
}
