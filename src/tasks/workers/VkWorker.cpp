#include "tasks/workers/VkWorker.h"

#include <QCoreApplication>
#include <QThread>

namespace {

constexpr int kPausePollMs = 10;
constexpr int kExceptionErrorId = 1;

QAtomicInt s_nextWorkerId(0);

// Ids increase in creation order; 0 means "no worker" to runners, so it is never handed out.
int takeWorkerId() {
    int id = s_nextWorkerId.fetchAndAddOrdered(1);
    if (id == 0) {
        id = s_nextWorkerId.fetchAndAddOrdered(1);
    }
    return id;
}

} // namespace

VkWorker::VkWorker(QObject* parent)
    : QObject(parent), m_workerId(takeWorkerId()), m_cancelFlag(std::make_shared<QAtomicInt>(0)),
      m_pauseFlag(std::make_shared<QAtomicInt>(0)) {}

VkWorker::~VkWorker() {
    emit workerDestroyed(m_workerId);
}

bool VkWorker::waitWhilePaused() {
    while (isPaused() && !isCanceled()) {
        if (m_ownThread) {
            QThread::msleep(kPausePollMs);
        } else {
            QCoreApplication::processEvents(QEventLoop::AllEvents, kPausePollMs);
        }
    }
    return !isCanceled();
}

void VkWorker::cancel(int workerId) {
    if (workerId != m_workerId) {
        return;
    }
    // A paused loop must wake to see the cancel flag.
    m_pauseFlag->storeRelease(0);
    emit workerCanceled();
    // The runner has abandoned this worker; ending it lets the hosting thread quit.
    shutdown();
}

void VkWorker::pause(int workerId) {
    if (workerId == m_workerId && !isCanceled() && isPaused()) {
        emit workerPaused();
    }
}

void VkWorker::resume(int workerId) {
    if (workerId == m_workerId && !isPaused()) {
        emit workerResumed();
    }
}

void VkWorker::ping(int workerId) {
    if (workerId == m_workerId) {
        emit workerPingRespone(m_workerId);
    }
}

void VkWorker::shutdown() {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    emit workerShutdown(m_workerId);
    emit workerShutdown();
    if (m_deletesSelf) {
        deleteLater();
    }
}

void VkWorker::shutdownWithError(int errId, QString errMsg) {
    m_errorId = errId;
    m_errorText = errMsg;
    emit errOccurred(errId, errMsg, m_workerId);
    shutdown();
}

void VkWorker::failAfterException(const QString& message) {
    shutdownWithError(kExceptionErrorId, message);
}

void VkWorker::reportProgress(qint64 done, qint64 total) {
    if (total <= 0) {
        return;
    }
    const int percent = static_cast<int>(qBound<qint64>(0, done * 100 / total, 100));
    if (percent != m_lastPercent) {
        m_lastPercent = percent;
        emit percentDone(percent, m_workerId);
    }
}

void VkWorker::resetForSameThreadRunner() {
    m_deletesSelf = false;
    m_ownThread = false;
    m_lastPercent = 0;
    m_errorId = -1;
    m_errorText.clear();
    m_cancelFlag->storeRelease(0);
    m_pauseFlag->storeRelease(0);
}
