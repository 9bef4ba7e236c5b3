#include "app/commands/Precompute.h"

#include "source/registry/VkSourceTypeManager.h"
#include "tasks/TaskListRunnerLogger.h"
#include "tasks/TaskOptionsList.h"
#include "tasks/VkSourceTaskListRunner.h"

#include <QCoreApplication>

namespace {

// The coverage of a source is computed from its index, so the index comes first; each task takes
// the source as the one before it left it.
TaskOptionsList precomputeTasks(const VkSource& source) {
    QVector<SourceTaskOptions> tasks;
    for (const char* usage : {"GenomicIndex", "AlignmentCoverage"}) {
        QString message;
        if (!source.manager()->precomputeNeeded(source, QLatin1String(usage), &message))
            continue;
        PrecomputeTask task;
        task.setIdentifier(QLatin1String(usage));
        task.setUsage(QLatin1String(usage));
        if (!tasks.isEmpty())
            task.setInputs({tasks.last().identifier()});
        tasks.append(task);
    }
    TaskOptionsList list;
    list.setTasks(tasks);
    return list;
}

} // namespace

int Precompute::run() {
    initDataFolders();
    const VkSourcePtr source = openInput(m_sourcePath);
    if (const int status = checkInput(source, m_sourcePath))
        return status;
    VkSourceTaskListRunner runner;
    TaskListRunnerLogger logger(&runner);
    runner.start(precomputeTasks(*source), {source});
    QCoreApplication::exec();
    return runner.errorText().isEmpty() ? 0 : 1;
}
