#include "source/registry/VkSourceTypeManager.h"

#include "source/readers/VkFeatureReader.h"
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

FeatureCursorPtr VkSourceTypeManager::openCursor(const VkSourcePtr& source, const ReadRequest&,
                                                 QString* error) const {
    *error = QStringLiteral("Source type %1 cannot read features").arg(source->typeName());
    return nullptr;
}

VkFeatureReader* VkSourceTypeManager::createFeatureReader(const VkSourcePtr& source) const {
    return new VkFeatureReader(source);
}

VkFieldReader* VkSourceTypeManager::createFieldReader(const VkSourcePtr&) const {
    return nullptr;
}
