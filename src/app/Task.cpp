#include "app/Task.h"

#include "app/Console.h"
#include "tasks/VkEventedThread.h"

#include <QCoreApplication>
#include <QFile>

static void initHelpResources() {
    // The help texts live in a static library; the linker keeps them only when referenced.
    Q_INIT_RESOURCE(help);
}

Task::Task(const QString& helpResource)
    : m_utilityThread(new VkEventedThread(QStringLiteral("Utility Worker Thread"))),
      m_helpResource(helpResource) {
    initHelpResources();
}

Task::~Task() {
    stopUtilityThread();
}

void Task::printHelp() const {
    QFile help(m_helpResource);
    if (help.open(QIODevice::ReadOnly))
        Console::out(help.readAll());
}

int Task::printError(const QString& message) {
    if (!message.isEmpty())
        Console::err(message);
    return 1;
}

void Task::stopUtilityThread() {
    if (m_utilityThread)
        VkEventedThread::shutdownAndWait(m_utilityThread);
}

VkEventedThread* Task::utilityThread() const {
    return m_utilityThread.data();
}

QStringList Task::arguments() {
    return QCoreApplication::arguments();
}

int Task::notAvailable(const char* word) {
    return printError(
        QStringLiteral("varkit %1: this command is not available yet\n").arg(QLatin1String(word)));
}
