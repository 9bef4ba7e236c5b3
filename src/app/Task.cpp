#include "app/Task.h"

#include "app/Console.h"
#include "app/StandardInputSource.h"
#include "source/registry/LocalSourceWatcher.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "tasks/workers/VkEventedThread.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

VkSourcePtr Task::openInput(const QString& path) {
    if (path != QLatin1String("-")) {
        m_input = VkSourceTypeRegistry::instance().open(path);
        return m_input;
    }
    m_input = StandardInputSource::open();
    return m_input;
}

int Task::checkInput(const VkSourcePtr& source, const QString& path) const {
    if (source && source->isValid())
        return 0;
    printHelp();
    return printError(
        QStringLiteral("source %1 is not valid: %2\n").arg(path, source ? source->errorText() : QString()));
}

void Task::initDataFolders() {
    static const char* const candidates[] = {
        "/Data/",
        "/GenomeMaps/",
        "/../lumaviewer/GenomeMaps/",
        "/../../lumaviewer/GenomeMaps/",
        "/GenomeAssemblies/",
        "/../lumaviewer/GenomeAssemblies/",
        "/../../lumaviewer/GenomeAssemblies/",
        "/../lumaviewer/Data/",
        "/../../lumaviewer/Data/",
    };
    const QString programFolder = QCoreApplication::applicationDirPath();
    QString dataFolder;
    for (const char* suffix : candidates) {
        const QString candidate = QDir::cleanPath(programFolder + QLatin1String(suffix));
        if (QFileInfo(candidate).isDir()) {
            dataFolder = candidate;
            break;
        }
    }
    VkSourceTypeRegistry::instance().setPathAlias(QStringLiteral("Sys"), dataFolder);
    if (dataFolder.isEmpty())
        return;
    LocalSourceWatcher* watcher = LocalSourceWatcher::open(QStringLiteral("sys"), dataFolder);
    watcher->setInfoPatchFile(dataFolder + QStringLiteral("/info_patch.txt"));
}
