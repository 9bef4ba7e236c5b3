#pragma once

#include "source/registry/VkSource.h"

#include <QList>
#include <QString>

// Watches a folder of sources: lists the sources it holds and makes them findable by the rest
// of the program (reference sequences next to a source, the shared data folder). Watchers are
// named ("sys", "auto", "parameter", "local") and live until the end of the process.
class LocalSourceWatcher {
public:
    // Opens (or returns the existing) watcher of that name over the folder.
    static LocalSourceWatcher* open(const QString& name, const QString& folder);
    // Every watcher opened so far, in the order they were opened.
    static QList<LocalSourceWatcher*> all();

    const QString& name() const { return m_name; }
    const QString& folder() const { return m_folder; }
    // A file of corrections to the descriptions of the folder's sources.
    void setInfoPatchFile(const QString& path) { m_infoPatchFile = path; }
    const QString& infoPatchFile() const { return m_infoPatchFile; }

    // The sources of the folder that a source kind claims, opened, in file-name order. Files of
    // no known kind are left out; index and companion files are not sources of their own.
    QList<VkSourcePtr> sources() const;

private:
    LocalSourceWatcher(QString name, QString folder) : m_name(std::move(name)), m_folder(std::move(folder)) {}

    QString m_name;
    QString m_folder;
    QString m_infoPatchFile;
};
