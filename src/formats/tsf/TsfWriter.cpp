#include "formats/tsf/TsfWriter.h"

#include "formats/tsf/TsfWriterWorker.h"

TsfWriter::TsfWriter(VkEventedThread* writerThread, QObject* parent) : VkWorkerRunner(writerThread, parent) {
    connect(this, &VkWorkerRunner::currentWorkerDestroyed, this, &TsfWriter::workerGone);
}

void TsfWriter::startSource(const TsfWriteSettings& settings) {
    auto* worker = new TsfWriterWorker;
    connect(worker, &TsfWriterWorker::startSourceFinished, this, &TsfWriter::updateStartSourceFinished);
    connect(worker, &TsfWriterWorker::featuresWritten, this, &TsfWriter::updateFeaturesWritten);
    connect(worker, &TsfWriterWorker::endSourceFinished, this, &TsfWriter::updateEndSourceFinished);
    connect(this, &TsfWriter::workerWrite, worker, &TsfWriterWorker::writeFeatures);
    connect(this, &TsfWriter::workerFinish, worker, &TsfWriterWorker::endSource);
    m_inFlight = 0;
    m_started = false;
    m_finished = false;
    m_sourceUrl.clear();
    setupNewWorker(worker);
    QMetaObject::invokeMethod(
        worker, [worker, settings] { worker->startSource(settings); }, Qt::QueuedConnection);
}

void TsfWriter::write(const VkFeatureList& features) {
    ++m_inFlight;
    emit workerWrite(features, currentWorkerId());
}

void TsfWriter::finish() {
    emit workerFinish(currentWorkerId());
}

void TsfWriter::updateStartSourceFinished(int workerId, QString sourceUrl) {
    if (workerId != currentWorkerId())
        return;
    m_started = true;
    emit sourceStarted(sourceUrl);
}

void TsfWriter::updateFeaturesWritten(int workerId, qint64) {
    if (workerId != currentWorkerId())
        return;
    m_inFlight = std::max(m_inFlight - 1, 0);
    emit batchWritten();
}

void TsfWriter::updateEndSourceFinished(int workerId, QString sourceUrl) {
    if (workerId != currentWorkerId())
        return;
    m_finished = true;
    m_sourceUrl = sourceUrl;
}

void TsfWriter::workerGone() {
    if (isCanceled())
        return;
    if (!m_finished && !hasError())
        setError(1, QStringLiteral("Unknown error while writing"));
    emit writeEnded();
}
