#include "tasks/CmdWorkerRunnerLogger.h"

#include "tasks/workers/VkWorkerRunner.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void writeLine(const QString& text) {
    std::fputs(text.toUtf8().constData(), stderr);
    std::fflush(stderr);
}

} // namespace

CmdWorkerRunnerLogger::CmdWorkerRunnerLogger(VkWorkerRunner* runner, QObject* parent)
    : QObject(parent), m_runner(runner) {
    m_tracker.setRange(0, 100);
    m_tracker.start();
    connect(runner, &VkWorkerRunner::currentWorkerDestroyed, this, &CmdWorkerRunnerLogger::quit);
    connect(runner, &VkWorkerRunner::percentDone, this, &CmdWorkerRunnerLogger::percentDoneUpdated);
}

// The clock restarts at the first report: opening and set-up before it say nothing about the rate.
void CmdWorkerRunnerLogger::percentDoneUpdated(int percent) {
    if (m_firstReport) {
        m_firstReport = false;
        m_tracker.setValue(percent, false);
        m_tracker.start();
    } else {
        m_tracker.setValue(percent, true);
    }
    writeLine(QStringLiteral("%1% - %2\n").arg(percent).arg(m_tracker.remainingTimeText()));
}

void CmdWorkerRunnerLogger::quit() {
    m_tracker.stop();
    if (m_runner && m_runner->hasError()) {
        writeLine(QStringLiteral("Ran into errors: %1\n").arg(m_runner->errorText()));
    } else {
        writeLine(QStringLiteral("Complete: shutting down\n"));
    }
    QCoreApplication::quit();
}
