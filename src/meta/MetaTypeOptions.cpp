#include "meta/MetaTypeOptions.h"

#include "meta/VkOptionsIO.h"

namespace {

bool readRecord(const PVariant& value, const VkMetaOptionsBase* family, VkOptionsValue& out) {
    VkOptionsValue record = VkOptionsIO::read(value);
    if (!record.isA(family))
        return false;
    out = record;
    return true;
}

} // namespace

MetaTypeOptions::MetaTypeOptions(QByteArray name, QString label, QString description, VkMetaGetter family)
    : MetaTypeBase("options", std::move(name), std::move(label), std::move(description)), m_family(family) {}

bool MetaTypeOptions::fromPVariant(const PVariant& value, QVariant& out) const {
    VkOptionsValue record;
    if (!readRecord(value, family(), record))
        return false;
    out = QVariant::fromValue(record);
    return true;
}

PVariant MetaTypeOptions::toPVariant(const QVariant& value) const {
    return VkOptionsIO::write(value.value<VkOptionsValue>());
}

QVariant MetaTypeOptions::defaultValue() const {
    return QVariant::fromValue(VkOptionsValue());
}

MetaTypeOptionsList::MetaTypeOptionsList(QByteArray name, QString label, QString description,
                                         VkMetaGetter family)
    : MetaTypeBase("optionslist", std::move(name), std::move(label), std::move(description)),
      m_family(family) {}

bool MetaTypeOptionsList::fromPVariant(const PVariant& value, QVariant& out) const {
    if (!value.isVector())
        return false;
    QVector<VkOptionsValue> records;
    records.reserve(value.size());
    for (int i = 0; i < value.size(); ++i) {
        VkOptionsValue record;
        if (!readRecord(value.at(i), family(), record))
            return false;
        records.append(record);
    }
    out = QVariant::fromValue(records);
    return true;
}

PVariant MetaTypeOptionsList::toPVariant(const QVariant& value) const {
    QVector<PVariantMap> maps;
    for (const VkOptionsValue& record : value.value<QVector<VkOptionsValue>>()) {
        if (!record.isNull())
            maps.append(VkOptionsIO::write(record).map());
    }
    return PVariant(std::move(maps));
}

QVariant MetaTypeOptionsList::defaultValue() const {
    return QVariant::fromValue(QVector<VkOptionsValue>());
}
