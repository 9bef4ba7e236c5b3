#include "formats/dsv/DelimitedTextReaderTaskRunner.h"

#include "formats/dsv/DsvSourceTypeManager.h"
#include "tasks/FunctionTaskRunner.h"
#include "tasks/TaskRecords.h"
#include "tasks/TaskThreads.h"

namespace {
[[maybe_unused]] const bool registered = [] {
    TaskRunnerRegistry::instance().registerKind(QString::fromLatin1(DelimitedTextReaderTask::kClassName),
                                                makeDelimitedTextReaderRunner);
    return true;
}();
} // namespace

TaskRunner* makeDelimitedTextReaderRunner(const SourceTaskOptions& task, const QList<VkSourcePtr>&,
                                          TaskThreads& threads, QString*) {
    const DelimitedTextReaderTask record(task);
    const QString path = record.filePath();
    const DelimitedTextReaderOptions given(record.options());
    // A copy of its own: the task's record stays on this thread.
    const DelimitedTextReaderOptions options =
        given.isNull() ? DsvSourceTypeManager::defaultOptions(path) : given.clone();
    return new FunctionTaskRunner(
        [path, options](QList<VkSourcePtr>& results, QString&) {
            results.append(DsvSourceTypeManager::openWithOptions(path, options));
            return true;
        },
        threads.reader());
}
