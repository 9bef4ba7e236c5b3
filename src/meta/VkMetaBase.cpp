#include "meta/VkMetaBase.h"

VkMetaBase::VkMetaBase(QObject* parent) : QObject(parent) {}

VkMetaBase::~VkMetaBase() = default;

void VkMetaBase::resetAll() {
    for (const QByteArray& name : optionNames())
        resetOption(name);
}

void VkMetaBase::resetOne(const QByteArray& name) {
    resetOption(name);
}

void VkMetaBase::copyFrom(const VkMetaBase& other) {
    for (const QByteArray& name : optionNames()) {
        if (other.hasOption(name))
            setOption(name, other.option(name));
    }
}

VkClassBase::~VkClassBase() = default;
