#pragma once

#include "tasks/workers/VkEventedThread.h"
#include "tasks/workers/VkWorker.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

// The consumer-side owner of one worker at a time: it adopts a worker, relays its progress and
// errors, and cancels, pauses or resumes it. Reports from workers that are no longer current
// are ignored.
class VkWorkerRunner : public QObject {
    Q_OBJECT
public:
    // Without a hosting thread the worker runs on this runner's own thread.
    VkWorkerRunner(VkEventedThread* hostThread, QObject* parent);
    ~VkWorkerRunner() override;

    virtual bool isRunning() const { return m_currentWorkerId != 0 && !m_canceled; }

    int threadSlot() const { return m_threadSlot; }
    void setThreadSlot(int slot) { m_threadSlot = slot; }
    int currentWorkerId() const { return m_currentWorkerId; }
    bool isCanceled() const { return m_canceled; }
    int errorId() const { return m_errorId; }
    QString errorText() const { return m_errorText; }
    bool hasError() const { return m_errorId != 0 || !m_errorText.isEmpty(); }

    // Adopts a parentless worker made on this runner's thread (cancelling the current one) and
    // returns the id of the previous one, 0 if none. The caller then starts it by a queued slot call.
    Q_INVOKABLE int setupNewWorker(VkWorker* newWorker);

signals:
    void percentDone(int percent, VkWorkerRunner* runner);
    void errorOccurred(VkWorkerRunner* runner);
    void currentWorkerDestroyed();
    void pingWorker(int workerId);
    void pingReceivedFromWorker();
    void newWorkerCreated();
    void canceled();
    void cancelWorker(int workerId);
    void pauseWorker(int workerId);
    void resumeWorker(int workerId);
    void deleteWorkerNow(int workerId);

public slots:
    void cancel();
    virtual void cancelCurrentWorker();
    virtual void pauseCurrentWorker();
    virtual void resumeCurrentWorker();
    void percentDoneFromWorker(int percent, int senderWorkerId);
    void errOccurredFromWorker(int errId, QString errMsg, int senderWorkerId);
    void workerDestroyed(int senderWorkerId);
    void sameThreadWorkerShutdown(int senderWorkerId);
    void workerPingRespone(int senderWorkerId);

protected:
    // Records an error found on the runner's side, such as a worker that could not be made.
    void setError(int errorId, const QString& errorText);

private:
    void connectWorker(VkWorker* worker);
    void adoptOnSameThread(VkWorker* worker);
    void releaseSameThreadWorker();
    void forgetCurrentWorker(int senderWorkerId);

    QPointer<VkEventedThread> m_hostThread;
    int m_threadSlot = 0;
    int m_lastPercent = -1;
    bool m_canceled = false;
    int m_errorId = 0;
    QString m_errorText;
    int m_currentWorkerId = 0;
    VkSharedFlag m_cancelFlag;
    VkSharedFlag m_pauseFlag;
    std::unique_ptr<VkWorker> m_sameThreadWorker;
    // Keeps pause and resume requests from repeating.
    bool m_paused = false;
};
