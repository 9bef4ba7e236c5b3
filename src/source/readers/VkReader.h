#pragma once

#include "source/readers/ReadMode.h"
#include "source/model/VkFeature.h"
#include "source/registry/VkSource.h"
#include "tasks/workers/VkWorkerRunner.h"

#include <QList>
#include <QPointer>

class VkFeatureReader;

// The consumer's side of a source's feature reader. It runs the reader on a worker thread,
// forwards read requests to it and collects the batches it sends: nextIsReady signals that
// features can be taken, readIsComplete that the read ended (check hasError()).
class VkReader : public VkWorkerRunner {
    Q_OBJECT
public:
    // Without a thread the reader makes one of its own.
    VkReader(VkSourcePtr source, VkEventedThread* thread, QObject* parent = nullptr);
    ~VkReader() override;

    const VkSourcePtr& source() const { return m_source; }
    // False when the source's kind has no feature reader; errorText() says why.
    bool isValid() const { return m_workerId != 0; }
    // Takes the features received so far, which lets the worker read on.
    VkFeatureList takeFeatures();
    bool isReading() const { return m_reading; }
    const QList<int>& fieldList() const { return m_fieldList; }

    Q_INVOKABLE void read(bool computeProgress = false);
    Q_INVOKABLE void readByOffset(qint64 dataOffset, bool computeProgress = false);
    Q_INVOKABLE void readByRegion(QList<VkSegment> queries, Vk::ReadMode readMode = Vk::Overlap,
                                  bool computeProgress = false);
    Q_INVOKABLE void readByIds(QList<qint64> ids);
    Q_INVOKABLE void readPrefix(QString startsWith);
    Q_INVOKABLE void readByPrefixSearch(QString startsWith, QList<VkSegment> queries);
    // The fields to fill; every field of the schema until set.
    Q_INVOKABLE void setFieldList(QList<int> fieldList);

signals:
    void nextIsReady(VkReader* reader);
    void readIsComplete(VkReader* reader);
    void featuresConsumed(int workerId);
    void fillBufferBlocking(int workerId);
    // Requests carried to the feature reader on its thread.
    void requestRegion(QList<VkSegment> queries, QList<int> fieldList, Vk::ReadMode readMode,
                       bool computeProgress);
    void requestOffset(qint64 dataOffset, QList<int> fieldList, bool computeProgress);
    void requestIds(QList<qint64> ids, QList<int> fieldList);
    void requestPrefix(QString startsWith, QList<VkSegment> queries, QList<int> fieldList);

public slots:
    void featuresReadFromWorker(QList<VkFeature> features, bool hasMore, int senderWorkerId);
    void workerHadError();

private:
    VkReader(VkSourcePtr source, VkEventedThread* thread, bool ownsThread, QObject* parent);
    void beginRead();

    VkSourcePtr m_source;
    QPointer<VkEventedThread> m_ownThread;
    int m_workerId = 0;
    QList<int> m_fieldList;
    VkFeatureList m_features;
    int m_batchesHeld = 0;
    // Reads replaced by a newer request whose batches are still on their way.
    int m_abandonedReads = 0;
    bool m_reading = false;
};
