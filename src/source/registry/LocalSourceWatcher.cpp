#include "source/registry/LocalSourceWatcher.h"

#include "source/registry/VkSourceTypeRegistry.h"

#include <QDir>
#include <QMutex>

#include <memory>
#include <vector>

namespace {
QMutex watchersMutex;
std::vector<std::unique_ptr<LocalSourceWatcher>>& watchers() {
    static std::vector<std::unique_ptr<LocalSourceWatcher>> list;
    return list;
}
} // namespace

LocalSourceWatcher* LocalSourceWatcher::open(const QString& name, const QString& folder) {
    QMutexLocker locker(&watchersMutex);
    for (auto& watcher : watchers()) {
        if (watcher->m_name == name) {
            watcher->m_folder = folder;
            return watcher.get();
        }
    }
    watchers().emplace_back(new LocalSourceWatcher(name, folder));
    return watchers().back().get();
}

QList<LocalSourceWatcher*> LocalSourceWatcher::all() {
    QMutexLocker locker(&watchersMutex);
    QList<LocalSourceWatcher*> list;
    for (auto& watcher : watchers())
        list.append(watcher.get());
    return list;
}

QList<VkSourcePtr> LocalSourceWatcher::sources() const {
    VkSourceTypeRegistry& registry = VkSourceTypeRegistry::instance();
    QList<VkSourcePtr> list;
    const QDir dir(m_folder);
    for (const QFileInfo& entry : dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name)) {
        const QString path = entry.filePath();
        // A bgzip copy stands for its plain file when both are there.
        if (!path.endsWith(QLatin1String(".gz")) && dir.exists(entry.fileName() + QStringLiteral(".gz")))
            continue;
        if (registry.managerForPath(path))
            list.append(registry.open(path));
    }
    return list;
}
