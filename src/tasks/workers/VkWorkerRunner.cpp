#include "tasks/workers/VkWorkerRunner.h"

#include <QThread>

VkWorkerRunner::VkWorkerRunner(VkEventedThread* hostThread, QObject* parent)
    : QObject(parent), m_hostThread(hostThread) {
    qRegisterMetaType<VkWorkerRunner*>();
    if (hostThread) {
        connect(hostThread, &VkEventedThread::cancelAllWorkers, this, &VkWorkerRunner::cancelCurrentWorker);
    }
}

VkWorkerRunner::~VkWorkerRunner() {
    if (m_sameThreadWorker) {
        m_sameThreadWorker->disconnect(this);
    }
    // A worker left behind must still end, or its hosting thread could never quit.
    if (m_currentWorkerId != 0 && !m_canceled) {
        m_cancelFlag->ref();
        m_pauseFlag->storeRelease(0);
        emit cancelWorker(m_currentWorkerId);
    }
}

int VkWorkerRunner::setupNewWorker(VkWorker* newWorker) {
    const int previousId = m_currentWorkerId;
    if (m_threadSlot != 0) {
        newWorker->m_threadSlot = m_threadSlot;
    }
    if (m_hostThread) {
        newWorker->moveToThread(m_hostThread->workerThread());
        m_hostThread->newAliveWorker(newWorker);
    }
    if (m_currentWorkerId != 0) {
        // A same-thread worker ends at once when cancelled; its end must not read as the new one's.
        if (m_sameThreadWorker) {
            m_sameThreadWorker->disconnect(this);
        }
        cancelCurrentWorker();
    }
    m_canceled = false;
    m_paused = false;
    m_lastPercent = -1;
    m_errorId = 0;
    m_errorText.clear();
    m_currentWorkerId = newWorker->workerId();
    m_cancelFlag = newWorker->cancelFlag();
    m_pauseFlag = newWorker->pauseFlag();
    connectWorker(newWorker);
    if (!m_hostThread) {
        adoptOnSameThread(newWorker);
    }
    emit newWorkerCreated();
    return previousId;
}

void VkWorkerRunner::connectWorker(VkWorker* worker) {
    connect(worker, &VkWorker::percentDone, this, &VkWorkerRunner::percentDoneFromWorker);
    connect(worker, &VkWorker::errOccurred, this, &VkWorkerRunner::errOccurredFromWorker);
    connect(worker, &VkWorker::workerDestroyed, this, &VkWorkerRunner::workerDestroyed);
    connect(this, &VkWorkerRunner::pingWorker, worker, &VkWorker::ping);
    connect(worker, &VkWorker::workerPingRespone, this, &VkWorkerRunner::workerPingRespone);
    connect(this, &VkWorkerRunner::cancelWorker, worker, &VkWorker::cancel);
    if (m_hostThread) {
        connect(this, &VkWorkerRunner::pauseWorker, worker, &VkWorker::pause, Qt::QueuedConnection);
        connect(this, &VkWorkerRunner::resumeWorker, worker, &VkWorker::resume, Qt::QueuedConnection);
    }
}

void VkWorkerRunner::adoptOnSameThread(VkWorker* worker) {
    m_sameThreadWorker.reset(worker);
    worker->resetForSameThreadRunner();
    connect(worker, qOverload<int>(&VkWorker::workerShutdown), this,
            &VkWorkerRunner::sameThreadWorkerShutdown, Qt::DirectConnection);
}

// The worker may be inside one of its own signals, so it is deleted through the event loop.
void VkWorkerRunner::releaseSameThreadWorker() {
    if (m_sameThreadWorker) {
        m_sameThreadWorker.release()->deleteLater();
    }
}

void VkWorkerRunner::cancel() {
    cancelCurrentWorker();
    emit canceled();
}

void VkWorkerRunner::cancelCurrentWorker() {
    m_canceled = true;
    if (m_currentWorkerId != 0) {
        m_cancelFlag->ref();
        emit cancelWorker(m_currentWorkerId);
    }
    if (!m_hostThread) {
        releaseSameThreadWorker();
    }
}

void VkWorkerRunner::pauseCurrentWorker() {
    if (m_currentWorkerId == 0 || m_canceled || m_paused) {
        return;
    }
    m_paused = true;
    m_pauseFlag->storeRelease(1);
    emit pauseWorker(m_currentWorkerId);
}

void VkWorkerRunner::resumeCurrentWorker() {
    if (m_currentWorkerId == 0 || !m_paused) {
        return;
    }
    m_paused = false;
    m_pauseFlag->storeRelease(0);
    emit resumeWorker(m_currentWorkerId);
}

void VkWorkerRunner::percentDoneFromWorker(int percent, int senderWorkerId) {
    if (senderWorkerId != m_currentWorkerId || m_canceled || percent == m_lastPercent) {
        return;
    }
    m_lastPercent = percent;
    emit percentDone(percent, this);
}

void VkWorkerRunner::setError(int errorId, const QString& errorText) {
    m_errorId = errorId;
    m_errorText = errorText;
    emit errorOccurred(this);
}

void VkWorkerRunner::errOccurredFromWorker(int errId, QString errMsg, int senderWorkerId) {
    if (senderWorkerId != m_currentWorkerId || m_canceled) {
        return;
    }
    m_errorId = errId;
    m_errorText = errMsg;
    emit errorOccurred(this);
}

void VkWorkerRunner::workerDestroyed(int senderWorkerId) {
    forgetCurrentWorker(senderWorkerId);
}

void VkWorkerRunner::sameThreadWorkerShutdown(int senderWorkerId) {
    if (senderWorkerId == m_currentWorkerId && m_sameThreadWorker &&
        m_sameThreadWorker->workerId() == senderWorkerId) {
        releaseSameThreadWorker();
    }
    forgetCurrentWorker(senderWorkerId);
}

void VkWorkerRunner::workerPingRespone(int senderWorkerId) {
    if (senderWorkerId == m_currentWorkerId) {
        emit pingReceivedFromWorker();
    }
}

void VkWorkerRunner::forgetCurrentWorker(int senderWorkerId) {
    if (senderWorkerId != m_currentWorkerId) {
        return;
    }
    m_currentWorkerId = 0;
    emit currentWorkerDestroyed();
}
