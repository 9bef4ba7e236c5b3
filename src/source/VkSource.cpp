#include "source/VkSource.h"

#include "source/VkResourceData.h"
#include "source/VkSourceTypeManager.h"

QString VkSource::typeName() const {
    return m_manager ? m_manager->typeName() : QString();
}

int VkSource::typeId() const {
    return m_manager ? m_manager->typeId() : -1;
}
