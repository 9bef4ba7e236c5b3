#pragma once

#include "source/values/PVariant.h"

#include <QString>

// The description of one field of a source's schema.
class VkField {
public:
    // What a field holds a value for.
    enum FieldType : int32_t {
        EntityAttribute = 1, // one value per sample or other entity
        LocusAttribute = 2,  // one value per feature
        Matrix = 4           // one value per feature and per sample
    };

    // The idx of the segment pseudo-field, outside the index range of any schema.
    static constexpr int32_t SegmentIdx = 2147483647;

    VkField() = default;
    VkField(int32_t idx, QByteArray name, QByteArray symbol, ValueType valueType,
            int32_t fieldType = LocusAttribute);

    // The pseudo-field under which a feature's segment is presented.
    static VkField segmentField();
    // "entity_attribute", "locus_attribute", "matrix"; empty for any other code.
    static QString fieldTypeName(int32_t fieldType);
    // The code of a field-type name; 0 for an unknown name.
    static int32_t fieldTypeCode(const QString& name);

    bool isMatrix() const { return fieldType == Matrix; }
    bool isGenotypic() const { return format.contains("GT"); }
    bool hasEnum() const { return !enumNames.isEmpty(); }
    // The name of an enum code; empty when the code is not among the enum values.
    QByteArray enumName(int32_t code) const;
    // The code of an enum name; PVariant::MissingCategorical when the name is unknown.
    int32_t enumCode(const QByteArray& name) const;

    // The field as a Key Value Pairs map: "idx", "name", "symbol", "type", "fieldType",
    // "format", "genotypic", "enum", "props", "doc", "urlTemplate", empty members left out.
    PVariantMap toMap() const;
    // Reads a map written by toMap (also accepting "enums" and "attributes"). Fails, with a
    // message, when "type" is not a valid short type text.
    static bool fromMap(const PVariantMap& map, VkField* field, QString* error = nullptr);

    bool operator==(const VkField& other) const;
    bool operator!=(const VkField& other) const { return !(*this == other); }

    int32_t idx = 0;
    QByteArray name;
    QByteArray symbol;
    ValueType valueType = ValueType::Invalid;
    int32_t fieldType = LocusAttribute;
    QString doc;
    // A link pattern in which "$$" stands for the value.
    QString urlTemplate;
    // Parallel lists of the codes and names of a Categorical field's enum.
    QVector<int32_t> enumValues;
    QVector<QByteArray> enumNames;
    PVariantMap props;
    QVector<QByteArray> format;
};

using VkFieldList = QVector<VkField>;

Q_DECLARE_TYPEINFO(VkField, Q_MOVABLE_TYPE);
Q_DECLARE_METATYPE(VkField)
