#include "source/reference/ReferenceLookup.h"

#include "source/registry/LocalSourceWatcher.h"
#include "source/reference/ReferenceSequence.h"
#include "source/registry/VkSourceTypeManager.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QDir>
#include <QFileInfo>

namespace {
constexpr int TwoBitTypeId = 10;
constexpr int FastaTypeId = 12;

bool isReferencePath(const QString& path) {
    const VkSourceTypeManager* manager = VkSourceTypeRegistry::instance().managerForPath(path);
    return manager && (manager->typeId() == FastaTypeId || manager->typeId() == TwoBitTypeId);
}

// The reference files of a folder in file-name order, or the path itself when it is one.
QStringList referenceFiles(const QString& path) {
    const QFileInfo info(path);
    if (info.isFile())
        return isReferencePath(path) ? QStringList{path} : QStringList();
    QStringList files;
    for (const QFileInfo& entry : QDir(path).entryInfoList(QDir::Files | QDir::Readable, QDir::Name))
        if (isReferencePath(entry.filePath()))
            files.append(entry.filePath());
    return files;
}

QString buildOf(const VkSourceInfo& info) {
    return info.coordInfo.coordSysId.isEmpty() ? info.docInfo.coordSysId() : info.coordInfo.coordSysId;
}

// The best reference of one folder: one of the wanted build, else the first of unknown build.
VkSourcePtr findIn(const QString& path, const QString& coordSysId) {
    VkSourcePtr unknownBuild;
    for (const QString& file : referenceFiles(path)) {
        VkSourcePtr source = VkSourceTypeRegistry::instance().open(file);
        if (!source->isValid() || !ReferenceSequence::of(*source))
            continue;
        const QString build = buildOf(source->info());
        if (coordSysId.isEmpty() || build.compare(coordSysId, Qt::CaseInsensitive) == 0)
            return source;
        if (build.isEmpty() && !unknownBuild)
            unknownBuild = source;
    }
    return unknownBuild;
}
} // namespace

QStringList ReferenceLookup::searchPaths(const QString& folder) {
    QStringList paths;
    auto add = [&paths](const QString& path) {
        const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        if (!path.isEmpty() && QFileInfo::exists(clean) && !paths.contains(clean))
            paths.append(clean);
    };
    add(folder);
    const QList<LocalSourceWatcher*> watchers = LocalSourceWatcher::all();
    for (const char* name : {"parameter", "auto"})
        for (const LocalSourceWatcher* watcher : watchers)
            if (watcher->name() == QLatin1String(name))
                add(watcher->folder());
    for (const LocalSourceWatcher* watcher : watchers)
        add(watcher->folder());
    return paths;
}

VkSourcePtr ReferenceLookup::find(const QString& coordSysId, const QString& folder) {
    for (const QString& path : searchPaths(folder))
        if (VkSourcePtr source = findIn(path, coordSysId))
            return source;
    return nullptr;
}

VkSourcePtr ReferenceLookup::findFor(const VkSourceInfo& info, const QString& folder) {
    return find(buildOf(info), folder);
}
