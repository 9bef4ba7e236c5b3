#include "tasks/workers/VkEventedThread.h"

#include <QEventLoop>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <stdexcept>

namespace {

const char* const kDefaultThreadName = "VkEvented Worker Thread";
// How long destruction waits for a thread that was never shut down before giving up on it.
constexpr unsigned long kDestroyWaitMs = 5000;

QMutex s_threadsMutex;
QList<QPointer<VkEventedThread>> s_threads;

} // namespace

VkEventedThread::VkEventedThread(const QString& name, QObject* parent)
    : QObject(parent), m_thread(new QThread(this)), m_aliveWorkers(0) {
    const QString threadName = name.isEmpty() ? QString::fromLatin1(kDefaultThreadName) : name;
    setObjectName(threadName);
    m_thread->setObjectName(threadName);
    m_thread->start();
    // Workers moved to a thread that never ran would wait forever; like running out of memory,
    // this ends the work that needed the thread (VkApplication turns it into the error).
    if (!m_thread->isRunning())
        throw std::runtime_error("the thread '" + threadName.toStdString() + "' could not be started");
    QMutexLocker lock(&s_threadsMutex);
    s_threads.append(QPointer<VkEventedThread>(this));
}

VkEventedThread::~VkEventedThread() {
    {
        QMutexLocker lock(&s_threadsMutex);
        s_threads.removeAll(QPointer<VkEventedThread>(this));
    }
    // A QThread must not be deleted while running. Destroyed without a shutdown (for example
    // with its owner at exit), hosted work is cancelled first, and the wait is never endless.
    if (!m_quitting) {
        emit cancelAllWorkers();
        m_thread->quit();
    }
    if (!m_thread->wait(kDestroyWaitMs)) {
        qWarning("Thread '%s' did not stop; leaving it to end with the process", qPrintable(objectName()));
        m_thread->setParent(nullptr);
    }
}

QList<QPointer<VkEventedThread>> VkEventedThread::allThreads() {
    QMutexLocker lock(&s_threadsMutex);
    return s_threads;
}

void VkEventedThread::shutdownAndWait(VkEventedThread* thread) {
    QPointer<VkEventedThread> guard(thread);
    if (!guard) {
        return;
    }
    QEventLoop loop;
    connect(thread, &QObject::destroyed, &loop, &QEventLoop::quit);
    thread->shutdown();
    if (guard) {
        loop.exec();
    }
}

void VkEventedThread::shutdown() {
    emit cancelAllWorkers();
    if (m_aliveWorkers.loadAcquire() > 0) {
        connect(this, &VkEventedThread::allWorkersComplete, this, &VkEventedThread::cleanupSelf,
                Qt::UniqueConnection);
        return;
    }
    cleanupSelf();
}

void VkEventedThread::newAliveWorker(QObject* newWorker) {
    m_aliveWorkers.ref();
    connect(newWorker, &QObject::destroyed, this, &VkEventedThread::workerDestroyed, Qt::QueuedConnection);
}

void VkEventedThread::workerDestroyed(QObject*) {
    if (!m_aliveWorkers.deref()) {
        emit allWorkersComplete();
    }
}

void VkEventedThread::cleanupSelf() {
    m_quitting = true;
    connect(m_thread, &QThread::finished, this, &QObject::deleteLater, Qt::UniqueConnection);
    m_thread->quit();
    // A thread that had already ended will not announce it again.
    if (m_thread->isFinished()) {
        deleteLater();
    }
}
