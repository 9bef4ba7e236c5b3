#pragma once

#include "formats/tsf/TsfWriteSettings.h"
#include "source/model/VkFeature.h"
#include "tasks/workers/VkWorkerRunner.h"

// The front object through which a consumer on the main thread pushes features into a TSF file:
// it runs a TsfWriterWorker on the writer thread and hands it batches by queued signals.
// Usage: startSource(), then write() whenever canWrite() (batchWritten() says when room frees
// up), then finish(); writeEnded() follows once the worker is gone, with sourceUrl() set on
// success and the error text set otherwise.
class TsfWriter : public VkWorkerRunner {
    Q_OBJECT
public:
    // Batches handed over but not yet written.
    static constexpr int MaxBatchesInFlight = 4;

    explicit TsfWriter(VkEventedThread* writerThread, QObject* parent = nullptr);

    void startSource(const TsfWriteSettings& settings);
    void write(const VkFeatureList& features);
    void finish();

    bool canWrite() const { return m_inFlight < MaxBatchesInFlight; }
    // The written file (or in-memory name), once the write has succeeded.
    const QString& sourceUrl() const { return m_sourceUrl; }
    bool isStarted() const { return m_started; }

signals:
    void workerWrite(VkFeatureList features, int workerId);
    void workerFinish(int workerId);
    void sourceStarted(QString sourceUrl);
    void batchWritten();
    void writeEnded();

public slots:
    void updateStartSourceFinished(int workerId, QString sourceUrl);
    void updateFeaturesWritten(int workerId, qint64 recordCount);
    void updateEndSourceFinished(int workerId, QString sourceUrl);

private:
    void workerGone();

    int m_inFlight = 0;
    bool m_started = false;
    bool m_finished = false;
    QString m_sourceUrl;
};
