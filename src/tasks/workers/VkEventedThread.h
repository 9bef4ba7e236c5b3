#pragma once

#include <QAtomicInt>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QThread;

// A named thread with its own event loop that hosts workers. The object itself lives on the
// creating thread; after shutdown() and the destruction of its last worker it quits the thread
// and deletes itself, so owners keep it through a QPointer.
class VkEventedThread : public QObject {
    Q_OBJECT
public:
    explicit VkEventedThread(const QString& name = QString(), QObject* parent = nullptr);
    ~VkEventedThread() override;

    QThread* workerThread() const { return m_thread; }
    int aliveWorkerCount() const { return m_aliveWorkers.loadAcquire(); }

    // Every evented thread of the process that still exists.
    static QList<QPointer<VkEventedThread>> allThreads();
    // Shuts the thread down and runs a local event loop until the object is destroyed.
    // Call it from the thread the object lives on.
    static void shutdownAndWait(VkEventedThread* thread);

signals:
    void cancelAllWorkers();
    void allWorkersComplete();

public slots:
    void shutdown();
    void newAliveWorker(QObject* newWorker);
    void workerDestroyed(QObject* worker);
    void cleanupSelf();

private:
    QThread* m_thread;
    QAtomicInt m_aliveWorkers;
    bool m_quitting = false;
};
