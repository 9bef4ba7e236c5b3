#include "app/commands/Lock.h"

#include <QDir>
#include <QFileInfo>

bool Lock::parseArgs() {
    const QStringList args = arguments();
    int first = 2;
    if (args.size() > 2 && args.at(2).startsWith(QLatin1String("--"))) {
        const QString flag = args.at(2).toLower();
        if (flag == QLatin1String("--set")) {
            m_lock = true;
        } else if (flag == QLatin1String("--unset")) {
            m_lock = false;
        } else {
            printError(QStringLiteral("Unrecognized command option!\n"));
            return false;
        }
        m_lockGiven = true;
        first = 3;
    }
    for (int i = first; i < args.size(); ++i)
        addSource(args.at(i));
    if (m_paths.isEmpty()) {
        printError(QStringLiteral("No valid sources were found\n"));
        return false;
    }
    return true;
}

// A file name starting with '*' selects every matching entry of its folder.
void Lock::addSource(const QString& path) {
    const QFileInfo info(path);
    if (info.fileName().startsWith(QLatin1Char('*'))) {
        const QDir folder = info.absoluteDir();
        if (!folder.exists()) {
            printError(QStringLiteral("Input directory does not exist:\n%1\n").arg(folder.absolutePath()));
            return;
        }
        for (const QString& entry : folder.entryList(QStringList(info.fileName()), QDir::Files))
            m_paths.append(folder.path() + QLatin1Char('/') + entry);
        return;
    }
    if (!info.exists()) {
        printError(QStringLiteral("File not found:\n%1\n").arg(info.absoluteFilePath()));
        return;
    }
    m_paths.append(path);
}
