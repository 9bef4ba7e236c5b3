#include "tasks/PrecomputeRunner.h"

#include "source/registry/VkSourceTypeManager.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "tasks/FunctionTaskRunner.h"
#include "tasks/TaskRecords.h"
#include "tasks/TaskRunnerRegistry.h"
#include "tasks/TaskThreads.h"
#include "tasks/workers/VkJobWorker.h"

namespace {

class PrecomputeWorker : public VkJobWorker {
public:
    PrecomputeWorker(PrecomputeJob job, QString sourcePath)
        : m_job(std::move(job)), m_sourcePath(std::move(sourcePath)) {}

protected:
    bool doWork(const QVariantList&, QVariantList& results, QString& error) override {
        const PrecomputeProgress progress = [this](qint64 done, qint64 total) {
            reportProgress(done, total);
            return !isCanceled();
        };
        if (!m_job(progress, &error))
            return false;
        if (isCanceled())
            return true;
        reportProgress(1, 1);
        results.append(QVariant::fromValue(VkSourceTypeRegistry::instance().open(m_sourcePath)));
        return true;
    }

private:
    PrecomputeJob m_job;
    QString m_sourcePath;
};

// A precomputation the source does not need hands the source on unchanged.
TaskRunner* makePrecomputeRunner(const SourceTaskOptions& task, const QList<VkSourcePtr>& inputs,
                                 TaskThreads& threads, QString* error) {
    const QString usage = PrecomputeTask(task).usage();
    const VkSourcePtr source = inputs.value(0);
    if (!source || !source->isValid() || !source->manager()) {
        *error = QStringLiteral("Invalid precompute source");
        return nullptr;
    }
    QString message;
    if (!source->manager()->precomputeNeeded(*source, usage, &message))
        return FunctionTaskRunner::passOn(inputs, threads.worker());
    PrecomputeRunner* runner = PrecomputeRunner::create(source, usage, threads.worker());
    if (!runner)
        *error = QStringLiteral("Precompute %1 is not supported for %2").arg(usage, source->path());
    return runner;
}

[[maybe_unused]] const bool registered = [] {
    TaskRunnerRegistry::instance().registerKind(QString::fromLatin1(PrecomputeTask::kClassName),
                                                makePrecomputeRunner);
    return true;
}();

} // namespace

PrecomputeRunner::PrecomputeRunner(PrecomputeJob job, QString sourcePath, VkEventedThread* thread)
    : TaskRunner(thread), m_job(std::move(job)), m_sourcePath(std::move(sourcePath)) {
    // The worker's results and errors arrive before its destruction, so its end is the task's end.
    connect(this, &VkWorkerRunner::currentWorkerDestroyed, this, &PrecomputeRunner::jobEnded);
}

PrecomputeRunner* PrecomputeRunner::create(const VkSourcePtr& source, const QString& usage,
                                           VkEventedThread* thread) {
    if (!source || !source->manager())
        return nullptr;
    PrecomputeJob job = source->manager()->precomputeJob(source, usage);
    if (!job)
        return nullptr;
    return new PrecomputeRunner(std::move(job), source->path(), thread);
}

void PrecomputeRunner::start() {
    auto* worker = new PrecomputeWorker(m_job, m_sourcePath);
    connect(worker, &VkJobWorker::workComplete, this, [this](int workerId, const QVariantList& results) {
        if (workerId != currentWorkerId())
            return;
        QList<VkSourcePtr> sources;
        for (const QVariant& result : results)
            sources.append(result.value<VkSourcePtr>());
        setResults(sources);
    });
    setupNewWorker(worker);
    QMetaObject::invokeMethod(worker, "startJob", Qt::QueuedConnection, Q_ARG(QVariantList, QVariantList()));
}

void PrecomputeRunner::jobEnded() {
    if (!isCanceled())
        emit workComplete();
}
