#pragma once

#include "tasks/ProgressTracker.h"

#include <QObject>
#include <QPointer>

class VkWorkerRunner;

// Console lines of a command that runs a single worker runner: progress with the time left while
// it works, then the outcome, after which it ends the application's event loop. A command runs
// that loop and exits with 0 when the runner has no error, else 1.
class CmdWorkerRunnerLogger : public QObject {
    Q_OBJECT
public:
    explicit CmdWorkerRunnerLogger(VkWorkerRunner* runner, QObject* parent = nullptr);

public slots:
    void percentDoneUpdated(int percent);
    void quit();

private:
    QPointer<VkWorkerRunner> m_runner;
    bool m_firstReport = true;
    ProgressTracker m_tracker;
};
