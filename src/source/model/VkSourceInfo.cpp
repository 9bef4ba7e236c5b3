#include "source/model/VkSourceInfo.h"

#include "meta/VkOptionsIO.h"

#include <QFileInfo>

namespace {

void insertText(PVariantMap& map, const char* key, const QString& text) {
    if (!text.isEmpty())
        map.insert(key, text);
}

void insertDate(PVariantMap& map, const char* key, const QDateTime& time) {
    if (time.isValid())
        map.insert(key, time.toString(Qt::ISODateWithMs));
}

void insertMap(PVariantMap& map, const char* key, const PVariantMap& value) {
    if (!value.isEmpty())
        map.insert(key, value);
}

QDateTime readDate(const PVariantMap& map, const char* key) {
    return QDateTime::fromString(map.value(key).toQString(), Qt::ISODateWithMs);
}

template <class T> T readNumber(const PVariantMap& map, const char* key, T fallback) {
    bool ok = false;
    const qint64 number = map.value(key).toInt64(&ok);
    return ok ? T(number) : fallback;
}

PVariantMap docInfoMap(const SourceMetaOptions& docInfo) {
    if (docInfo.isNull())
        return PVariantMap();
    const PVariant written = VkOptionsIO::write(docInfo);
    return written == VkOptionsIO::write(SourceMetaOptions()) ? PVariantMap() : written.map();
}

SourceMetaOptions readDocInfo(const PVariant& value) {
    SourceMetaOptions record(VkOptionsIO::read(value));
    if (record.isNull() && value.type() == ValueType::KeyValuePairs) {
        const PVariantMap wrapped{{"className", SourceMetaOptions::kClassName}, {"fields", value}};
        record = SourceMetaOptions(VkOptionsIO::read(PVariant(wrapped)));
    }
    return record.isNull() ? SourceMetaOptions() : record;
}

} // namespace

bool VkCoordInfo::isEmpty() const {
    return coordSysId.isEmpty() && coverage.isEmpty() && usageSpace.isEmpty() && type.isEmpty() &&
           featureType.isEmpty();
}

PVariantMap VkCoordInfo::toMap() const {
    PVariantMap map;
    insertText(map, "coordSysId", coordSysId);
    insertText(map, "coverage", coverage);
    insertText(map, "usageSpace", usageSpace);
    insertText(map, "type", type);
    insertText(map, "featureType", featureType);
    return map;
}

VkCoordInfo VkCoordInfo::fromMap(const PVariantMap& map) {
    VkCoordInfo info;
    info.coordSysId = map.value("coordSysId").toQString();
    info.coverage = map.value("coverage").toQString();
    info.usageSpace = map.value("usageSpace").toQString();
    info.type = map.value("type").toQString();
    info.featureType = map.value("featureType").toQString();
    return info;
}

bool VkCoordInfo::operator==(const VkCoordInfo& other) const {
    return coordSysId == other.coordSysId && coverage == other.coverage && usageSpace == other.usageSpace &&
           type == other.type && featureType == other.featureType;
}

PVariantMap VkSourceInfo::toMap() const {
    PVariantMap map;
    insertText(map, "name", name);
    insertText(map, "url", url);
    insertText(map, "format", format);
    if (entityCount >= 0)
        map.insert("entityCount", entityCount);
    if (locusCount >= 0)
        map.insert("locusCount", locusCount);
    insertText(map, "uuid", uuid);
    insertText(map, "folder", folder);
    if (size >= 0)
        map.insert("size", size);
    insertDate(map, "curated", curated);
    insertDate(map, "modified", modified);
    insertMap(map, "docInfo", docInfoMap(docInfo));
    insertMap(map, "properties", properties);
    insertMap(map, "coordInfo", coordInfo.toMap());
    insertText(map, "source", source);
    if (!schema.isEmpty()) {
        QVector<PVariantMap> fields;
        fields.reserve(schema.size());
        for (const VkField& field : schema)
            fields.append(field.toMap());
        map.insert("schema", PVariantMap{{"fields", fields}});
    }
    insertMap(map, "stylesheet", stylesheet);
    return map;
}

bool VkSourceInfo::fromMap(const PVariantMap& map, VkSourceInfo* info, QString* error) {
    VkSourceInfo result;
    // Held by name: a range-for keeps only the last temporary of its expression alive.
    const PVariant fields = map.value("schema").map().value("fields");
    for (const PVariantMap& fieldMap : fields.mapVector()) {
        VkField field;
        if (!VkField::fromMap(fieldMap, &field, error))
            return false;
        result.schema.append(field);
    }
    result.name = map.value("name").toQString();
    result.url = map.value("url").toQString();
    result.format = map.value("format").toQString();
    result.entityCount = readNumber<int32_t>(map, "entityCount", -1);
    result.locusCount = readNumber<int32_t>(map, "locusCount", -1);
    result.uuid = map.value("uuid").toQString();
    result.folder = map.value("folder").toQString();
    result.size = readNumber<qint64>(map, "size", -1);
    result.curated = readDate(map, "curated");
    result.modified = readDate(map, "modified");
    result.docInfo = readDocInfo(map.value("docInfo"));
    result.properties = map.value("properties").map();
    result.coordInfo = VkCoordInfo::fromMap(map.value("coordInfo").map());
    result.source = map.value("source").toQString();
    result.stylesheet = map.value("stylesheet").map();
    *info = result;
    return true;
}

int VkSourceInfo::fieldIndex(const QByteArray& symbol) const {
    for (int i = 0; i < schema.size(); ++i) {
        if (schema.at(i).symbol == symbol)
            return i;
    }
    return -1;
}

const VkField* VkSourceInfo::field(int32_t idx) const {
    if (idx == VkField::SegmentIdx) {
        static const VkField segment = VkField::segmentField();
        return &segment;
    }
    return idx >= 0 && idx < schema.size() ? &schema.at(idx) : nullptr;
}

void VkSourceInfo::describeFile(const QString& path) {
    const QFileInfo file(path);
    name = file.fileName();
    folder = file.absolutePath();
    size = file.size();
}

bool VkSourceInfo::operator==(const VkSourceInfo& other) const {
    return name == other.name && url == other.url && format == other.format && uuid == other.uuid &&
           folder == other.folder && size == other.size && entityCount == other.entityCount &&
           locusCount == other.locusCount && curated == other.curated && modified == other.modified &&
           docInfoMap(docInfo) == docInfoMap(other.docInfo) && properties == other.properties &&
           coordInfo == other.coordInfo && source == other.source && schema == other.schema &&
           stylesheet == other.stylesheet;
}
