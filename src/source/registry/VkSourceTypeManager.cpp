#include "source/registry/VkSourceTypeManager.h"

#include "source/registry/VkSourceTypeRegistry.h"

QString VkSourceTypeManager::typeName() const {
    return VkSourceTypeRegistry::formatName(typeId());
}

bool VkSourceTypeManager::precomputeNeeded(const VkSource&, const QString&, QString*) const {
    return false;
}

VkWorkerRunner* VkSourceTypeManager::startPrecompute(const QString&, const VkSourcePtr&,
                                                     VkEventedThread*) const {
    return nullptr;
}

VkFeatureReader* VkSourceTypeManager::createFeatureReader(const VkSourcePtr&) const {
    return nullptr;
}

VkFieldReader* VkSourceTypeManager::createFieldReader(const VkSourcePtr&) const {
    return nullptr;
}

bool LocalSourceTypeManager::handles(const QString& path) const {
    for (const QString& suffix : suffixes())
        if (path.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    return false;
}
