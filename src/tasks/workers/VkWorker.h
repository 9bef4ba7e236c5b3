#pragma once

#include <QAtomicInt>
#include <QObject>
#include <QString>

#include <memory>

class VkWorkerRunner;

using VkSharedFlag = std::shared_ptr<QAtomicInt>;

// An object that does work on a thread of its own and reports progress and errors by signal.
// The only state it shares with its runner is the cancel and pause flags, changed atomically.
// A worker ends by shutting down; its destruction is what tells the runner and the thread it is gone.
class VkWorker : public QObject {
    Q_OBJECT
public:
    explicit VkWorker(QObject* parent = nullptr);
    ~VkWorker() override;

    int workerId() const { return m_workerId; }
    VkSharedFlag cancelFlag() const { return m_cancelFlag; }
    VkSharedFlag pauseFlag() const { return m_pauseFlag; }
    int threadSlot() const { return m_threadSlot; }
    int errorId() const { return m_errorId; }
    QString errorText() const { return m_errorText; }

    // Cheap enough to call once per record in a work loop.
    bool isCanceled() const { return m_cancelFlag->loadAcquire() != 0; }
    bool isPaused() const { return m_pauseFlag->loadAcquire() != 0; }
    // Blocks while paused; returns false when the worker was cancelled meanwhile.
    bool waitWhilePaused();

    // Ends the worker after an exception left one of its slots (VkApplication catches it there):
    // by default as shutdownWithError() does. Workers with more to give up or tell override it.
    virtual void failAfterException(const QString& message);

signals:
    void percentDone(int percent, int senderWorkerId);
    void errOccurred(int errId, QString errMsg, int senderWorkerId);
    void workerDestroyed(int senderWorkerId);
    void workerShutdown(int senderWorkerId);
    void workerPingRespone(int senderWorkerId);
    void workerCanceled();
    void workerPaused();
    void workerResumed();
    void workerShutdown();

public slots:
    void cancel(int workerId);
    void pause(int workerId);
    void resume(int workerId);
    void ping(int workerId);
    void shutdown();
    void shutdownWithError(int errId, QString errMsg);

protected:
    // Emits percentDone only when the whole percentage changed, so hot loops do not flood the queue.
    void reportProgress(qint64 done, qint64 total);

private:
    friend class VkWorkerRunner;
    void resetForSameThreadRunner();

    int m_workerId;
    VkSharedFlag m_cancelFlag;
    VkSharedFlag m_pauseFlag;
    // Cleared when a runner on the consumer's thread owns the worker: the runner deletes it then,
    // and waiting while paused must keep that thread's events flowing instead of sleeping.
    bool m_deletesSelf = true;
    bool m_ownThread = true;
    int m_lastPercent = 0;
    QString m_errorText;
    int m_errorId = -1;
    int m_threadSlot = 0;
    bool m_shutDown = false;
};
