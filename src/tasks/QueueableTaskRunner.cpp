#include "tasks/QueueableTaskRunner.h"

#include "tasks/TaskRunner.h"

QueueableTaskRunner::QueueableTaskRunner(QObject* parent) : QObject(parent), m_threads(this) {
    m_tracker.setRange(0, 100);
    connect(&m_tracker, &ProgressTracker::estimateChanged, this,
            &QueueableTaskRunner::updateProgressEstimate);
}

QueueableTaskRunner::~QueueableTaskRunner() {
    cleanup();
}

void QueueableTaskRunner::cancel() {
    m_canceled = true;
    if (m_currentRunner) {
        m_currentRunner->cancel();
    }
}

void QueueableTaskRunner::runnerFinished() {
    TaskRunner* runner = m_currentRunner;
    if (!runner || sender() != runner) {
        return;
    }
    m_currentRunner.clear();
    m_tracker.stop();
    if (m_canceled || runner->isCanceled()) {
        runner->deleteLater();
        return;
    }
    handleRunnerEnd(runner);
}

void QueueableTaskRunner::runnerPercentDone(int value, VkWorkerRunner* runner) {
    if (!m_currentRunner || runner != m_currentRunner) {
        return;
    }
    m_tracker.setValue(value, true);
    m_lastPercent = value;
    reportProgress();
}

// Between the runner's reports the only news worth a line is the first estimate of the task;
// later changes ride along with the next report.
void QueueableTaskRunner::updateProgressEstimate() {
    if (m_currentRunner && m_lastPercent >= 0 && m_tracker.estimatedRemainingMs() >= 0 &&
        m_lastProgressText == ProgressTracker::remainingTimeText(-1)) {
        reportProgress();
    }
}

void QueueableTaskRunner::reportProgress() {
    m_lastProgressText = m_tracker.remainingTimeText();
    emit curTaskPercentDone(m_lastPercent, m_lastProgressText);
}

void QueueableTaskRunner::cleanup() {
    releaseCurrentRunner();
    m_threads.shutdownAll();
}

void QueueableTaskRunner::adoptRunner(TaskRunner* runner) {
    releaseCurrentRunner();
    runner->setParent(this);
    m_currentRunner = runner;
    connect(runner, &VkWorkerRunner::percentDone, this, &QueueableTaskRunner::runnerPercentDone);
    connect(runner, &TaskRunner::workComplete, this, &QueueableTaskRunner::runnerFinished);
    connect(runner, &VkWorkerRunner::canceled, this, &QueueableTaskRunner::runnerFinished);
    m_lastPercent = -1;
    m_lastProgressText.clear();
    m_tracker.setValue(0, false);
    m_tracker.start();
}

void QueueableTaskRunner::finish(const QString& errorText) {
    m_errorText = errorText;
    m_tracker.stop();
    emit finished();
    cleanup();
}

void QueueableTaskRunner::reset() {
    releaseCurrentRunner();
    m_errorText.clear();
    m_canceled = false;
}

void QueueableTaskRunner::releaseCurrentRunner() {
    TaskRunner* runner = m_currentRunner;
    m_currentRunner.clear();
    if (!runner) {
        return;
    }
    runner->disconnect(this);
    if (runner->isRunning()) {
        runner->cancel();
    }
    runner->deleteLater();
}
