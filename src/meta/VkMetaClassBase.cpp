#include "meta/VkMetaClassBase.h"

VkMetaClassBase::VkMetaClassBase(VkMetaInfo info) : m_info(std::move(info)) {}

VkMetaClassBase::~VkMetaClassBase() = default;
