#pragma once

#include "source/readers/FeatureCursor.h"
#include "source/readers/ReadMode.h"
#include "source/registry/VkSource.h"
#include "tasks/workers/VkWorker.h"

// Reads the features of one source on a worker thread and delivers them in batches. A consumer
// acknowledges each batch (featuresConsumed) so that only a few are ever in flight.
class VkFeatureReader : public VkWorker {
    Q_OBJECT
public:
    // About 1,000 features of 100 samples make a batch of a few hundred kilobytes: large enough
    // that queuing costs nothing per feature, small enough to keep memory flat.
    static constexpr int BatchSize = 1024;
    static constexpr int MaxBatchesInFlight = 4;

    explicit VkFeatureReader(VkSourcePtr source);

    const VkSourcePtr& source() const { return m_source; }
    // A cursor over the answer to a request, read on the calling thread.
    virtual FeatureCursorPtr openCursor(const ReadRequest& request, QString* error) = 0;

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
