#pragma once

#include "source/readers/FeatureCursor.h"
#include "source/readers/ReadMode.h"
#include "source/registry/VkSource.h"
#include "tasks/workers/VkWorker.h"

// Carries a source's features across threads: it pulls the source's cursor on its worker thread
// and delivers the features in batches. A consumer acknowledges each batch (featuresConsumed) so
// that only a few are ever in flight. Starting a read abandons the one before it, which is ended
// with an empty last batch so that the consumer can tell its batches from the new read's.
class VkFeatureReader : public VkWorker {
    Q_OBJECT
public:
    // About 1,000 features of 100 samples make a batch of a few hundred kilobytes: large enough
    // that queuing costs nothing per feature, small enough to keep memory flat.
    static constexpr int BatchSize = 1024;
    static constexpr int MaxBatchesInFlight = 4;

    explicit VkFeatureReader(VkSourcePtr source);

    const VkSourcePtr& source() const { return m_source; }

signals:
    void featuresRead(QList<VkFeature> features, bool hasMore, int senderWorkerId);

public slots:
    void readByRegion(QList<VkSegment> queries, QList<int> feildList, Vk::ReadMode readMode,
                      bool computeProgress);
    void readByOffset(qint64 dataOffset, QList<int> fieldList, bool computeProgress);
    void readByIds(QList<qint64> ids, QList<int> fieldList);
    void readByPrefixSearch(QString startsWith, QList<VkSegment> queries, QList<int> fieldList);
    void featuresConsumed(int workerId);
    void fillBufferBlocking(int workerId);
    void step();

private:
    void begin(const ReadRequest& request);
    bool readBatch();
    void scheduleStep();

    VkSourcePtr m_source;
    FeatureCursorPtr m_cursor;
    bool m_computeProgress = false;
    int m_inFlight = 0;
    bool m_stepQueued = false;
};
