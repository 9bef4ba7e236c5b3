#include "source/readers/VkFeatureReader.h"

#include "source/registry/VkSourceTypeManager.h"

#include <QMetaObject>

VkFeatureReader::VkFeatureReader(VkSourcePtr source) : m_source(std::move(source)) {
    qRegisterMetaType<QList<VkFeature>>("QList<VkFeature>");
    qRegisterMetaType<QList<VkSegment>>("QList<VkSegment>");
    qRegisterMetaType<QList<qint64>>("QList<qint64>");
    qRegisterMetaType<QList<int>>("QList<int>");
    qRegisterMetaType<Vk::ReadMode>("Vk::ReadMode");
}

void VkFeatureReader::readByRegion(QList<VkSegment> queries, QList<int> feildList, Vk::ReadMode readMode,
                                   bool computeProgress) {
    ReadRequest request;
    request.kind = ReadRequest::Region;
    request.regions = std::move(queries);
    request.fieldList = std::move(feildList);
    request.mode = readMode;
    request.computeProgress = computeProgress;
    begin(request);
}

void VkFeatureReader::readByOffset(qint64 dataOffset, QList<int> fieldList, bool computeProgress) {
    ReadRequest request;
    request.kind = ReadRequest::Offset;
    request.offset = dataOffset;
    request.fieldList = std::move(fieldList);
    request.computeProgress = computeProgress;
    begin(request);
}

void VkFeatureReader::readByIds(QList<qint64> ids, QList<int> fieldList) {
    ReadRequest request;
    request.kind = ReadRequest::Ids;
    request.ids = std::move(ids);
    request.fieldList = std::move(fieldList);
    begin(request);
}

void VkFeatureReader::readByPrefixSearch(QString startsWith, QList<VkSegment> queries, QList<int> fieldList) {
    ReadRequest request;
    request.kind = ReadRequest::Prefix;
    request.prefix = std::move(startsWith);
    request.regions = std::move(queries);
    request.fieldList = std::move(fieldList);
    begin(request);
}

void VkFeatureReader::begin(const ReadRequest& request) {
    if (m_cursor)
        emit featuresRead(QList<VkFeature>(), false, workerId());
    QString error;
    m_cursor = m_source->manager() ? m_source->manager()->openCursor(m_source, request, &error) : nullptr;
    if (!m_source->manager())
        error = QStringLiteral("Source %1 has no reader").arg(m_source->path());
    m_inFlight = 0;
    m_computeProgress = request.computeProgress;
    if (!m_cursor) {
        shutdownWithError(1, error);
        return;
    }
    scheduleStep();
}

void VkFeatureReader::scheduleStep() {
    if (m_stepQueued)
        return;
    m_stepQueued = true;
    QMetaObject::invokeMethod(this, &VkFeatureReader::step, Qt::QueuedConnection);
}

void VkFeatureReader::step() {
    m_stepQueued = false;
    if (m_inFlight >= MaxBatchesInFlight || !m_cursor)
        return;
    if (readBatch() && m_cursor && !m_cursor->atEnd())
        scheduleStep();
}

// Reads and sends one batch; false when the read ended (done, failed or cancelled).
bool VkFeatureReader::readBatch() {
    if (isCanceled()) {
        m_cursor.reset();
        return false;
    }
    VkFeatureList batch;
    batch.reserve(BatchSize);
    QString error;
    if (!m_cursor->fill(batch, BatchSize, &error)) {
        m_cursor.reset();
        shutdownWithError(1, error);
        return false;
    }
    const bool hasMore = !m_cursor->atEnd();
    if (m_computeProgress) {
        const int percent = hasMore ? m_cursor->percentDone() : 100;
        if (percent >= 0)
            reportProgress(percent, 100);
    }
    ++m_inFlight;
    emit featuresRead(batch, hasMore, workerId());
    if (!hasMore)
        m_cursor.reset();
    return hasMore;
}

void VkFeatureReader::featuresConsumed(int workerId) {
    if (workerId != this->workerId())
        return;
    if (m_inFlight > 0)
        --m_inFlight;
    if (m_cursor)
        scheduleStep();
}

void VkFeatureReader::fillBufferBlocking(int workerId) {
    if (workerId != this->workerId())
        return;
    while (m_cursor && m_inFlight < MaxBatchesInFlight && readBatch()) {
    }
}
