#include "tasks/TaskListRunnerLogger.h"

#include "tasks/QueueableTaskRunner.h"

#include <QCoreApplication>

#include <cstdio>

TaskListRunnerLogger::TaskListRunnerLogger(QueueableTaskRunner* runner, QObject* parent)
    : QObject(parent), m_runner(runner) {
    connect(runner, &QueueableTaskRunner::finished, this, &TaskListRunnerLogger::quit);
    connect(runner, &QueueableTaskRunner::taskStarted, this, &TaskListRunnerLogger::taskStarted);
    connect(runner, &QueueableTaskRunner::curTaskPercentDone, this,
            &TaskListRunnerLogger::percentDoneUpdated);
}

void TaskListRunnerLogger::taskStarted(int, bool, QString message) {
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    std::fflush(stderr);
}

// "%3.d" prints no digit for 0, hence the separate format.
void TaskListRunnerLogger::percentDoneUpdated(int percent, QString message) {
    QByteArray shown;
    if (message != m_lastMessage) {
        m_lastMessage = message;
        shown = message.toUtf8();
    }
    if (percent == 0) {
        std::fprintf(stderr, "  0%%\t%s\n", shown.constData());
    } else {
        std::fprintf(stderr, "%3.d%%\t%s\n", percent, shown.constData());
    }
    std::fflush(stderr);
}

void TaskListRunnerLogger::quit() {
    const QString error = m_runner ? m_runner->errorText() : QString();
    if (error.isEmpty()) {
        std::fprintf(stderr, "Complete: shutting down\n");
    } else {
        std::fprintf(stderr, "Ran into errors: %s\n", error.toUtf8().constData());
    }
    std::fflush(stderr);
    QCoreApplication::quit();
}
