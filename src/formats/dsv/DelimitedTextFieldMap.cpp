#include "formats/dsv/DelimitedTextFieldMap.h"

namespace DelimitedText {

ValueType FieldMap::readableType(int code) {
    switch (ValueType(code)) {
    case ValueType::Int:
    case ValueType::Int64:
    case ValueType::Float:
    case ValueType::Float64:
    case ValueType::IntArray:
    case ValueType::FloatArray:
    case ValueType::Float64Array:
    case ValueType::StringArray:
        return ValueType(code);
    default:
        return ValueType::String;
    }
}

bool FieldMap::build(const FieldList& columns, const DelimitedTextReaderOptions& options, FieldMap* map,
                     QString* error) {
    map->m_fields = FieldList();
    map->m_columns.clear();
    const QVector<int> indexes = options.fieldMapInputIndexList();
    const QVector<QString> inputNames = options.fieldMapInputNameList();
    const int count = !indexes.isEmpty() ? indexes.size() : inputNames.size();
    if (count == 0) {
        map->m_fields = columns;
        for (int i = 0; i < columns.names.size(); ++i)
            map->m_columns.append(i);
        return true;
    }
    const QVector<QString> outputNames = options.fieldMapOutputNameList();
    const QVector<int> outputTypes = options.fieldMapOutputTypeList();
    for (int i = 0; i < count; ++i) {
        const int column = !indexes.isEmpty() ? indexes[i] : columns.names.indexOf(inputNames[i].toUtf8());
        if (column < 0 || column >= columns.names.size()) {
            *error = QStringLiteral("The field map names a column the file does not have: %1")
                         .arg(!indexes.isEmpty() ? QString::number(indexes[i]) : inputNames[i]);
            return false;
        }
        const QString outputName = outputNames.value(i);
        map->m_columns.append(column);
        map->m_fields.names.append(outputName.isEmpty() ? columns.names[column] : outputName.toUtf8());
        map->m_fields.types.append(i < outputTypes.size() ? readableType(outputTypes[i])
                                                          : columns.types[column]);
    }
    return true;
}

VkFieldList FieldMap::schema() const {
    VkFieldList schema;
    for (int i = 0; i < size(); ++i)
        schema.append(VkField(i, m_fields.names[i], m_fields.names[i], m_fields.types[i]));
    return schema;
}

} // namespace DelimitedText
