#include "tasks/FunctionTaskRunner.h"

#include "tasks/workers/VkJobWorker.h"

namespace {

class FunctionJobWorker : public VkJobWorker {
public:
    explicit FunctionJobWorker(TaskJob job) : m_job(std::move(job)) {}

protected:
    bool doWork(const QVariantList&, QVariantList& results, QString& error) override {
        QList<VkSourcePtr> sources;
        if (!m_job(sources, error)) {
            return false;
        }
        for (const VkSourcePtr& source : sources) {
            results.append(QVariant::fromValue(source));
        }
        return true;
    }

private:
    TaskJob m_job;
};

} // namespace

FunctionTaskRunner::FunctionTaskRunner(TaskJob job, VkEventedThread* hostThread, QObject* parent)
    : TaskRunner(hostThread, parent), m_job(std::move(job)) {
    // The worker's results and errors arrive before its destruction, so its end is the task's end.
    connect(this, &VkWorkerRunner::currentWorkerDestroyed, this, &FunctionTaskRunner::jobEnded);
}

void FunctionTaskRunner::start() {
    auto* worker = new FunctionJobWorker(m_job);
    connect(worker, &VkJobWorker::workComplete, this, [this](int workerId, const QVariantList& results) {
        if (workerId != currentWorkerId()) {
            return;
        }
        QList<VkSourcePtr> sources;
        for (const QVariant& result : results) {
            sources.append(result.value<VkSourcePtr>());
        }
        setResults(sources);
    });
    setupNewWorker(worker);
    QMetaObject::invokeMethod(worker, "startJob", Qt::QueuedConnection, Q_ARG(QVariantList, QVariantList()));
}

FunctionTaskRunner* FunctionTaskRunner::passOn(const QList<VkSourcePtr>& sources,
                                               VkEventedThread* hostThread) {
    return new FunctionTaskRunner(
        [sources](QList<VkSourcePtr>& results, QString&) {
            results = sources;
            return true;
        },
        hostThread);
}

void FunctionTaskRunner::jobEnded() {
    if (!isCanceled()) {
        emit workComplete();
    }
}
