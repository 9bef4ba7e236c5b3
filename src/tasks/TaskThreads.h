#pragma once

#include "tasks/workers/VkEventedThread.h"

#include <QList>
#include <QPointer>
#include <QString>

// The threads of a task list: "SourceTaskList Worker", "SourceTaskList Reader" and any further
// thread a task asks for. All are shut down together when the list ends.
class TaskThreads {
public:
    explicit TaskThreads(QObject* owner) : m_owner(owner) {}
    TaskThreads(const TaskThreads&) = delete;
    TaskThreads& operator=(const TaskThreads&) = delete;

    // Replaces any previous threads by a new worker and reader thread.
    void create();
    VkEventedThread* worker() const { return m_worker; }
    VkEventedThread* reader() const { return m_reader; }
    // A further thread owned by the list, such as a "Task Thread".
    VkEventedThread* addThread(const QString& name);
    void shutdownAll();

private:
    QObject* m_owner;
    QPointer<VkEventedThread> m_worker;
    QPointer<VkEventedThread> m_reader;
    QList<QPointer<VkEventedThread>> m_further;
};
