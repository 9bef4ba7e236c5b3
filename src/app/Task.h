#pragma once

#include "source/registry/VkSource.h"

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

    // Opens the input named on the command line; "-" reads a path or a JSON source description
    // from standard input. The source is kept for the life of the command.
    VkSourcePtr openInput(const QString& path);
    // Finds the shared data folder next to the program and registers it as "Sys".
    static void initDataFolders();
    // The common check of an opened input: prints the help and the reason, returns 1 when the
    // source is invalid, 0 when it is usable.
    int checkInput(const VkSourcePtr& source, const QString& path) const;

protected:
    static QStringList arguments();
    VkEventedThread* utilityThread() const;

private:
    QPointer<VkEventedThread> m_utilityThread;
    QString m_helpResource;
    VkSourcePtr m_input;
};
