#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QueueableTaskRunner;

// Console lines of a task list: each task's start message, its progress with the message shown
// only when it changed, then the outcome, after which it ends the application's event loop.
class TaskListRunnerLogger : public QObject {
    Q_OBJECT
public:
    explicit TaskListRunnerLogger(QueueableTaskRunner* runner, QObject* parent = nullptr);

public slots:
    void taskStarted(int taskIdx, bool usesProgress, QString message);
    void percentDoneUpdated(int percent, QString message);
    void quit();

private:
    QString m_lastMessage;
    QPointer<QueueableTaskRunner> m_runner;
};
