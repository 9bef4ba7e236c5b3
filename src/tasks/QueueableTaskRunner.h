#pragma once

#include "source/registry/VkSource.h"
#include "tasks/ProgressTracker.h"
#include "tasks/TaskThreads.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class TaskRunner;
class VkWorkerRunner;

// Runs work as a sequence of task runners, one at a time, on threads of its own, and reports
// start, progress, errors and the end by signal. It lives on the main thread.
class QueueableTaskRunner : public QObject {
    Q_OBJECT
public:
    explicit QueueableTaskRunner(QObject* parent = nullptr);
    ~QueueableTaskRunner() override;

    // Empty while all is well; after finished(), empty means success.
    QString errorText() const { return m_errorText; }
    bool isCanceled() const { return m_canceled; }

    virtual QList<VkSourcePtr> results() const = 0;
    virtual bool hasResults() const { return !results().isEmpty(); }

signals:
    void taskStarted(int taskIdx, bool usesProgress, QString message);
    void taskFinished(int taskIdx);
    void curTaskPercentDone(int percent, QString timeRemainingMsg);
    void taskError(QString errMsg);
    void finished();

public slots:
    virtual void cancel();
    virtual void runnerFinished();
    void runnerPercentDone(int value, VkWorkerRunner* runner);
    void updateProgressEstimate();

protected:
    // Releases the current runner (cancelling it when still at work) and stops every thread.
    virtual void cleanup();
    // Takes over a runner that has ended without being cancelled; the runner is no longer current.
    virtual void handleRunnerEnd(TaskRunner* runner) = 0;
    // Makes the runner current and connects to it; the caller then starts it.
    virtual void adoptRunner(TaskRunner* runner);

    // Stores the error text (empty on success), stops the tracker, emits finished() and cleans up.
    void finish(const QString& errorText);
    void reset();
    TaskThreads& threads() { return m_threads; }
    ProgressTracker& tracker() { return m_tracker; }

private:
    void releaseCurrentRunner();
    void reportProgress();

    bool m_canceled = false;
    QString m_errorText;
    QPointer<TaskRunner> m_currentRunner;
    TaskThreads m_threads;
    ProgressTracker m_tracker;
    int m_lastPercent = -1;
    QString m_lastProgressText;
};
