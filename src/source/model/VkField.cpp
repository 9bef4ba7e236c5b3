#include "source/model/VkField.h"

#include "source/values/ShortType.h"

namespace {

PVariantMap enumMap(const VkField& field) {
    PVariantMap names;
    for (int i = 0; i < field.enumNames.size(); ++i)
        names.insert(field.enumNames.at(i), i < field.enumValues.size() ? field.enumValues.at(i) : i);
    return names;
}

// "enum" is a map from name to code; a plain list of names numbers them from 0.
void readEnum(const PVariant& value, VkField* field) {
    if (value.type() == ValueType::KeyValuePairs) {
        for (const PVariantMap::Entry& entry : value.map()) {
            field->enumNames.append(entry.key);
            field->enumValues.append(entry.value.toInt());
        }
        return;
    }
    const QVector<QByteArray>& names = value.stringVector();
    for (int i = 0; i < names.size(); ++i) {
        field->enumNames.append(names.at(i));
        field->enumValues.append(i);
    }
}

const PVariant& firstPresent(const PVariantMap& map, const char* key, const char* alias, PVariant* holder) {
    *holder = map.value(key);
    if (!holder->isValid())
        *holder = map.value(alias);
    return *holder;
}

} // namespace

VkField::VkField(int32_t idx, QByteArray name, QByteArray symbol, ValueType valueType, int32_t fieldType)
    : idx(idx), name(std::move(name)), symbol(std::move(symbol)), valueType(valueType), fieldType(fieldType) {
}

VkField VkField::segmentField() {
    VkField field(SegmentIdx, "Segment", "SEGMENT", ValueType::String, LocusAttribute);
    field.doc = QStringLiteral("Genomic Coordinates (Chr: Start-Stop)");
    return field;
}

QString VkField::fieldTypeName(int32_t fieldType) {
    switch (fieldType) {
    case EntityAttribute:
        return QStringLiteral("entity_attribute");
    case LocusAttribute:
        return QStringLiteral("locus_attribute");
    case Matrix:
        return QStringLiteral("matrix");
    default:
        return QString();
    }
}

int32_t VkField::fieldTypeCode(const QString& name) {
    for (int32_t code : {EntityAttribute, LocusAttribute, Matrix}) {
        if (fieldTypeName(code) == name)
            return code;
    }
    return 0;
}

QByteArray VkField::enumName(int32_t code) const {
    const int index = enumValues.indexOf(code);
    return index >= 0 && index < enumNames.size() ? enumNames.at(index) : QByteArray();
}

int32_t VkField::enumCode(const QByteArray& name) const {
    const int index = enumNames.indexOf(name);
    return index >= 0 && index < enumValues.size() ? enumValues.at(index) : PVariant::MissingCategorical;
}

PVariantMap VkField::toMap() const {
    PVariantMap map;
    map.insert("idx", idx);
    map.insert("name", name);
    if (!symbol.isEmpty())
        map.insert("symbol", symbol);
    map.insert("type", ShortType::text(valueType));
    map.insert("fieldType", fieldTypeName(fieldType));
    if (!format.isEmpty())
        map.insert("format", format);
    if (isGenotypic())
        map.insert("genotypic", true);
    if (hasEnum())
        map.insert("enum", enumMap(*this));
    if (!props.isEmpty())
        map.insert("props", props);
    if (!doc.isEmpty())
        map.insert("doc", doc);
    if (!urlTemplate.isEmpty())
        map.insert("urlTemplate", urlTemplate);
    return map;
}

bool VkField::fromMap(const PVariantMap& map, VkField* field, QString* error) {
    ShortType type;
    if (!ShortType::parse(map.value("type").bytes(), &type, error))
        return false;
    VkField result;
    result.idx = map.value("idx").toInt();
    result.name = map.value("name").bytes();
    result.symbol = map.value("symbol").bytes();
    result.valueType = type.type;
    const PVariant fieldType = map.value("fieldType");
    if (fieldType.type() == ValueType::String)
        result.fieldType = fieldTypeCode(fieldType.toQString());
    else if (fieldType.isValid())
        result.fieldType = fieldType.toInt();
    result.format = map.value("format").stringVector();
    PVariant holder;
    readEnum(firstPresent(map, "enum", "enums", &holder), &result);
    result.props = firstPresent(map, "props", "attributes", &holder).map();
    result.doc = map.value("doc").toQString();
    result.urlTemplate = map.value("urlTemplate").toQString();
    *field = result;
    return true;
}

bool VkField::operator==(const VkField& other) const {
    return idx == other.idx && name == other.name && symbol == other.symbol && valueType == other.valueType &&
           fieldType == other.fieldType && doc == other.doc && urlTemplate == other.urlTemplate &&
           enumValues == other.enumValues && enumNames == other.enumNames && props == other.props &&
           format == other.format;
}
