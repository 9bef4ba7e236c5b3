#include "meta/VkMetaOptionsBase.h"

#include "meta/VkOptionsData.h"

VkMetaOptionsBase::VkMetaOptionsBase(VkMetaInfo info) : VkMetaClassBase(std::move(info)) {}

VkMetaOptionsBase::~VkMetaOptionsBase() = default;

const MetaTypeBase* VkMetaOptionsBase::optionType(const QByteArray& name) const {
    const int index = indexOf(name);
    return index >= 0 ? m_entries.at(index).type : nullptr;
}

void VkMetaOptionsBase::addOption(MetaTypeBase* type) {
    m_types.emplace_back(type);
    m_index.insert(type->name(), m_entries.size());
    m_entries.append(VkMetaEntry{type->name(), type, {}});
}

VkOptionsData* VkMetaOptionsBase::create() const {
    VkOptionsData* record = newData();
    record->resetAll();
    return record;
}

bool VkMetaOptionsBase::validate(const VkOptionsData& record, QString* error) const {
    for (int i = 0; i < m_entries.size(); ++i) {
        const MetaTypeBase* type = m_entries.at(i).type;
        if (type->kind() != MetaTypeBase::KindUnit)
            continue;
        const auto* unit = static_cast<const MetaTypeUnit*>(type);
        if (!unit->isValid(record.optionAt(i))) {
            if (error)
                error->append(unit->invalidMessage());
            return false;
        }
    }
    return true;
}

bool VkMetaOptionsBase::readFields(VkOptionsData& record, const PVariantMap& fields,
                                   const QList<QByteArray>& optionNames) const {
    for (int i = 0; i < m_entries.size(); ++i) {
        const VkMetaEntry& entry = m_entries.at(i);
        if (!optionNames.isEmpty() && !optionNames.contains(entry.name))
            continue;
        const int at = fields.indexOf(entry.name);
        QVariant value;
        if (at >= 0 && entry.type->fromPVariant(fields.entryAt(at).value, value))
            record.setOptionAt(i, value);
    }
    return true;
}

PVariant VkMetaOptionsBase::write(const VkOptionsData& record) const {
    PVariantMap fields;
    for (int i = 0; i < m_entries.size(); ++i)
        fields.insert(m_entries.at(i).name, m_entries.at(i).type->toPVariant(record.optionAt(i)));
    PVariantMap map;
    map.insert("className", PVariant(className()));
    if (classVersion() > 1)
        map.insert("classVersion", PVariant(classVersion()));
    map.insert("fields", PVariant(std::move(fields)));
    if (record.dbId() != -1) {
        map.insert("dbId", PVariant(record.dbId()));
        map.insert("dbGroupId", PVariant(record.dbGroupId()));
    }
    return PVariant(std::move(map));
}

bool VkMetaOptionsBase::upgrade(int, PVariantMap&) const {
    return false;
}

bool VkMetaOptionsBase::inherits(const VkMetaOptionsBase* family) const {
    return !family || family == this || m_lineage.contains(family->className());
}
