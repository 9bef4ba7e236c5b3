#pragma once

#include "source/model/VkField.h"

#include <QVector>

// Which VCF column each field of a source is written to: fields are recognised by symbol or name,
// upper-cased; the other locus fields become INFO entries and the other matrix fields FORMAT
// entries, each under its symbol.
struct VcfColumns {
    enum Role { None, Id, Ref, Alt, RefAlt, Qual, Filter, Flags, Genotype, Info, Format, SampleLabels };

    int id = -1;
    int ref = -1;
    int alt = -1;
    int refAlt = -1;
    int qual = -1;
    int filter = -1;
    int flags = -1;
    int genotype = -1;
    int sampleLabels = -1;
    QVector<int> info;
    QVector<int> format;

    static Role roleOf(const VkField& field);
    // The columns of the selected fields (every field when the selection is empty).
    static VcfColumns of(const VkFieldList& schema, const QVector<int>& selection);

    // The VCF type name of a value type: "Integer", "Float" or "String".
    static const char* typeName(ValueType type);
    // The Number of a field: the one it was read with when it carries it, else 1 for a single
    // value and "." for a list.
    static QByteArray number(const VkField& field);
};
