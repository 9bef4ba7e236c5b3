#include "tasks/TaskRunner.h"

#include "tasks/TaskRecords.h"

TaskRunner::TaskRunner(VkEventedThread* hostThread, QObject* parent) : VkWorkerRunner(hostThread, parent) {}

QString TaskRunner::displayName(const SourceTaskOptions& task) {
    return task.taskName().isEmpty() ? task.className() : task.taskName();
}

QString TaskRunner::invalidSourceMessage(const SourceTaskOptions& task) {
    return QStringLiteral("Task %1 failed to create a valid source").arg(displayName(task));
}
