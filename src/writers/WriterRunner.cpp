#include "writers/WriterRunner.h"

#include "writers/WriterWorker.h"

WriterRunner::WriterRunner(WorkerFactory makeWorker, VkEventedThread* writerThread, QObject* parent)
    : TaskRunner(writerThread, parent), m_makeWorker(std::move(makeWorker)) {
    qRegisterMetaType<QList<VkSourcePtr>>();
    // The worker's results and errors arrive before its destruction, so its end is the task's end.
    connect(this, &VkWorkerRunner::currentWorkerDestroyed, this, &WriterRunner::workerEnded);
}

void WriterRunner::start() {
    WriterWorker* worker = m_makeWorker();
    connect(worker, &WriterWorker::written, this, [this](int workerId, const QList<VkSourcePtr>& outputs) {
        if (workerId == currentWorkerId())
            setResults(outputs);
    });
    setupNewWorker(worker);
    QMetaObject::invokeMethod(worker, "run", Qt::QueuedConnection);
}

void WriterRunner::workerEnded() {
    if (!isCanceled())
        emit workComplete();
}
