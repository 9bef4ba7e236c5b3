#include "formats/tsf/TsfWriterTaskRunner.h"

#include "formats/tsf/TsfConverter.h"
#include "formats/tsf/TsfDatabase.h"
#include "formats/tsf/TsfSharedCache.h"
#include "formats/tsf/TsfWriterTaskList.h"
#include "output/OutputDestination.h"
#include "tasks/FunctionTaskRunner.h"
#include "tasks/TaskRunnerRegistry.h"
#include "tasks/TaskThreads.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>

namespace {

TaskRunner* converter(const QList<VkSourcePtr>& inputs, const TsfConvertOptions& options,
                      TaskThreads& threads) {
    return new TsfConverter(inputs, options, threads.worker(), threads.reader());
}

TaskRunner* makeWriter(const SourceTaskOptions& task, const QList<VkSourcePtr>& inputs, TaskThreads& threads,
                       QString* error) {
    if (inputs.isEmpty())
        return nullptr;
    TsfConvertOptions options;
    options.task = TsfWriterTask(task).clone();
    if (options.task.filePath().isEmpty())
        options.task.setFilePath(TsfWriterTaskList::defaultDestination(inputs.first()->path()));
    QStringList read;
    for (const VkSourcePtr& input : inputs)
        read += input->inputPaths();
    if (!OutputDestination::checkNotAnInput(options.task.filePath(), read, error))
        return nullptr;
    return converter(inputs, options, threads);
}

// The rewritten file goes beside the original ("name-rewritten.tsf") unless the task names a place.
QString rewritePath(const TsfRewriterTask& task, const QString& original) {
    if (!task.tmpFilePath().isEmpty())
        return task.tmpFilePath();
    const QFileInfo file(original);
    return file.dir().filePath(file.completeBaseName() + QStringLiteral("-rewritten.") + file.suffix());
}

TaskRunner* makeRewriter(const SourceTaskOptions& task, const QList<VkSourcePtr>& inputs,
                         TaskThreads& threads, QString* error) {
    if (inputs.isEmpty())
        return nullptr;
    const QString original = inputs.first()->path();
    if (!QFileInfo(original).isFile()) {
        *error = QStringLiteral("Only a TSF file can be rewritten in place: %1").arg(original);
        return nullptr;
    }
    const TsfRewriterTask rewriter(task);
    TsfConvertOptions options;
    options.task.setFilePath(rewritePath(rewriter, original));
    options.task.setAttrFieldCompression(rewriter.attrFieldCompression());
    options.sortByPosition = true;
    auto* runner = new TsfConverter({inputs.first()}, options, threads.worker(), threads.reader());
    runner->setReplacedFile(original);
    return runner;
}

TaskRunner* makeMemoryWriter(const SourceTaskOptions&, const QList<VkSourcePtr>& inputs, TaskThreads& threads,
                             QString*) {
    if (inputs.isEmpty())
        return nullptr;
    TsfConvertOptions options;
    options.task.setFilePath(TsfWriterTaskRunner::newMemoryName());
    return converter(inputs, options, threads);
}

TaskRunner* makeMemoryRemover(const SourceTaskOptions& task, const QList<VkSourcePtr>& inputs,
                              TaskThreads& threads, QString* error) {
    const QString url = RemoveInMemTsfTask(task).sourceUrl();
    if (!TsfDatabase::isMemoryName(url) || !TsfSharedCache::instance().release(url)) {
        *error = QStringLiteral("Trying to delete invalid resource");
        return nullptr;
    }
    return FunctionTaskRunner::passOn(inputs, threads.worker());
}

[[maybe_unused]] const bool kRegistered = [] {
    TsfWriterTaskRunner::registerKinds(TaskRunnerRegistry::instance());
    return true;
}();

} // namespace

namespace TsfWriterTaskRunner {

void registerKinds(TaskRunnerRegistry& registry) {
    registry.registerKind(QString::fromLatin1(TsfWriterTask::kClassName), makeWriter);
    registry.registerKind(QString::fromLatin1(TsfRewriterTask::kClassName), makeRewriter);
    registry.registerKind(QString::fromLatin1(TsfInMemRewriterTask::kClassName), makeMemoryWriter);
    registry.registerKind(QString::fromLatin1(RemoveInMemTsfTask::kClassName), makeMemoryRemover);
}

QString newMemoryName() {
    return QStringLiteral("[memory]") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace TsfWriterTaskRunner
