#include "meta/VkOptionsData.h"

#include "meta/MetaTypeBase.h"
#include "meta/VkMetaOptionsBase.h"
#include "meta/VkOptionsValue.h"

namespace {

QVariant cloneNested(int kind, const QVariant& value) {
    if (kind == MetaTypeBase::KindOptions)
        return QVariant::fromValue(value.value<VkOptionsValue>().clone());
    QVector<VkOptionsValue> records = value.value<QVector<VkOptionsValue>>();
    for (VkOptionsValue& record : records)
        record = record.clone();
    return QVariant::fromValue(records);
}

} // namespace

VkOptionsData::VkOptionsData() : m_ref(0) {}

VkOptionsData::~VkOptionsData() = default;

bool VkOptionsData::validate(QString* error) const {
    return meta()->validate(*this, error);
}

VkOptionsData* VkOptionsData::clone() const {
    VkOptionsData* copy = meta()->create();
    copy->copyFrom(*this);
    for (int i = 0; i < m_values.size(); ++i) {
        const int kind = meta()->entry(i).type->kind();
        if (kind == MetaTypeBase::KindOptions || kind == MetaTypeBase::KindOptionsList)
            copy->m_values[i] = cloneNested(kind, m_values.at(i));
    }
    copy->m_dbId = m_dbId;
    copy->m_dbGroupId = m_dbGroupId;
    return copy;
}

QList<QByteArray> VkOptionsData::optionNames() const {
    QList<QByteArray> names;
    for (const VkMetaEntry& entry : meta()->entries())
        names << entry.name;
    return names;
}

bool VkOptionsData::hasOption(const QByteArray& name) const {
    return meta()->indexOf(name) >= 0;
}

QVariant VkOptionsData::option(const QByteArray& name) const {
    const int index = meta()->indexOf(name);
    return index >= 0 ? m_values.at(index) : QVariant();
}

bool VkOptionsData::setOption(const QByteArray& name, const QVariant& value) {
    const int index = meta()->indexOf(name);
    if (index < 0)
        return false;
    m_values[index] = value;
    return true;
}

void VkOptionsData::resetAll() {
    const VkMetaOptionsBase* family = meta();
    m_values.resize(family->optionCount());
    for (int i = 0; i < m_values.size(); ++i)
        m_values[i] = family->entry(i).type->defaultValue();
}

bool VkOptionsData::resetOption(const QByteArray& name) {
    const int index = meta()->indexOf(name);
    if (index < 0)
        return false;
    m_values[index] = meta()->entry(index).type->defaultValue();
    return true;
}

bool VkOptionsData::equals(const VkOptionsData& other) const {
    return meta() == other.meta() && m_dbId == other.m_dbId && m_dbGroupId == other.m_dbGroupId &&
           m_values == other.m_values;
}
