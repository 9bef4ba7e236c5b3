#include "tasks/TaskThreads.h"

#include "tasks/workers/VkEventedThread.h"

void TaskThreads::create() {
    shutdownAll();
    m_worker = new VkEventedThread(QStringLiteral("SourceTaskList Worker"), m_owner);
    m_reader = new VkEventedThread(QStringLiteral("SourceTaskList Reader"), m_owner);
}

VkEventedThread* TaskThreads::addThread(const QString& name) {
    auto* thread = new VkEventedThread(name, m_owner);
    m_further.append(thread);
    return thread;
}

// Threads delete themselves once their last worker is gone; those still alive when the owner is
// destroyed go with it, and their destructor waits for them.
void TaskThreads::shutdownAll() {
    QList<QPointer<VkEventedThread>> threads = m_further;
    threads << m_worker << m_reader;
    for (const QPointer<VkEventedThread>& thread : threads) {
        if (thread) {
            thread->shutdown();
        }
    }
    m_further.clear();
    m_worker.clear();
    m_reader.clear();
}
