#include "writers/WriterTaskRunners.h"

#include "tasks/TaskRunnerRegistry.h"
#include "tasks/TaskThreads.h"
#include "writers/DelimitedTextWriterWorker.h"
#include "writers/FastaWriterWorker.h"
#include "writers/VariableWigWriterWorker.h"
#include "writers/WriterRunner.h"
#include "writers/XlsxWriterWorker.h"

namespace {

template <class Worker, class Record>
TaskRunner* makeWriter(const SourceTaskOptions& task, const QList<VkSourcePtr>& inputs, TaskThreads& threads,
                       QString* error) {
    if (inputs.isEmpty()) {
        *error = QStringLiteral("Task %1 has no source to write").arg(TaskRunner::displayName(task));
        return nullptr;
    }
    const VkSourcePtr source = inputs.first();
    const Record record(task);
    VkEventedThread* reader = threads.reader();
    return new WriterRunner([source, record, reader] { return new Worker(source, record, reader); },
                            threads.worker());
}

[[maybe_unused]] const bool kRegistered = [] {
    WriterTaskRunners::registerKinds(TaskRunnerRegistry::instance());
    return true;
}();

} // namespace

void WriterTaskRunners::registerKinds(TaskRunnerRegistry& registry) {
    registry.registerKind(QString::fromLatin1(DelimitedTextWriterTask::kClassName),
                          makeWriter<DelimitedTextWriterWorker, DelimitedTextWriterTask>);
    registry.registerKind(QString::fromLatin1(XlsxWriterTask::kClassName),
                          makeWriter<XlsxWriterWorker, XlsxWriterTask>);
    registry.registerKind(QString::fromLatin1(FastaWriterTask::kClassName),
                          makeWriter<FastaWriterWorker, FastaWriterTask>);
    registry.registerKind(QString::fromLatin1(VariableWigWriterTask::kClassName),
                          makeWriter<VariableWigWriterWorker, VariableWigWriterTask>);
}
