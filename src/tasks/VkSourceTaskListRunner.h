#pragma once

#include "tasks/QueueableTaskRunner.h"
#include "tasks/TaskOptionsList.h"

#include <QHash>
#include <QStringList>
#include <QVector>

// Runs a task list: each task in turn gets the result sources of the tasks named in its inputs
// (the list's own inputs when it names none), and the list stops at the first error.
//
// A command starts it, runs the application's event loop until a TaskListRunnerLogger quits it,
// and exits with 0 when errorText() is empty, else 1.
class VkSourceTaskListRunner : public QueueableTaskRunner {
    Q_OBJECT
public:
    explicit VkSourceTaskListRunner(QObject* parent = nullptr);

    // Returns at once; the first task starts from the event loop. Every outcome, including a list
    // that names a missing input task, ends with finished().
    void start(const TaskOptionsList& list, const QList<VkSourcePtr>& inputs);

    // The result sources of the last task, once it has run.
    QList<VkSourcePtr> results() const override;
    int currentTaskIndex() const { return m_currentIndex; }

public slots:
    void startNextTask();

protected:
    void handleRunnerEnd(TaskRunner* runner) override;
    void adoptRunner(TaskRunner* runner) override;
    void finishWithError(const QString& errorText);

private:
    QString missingInputError() const;
    QList<VkSourcePtr> inputsOf(int taskIndex) const;
    TaskRunner* createRunner(const SourceTaskOptions& task, QString* error);
    void scheduleNextTask();

    QVector<SourceTaskOptions> m_tasks;
    QList<VkSourcePtr> m_inputs;
    int m_currentIndex = 0;
    QStringList m_startMessages;
    QVector<bool> m_usesProgress;
    QHash<QString, int> m_taskIndexes;
    QVector<QList<VkSourcePtr>> m_taskResults;
};
