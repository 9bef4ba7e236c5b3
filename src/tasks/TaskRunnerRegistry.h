#pragma once

#include "source/registry/VkSource.h"

#include <QHash>
#include <QList>
#include <QReadWriteLock>
#include <QString>

#include <functional>

class SourceTaskOptions;
class TaskRunner;
class TaskThreads;

// Makes the runner of one task from its record and its input sources. Returns a parentless
// runner, not yet started, that the list adopts; or null with the reason in error, which ends the
// list with that text. Set-up work that can fail with a fixed message (a file to remove, a
// transform to build) belongs here; long work belongs to the runner's workers.
using TaskRunnerFactory = std::function<TaskRunner*(
    const SourceTaskOptions& task, const QList<VkSourcePtr>& inputs, TaskThreads& threads, QString* error)>;

// The process-wide table from a task's class name ("ReaderTask", "TsfWriterTask") to the factory
// of its runner. The kinds that need nothing beyond the source registry are there from the start;
// a format registers its writer tasks before a command starts a list that uses them.
class TaskRunnerRegistry {
public:
    static TaskRunnerRegistry& instance();

    // Puts the factory in place of the kind's previous one, which is returned (empty if none).
    TaskRunnerFactory registerKind(const QString& className, TaskRunnerFactory factory);
    // Empty when the kind has no runner.
    TaskRunnerFactory factory(const QString& className) const;

private:
    TaskRunnerRegistry();

    mutable QReadWriteLock m_lock;
    QHash<QString, TaskRunnerFactory> m_factories;
};
