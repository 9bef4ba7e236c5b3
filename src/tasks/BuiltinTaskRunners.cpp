#include "tasks/BuiltinTaskRunners.h"

#include "source/registry/VkSourceTypeRegistry.h"
#include "tasks/FunctionTaskRunner.h"
#include "tasks/TaskRecords.h"
#include "tasks/TaskRunnerRegistry.h"
#include "tasks/TaskThreads.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Opening reads headers and indexes, so it runs on the reader thread. A source that failed to open
// is still the result: the list reports its error text.
TaskRunner* makeReader(const SourceTaskOptions& task, const QList<VkSourcePtr>&, TaskThreads& threads,
                       QString*) {
    const QString path = ReaderTask(task).filePath();
    return new FunctionTaskRunner(
        [path](QList<VkSourcePtr>& results, QString&) {
            results.append(VkSourceTypeRegistry::instance().open(path));
            return true;
        },
        threads.reader());
}

// The file goes while the task is set up; the task then hands its inputs on.
TaskRunner* makeFileRemover(const SourceTaskOptions& task, const QList<VkSourcePtr>& inputs,
                            TaskThreads& threads, QString* error) {
    const QString path = RemoveFileTask(task).filePath();
    if (!QFileInfo::exists(path)) {
        *error = QStringLiteral("File to remove does not exist, file: %1").arg(path);
        return nullptr;
    }
    if (!QFile::remove(path)) {
        *error = QStringLiteral("File could not be removed, file %1").arg(path);
        return nullptr;
    }
    return FunctionTaskRunner::passOn(inputs, threads.worker());
}

TaskRunner* makeAggregator(const SourceTaskOptions&, const QList<VkSourcePtr>& inputs, TaskThreads& threads,
                           QString*) {
    return FunctionTaskRunner::passOn(inputs, threads.worker());
}

} // namespace

void registerBuiltinTaskRunners(TaskRunnerRegistry& registry) {
    registry.registerKind(QString::fromLatin1(ReaderTask::kClassName), makeReader);
    registry.registerKind(QString::fromLatin1(RemoveFileTask::kClassName), makeFileRemover);
    registry.registerKind(QString::fromLatin1(AggregateOutputTask::kClassName), makeAggregator);
}
