#include "source/registry/VkSourceTypeManager.h"

#include "source/readers/VkFeatureReader.h"
#include "source/registry/VkSourceTypeRegistry.h"

QString VkSourceTypeManager::typeName() const {
    return VkSourceTypeRegistry::formatName(typeId());
}

bool VkSourceTypeManager::precomputeNeeded(const VkSource&, const QString&, QString*) const {
    return false;
}

PrecomputeJob VkSourceTypeManager::precomputeJob(const VkSourcePtr&, const QString&) const {
    return {};
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
