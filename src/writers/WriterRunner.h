#pragma once

#include "tasks/TaskRunner.h"

#include <functional>

class WriterWorker;

// Runs one writer worker on the writer thread. Usable on its own, with a CmdWorkerRunnerLogger, or
// as the runner of a writer task in a task list: workComplete() follows the worker's end, and
// results() are then the written files opened as sources.
class WriterRunner : public TaskRunner {
    Q_OBJECT
public:
    // Makes the worker on the runner's thread when start() is called.
    using WorkerFactory = std::function<WriterWorker*()>;

    WriterRunner(WorkerFactory makeWorker, VkEventedThread* writerThread, QObject* parent = nullptr);

    void start() override;

private:
    void workerEnded();

    WorkerFactory m_makeWorker;
};
