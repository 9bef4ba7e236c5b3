#pragma once

#include "tasks/TaskRunner.h"

#include <functional>

// Fills the task's result sources, or sets the error text and returns false. Runs on the hosting
// thread, so it must not touch objects of the main thread.
using TaskJob = std::function<bool(QList<VkSourcePtr>& results, QString& error)>;

// A task whose work is one function call on a worker thread (or on the runner's own thread when
// no thread is given).
class FunctionTaskRunner : public TaskRunner {
    Q_OBJECT
public:
    FunctionTaskRunner(TaskJob job, VkEventedThread* hostThread, QObject* parent = nullptr);

    void start() override;

    // A task that hands the given sources on unchanged.
    static FunctionTaskRunner* passOn(const QList<VkSourcePtr>& sources, VkEventedThread* hostThread);

private:
    void jobEnded();

    TaskJob m_job;
};
