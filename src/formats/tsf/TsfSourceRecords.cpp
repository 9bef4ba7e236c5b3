#include "formats/tsf/TsfSourceRecords.h"

#include "formats/tsf/TsfChunkCodec.h"
#include "meta/Json.h"
#include "meta/VkOptionsIO.h"

namespace {

const char* const kCoordKeys[] = {"coordSysId", "coverage", "usageSpace", "type", "featureType"};

PVariantMap parseObject(const QByteArray& json) {
    PVariant parsed;
    if (json.isEmpty() || !Json::read(json, parsed) || parsed.type() != ValueType::KeyValuePairs)
        return PVariantMap();
    return parsed.map();
}

// The field's map as stored: category names as a plain list, in code order.
PVariantMap storedFieldMap(const VkField& field) {
    PVariantMap map = field.toMap();
    map.remove("idx");
    map.remove("type");
    map.remove("fieldType");
    if (field.hasEnum())
        map.insert("enum", PVariant(field.enumNames));
    return map;
}

int32_t fieldTypeOfMaps(const TsfFieldRow& row) {
    const bool locus = !row.locusIdxMap.isEmpty();
    const bool entity = !row.entityIdxMap.isEmpty();
    if (locus && entity)
        return VkField::Matrix;
    return entity ? VkField::EntityAttribute : VkField::LocusAttribute;
}

} // namespace

namespace TsfSourceRecords {

QByteArray fieldMeta(const VkField& field) {
    PVariantMap map = storedFieldMap(field);
    map.remove("props");
    return Json::write(PVariant(map));
}

QByteArray fieldMetaWithProps(const VkField& field) {
    return Json::write(PVariant(storedFieldMap(field)));
}

bool fieldFromRow(const TsfFieldRow& row, VkField* field, QString* error) {
    ShortType type;
    if (!TsfChunkCodec::parseTypeCode(row.fieldType, &type, error))
        return false;
    PVariantMap map = parseObject(row.fieldMeta);
    map.insert("idx", PVariant(int(row.fieldId)));
    map.insert("type", PVariant(ShortType::text(type.type)));
    map.insert("fieldType", PVariant(VkField::fieldTypeName(fieldTypeOfMaps(row))));
    return VkField::fromMap(map, field, error);
}

QByteArray sourceMeta(const VkSourceInfo& info) {
    PVariantMap map = info.properties;
    const PVariantMap coord = info.coordInfo.toMap();
    for (const PVariantMap::Entry& entry : coord)
        map.insert(entry.key, entry.value);
    const PVariant style = info.stylesheet.value(TsfLayout::StyleTxKey);
    if (style.isValid())
        map.insert(TsfLayout::StyleTxKey, style);
    return Json::write(PVariant(map));
}

QByteArray docs(const SourceMetaOptions& docInfo) {
    const PVariant record = VkOptionsIO::write(docInfo);
    const PVariant fields = record.map().value("fields");
    return Json::write(fields.isValid() ? fields : PVariant(PVariantMap()));
}

QString curated(const QDateTime& time) {
    return (time.isValid() ? time : QDateTime::currentDateTime())
        .toString(QLatin1String(TsfLayout::CuratedFormat));
}

void applySourceRow(const TsfSourceRow& row, VkSourceInfo* info) {
    info->name = row.name;
    info->uuid = row.uuid;
    info->entityCount = int32_t(row.entityDim);
    info->locusCount = int32_t(row.locusDim);
    info->curated = QDateTime::fromString(row.curated, QLatin1String(TsfLayout::CuratedFormat));
    const PVariantMap docsMap = parseObject(row.docs);
    if (!docsMap.isEmpty()) {
        VkSourceInfo docsHolder;
        if (VkSourceInfo::fromMap(PVariantMap{{"docInfo", PVariant(docsMap)}}, &docsHolder))
            info->docInfo = docsHolder.docInfo;
    }
    info->properties = parseObject(row.sourceMeta);
    PVariantMap coord;
    for (const char* key : kCoordKeys) {
        const PVariant value = info->properties.value(key);
        if (value.type() == ValueType::String)
            coord.insert(key, value);
    }
    if (!coord.isEmpty())
        info->coordInfo = VkCoordInfo::fromMap(coord);
    const PVariant style = info->properties.value(TsfLayout::StyleTxKey);
    if (style.isValid())
        info->stylesheet.insert(TsfLayout::StyleTxKey, style);
}

} // namespace TsfSourceRecords
