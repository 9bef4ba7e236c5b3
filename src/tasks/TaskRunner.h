#pragma once

#include "source/registry/VkSource.h"
#include "tasks/workers/VkWorkerRunner.h"

#include <QList>

class SourceTaskOptions;

// The worker runner that carries out one task of a task list. The list connects to it first and
// then calls start(); the runner emits workComplete() once its work has ended, successfully or with
// its error text set, and the list then takes results().
class TaskRunner : public VkWorkerRunner {
    Q_OBJECT
public:
    explicit TaskRunner(VkEventedThread* hostThread, QObject* parent = nullptr);

    virtual void start() = 0;
    QList<VkSourcePtr> results() const { return m_results; }

    // The task's name, or its kind when it has none.
    static QString displayName(const SourceTaskOptions& task);
    // The failure text of a task whose set-up made a source that is not valid.
    static QString invalidSourceMessage(const SourceTaskOptions& task);

signals:
    void workComplete();

protected:
    void setResults(const QList<VkSourcePtr>& results) { m_results = results; }

private:
    QList<VkSourcePtr> m_results;
};
