#pragma once

#include <QDir>
#include <QStringList>

// The temporary files of unfinished writes (and their journals) in a folder.
inline QStringList temporaryFilesIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral(".*.varkit-*.tmp*")}, QDir::Files | QDir::Hidden);
}
