#pragma once

#include "formats/dsv/DelimitedTextReaderOptions.h"
#include "source/model/VkField.h"

#include <QVector>

namespace DelimitedText {

// The columns of a file, in file order.
struct FieldList {
    QVector<QByteArray> names;
    QVector<ValueType> types;
};

// The fields a source exposes and the column each is read from: every column in file order, or
// the columns the field-map options select, renamed and retyped as they say.
class FieldMap {
public:
    // False, with the reason, when a field map names a column the file does not have.
    static bool build(const FieldList& columns, const DelimitedTextReaderOptions& options, FieldMap* map,
                      QString* error);
    // The type a column holds values as: the readable types stay, any other code reads as String.
    static ValueType readableType(int code);

    int size() const { return m_columns.size(); }
    int column(int field) const { return m_columns[field]; }
    ValueType type(int field) const { return m_fields.types[field]; }
    const QByteArray& name(int field) const { return m_fields.names[field]; }
    // One locus field per exposed field; the name is also the symbol.
    VkFieldList schema() const;

private:
    FieldList m_fields;
    QVector<int> m_columns;
};

} // namespace DelimitedText
