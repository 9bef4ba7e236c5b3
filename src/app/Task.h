#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

class VkEventedThread;

// Base of every command: owns the command's utility thread and its help text.
// parseArgs() checks and stores the arguments; run() does the work and returns
// the process exit status.
class Task {
public:
    explicit Task(const QString& helpResource);
    virtual ~Task();
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;

    virtual int run() = 0;
    virtual bool parseArgs() = 0;

    void printHelp() const;
    // Writes a non-empty message to standard error; returns 1 so that a command
    // can `return printError(...)`.
    static int printError(const QString& message);
    // Stops the utility thread and waits until it is gone.
    void stopUtilityThread();

protected:
    static QStringList arguments();
    VkEventedThread* utilityThread() const;
    // The last resort of a command whose machinery is not part of this build.
    static int notAvailable(const char* word);

private:
    QPointer<VkEventedThread> m_utilityThread;
    QString m_helpResource;
};
