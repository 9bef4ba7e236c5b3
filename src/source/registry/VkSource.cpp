#include "source/registry/VkSource.h"

#include "source/registry/VkResourceData.h"
#include "source/registry/VkSourceTypeManager.h"

QString VkSource::typeName() const {
    return m_manager ? m_manager->typeName() : QString();
}

int VkSource::typeId() const {
    return m_manager ? m_manager->typeId() : -1;
}
