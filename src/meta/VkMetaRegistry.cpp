#include "meta/VkMetaRegistry.h"

#include "meta/VkMetaOptionsBase.h"

#include <QHash>
#include <QReadWriteLock>

namespace {

struct Registry {
    QReadWriteLock lock;
    QHash<QString, const VkMetaOptionsBase*> metas;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

} // namespace

bool VkMetaRegistry::add(const VkMetaOptionsBase* meta) {
    Registry& table = registry();
    QWriteLocker locker(&table.lock);
    if (!table.metas.contains(meta->className()))
        table.metas.insert(meta->className(), meta);
    return true;
}

const VkMetaOptionsBase* VkMetaRegistry::find(const QString& className) {
    Registry& table = registry();
    QReadLocker locker(&table.lock);
    return table.metas.value(className, nullptr);
}

QStringList VkMetaRegistry::classNames() {
    Registry& table = registry();
    QReadLocker locker(&table.lock);
    QStringList names = table.metas.keys();
    names.sort();
    return names;
}
