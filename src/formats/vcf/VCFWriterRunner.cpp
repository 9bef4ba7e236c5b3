#include "formats/vcf/VCFWriterRunner.h"

#include "formats/vcf/VCFWriterWorker.h"
#include "output/OutputDestination.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "tasks/TaskRunnerRegistry.h"
#include "tasks/TaskThreads.h"

#include <QMetaObject>

VCFWriterRunner::VCFWriterRunner(VkSourcePtr source, VCFWriterTask task, VkEventedThread* writerThread,
                                 VkEventedThread* readerThread, QObject* parent)
    : TaskRunner(writerThread, parent), m_source(std::move(source)), m_task(std::move(task)),
      m_readerThread(readerThread) {
    connect(this, &VkWorkerRunner::currentWorkerDestroyed, this, &VCFWriterRunner::finished);
}

void VCFWriterRunner::start() {
    auto* worker = new VCFWriterWorker(m_source, m_task, m_readerThread);
    connect(worker, &VCFWriterWorker::workerWarning, this, &VCFWriterRunner::collectWorkerWarning);
    setupNewWorker(worker);
    QMetaObject::invokeMethod(worker, "write", Qt::QueuedConnection);
}

void VCFWriterRunner::collectWorkerWarning(QString warning) {
    m_warnings.append(warning);
}

void VCFWriterRunner::finished() {
    if (!hasError() && !isCanceled() && !OutputDestination::isStream(m_task.outputFilePath()))
        setResults({VkSourceTypeRegistry::instance().open(m_task.outputFilePath())});
    emit workComplete();
}

namespace {
TaskRunner* makeVcfWriter(const SourceTaskOptions& task, const QList<VkSourcePtr>& inputs,
                          TaskThreads& threads, QString* error) {
    if (inputs.isEmpty()) {
        *error = QStringLiteral("Invalid write source");
        return nullptr;
    }
    return new VCFWriterRunner(inputs.first(), VCFWriterTask(task), threads.worker(), threads.reader());
}

[[maybe_unused]] const bool registered = [] {
    TaskRunnerRegistry::instance().registerKind(QString::fromLatin1(VCFWriterTask::kClassName),
                                                makeVcfWriter);
    return true;
}();
} // namespace
