#include "app/commands/Lock.h"

#include "app/Console.h"
#include "formats/tsf/TsfSourceProperties.h"
#include "source/registry/VkSourceTypeRegistry.h"

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

int Lock::run() {
    for (const QString& path : qAsConst(m_paths)) {
        update(path);
        Console::out(QStringLiteral("\n"));
    }
    return 0;
}

// Without --set or --unset nothing is asked for, so nothing changes.
void Lock::update(const QString& path) const {
    Console::out(QStringLiteral("Opening file:\n%1\n").arg(path));
    const VkSourcePtr source = VkSourceTypeRegistry::instance().open(path);
    if (!source->isValid()) {
        printError(QStringLiteral("Error:\nsource %1 is not valid: %2\n").arg(path, source->errorText()));
        return;
    }
    const QString current = source->info().properties.value("LockedForEditing").toQString();
    const bool locked =
        current == QLatin1String("1") || current.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    if (!m_lockGiven || locked == m_lock) {
        Console::out(QStringLiteral("Change not required.\n"));
        return;
    }
    QString error;
    if (TsfSourceProperties::set(*source, "LockedForEditing",
                                 m_lock ? QStringLiteral("1") : QStringLiteral("0"), &error))
        Console::out(QStringLiteral("Successfully updated\n"));
    else
        printError(error + QLatin1Char('\n'));
}
